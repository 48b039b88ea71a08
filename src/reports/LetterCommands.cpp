#include "reports/LetterCommands.h"

#include "platform/Printing.h"
#include "reports/GradeTableModel.h"
#include "reports/GroupSheets.h"
#include "reports/ReportDocument.h"
#include "reports/ReportMessage.h"
#include "reports/ReportsWindow.h"
#include "screens/FailureText.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

const QString SchoolKey = u"reportes/escuela"_s;
const QString TeacherKey = u"reportes/docente"_s;

// The program's own settings, as the window keeps its recent folders.
QSettings settings() { return {QSettings::NativeFormat, QSettings::UserScope, u"MERLOX2"_s, u"MERLOX2"_s}; }

} // namespace

SchoolDataDialog::SchoolDataDialog(QWidget *parent)
    : QDialog(parent), m_school(new QLineEdit(this)), m_teacher(new QLineEdit(this))
{
    setObjectName(u"dialogoDatosEscuela"_s);
    setWindowTitle(u"Datos de la escuela"_s);
    const LetterHeading saved = heading();
    m_school->setObjectName(u"nombreEscuela"_s);
    m_school->setAccessibleName(u"Nombre de la escuela"_s);
    m_school->setText(saved.school);
    m_teacher->setObjectName(u"nombreDocente"_s);
    m_teacher->setAccessibleName(u"Nombre del docente"_s);
    m_teacher->setText(saved.teacher);
    for (QLineEdit *edit : {m_school, m_teacher}) {
        edit->setMaxLength(120);
        edit->setMinimumWidth(fontMetrics().horizontalAdvance(QString(40, u'n')));
    }
    auto *explanation =
        new QLabel(u"Encabezan y firman las cartas para la familia. Si deja uno vacío, la carta "
                   "trae una línea para escribirlo a mano."_s,
                   this);
    explanation->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(u"Aceptar"_s);
    buttons->button(QDialogButtonBox::Cancel)->setText(u"Cancelar"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *form = new QFormLayout(this);
    form->addRow(explanation);
    form->addRow(u"&Escuela:"_s, m_school);
    form->addRow(u"&Docente:"_s, m_teacher);
    form->addRow(buttons);
}

LetterHeading SchoolDataDialog::heading()
{
    const QSettings stored = settings();
    return {stored.value(SchoolKey).toString(), stored.value(TeacherKey).toString(), QDate::currentDate()};
}

void SchoolDataDialog::accept()
{
    QSettings stored = settings();
    stored.setValue(SchoolKey, m_school->text().trimmed());
    stored.setValue(TeacherKey, m_teacher->text().trimmed());
    QDialog::accept();
}

FamilyLetters::FamilyLetters(ReportsWindow *window) : QObject(window), m_window(window)
{
    const auto action = [this](const QString &text, const QString &name, const QString &tip) {
        auto *created = new QAction(text, m_window);
        created->setObjectName(name);
        created->setStatusTip(tip);
        created->setToolTip(tip);
        return created;
    };
    m_one =
        action(u"Carta para la &familia…"_s, u"cartaFamilia"_s,
               u"Imprime o guarda en PDF la carta para la familia del alumno seleccionado: sus resultados, "
               "sus niveles y la siguiente meta"_s);
    m_one->setShortcut(Qt::CTRL | Qt::Key_L);
    m_one->setIcon(m_window->style()->standardIcon(QStyle::SP_FileIcon));
    connect(m_one, &QAction::triggered, this, &FamilyLetters::oneLetter);
    m_grade = action(u"Cartas de &todo el grado…"_s, u"cartasGrado"_s,
                     u"Imprime en un solo trabajo, o guarda en un solo PDF, la carta para la familia de cada "
                     "alumno del grado"_s);
    m_grade->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_L);
    connect(m_grade, &QAction::triggered, this, &FamilyLetters::gradeLetters);
    m_school = action(u"&Datos de la escuela…"_s, u"datosEscuela"_s,
                      u"El nombre de la escuela y el del docente, que llevan las cartas para la familia"_s);
    m_school->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_D);
    connect(m_school, &QAction::triggered, this, [this] {
        auto *dialog = new SchoolDataDialog(m_window);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });

    m_window->groupMenu()->addSeparator();
    m_window->groupMenu()->addActions({m_one, m_grade});
    m_window->insertFileAction(m_school);
    m_window->toolBar()->addAction(m_one);
}

