#include "reports/ClassListImportDialog.h"

#include "records/FileStore.h"
#include "records/GradeFile.h"
#include "records/GradeLock.h"
#include "records/SexFile.h"
#include "screens/FailureText.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

constexpr int NameWidth = StudentRecord::width(StudentRecord::Nombre);
// A list of thousands of lines helps no one: the first ones tell the teacher what is wrong.
constexpr qsizetype ListedAtMost = 100;

QString storedName(const StudentRecord &record)
{
    return SexFile::nameKey(record.field(StudentRecord::Nombre));
}

QString sexLetter(const std::optional<Sex> &sex)
{
    return !sex ? QString() : *sex == Sex::Hombre ? u"H"_s : u"M"_s;
}

QString visibleCharacter(const QString &character)
{
    const char32_t c = character.toUcs4().value(0);
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) || QChar::category(c) == QChar::Separator_Space ||
        QChar::category(c) == QChar::Other_Format)
        return u"un carácter invisible (un salto de línea u otro, el código U+%1)"_s.arg(
            QString::number(uint(c), 16).toUpper().rightJustified(4, u'0'));
    return u"«%1»"_s.arg(character);
}

QString encodingText(const ClassList &list)
{
    switch (list.encoding) {
    case TextEncoding::Utf8: return u"UTF-8"_s;
    case TextEncoding::Utf8WithBom: return u"UTF-8 con BOM"_s;
    case TextEncoding::Windows1252: return u"Windows-1252 (ANSI)"_s;
    case TextEncoding::Clipboard: return {};
    }
    return {};
}

QString delimiterText(QChar delimiter)
{
    return delimiter == u';' ? u"punto y coma"_s : delimiter == u',' ? u"comas"_s : u"tabuladores"_s;
}

} // namespace

