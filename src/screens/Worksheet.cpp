#include "screens/Worksheet.h"

#include "common/Clock.h"
#include "evaluation/EvaluationRule.h"
#include "forms/Controls.h"
#include "forms/MessageBox.h"
#include "forms/StorableTextValidator.h"
#include "platform/Printing.h"
#include "records/SexFile.h"
#include "records/Windows1252.h"
#include "screens/FailureText.h"
#include "screens/Screen.h"

#include <QCloseEvent>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPointer>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// The order in which the panel is emptied: percentages first, then levels.
constexpr std::array<int, OutputCount> ClearOrder{0, 2, 4, 5, 1, 3, 6, 7};

// What printing hides, in this order; shown again in the same order.
std::array<QWidget *, 13> hiddenWhilePrinting(const WorksheetControls &ui)
{
    return {ui.Frame1,          ui.Label9,      ui.Label10,  ui.cmdGuardarReg, ui.cmdRegAnterior,
            ui.cmdRegSiguiente, ui.cmdRegresar, ui.cmdSalir, ui.Command1,      ui.Command3,
            ui.Command4,        ui.Command2,    ui.Image1};
}

const char *ordinal(int grade)
{
    switch (grade) {
    case 1: return "1er";
    case 2: return "2º";
    default: return "3er";
    }
}

// A field as its text box shows it: a text box holds text only up to the first NUL, so a never-filled
// field shows empty.
QString shownText(const StudentRecord &record, int field)
{
    QString text = record.field(StudentRecord::Field(field));
    if (const qsizetype nul = text.indexOf(QChar(u'\0')); nul >= 0)
        text.truncate(nul);
    return text;
}

// Whether the teacher could tell two records apart: a field never filled (NULs) and a field of blanks
// both show as an empty box, so browsing past an empty slot, which fills it with blanks, changes nothing
// worth a question.
bool sameToTheEye(const StudentRecord &a, const StudentRecord &b)
{
    if (a == b)
        return true;
    for (int i = 0; i < StudentRecord::FieldCount; ++i) {
        QString left = shownText(a, i);
        QString right = shownText(b, i);
        while (left.endsWith(u' '))
            left.chop(1);
        while (right.endsWith(u' '))
            right.chop(1);
        if (left != right)
            return false;
    }
    return true;
}

} // namespace

Worksheet::Worksheet(const WorksheetGrade &grade, const std::vector<ControlRow> &controls, Roster &roster,
                     const Place &place)
    : Form(worksheetForm(grade, controls)), m_grade(grade), m_roster(roster), m_screens(place.screens),
      m_clock(place.clock), m_file(QDir(place.dataFolder).filePath(GradeFile::fileNameForGrade(grade.grade))),
      m_lock(m_file.path())
{
    for (QLineEdit *box : m_ui.boxes())
        StorableTextValidator::install(box, &Windows1252::canEncode);

    connect(m_ui.cmdGuardarReg, &QPushButton::clicked, this, &Worksheet::cmdGuardarReg_Click);
    connect(m_ui.cmdRegAnterior, &QPushButton::clicked, this, &Worksheet::cmdRegAnterior_Click);
    connect(m_ui.cmdRegSiguiente, &QPushButton::clicked, this, &Worksheet::cmdRegSiguiente_Click);
    connect(m_ui.Command1, &QPushButton::clicked, this, &Worksheet::Command1_Click);
    connect(m_ui.cmdRegresar, &QPushButton::clicked, this, &Worksheet::cmdRegresar_Click);
    connect(m_ui.cmdSalir, &QPushButton::clicked, this, &Worksheet::cmdSalir_Click);
    connect(m_ui.Command2, &QPushButton::clicked, this, &Worksheet::Command2_Click);
    connect(m_ui.Option1, &QAbstractButton::clicked, this, [this] { Option_Click(m_ui.Option1); });
    connect(m_ui.Option2, &QAbstractButton::clicked, this, [this] { Option_Click(m_ui.Option2); });
    connect(m_ui.Command3, &QAbstractButton::clicked, this, [this] { evaluate(Sex::Hombre); });
    connect(m_ui.Command4, &QAbstractButton::clicked, this, [this] { evaluate(Sex::Mujer); });
}

Worksheet::~Worksheet() = default;

std::unique_ptr<Worksheet> Worksheet::forDrawing(const WorksheetGrade &grade, Roster &roster,
                                                 const Place &place)
{
    return std::unique_ptr<Worksheet>(new Worksheet(grade, worksheetControls(grade), roster, place));
}

void Worksheet::showToday()
{
    // The system's short date, as the teacher reads dates on this computer.
    setCaption(m_ui.Label28, QLocale().toString(m_clock.now().date(), QLocale::ShortFormat));
}

QRect Worksheet::sheetArea() const
{
    return {0, 0, toPixels(WorksheetExtentWidth), toPixels(WorksheetExtentHeight)};
}