void FamilyLetters::tell(const QString &text, bool warning) { showReportMessage(m_window, text, warning); }

std::optional<FamilyLetters::Destination> FamilyLetters::askDestination(const QString &question,
                                                                        const QString &details)
{
    QMessageBox ask(QMessageBox::Question, u"MERLOX2 REPORTES"_s, question, QMessageBox::NoButton, m_window);
    ask.setObjectName(u"destinoCartas"_s);
    ask.setInformativeText(details);
    QPushButton *print = ask.addButton(u"&Imprimir"_s, QMessageBox::AcceptRole);
    print->setObjectName(u"imprimirCartas"_s);
    QPushButton *pdf = ask.addButton(u"&Guardar en PDF…"_s, QMessageBox::AcceptRole);
    pdf->setObjectName(u"guardarCartas"_s);
    QPushButton *cancel = ask.addButton(u"Cancelar"_s, QMessageBox::RejectRole);
    cancel->setObjectName(u"cancelarCartas"_s);
    ask.setDefaultButton(print);
    ask.setEscapeButton(cancel);
    ask.exec();
    if (ask.clickedButton() == print)
        return Destination::Printer;
    if (ask.clickedButton() == pdf)
        return Destination::Pdf;
    return std::nullopt;
}

void FamilyLetters::oneLetter()
{
    const int grade = m_window->currentGrade();
    const QModelIndex selected = m_window->view(grade)->currentIndex();
    if (!selected.isValid()) {
        tell(u"Seleccione primero en la tabla del %1º grado al alumno de la carta."_s.arg(grade));
        return;
    }
    const int slot = m_window->proxy(grade)->mapToSource(selected).row() + 1;
    const Result<GradeStudents> students = readGradeStudents(grade, m_window->model(grade)->gradeFilePath());
    if (!students) {
        tell(describe(students.error()), true);
        return;
    }
    const EvaluatedGrade evaluated = evaluateGrade(students.value());
    for (const LeftOutStudent &student : evaluated.leftOut) {
        if (student.slot == slot)
            return tell(
                u"No se puede hacer la carta de %1 (registro %2): %3. Dé al alumno su sexo en la columna "
                "Sexo, o complete sus resultados en la hoja del grado."_s.arg(student.name)
                    .arg(slot)
                    .arg(student.reason));
    }
    const auto found =
        std::find_if(evaluated.students.cbegin(), evaluated.students.cend(),
                     [slot](const EvaluatedGrade::Student &student) { return student.slot == slot; });
    if (found == evaluated.students.cend()) {
        tell(u"El registro %1 del %2º grado no tiene alumno."_s.arg(slot).arg(grade));
        return;
    }
    const std::optional<Destination> destination =
        askDestination(u"Carta para la familia de %1 (%2º grado)."_s.arg(found->name).arg(grade),
                       u"¿Desea imprimirla en la impresora predeterminada o guardarla como documento PDF?"_s);
    if (!destination)
        return;
    deliver(*destination, {familyLetter(students.value(), *found)},
            u"Carta para la familia, %1"_s.arg(found->name),
            u"carta-%1-grado-registro-%2.pdf"_s.arg(grade).arg(slot));
}

