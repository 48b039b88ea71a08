#pragma once

#include "evaluation/NormSets.h"
#include "forms/FormBuilder.h"
#include "records/GradeFile.h"
#include "records/GradeLock.h"
#include "records/Roster.h"
#include "screens/Screen.h"
#include "screens/WorksheetLayout.h"

#include <QRect>

#include <array>
#include <memory>

class QPainter;

namespace merlox2 {

class Clock;
class OptionButton;

// The screen of one grade: one student of the grade's roster at a time in seven boxes, the sex
// choice that arms the evaluation, and the commands that store, browse, clear, print and leave.
// The roster belongs to the program, not to the window, so closing the window loses nothing.
class Worksheet final : public Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Worksheet)
public:
    // Where a worksheet works: the program's screens, its clock and the folder of the grade files.
    struct Place {
        Screens &screens;
        const Clock &clock;
        QString dataFolder;
    };

    // Builds the worksheet and runs its load step. Returns nullptr, after telling the teacher why,
    // when the grade file can't be read or is open in another copy of the program.
    static std::unique_ptr<Worksheet> open(const WorksheetGrade &grade, Roster &roster, const Place &place);

    // A worksheet kept off screen that only draws evaluation sheets (the reports' «every sheet at once»): it
    // never locks, reads or writes the grade file or the sex file.
    static std::unique_ptr<Worksheet> forDrawing(const WorksheetGrade &grade, Roster &roster,
                                                 const Place &place);

    ~Worksheet() override;

    // The printed area in the screen's pixels, as «IMPRIMIR» gives it to the page.
    QRect sheetArea() const;
    // Draws the student of the slot, evaluated with the sex, as «IMPRIMIR» prints the sheet: sheetArea() at
    // the painter's origin, in the screen's pixels.
    void drawSheet(int slot, Sex sex, QPainter &painter);

    const WorksheetControls &controls() const { return m_ui; }

    // Whether the roster or the boxes hold work that the grade file does not have yet.
    bool hasUnstoredChanges() const;
    // Stores that work as "Salir" does: the boxes into their slot when they were changed, then the
    // whole roster. Nothing is asked or shown.
    Result<void> storeChanges();

    bool mayEndProgram() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Worksheet(const WorksheetGrade &grade, const std::vector<ControlRow> &controls, Roster &roster,
              const Place &place);

    bool lockGradeFile();
    bool Form_Load();
    void showToday(); // the date in its label
    void Update_Form();
    [[nodiscard]] bool Obtener_Datos(); // false, the teacher told why, when a box holds what the file can't
    // The seven boxes into the slot on screen, all or none: a box holding a character the grade file can't
    // hold refuses, and gets the focus.
    Result<void> boxesIntoSlot();
    bool boxesChangedSinceShown() const;
    // Asks whether to store the work not yet stored before it is thrown away; false to keep working.
    bool settleUnstoredChanges();
    void clearPanel();

    void cmdGuardarReg_Click();
    void cmdRegAnterior_Click();
    void cmdRegSiguiente_Click();
    void moveRecord(int step);
    void Command1_Click();
    void cmdRegresar_Click();
    void cmdSalir_Click();
    void Option_Click(OptionButton *chosen);
    void evaluate(Sex sex); // "Procesar" with the Hombre norms, "Datos" with the Mujer norms
    void showEvaluation(Sex sex);
    void rememberSex(Sex sex);
    void Command2_Click();
    void setPrinting(bool printing);

    const WorksheetGrade &m_grade;
    Roster &m_roster;
    Screens &m_screens;
    const Clock &m_clock;
    GradeFile m_file;
    GradeLock m_lock;
    const WorksheetControls m_ui = members<WorksheetControls>();

    // The name the layout gives it, without the m_ prefix.
    qint16 IndiceReg = 1; // NOLINT(readability-identifier-naming): the slot on screen, 1 to 30

    bool m_cleared = false; // "Borrar" since the record was shown

    // The roster as the grade file holds it, since the load or the last store: what a change is
    // measured against. The roster itself outlives the window, so it can't tell.
    Roster m_stored;
};

} // namespace merlox2