void Worksheet::drawSheet(int slot, Sex sex, QPainter &painter)
{
    IndiceReg = qint16(slot);
    showToday(); // the day it is drawn, as the worksheet opened today shows it
    Update_Form();
    clearPanel();
    (sex == Sex::Hombre ? m_ui.Option1 : m_ui.Option2)->setChecked(true);
    showEvaluation(sex);
    setPrinting(true);
    render(&painter, QPoint(), QRegion(sheetArea()), DrawWindowBackground | DrawChildren);
    setPrinting(false);
}

std::unique_ptr<Worksheet> Worksheet::open(const WorksheetGrade &grade, Roster &roster, const Place &place)
{
    std::unique_ptr<Worksheet> sheet(new Worksheet(grade, worksheetControls(grade), roster, place));
    if (!sheet->lockGradeFile() || !sheet->Form_Load())
        return nullptr;
    return sheet;
}

bool Worksheet::lockGradeFile()
{
    // Another copy of the program working on the same grade would overwrite this one's work on
    // leaving, so the grade is locked for as long as the worksheet is open.
    const QString grade = QLatin1StringView(ordinal(m_grade.grade));
    const QString gradeFile = QFileInfo(m_file.path()).fileName();
    GradeLock::Outcome outcome = m_lock.acquire();
    while (outcome == GradeLock::Outcome::OpenElsewhere) {
        const QDateTime since = m_lock.lockedSince();
        const QString question =
            u"El %1 grado (archivo %2) quedó marcado como abierto en la computadora «%3» el %4 a las %5. "
            "Si el programa MERLOX2 sigue abierto allí, conteste «No», termine allí su trabajo con «Salir» y "
            "vuelva a abrir el grado aquí: si el grado está abierto en las dos computadoras a la vez, una "
            "borrará lo que guarde la otra. ¿Ha comprobado que el programa ya no está abierto en «%3» y "
            "quiere abrir el grado aquí?"_s.arg(grade, gradeFile, m_lock.otherMachine(),
                                                dateInWords(since.date()), timeInWords(since.time()));
        if (!MessageBox::ask(nullptr, question))
            return false;
        outcome = m_lock.acquire(GradeLock::OtherMachine::Replace);
    }
    // Paths on a line of their own, at the end: a message box wraps a long line even inside a path.
    const QString lockFile = QFileInfo(m_lock.lockFileName()).fileName();
    const QString folder = QDir::toNativeSeparators(QFileInfo(m_lock.lockFileName()).absolutePath());
    switch (outcome) {
    case GradeLock::Outcome::OpenHere:
        if (m_lock.refusedBy() == m_lock.lockFileName()) {
            MessageBox::show(
                nullptr, u"El %1 grado ya está abierto en otra ventana del programa MERLOX2 (archivo %2). "
                         "Termine allí su trabajo con «Salir» y vuelva a abrir el grado. Si no hay otra "
                         "ventana del programa abierta, borre el archivo %3 de la carpeta de los archivos "
                         "de los grados e intente de nuevo. La carpeta es:\n%4"_s.arg(grade, gradeFile,
                                                                                      lockFile, folder));
        } else {
            // This machine's lock ends with the copy that holds it: deleting its file would not help.
            MessageBox::show(
                nullptr, u"El %1 grado ya está abierto en otra ventana del programa MERLOX2 en esta "
                         "computadora (archivo %2), quizá en otra cuenta de usuario o desde otra carpeta que "
                         "lleva al mismo archivo. Termine allí su trabajo con «Salir» y vuelva a abrir el "
                         "grado. Si esa ventana está en otra cuenta, entre en esa cuenta y oprima «Salir» "
                         "allí."_s.arg(grade, gradeFile));
        }
        return false;
    case GradeLock::Outcome::AcquiredLeftBehind:
        MessageBox::show(
            nullptr,
            u"En la carpeta de los archivos de los grados quedó el archivo %1, que marca el %2 grado "
            "como abierto, pero el programa que lo dejó ya no está abierto. No se puede borrar "
            "porque no se permite escribir en esa carpeta. El grado se abre de todos modos. Para "
            "que este aviso no vuelva a aparecer, haga que se pueda escribir en esa carpeta (o pida "
            "ayuda a quien cuida la computadora) y borre ese archivo. La carpeta es:\n%3"_s.arg(
                lockFile, grade, folder));
        return true;
    case GradeLock::Outcome::Acquired:
    case GradeLock::Outcome::OpenElsewhere: break;
    }
    return true;
}

void Worksheet::closeEvent(QCloseEvent *event)
{
    if (!settleUnstoredChanges()) {
        event->ignore();
        return;
    }
    // The window's close control discards the worksheet; its grade is free for another copy at once.
    m_lock.release();
    Form::closeEvent(event);
}