ClassListImportDialog::ClassListImportDialog(int grade, QString gradeFilePath, QWidget *parent)
    : QDialog(parent), m_grade(grade), m_path(std::move(gradeFilePath))
{
    setObjectName(u"importarLista"_s);
    setWindowTitle(u"Importar lista de alumnos — %1º grado"_s.arg(grade));

    auto *openFile = new QPushButton(u"&Abrir archivo CSV…"_s, this);
    openFile->setObjectName(u"abrirArchivo"_s);
    openFile->setAccessibleName(u"Abrir archivo CSV"_s);
    openFile->setToolTip(u"Una lista guardada en Excel como «CSV (delimitado por comas)» o «CSV UTF-8»"_s);
    connect(openFile, &QPushButton::clicked, this, &ClassListImportDialog::chooseFile);
    auto *pasteButton = new QPushButton(u"&Pegar celdas copiadas"_s, this);
    pasteButton->setObjectName(u"pegar"_s);
    pasteButton->setAccessibleName(u"Pegar celdas copiadas de una hoja de cálculo"_s);
    pasteButton->setToolTip(u"Copie en su hoja de cálculo las celdas de los alumnos (con o sin la fila de "
                            "títulos) y oprima este botón"_s);
    connect(pasteButton, &QPushButton::clicked, this, &ClassListImportDialog::paste);

    m_sourceLabel =
        new QLabel(u"Elija el archivo de la lista o pegue las celdas copiadas de su hoja de cálculo. "
                   "La primera columna, o la titulada «Nombre», es el nombre; «Edad» y «Sexo» "
                   "(H, M, Hombre o Mujer) se toman si la lista los tiene."_s,
                   this);
    m_sourceLabel->setObjectName(u"origen"_s);
    m_sourceLabel->setWordWrap(true);
    m_notice = new QLabel(this);
    m_notice->setObjectName(u"avisoImportar"_s);
    m_notice->setAccessibleName(u"Aviso"_s);
    m_notice->setWordWrap(true);
    m_notice->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_notice->setStyleSheet(
        u"QLabel { background: #fff4ce; color: #3b2f00; border: 1px solid #d9a800; padding: 6px; }"_s);
    m_notice->hide();

    m_model = new QStandardItemModel(Roster::LastSlot, Columns, this);
    m_model->setHorizontalHeaderLabels(
        {u"Registro"_s, u"Nombre actual"_s, u"Nombre nuevo"_s, u"Edad"_s, u"Sexo"_s, u"Estado"_s});
    m_table = new QTableView(this);
    m_table->setObjectName(u"vistaPrevia"_s);
    m_table->setAccessibleName(u"Vista previa: qué alumno va en cada registro"_s);
    m_table->setModel(m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    m_table->horizontalHeader()->setSectionResizeMode(Columns - 1, QHeaderView::Stretch);

    m_problems = new QPlainTextEdit(this);
    m_problems->setObjectName(u"problemas"_s);
    m_problems->setAccessibleName(
        u"Avisos sobre la lista: líneas que no se importan y alumnos que no caben"_s);
    m_problems->setReadOnly(true);
    m_problems->setMaximumHeight(m_problems->fontMetrics().lineSpacing() * 7);

    m_cut = new QCheckBox(u"&Cortar a 30 caracteres los nombres largos"_s, this);
    m_cut->setObjectName(u"cortarNombres"_s);
    m_cut->setEnabled(false);
    connect(m_cut, &QCheckBox::toggled, this, &ClassListImportDialog::refresh);
    m_replace = new QCheckBox(
        u"&Reemplazar alumnos existentes (los que no están en la lista dejan su lugar)"_s, this);
    m_replace->setObjectName(u"reemplazar"_s);
    connect(m_replace, &QCheckBox::toggled, this, &ClassListImportDialog::refresh);

    auto *buttons = new QDialogButtonBox(this);
    m_import = buttons->addButton(u"&Importar"_s, QDialogButtonBox::AcceptRole);
    m_import->setObjectName(u"importar"_s);
    m_import->setEnabled(false);
    QPushButton *cancel = buttons->addButton(u"Cancelar"_s, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"cancelar"_s);
    connect(m_import, &QPushButton::clicked, this, &ClassListImportDialog::runImport);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *sources = new QHBoxLayout;
    sources->addWidget(openFile);
    sources->addWidget(pasteButton);
    sources->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(sources);
    layout->addWidget(m_sourceLabel);
    layout->addWidget(m_notice);
    layout->addWidget(m_table, 1);
    layout->addWidget(new QLabel(u"Avisos sobre la lista:"_s, this));
    layout->addWidget(m_problems);
    layout->addWidget(m_cut);
    layout->addWidget(m_replace);
    layout->addWidget(buttons);
    resize(820, 640);

    m_gradeReadable = readGradeFile();
    refresh();
}

// The grade as it is now; nothing can be imported into a file that can't be read whole, or whose size is
// not a whole number of records (cut short, or not a grade file).
bool ClassListImportDialog::readGradeFile()
{
    const QFileInfo info(m_path);
    if (info.isFile() && info.size() % GradeFile::LongitudReg != 0) {
        m_gradeProblem =
            u"El archivo %1 mide %2 bytes, que no son registros completos de %3 bytes: puede estar "
            "dañado o no ser un archivo de grado. No se importará nada en él. Ábralo en la hoja del "
            "grado para revisarlo, o cópielo de su respaldo."_s.arg(info.fileName())
                .arg(info.size())
                .arg(GradeFile::LongitudReg);
        return false;
    }
    Roster roster;
    // A grade not begun: «Importar» creates its file, not the preview.
    if (!info.exists() && !info.isSymLink()) {
        m_roster = roster;
        m_gradeProblem.clear();
        return true;
    }
    if (const Result<void> loaded = GradeFile(m_path).loadRoster(roster); !loaded) {
        m_gradeProblem = describe(loaded.error()) + u" No se importará nada en él."_s;
        return false;
    }
    m_roster = roster;
    m_gradeProblem.clear();
    return true;
}

void ClassListImportDialog::chooseFile()
{
    const QString path =
        QFileDialog::getOpenFileName(this, u"Importar lista de alumnos"_s, QFileInfo(m_path).absolutePath(),
                                     u"Listas (*.csv *.txt);;Todos los archivos (*)"_s);
    if (!path.isEmpty())
        loadFile(path);
}

void ClassListImportDialog::paste() { loadText(QApplication::clipboard()->text()); }

void ClassListImportDialog::loadFile(const QString &path)
{
    QByteArray content;
    filesystem::Attributes attributes;
    bool missing = false;
    const QString name = QFileInfo(path).fileName();
    if (const filesystem::Status failed =
            filesystem::read(path, classlist::MaxBytes + 1, content, attributes, missing)) {
        m_list = ClassList{.failure = ClassListFailure::Empty};
        m_source = u"el archivo %1"_s.arg(name);
        m_sourceLabel->setText(u"No se pudo leer %1. No se importará nada."_s.arg(m_source));
        refresh();
        showMessage(
            describe(filestore::failure(Action::ReadClassList, path, *failed, filestore::Step::Read)));
        return;
    }
    if (missing) {
        showMessage(u"El archivo %1 ya no existe. Elija otro con «Abrir archivo CSV…»."_s.arg(name));
        return;
    }
    m_list = classlist::parseFile(content);
    m_source = u"el archivo %1"_s.arg(name);
    showList();
}

void ClassListImportDialog::loadText(const QString &text)
{
    m_list = classlist::parseClipboard(text);
    m_source = u"las celdas pegadas"_s;
    showList();
}

QString ClassListImportDialog::lineWord() const
{
    return m_list.encoding == TextEncoding::Clipboard ? u"Fila"_s : u"Línea"_s;
}

void ClassListImportDialog::showList()
{
    const QString file = m_source.first(1).toUpper() + m_source.sliced(1);
    if (m_list.failure) {
        switch (*m_list.failure) {
        case ClassListFailure::Utf16:
            m_sourceLabel->setText(
                u"%1 está guardado como texto Unicode (UTF-16), que no se puede importar. En Excel ábralo, "
                "elija «Guardar como», tipo «CSV UTF-8 (delimitado por comas)», e importe ese archivo."_s.arg(
                    file));
            break;
        case ClassListFailure::Empty:
            m_sourceLabel->setText(u"En %1 no hay ningún alumno: está vacío o solo tiene la fila de títulos. "
                                   "Revise que sea la lista correcta."_s.arg(m_source));
            break;
        case ClassListFailure::TooLarge:
            m_sourceLabel->setText(
                u"%1 mide más de 1 MB, y una lista de alumnos mide mucho menos: no parece una "
                "lista de alumnos. Revise que sea el archivo correcto."_s.arg(file));
            break;
        case ClassListFailure::NoNameColumn:
            m_sourceLabel->setText(
                u"En %1 la primera fila tiene títulos, pero ninguno es «Nombre». Titule «Nombre» la "
                "columna de los nombres (o quite la fila de títulos) e importe la lista de nuevo."_s.arg(
                    m_source));
            break;
        }
        m_sourceLabel->setText(m_sourceLabel->text() + u" No se importará nada."_s);
    } else {
        const QString encoding = encodingText(m_list);
        m_sourceLabel->setText(u"%1%2: %5, %4; columnas separadas por %3."_s.arg(
            file, encoding.isEmpty() ? QString() : u" (%1)"_s.arg(encoding), delimiterText(m_list.delimiter),
            m_list.header ? u"con fila de títulos"_s
                          : u"sin fila de títulos (la primera columna es el nombre)"_s,
            m_list.students.size() == 1 ? u"1 alumno"_s : u"%1 alumnos"_s.arg(m_list.students.size())));
    }
    const bool longNames =
        std::any_of(m_list.problems.begin(), m_list.problems.end(),
                    [](const ClassLineProblem &p) { return p.fault == ClassLineFault::NameTooLong; });
    m_cut->setEnabled(longNames);
    refresh();
}

void ClassListImportDialog::refresh()
{
    m_notice->setText(m_gradeProblem);
    m_notice->setVisible(!m_gradeProblem.isEmpty());

    m_usable.clear();
    for (const ImportedStudent &student : std::as_const(m_list.students))
        if (student.name.size() <= NameWidth || m_cut->isChecked())
            m_usable << student;
    m_placement = placeStudents(
        m_roster, m_usable, m_replace->isChecked() ? PlacementMode::Replace : PlacementMode::EmptySlotsOnly);

    int replaced = 0;
    std::array<const ImportedStudent *, Roster::LastSlot + 1> incoming{};
    for (const PlacedStudent &placed : std::as_const(m_placement.placed))
        incoming.at(std::size_t(placed.slot)) = &m_usable.at(placed.student);
    for (int slot = Roster::FirstSlot; slot <= Roster::LastSlot; ++slot) {
        const int row = slot - 1;
        const QString current = storedName(m_roster[slot]);
        const ImportedStudent *student = incoming.at(std::size_t(slot));
        QString state;
        if (!student)
            state = current.isEmpty() ? u"Vacío"_s : u"Sin cambio"_s;
        else if (current.isEmpty())
            state = u"Nuevo (línea %1)"_s.arg(student->line);
        else if (current.simplified().compare(student->name.left(NameWidth).simplified(),
                                              Qt::CaseInsensitive) == 0)
            state = u"Actualiza (línea %1)"_s.arg(student->line);
        else {
            state = u"Reemplaza al alumno actual y sus resultados (línea %1)"_s.arg(student->line);
            ++replaced;
        }
        if (m_list.encoding == TextEncoding::Clipboard)
            state.replace(u"línea"_s, u"fila"_s);
        const QStringList cells{QString::number(slot),
                                current,
                                student ? student->name.left(NameWidth) : QString(),
                                student ? student->age : QString(),
                                student ? sexLetter(student->sex) : QString(),
                                state};
        for (int column = 0; column < Columns; ++column)
            m_model->setItem(row, column, new QStandardItem(cells.at(column)));
    }
    m_table->resizeColumnsToContents();
    // Room for a whole name of the file, also before the list is there.
    const int nameWidth = m_table->fontMetrics().horizontalAdvance(QString(NameWidth - 4, u'n'));
    for (const int column : {1, 2})
        m_table->setColumnWidth(column, std::max(nameWidth, m_table->columnWidth(column)));

    QStringList lines;
    const QString word = lineWord();
    QList<std::pair<int, QString>> told; // by line, each told once
    for (const ClassLineProblem &problem : std::as_const(m_list.problems)) {
        const QString at = u"%1 %2: "_s.arg(word).arg(problem.line);
        switch (problem.fault) {
        case ClassLineFault::NameTooLong:
            lines
                << at + (m_cut->isChecked()
                             ? u"el nombre «%1» se importa cortado a 30 caracteres: «%2»."_s.arg(
                                   problem.detail, problem.detail.left(NameWidth))
                             : u"el nombre «%1» tiene %2 caracteres y el archivo del grado guarda 30. Marque "
                               "«Cortar a 30 caracteres» para importarlo cortado, o acórtelo en la lista."_s
                                   .arg(problem.detail)
                                   .arg(problem.detail.size()));
            break;
        case ClassLineFault::Unstorable:
            lines << at + u"el nombre tiene %1, que el archivo del grado no puede guardar. Corríjalo en la "
                          "lista e impórtela de nuevo."_s.arg(visibleCharacter(problem.detail));
            break;
        case ClassLineFault::MissingName: lines << at + u"tiene edad o sexo, pero no nombre."_s; break;
        case ClassLineFault::AgeNotANumber:
            lines << at + u"la edad «%1» no es un número de años."_s.arg(problem.detail);
            break;
        case ClassLineFault::UnknownSex:
            lines << at + u"el sexo «%1» no es H, M, Hombre ni Mujer."_s.arg(problem.detail);
            break;
        case ClassLineFault::TooManyColumns:
            lines << at + u"tiene %1 columnas, y una lista de alumnos tiene pocas; no se tomó. Revise esa "
                          "línea en la lista."_s.arg(problem.detail);
            break;
        case ClassLineFault::UnclosedQuote:
            lines
                << at + u"unas comillas (\") que abren aquí no se cierran, así que no se tomó nada desde "
                        "esta línea hasta el final. Corrija las comillas en la lista e impórtela de nuevo."_s;
            break;
        }
        told.push_back({problem.line, lines.takeLast()});
    }
    for (const PlacedStudent &there : std::as_const(m_placement.alreadyThere))
        told.push_back({m_usable.at(there.student).line,
                        u"%1 %2: «%3» ya está en el registro %4; no se importa de nuevo."_s.arg(word)
                            .arg(m_usable.at(there.student).line)
                            .arg(m_usable.at(there.student).name)
                            .arg(there.slot)});
    std::stable_sort(told.begin(), told.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (qsizetype i = 0; i < told.size() && i < ListedAtMost; ++i)
        lines << told.at(i).second;
    if (!m_placement.notFitting.isEmpty()) {
        QStringList names;
        for (const qsizetype index : std::as_const(m_placement.notFitting)) {
            if (names.size() >= ListedAtMost)
                break;
            names
                << u"%1 (%2 %3)"_s.arg(m_usable.at(index).name, word.toLower()).arg(m_usable.at(index).line);
        }
        const qsizetype count = m_placement.notFitting.size();
        QString fitting = count == 1 ? u"No cabe 1 alumno"_s : u"No caben %1 alumnos"_s.arg(count);
        fitting += m_replace->isChecked() ? u", porque el grado tiene 30 registros: "_s
                                          : u", porque no quedan registros vacíos: "_s;
        fitting += names.join(u", "_s);
        if (m_placement.notFitting.size() > names.size())
            fitting += u" y otros %1"_s.arg(m_placement.notFitting.size() - names.size());
        lines.prepend(fitting + u"."_s);
    }
    const qsizetype unlisted = told.size() - std::min(told.size(), ListedAtMost);
    if (unlisted > 0)
        lines << u"Y otras %1 líneas con problemas."_s.arg(unlisted);
    m_problems->setPlainText(lines.isEmpty() ? u"Ninguna."_s : lines.join(u'\n'));

    m_import->setEnabled(m_gradeReadable && !m_list.failure && !m_placement.placed.isEmpty());
    // The students replaced leave the grade file with their results: the button that confirms says so.
    m_import->setText(replaced == 0   ? u"&Importar"_s
                      : replaced == 1 ? u"&Importar y reemplazar a 1 alumno"_s
                                      : u"&Importar y reemplazar a %1 alumnos"_s.arg(replaced));
}

void ClassListImportDialog::runImport()
{
    // The worksheet holds the grade's lock while it is open: the import waits for no one, it is refused.
    GradeLock lock(m_path);
    const GradeLock::Outcome outcome = lock.acquire();
    const QString gradeFile = QFileInfo(m_path).fileName();
    if (outcome == GradeLock::Outcome::OpenHere) {
        QString text =
            u"No se importó la lista: el %1º grado está abierto en una hoja del programa MERLOX2 "
            "(archivo %2). Cierre allí la hoja del grado con «Salir» y oprima «Importar» de nuevo. No "
            "se cambió nada."_s.arg(m_grade)
                .arg(gradeFile);
        // A lock file beside the grade file may be left by a program that stopped: it can be deleted. This
        // machine's lock ends with its holder, so there is nothing to delete.
        if (lock.refusedBy() == lock.lockFileName())
            text += u" Si no hay ninguna hoja del programa abierta, borre el archivo %1 de la carpeta de los "
                    "archivos de los grados e intente de nuevo. La carpeta es:\n%2"_s.arg(
                        QFileInfo(lock.lockFileName()).fileName(),
                        QDir::toNativeSeparators(QFileInfo(lock.lockFileName()).absolutePath()));
        showMessage(text);
        return;
    }
    if (outcome == GradeLock::Outcome::OpenElsewhere) {
        showMessage(u"No se importó la lista: el %1º grado (archivo %2) está marcado como abierto en la "
                    "computadora «%3» desde el %4 a las %5. Termine allí su trabajo con «Salir» y oprima "
                    "«Importar» de nuevo. No se cambió nada."_s.arg(m_grade)
                        .arg(gradeFile, lock.otherMachine(), dateInWords(lock.lockedSince().date()),
                             timeInWords(lock.lockedSince().time())));
        return;
    }
    // What the preview showed must still be what the file holds.
    const Roster shown = m_roster;
    const bool wasReadable = m_gradeReadable;
    m_gradeReadable = readGradeFile();
    if (!m_gradeReadable || !wasReadable || !(m_roster == shown)) {
        refresh();
        showMessage(m_gradeReadable
                        ? u"El archivo %1 cambió desde que se preparó la vista previa (otra ventana "
                          "guardó alumnos). La vista previa ya muestra el archivo como está: revísela "
                          "y oprima «Importar» de nuevo. No se cambió nada."_s.arg(gradeFile)
                        : m_gradeProblem);
        return;
    }

    Roster roster = m_roster;
    QList<int> slots;
    QList<std::pair<int, Sex>> sexes;
    // A student kept whose name is written anew (another case, say) keeps the sex given to the old name.
    const Result<SexTable> oldSexes = SexFile::forGradeFile(m_path).read();
    for (const PlacedStudent &placed : std::as_const(m_placement.placed)) {
        const ImportedStudent &student = m_usable.at(placed.student);
        StudentRecord &record = roster[placed.slot];
        const QString name = student.name.left(NameWidth);
        const QString current = storedName(record);
        const bool sameStudent = current.simplified().compare(name.simplified(), Qt::CaseInsensitive) == 0;
        // Another student's results would be read as this one's.
        if (!current.isEmpty() && !sameStudent)
            for (const StudentRecord::Field field :
                 {StudentRecord::Resistencia, StudentRecord::Velocidad, StudentRecord::Lagartijas,
                  StudentRecord::Abdominales, StudentRecord::Sentadillas})
                (void)record.setField(field, u"");
        std::optional<Sex> sex = student.sex;
        if (!sex && sameStudent && oldSexes && SexFile::nameKey(record.field(StudentRecord::Nombre)) != name)
            sex = oldSexes.value().sexOf(placed.slot, record.field(StudentRecord::Nombre));
        if (sex)
            sexes << std::pair{placed.slot, *sex};
        (void)record.setField(StudentRecord::Nombre, name); // checked storable when the list was read
        if (!student.age.isEmpty() || !sameStudent)
            (void)record.setField(StudentRecord::Edad, student.age);
        slots << placed.slot;
    }
    if (const Result<void> stored = GradeFile(m_path).storeRecords(roster, slots); !stored) {
        showMessage(describe(stored.error()) + u" No se importó ningún alumno."_s);
        return;
    }
    lock.release();
    m_roster = roster;

    // One store per sex given, each under the sex file's own short lock; on a slow disk this takes a moment.
    QProgressDialog progress(u"Guardando el sexo de los alumnos…"_s, QString(), 0, int(sexes.size()), this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const SexFile sexFile = SexFile::forGradeFile(m_path);
    int done = 0;
    for (const auto &[slot, sex] : std::as_const(sexes)) {
        progress.setValue(done++);
        if (const Result<void> stored = sexFile.setSex(slot, sex, roster[slot].field(StudentRecord::Nombre));
            !stored) {
            m_laterFailure =
                u"Los alumnos se importaron en %1, pero no se guardó el sexo de todos: "_s.arg(gradeFile) +
                describe(stored.error()) + u" Después puede darlo en la columna Sexo."_s;
            break;
        }
    }
    progress.setValue(int(sexes.size()));
    m_summary =
        (slots.size() == 1 ? u"Se importó 1 alumno"_s : u"Se importaron %1 alumnos"_s.arg(slots.size())) +
        u" en el %1º grado (%2)."_s.arg(m_grade).arg(gradeFile);
    accept();
}

void ClassListImportDialog::showMessage(const QString &text)
{
    auto *box =
        new QMessageBox(QMessageBox::Warning, u"Importar lista de alumnos"_s, text, QMessageBox::Ok, this);
    box->setObjectName(u"mensaje"_s);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->button(QMessageBox::Ok)->setText(u"Aceptar"_s);
    box->open();
}

} // namespace merlox2