void FamilyLetters::gradeLetters()
{
    const int grade = m_window->currentGrade();
    const Result<GradeStudents> students = readGradeStudents(grade, m_window->model(grade)->gradeFilePath());
    if (!students) {
        tell(describe(students.error()), true);
        return;
    }
    const EvaluatedGrade evaluated = evaluateGrade(students.value());
    if (evaluated.students.isEmpty()) {
        QString text = u"No hay cartas que hacer: ningún alumno del %1º grado tiene nombre, sexo y sus cinco "
                       "resultados."_s.arg(grade);
        if (!evaluated.leftOut.isEmpty())
            text += u"\n\n"_s + leftOutList(evaluated.leftOut);
        tell(text);
        return;
    }
    QString details;
    if (!evaluated.leftOut.isEmpty())
        details =
            u"Quedan fuera, porque su evaluación no está completa:\n"_s + leftOutList(evaluated.leftOut) +
            u"\n\nDé a cada uno su sexo en la columna Sexo, o complete sus resultados en la hoja del grado."
            "\n\n"_s;
    details +=
        u"¿Desea imprimirlas en la impresora predeterminada, en un solo trabajo, o guardarlas en un solo "
        "documento PDF?"_s;
    const std::optional<Destination> destination = askDestination(
        evaluated.students.size() == 1
            ? u"Carta para la familia del único alumno del %1º grado con su evaluación completa."_s.arg(grade)
            : u"Cartas para la familia de %1 alumnos del %2º grado, una por página."_s
                  .arg(evaluated.students.size())
                  .arg(grade),
        details);
    if (!destination)
        return;
    QList<FamilyLetter> letters;
    for (const EvaluatedGrade::Student &student : evaluated.students)
        letters << familyLetter(students.value(), student);
    deliver(*destination, letters, u"Cartas para la familia, %1º grado"_s.arg(grade),
            u"cartas-%1-grado.pdf"_s.arg(grade));
}

void FamilyLetters::deliver(Destination destination, const QList<FamilyLetter> &letters, const QString &title,
                            const QString &suggestedFile)
{
    QString path;
    if (destination == Destination::Pdf) {
        path = chooseSavedPdf(m_window, u"Guardar las cartas en PDF"_s,
                              QDir(m_window->folder()).filePath(suggestedFile));
        if (path.isEmpty())
            return;
    }
    const LetterHeading heading = SchoolDataDialog::heading();
    bool cancelled = false;
    const PageDrawer draw = [this, &letters, &heading, &cancelled](QPagedPaintDevice &pages) {
        QProgressDialog progress(u"Preparando las cartas para la familia…"_s, u"Cancelar"_s, 0,
                                 int(letters.size()), m_window);
        progress.setObjectName(u"progresoCartas"_s);
        progress.setWindowTitle(u"MERLOX2 REPORTES"_s);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(300);
        const bool drawn = drawFamilyLetters(pages, letters, heading, [&progress](int done) {
            progress.setValue(done);
            return !progress.wasCanceled();
        });
        cancelled = progress.wasCanceled();
        return drawn;
    };
    const bool one = letters.size() == 1;
    const QString count = one ? u"la carta"_s : u"%1 cartas"_s.arg(letters.size());
    if (destination == Destination::Printer) {
        const Result<PrintedSheet> printed = printPagesOnDefaultPrinter(title, draw);
        if (cancelled)
            return;
        if (!printed)
            return tell(describe(printed.error()), true);
        if (printed.value().printerStopped)
            tell(describeWaitingJob(printed.value(),
                                    (one ? u"la carta"_s : u"las %1 cartas"_s.arg(letters.size())) +
                                        u" para la familia"_s));
        m_window->statusBar()->showMessage((one ? u"Se envió %1 a la impresora %2."_s
                                                : u"Se enviaron %1 a la impresora %2 en un solo trabajo."_s)
                                               .arg(count, printed.value().printer),
                                           ReportStatusMs);
        return;
    }
    const QByteArray pdf = drawPdf(title, savedPageLayout(), draw);
    if (cancelled)
        return;
    const Result<void> saved =
        pdf.isEmpty() ? Result<void>(Error{
                            .action = Action::SaveDocumentPdf, .cause = Cause::Unexplained, .subject = path})
                      : savePdfFile(path, pdf);
    if (!saved)
        return tell(describe(saved.error()), true);
    m_window->statusBar()->showMessage((one ? u"Se guardó %1 en %2."_s : u"Se guardaron %1 en %2."_s)
                                           .arg(count, QDir::toNativeSeparators(path)),
                                       ReportStatusMs);
}

} // namespace merlox2
