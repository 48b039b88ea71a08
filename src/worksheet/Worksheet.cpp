#include "worksheet/Worksheet.h"

#include "evaluation/EvaluationRule.h"
#include "platform/Controls.h"
#include "platform/MessageBox.h"
#include "platform/Printing.h"
#include "platform/ScreenRegistry.h"
#include "platform/StorableTextValidator.h"
#include "records/Windows1252.h"

#include <QCloseEvent>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// The seven boxes in the order of the record's fields.
constexpr std::array<const char16_t *, StudentRecord::BoxFieldCount> BoxNames{
    u"txtNombre", u"txtedad", u"txtresistencia", u"txtvelocidad", u"txtlagartijas", u"txtabdominales",
    u"txtsentadillas"};

// The result panel in the order the evaluation writes it.
constexpr std::array<const char16_t *, OutputCount> PanelNames{u"Label11", u"Label23", u"Label12", u"Label24",
                                                               u"Label13", u"Label19", u"Label25", u"Label26"};

// The order in which the panel is emptied: percentages first, then levels.
constexpr std::array<int, OutputCount> ClearOrder{0, 2, 4, 5, 1, 3, 6, 7};

// What printing hides, in this order; shown again in the same order.
constexpr std::array<const char16_t *, 13> HiddenWhilePrinting{
    u"Frame1",         u"Label9",   u"Label10",  u"cmdGuardarReg", u"cmdRegAnterior",
    u"cmdRegSiguiente", u"cmdRegresar", u"cmdSalir", u"Command1",     u"Command3",
    u"Command4",       u"Command2", u"Image1"};

const char *ordinal(int grade)
{
    switch (grade) {
    case 1:
        return "1er";
    case 2:
        return "2º";
    default:
        return "3er";
    }
}

} // namespace

Worksheet::Worksheet(const WorksheetGrade &grade, const std::vector<ControlRow> &controls, Roster &roster,
                     ScreenRegistry &screens)
    : Form(worksheetForm(grade, controls)), m_grade(grade), m_roster(roster), m_screens(screens),
      m_file(GradeFile::fileNameForGrade(grade.grade)), m_lock(m_file.path())
{
    for (std::size_t i = 0; i < BoxNames.size(); ++i) {
        m_boxes[i] = control<QLineEdit>(BoxNames[i]);
        m_boxes[i]->setValidator(new StorableTextValidator(&Windows1252::canEncode, m_boxes[i]));
    }
    for (std::size_t i = 0; i < PanelNames.size(); ++i)
        m_panel[i] = control<QLabel>(PanelNames[i]);
    m_hombre = control<OptionButton>(u"Option1");
    m_mujer = control<OptionButton>(u"Option2");
    m_procesar = control<QPushButton>(u"Command3");
    m_datos = control<QPushButton>(u"Command4");
    m_recordNumber = control<QLabel>(u"Label9");

    const auto on = [this](QStringView name, void (Worksheet::*handler)()) {
        connect(control<QPushButton>(name), &QPushButton::clicked, this, handler);
    };
    on(u"cmdGuardarReg", &Worksheet::cmdGuardarReg_Click);
    on(u"cmdRegAnterior", &Worksheet::cmdRegAnterior_Click);
    on(u"cmdRegSiguiente", &Worksheet::cmdRegSiguiente_Click);
    on(u"Command1", &Worksheet::Command1_Click);
    on(u"cmdRegresar", &Worksheet::cmdRegresar_Click);
    on(u"cmdSalir", &Worksheet::cmdSalir_Click);
    on(u"Command2", &Worksheet::Command2_Click);
    connect(m_hombre, &QAbstractButton::clicked, this, [this] { Option_Click(m_hombre); });
    connect(m_mujer, &QAbstractButton::clicked, this, [this] { Option_Click(m_mujer); });
    connect(m_procesar, &QAbstractButton::clicked, this, [this] { evaluate(Sex::Hombre); });
    connect(m_datos, &QAbstractButton::clicked, this, [this] { evaluate(Sex::Mujer); });
}

Worksheet::~Worksheet() = default;

Worksheet *Worksheet::open(const WorksheetGrade &grade, Roster &roster, ScreenRegistry &screens)
{
    auto *sheet = new Worksheet(grade, worksheetControls(grade), roster, screens);
    if (!sheet->lockGradeFile() || !sheet->Form_Load()) {
        delete sheet;
        return nullptr;
    }
    return sheet;
}