bool Worksheet::mayEndProgram() { return settleUnstoredChanges(); }

bool Worksheet::settleUnstoredChanges()
{
    if (!hasUnstoredChanges())
        return true;
    const QString question = u"¿Guardar los cambios de %1?"_s.arg(QFileInfo(m_file.path()).fileName());
    switch (MessageBox::askYesNoCancel(this, question)) {
    case MessageBox::Answer::Yes:
        if (const Result<void> stored = storeChanges(); !stored) {
            reportFailure(this, stored.error()); // the worksheet stays, so the teacher can try again
            return false;
        }
        return true;
    case MessageBox::Answer::No: return true;
    case MessageBox::Answer::Cancel: break;
    }
    return false;
}

bool Worksheet::Form_Load()
{
    showToday();
    IndiceReg = 1;
    if (const Result<void> loaded = m_file.loadRoster(m_roster); !loaded) {
        // Not opened at all, so that an empty roster can never be written over the file's students.
        reportFailure(nullptr, loaded.error());
        return false;
    }
    // An empty grade file leaves the roster as it was, so the roster may hold what the file does not.
    m_stored = QFileInfo(m_file.path()).size() > 0 ? m_roster : Roster{};
    Update_Form();
    return true;
}

void Worksheet::Update_Form()
{
    const StudentRecord &record = m_roster[IndiceReg];
    for (int i = 0; i < StudentRecord::BoxFieldCount; ++i) {
        QLineEdit *box = m_ui.boxes()[std::size_t(i)];
        box->setText(shownText(record, i));
        // Typing goes in front of the field's trailing blanks, so it lies within the field's width
        // and is stored; at the end it would be cut off.
        box->setCursorPosition(0);
    }
    m_cleared = false;
}

bool Worksheet::boxesChangedSinceShown() const
{
    if (m_cleared)
        return true;
    const auto boxes = m_ui.boxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i]->text() != shownText(m_roster[IndiceReg], int(i)))
            return true;
    }
    return false;
}

bool Worksheet::hasUnstoredChanges() const
{
    for (int n = Roster::FirstSlot; n <= Roster::LastSlot; ++n) {
        if (!sameToTheEye(m_roster[n], m_stored[n]))
            return true;
    }
    if (!boxesChangedSinceShown())
        return false;
    // Boxes that differ from what was shown may still hold what the slot holds (a record stored with
    // "Guardar Registro" shows its trailing blanks only once shown again).
    StudentRecord withBoxes = m_roster[IndiceReg];
    for (int i = 0; i < StudentRecord::BoxFieldCount; ++i) {
        if (!withBoxes.setField(StudentRecord::Field(i), m_ui.boxes()[std::size_t(i)]->text()))
            return true; // a character the file can't hold: certainly not stored
    }
    return !sameToTheEye(withBoxes, m_roster[IndiceReg]);
}

Result<void> Worksheet::storeChanges()
{
    // Untouched boxes are not stored, so that a slot whose bytes they can't show (NULs of a record
    // never filled) is written back as it was.
    if (boxesChangedSinceShown()) {
        if (Result<void> taken = boxesIntoSlot(); !taken)
            return taken;
    }
    if (Result<void> stored = m_file.storeRoster(m_roster); !stored)
        return stored;
    m_stored = m_roster;
    return {};
}

bool Worksheet::Obtener_Datos()
{
    if (const Result<void> taken = boxesIntoSlot(); !taken) {
        reportFailure(this, taken.error());
        return false;
    }
    return true;
}

Result<void> Worksheet::boxesIntoSlot()
{
    // All seven boxes or none, so that the slot never holds half of what is on screen.
    StudentRecord record = m_roster[IndiceReg];
    const std::array<FormLabel *, StudentRecord::BoxFieldCount> captions{
        m_ui.Label1, m_ui.Label2, m_ui.Label3, m_ui.Label4, m_ui.Label5, m_ui.Label6, m_ui.Label7};
    for (int i = 0; i < StudentRecord::BoxFieldCount; ++i) {
        QLineEdit *box = m_ui.boxes()[std::size_t(i)];
        if (const Result<void> set = record.setField(StudentRecord::Field(i), box->text()); !set) {
            Error refused = set.error();
            refused.subject = m_file.path();
            refused.place = captions[std::size_t(i)]->text();
            box->setFocus(); // the box the teacher has to correct
            return refused;
        }
    }
    m_roster[IndiceReg] = record;
    return {};
}

void Worksheet::clearPanel()
{
    for (int index : ClearOrder)
        setCaption(m_ui.panel()[std::size_t(index)], QString());
}

void Worksheet::cmdGuardarReg_Click()
{
    if (!Obtener_Datos())
        return;
    if (const Result<void> stored = m_file.storeRecord(m_roster, IndiceReg); !stored)
        reportFailure(this, stored.error());
    else
        m_stored[IndiceReg] = m_roster[IndiceReg];
}

