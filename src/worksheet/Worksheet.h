#pragma once

#include "evaluation/NormSets.h"
#include "platform/FormBuilder.h"
#include "records/GradeFile.h"
#include "records/GradeLock.h"
#include "records/Roster.h"
#include "worksheet/WorksheetLayout.h"

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace merlox2 {

class OptionButton;
class ScreenRegistry;

// The screen of one grade: one student of the grade's roster at a time in seven boxes, the sex
// choice that arms the evaluation, and the commands that store, browse, clear, print and leave.
// The roster belongs to the program, not to the window, so closing the window loses nothing.
class Worksheet : public Form {
    Q_OBJECT
public:
    // Builds the worksheet and runs its load step. Returns nullptr, after telling the teacher why,
    // when the grade file can't be read or is open in another copy of the program.
    static Worksheet *open(const WorksheetGrade &grade, Roster &roster, ScreenRegistry &screens);

    ~Worksheet() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Worksheet(const WorksheetGrade &grade, const std::vector<ControlRow> &controls, Roster &roster,
              ScreenRegistry &screens);

    bool lockGradeFile();
    bool Form_Load();
    void Update_Form();
    void Obtener_Datos();
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
    GradeFile m_file;
    GradeLock m_lock;

    qint16 IndiceReg = 1; // the slot on screen, 1 to 30

    std::array<QLineEdit *, StudentRecord::BoxFieldCount> m_boxes{};
    std::array<QString, StudentRecord::BoxFieldCount> m_shown; // what Update_Form gave the boxes
    bool m_cleared = false;                                     // "Borrar" since then
    std::array<QLabel *, 8> m_panel{}; // in the order the rule writes it
    OptionButton *m_hombre = nullptr;
    OptionButton *m_mujer = nullptr;
    QPushButton *m_procesar = nullptr;
    QPushButton *m_datos = nullptr;
    QLabel *m_recordNumber = nullptr;
};

} // namespace merlox2