bool Worksheet::lockGradeFile()
{
    // Another copy of the program working on the same grade would overwrite this one's work on
    // leaving, so the grade is locked for as long as the worksheet is open.
    const QString grade = QLatin1StringView(ordinal(m_grade.grade));
    GradeLock::Outcome outcome = m_lock.acquire();
    while (outcome == GradeLock::Outcome::OpenElsewhere) {
        const QDateTime since = m_lock.lockedSince();
        const QString question =
            u"El %1 grado (archivo %2) quedó marcado como abierto en la computadora «%3» el %4 a las %5. "
            "Si el programa MERLOX2 sigue abierto allí, conteste «No», termine allí su trabajo con «Salir» y "
            "vuelva a abrir el grado aquí: si el grado está abierto en las dos computadoras a la vez, una "
            "borrará lo que guarde la otra. ¿Ha comprobado que el programa ya no está abierto en «%3» y "
            "quiere abrir el grado aquí?"_s.arg(grade, m_file.path(), m_lock.otherMachine(),
                                                QLocale().toString(since.date(), QLocale::ShortFormat),
                                                QLocale().toString(since.time(), QLocale::ShortFormat));
        if (!MessageBox::ask(nullptr, question))
            return false;
        outcome = m_lock.acquire(GradeLock::OtherMachine::Replace);
    }
    const QString lockFile = QFileInfo(m_lock.lockFileName()).fileName();
    switch (outcome) {
    case GradeLock::Outcome::OpenHere: {
        const bool beside = m_lock.refusedBy() == m_lock.lockFileName();
        MessageBox::show(nullptr,
                         u"El %1 grado ya está abierto en otra ventana del programa MERLOX2 (archivo %2). "
                         "Termine allí su trabajo con «Salir» y vuelva a abrir el grado. Si no hay otra ventana "
                         "del programa abierta, borre el archivo %3 e intente de nuevo."_s
                             .arg(grade, m_file.path(),
                                  beside ? lockFile + u" de la carpeta del programa"_s
                                         : QDir::toNativeSeparators(m_lock.refusedBy())));
        return false;
    }
    case GradeLock::Outcome::AcquiredLeftBehind:
        MessageBox::show(nullptr,
                         u"En la carpeta del programa quedó el archivo %1, que marca el %2 grado como abierto, "
                         "pero el programa que lo dejó ya no está abierto. No se puede borrar porque no se "
                         "permite escribir en esa carpeta. El grado se abre de todos modos. Para que este aviso "
                         "no vuelva a aparecer, haga que se pueda escribir en la carpeta del programa (o pida "
                         "ayuda a quien cuida la computadora) y borre ese archivo."_s.arg(lockFile, grade));
        return true;
    case GradeLock::Outcome::Acquired:
    case GradeLock::Outcome::OpenElsewhere:
        break;
    }
    return true;
}

void Worksheet::closeEvent(QCloseEvent *event)
{
    // The window's close control discards the worksheet; its grade is free for another copy at once.
    m_lock.release();
    Form::closeEvent(event);
}

bool Worksheet::Form_Load()
{
    setCaption(control(u"Label28"), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    IndiceReg = 1;
    if (const Result<void> loaded = m_file.loadRoster(m_roster); !loaded) {
        // Not opened at all, so that an empty roster can never be written over the file's students.
        reportFailure(nullptr, loaded.error());
        return false;
    }
    IndiceReg = 1;
    Update_Form();
    return true;
}

void Worksheet::Update_Form()
{
    const StudentRecord &record = m_roster[IndiceReg];
    for (int i = 0; i < StudentRecord::BoxFieldCount; ++i) {
        QString text = record.field(StudentRecord::Field(i));
        // A text box holds text only up to the first NUL, so a never-filled field shows empty.
        if (const qsizetype nul = text.indexOf(QChar(u'\0')); nul >= 0)
            text.truncate(nul);
        QLineEdit *box = m_boxes[std::size_t(i)];
        box->setText(text);
        // Typing goes in front of the field's trailing blanks, so it lies within the field's width
        // and is stored; at the end it would be cut off.
        box->setCursorPosition(0);
        m_shown[std::size_t(i)] = text;
    }
    m_cleared = false;
}

bool Worksheet::boxesChangedSinceShown() const
{
    if (m_cleared)
        return true;
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        if (m_boxes[i]->text() != m_shown[i])
            return true;
    }
    return false;
}