void Worksheet::cmdRegAnterior_Click() { moveRecord(-1); }

void Worksheet::cmdRegSiguiente_Click() { moveRecord(+1); }

void Worksheet::moveRecord(int step)
{
    m_ui.txtNombre->setFocus();
    clearPanel();
    const int target = IndiceReg + step;
    if (target >= Roster::FirstSlot && target <= Roster::LastSlot) {
        if (!Obtener_Datos()) // the boxes go into the slot being left
            return;
        IndiceReg = qint16(target);
        Update_Form();
    }
    setCaption(m_ui.Label9, QString::number(IndiceReg));
}

void Worksheet::Command1_Click()
{
    for (QLineEdit *box : m_ui.boxes())
        box->setText(QString());
    m_cleared = true; // blanks, not the slot's NULs, once stored: a change even where the boxes were empty
    clearPanel();
    m_ui.txtNombre->setFocus();
}

void Worksheet::cmdRegresar_Click() { m_screens.open(Screen::Menu); }

void Worksheet::cmdSalir_Click()
{
    // The student on screen is kept too: a typed record must not be lost by the command that saves all.
    if (const Result<void> stored = storeChanges(); !stored) {
        reportFailure(this, stored.error()); // the worksheet stays, so the teacher can try again
        return;
    }
    m_screens.endProgram(); // the other grades' worksheets may still ask about their own changes
}

void Worksheet::Option_Click(OptionButton *chosen)
{
    clearPanel();
    if (!chosen->isChecked())
        return;
    OptionButton *other = chosen == m_ui.Option1 ? m_ui.Option2 : m_ui.Option1;
    other->setChecked(false);
    m_ui.Command3->setEnabled(chosen == m_ui.Option1);
    m_ui.Command4->setEnabled(chosen == m_ui.Option2);
}

void Worksheet::evaluate(Sex sex)
{
    showEvaluation(sex);
    m_ui.txtNombre->setFocus();
    rememberSex(sex);
}

void Worksheet::showEvaluation(Sex sex)
{
    const QString texts[] = {m_ui.txtresistencia->text(), m_ui.txtvelocidad->text(),
                             m_ui.txtlagartijas->text(), m_ui.txtabdominales->text(),
                             m_ui.txtsentadillas->text()};
    const Evaluation result =
        merlox2::evaluate(m_grade.grade, sex, {texts[0], texts[1], texts[2], texts[3], texts[4]});
    // Outputs produced before an early stop stand; the rest of the panel keeps what it showed.
    for (std::size_t i = 0; i < result.outputs.size(); ++i)
        setCaption(m_ui.panel()[i], result.outputs[i]);
}

void Worksheet::rememberSex(Sex sex)
{
    // For the reports, which evaluate the whole grade: the sex is kept beside the grade file for the name on
    // screen, and forgotten there once the slot holds another name. The teacher's work here never waits on
    // it: a sex file that can't be written is made whole by the next write, and the reports window says
    // what it could not read.
    const QString name = m_ui.txtNombre->text();
    if (name.trimmed().isEmpty())
        return;
    if (const Result<void> kept = SexFile::forGradeFile(m_file.path()).setSex(IndiceReg, sex, name); !kept)
        qWarning("The sex of record %d was not kept beside %s", int(IndiceReg), qPrintable(m_file.path()));
}

void Worksheet::setPrinting(bool printing)
{
    if (printing) {
        for (QWidget *control : hiddenWhilePrinting(m_ui))
            control->hide();
    }
    // Whitened options first, then the sheet; restored the other way round.
    const QColor background = printing ? QColor(Qt::white) : QColor(m_grade.background);
    if (!printing)
        setBackground(background);
    m_ui.Option1->setBackground(background);
    m_ui.Option2->setBackground(background);
    if (printing)
        setBackground(background);
    if (!printing) {
        for (QWidget *control : hiddenWhilePrinting(m_ui))
            control->show();
    }
}

void Worksheet::Command2_Click()
{
    // Hiding the button that has the focus would pass it on to a text box, which then selects its
    // text: the sheet would print with it highlighted. The focus comes back when printing is done.
    const QPointer<QWidget> focus = focusWidget();
    if (focus)
        focus->clearFocus();
    setPrinting(true);
    // The sheet as this screen draws it, smaller where the screen was scaled to fit: the page takes it
    // to the paper's width all the same.
    const Result<PrintedSheet> printed = printOnDefaultPrinter(this, sheetArea());
    setPrinting(false);
    if (focus)
        focus->setFocus();
    if (!printed)
        reportFailure(this, printed.error());
    else if (printed.value().printerStopped)
        MessageBox::show(this, describeWaitingSheet(printed.value()));
}

} // namespace merlox2
