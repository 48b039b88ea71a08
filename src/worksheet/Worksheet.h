#pragma once

#include "evaluation/NormSets.h"
#include "platform/FormBuilder.h"
#include "records/GradeFile.h"
#include "records/GradeLock.h"
#include "records/Roster.h"
#include "worksheet/WorksheetLayout.h"

#include <array>
#include <memory>

namespace merlox2 {

class Clock;
class OptionButton;
class ScreenRegistry;

// The screen of one grade: one student of the grade's roster at a time in seven boxes, the sex
// choice that arms the evaluation, and the commands that store, browse, clear, print and leave.
// The roster belongs to the program, not to the window, so closing the window loses nothing.
class Worksheet final : public Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Worksheet)
public:
    // Where a worksheet works: the program's screens, its clock and the folder of the grade files.
    struct Place {
        ScreenRegistry &screens;
        const Clock &clock;
        QString dataFolder;
    };

    // Builds the worksheet and runs its load step. Returns nullptr, after telling the teacher why,
    // when the grade file can't be read or is open in another copy of the program.
    static std::unique_ptr<Worksheet> open(const WorksheetGrade &grade, Roster &roster, const Place &place);

    ~Worksheet() override;

    const WorksheetControls &controls() const { return m_ui; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Worksheet(const WorksheetGrade &grade, const std::vector<ControlRow> &controls, Roster &roster,
              const Place &place);

    bool lockGradeFile();
    bool Form_Load();
    void Update_Form();
    [[nodiscard]] bool Obtener_Datos(); // false, the teacher told why, when a box holds what the file can't
    bool boxesChangedSinceShown() const;
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
    void Command2_Click();
    void setPrinting(bool printing);

    const WorksheetGrade &m_grade;
    Roster &m_roster;
    ScreenRegistry &m_screens;
    const Clock &m_clock;
    GradeFile m_file;
    GradeLock m_lock;
    const WorksheetControls m_ui = members<WorksheetControls>();

    qint16 IndiceReg = 1; // the slot on screen, 1 to 30

    bool m_cleared = false; // "Borrar" since the record was shown
};

} // namespace merlox2