void Worksheet::Obtener_Datos()
{
    StudentRecord &record = m_roster[IndiceReg];
    for (int i = 0; i < StudentRecord::BoxFieldCount; ++i)
        record.setField(StudentRecord::Field(i), m_boxes[std::size_t(i)]->text());
}

void Worksheet::clearPanel()
{
    for (int index : ClearOrder)
        setCaption(m_panel[std::size_t(index)], QString());
}

void Worksheet::cmdGuardarReg_Click()
{
    Obtener_Datos();
    if (const Result<void> stored = m_file.storeRecord(m_roster, IndiceReg); !stored)
        reportFailure(this, stored.error());
}

void Worksheet::cmdRegAnterior_Click()
{
    moveRecord(-1);
}

void Worksheet::cmdRegSiguiente_Click()
{
    moveRecord(+1);
}

void Worksheet::moveRecord(int step)
{
    m_boxes[0]->setFocus();
    clearPanel();
    const int target = IndiceReg + step;
    if (target >= Roster::FirstSlot && target <= Roster::LastSlot) {
        Obtener_Datos(); // the boxes go into the slot being left
        IndiceReg = qint16(target);
        Update_Form();
    }
    setCaption(m_recordNumber, QString::number(IndiceReg));
}

void Worksheet::Command1_Click()
{
    for (QLineEdit *box : m_boxes)
        box->setText(QString());
    m_cleared = true; // blanks, not the slot's NULs, once stored: a change even where the boxes were empty
    clearPanel();
    m_boxes[0]->setFocus();
}

void Worksheet::cmdRegresar_Click()
{
    m_screens.open(u"MENU"_s);
}

void Worksheet::cmdSalir_Click()
{
    // The student on screen is kept too: a typed record must not be lost by the command that saves all.
    // Untouched boxes are not stored, so that a slot whose bytes they can't show (NULs of a record
    // never filled) is written back as it was.
    if (boxesChangedSinceShown())
        Obtener_Datos();
    if (const Result<void> stored = m_file.storeRoster(m_roster); !stored) {
        reportFailure(this, stored.error()); // the worksheet stays, so the teacher can try again
        return;
    }
    m_screens.endProgram();
}

void Worksheet::Option_Click(OptionButton *chosen)
{
    clearPanel();
    if (!chosen->isChecked())
        return;
    OptionButton *other = chosen == m_hombre ? m_mujer : m_hombre;
    other->setChecked(false);
    m_procesar->setEnabled(chosen == m_hombre);
    m_datos->setEnabled(chosen == m_mujer);
}

void Worksheet::evaluate(Sex sex)
{
    const QString texts[] = {m_boxes[2]->text(), m_boxes[3]->text(), m_boxes[4]->text(), m_boxes[5]->text(),
                             m_boxes[6]->text()};
    const Evaluation result =
        merlox2::evaluate(m_grade.grade, sex, {texts[0], texts[1], texts[2], texts[3], texts[4]});
    // Outputs produced before an early stop stand; the rest of the panel keeps what it showed.
    for (std::size_t i = 0; i < result.outputs.size(); ++i)
        setCaption(m_panel[i], result.outputs[i]);
    m_boxes[0]->setFocus();
}

void Worksheet::setPrinting(bool printing)
{
    if (printing) {
        for (const char16_t *name : HiddenWhilePrinting)
            control(name)->hide();
    }
    // Whitened options first, then the sheet; restored the other way round.
    const QColor background = printing ? QColor(Qt::white) : QColor(m_grade.background);
    if (!printing)
        setBackground(background);
    m_hombre->setBackground(background);
    m_mujer->setBackground(background);
    if (printing)
        setBackground(background);
    if (!printing) {
        for (const char16_t *name : HiddenWhilePrinting)
            control(name)->show();
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
    const Result<void> printed = printOnDefaultPrinter(
        this, QRect(0, 0, twipsToPixels(WorksheetExtentWidth), twipsToPixels(WorksheetExtentHeight)));
    setPrinting(false);
    if (focus)
        focus->setFocus();
    if (!printed)
        reportFailure(this, printed.error());
}

} // namespace merlox2
