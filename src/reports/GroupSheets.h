#pragma once

#include "platform/Printing.h"
#include "reports/GroupSummary.h"

#include <QObject>

#include <functional>
#include <optional>

class QAction;
class QPagedPaintDevice;
class QPainter;
class QRectF;
class QWidget;

namespace merlox2 {

class ReportsWindow;

// Draws the evaluation sheet of the student in the slot, evaluated with the sex, exactly as the worksheet
// prints it, scaled to the width of target at its top left. The reports never include the worksheet: the
// program sets this where it puts the two together (src/app/SheetBridge.cpp). Empty: no sheets to print.
using SheetRenderer = std::function<void(const GradeStudents &grade, int slot, Sex sex, QPainter &painter,
                                         const QRectF &target)>;
void setSheetRenderer(SheetRenderer renderer);
const SheetRenderer &sheetRenderer();

// The sheets of the students evaluated, one a page in slot order. progress(n) after the nth sheet; where it
// answers false the drawing stops and this returns false.
bool drawSheets(QPagedPaintDevice &pages, const GradeStudents &grade, const EvaluatedGrade &evaluated,
                const std::function<bool(int done)> &progress = {});

// The group's tools of the reports window, on the grade of the tab shown: «Resumen del grupo», «Imprimir
// todas las hojas» and «Guardar todas las hojas en PDF…», in the group menu and the tool bar.
class GroupReports : public QObject {
    Q_OBJECT

public:
    explicit GroupReports(ReportsWindow *window);

    QAction *summaryAction() const { return m_summary; }
    QAction *printSheetsAction() const { return m_printSheets; }
    QAction *saveSheetsAction() const { return m_saveSheets; }

    // The document's name in the printer's queue and the PDF's title: «Hojas de evaluación, 1º grado».
    static QString sheetsTitle(int grade);

private:
    struct Prepared {
        GradeStudents students;
        EvaluatedGrade evaluated;
    };
    // The grade shown, read afresh; told to the teacher and empty where there is nothing to print, or the
    // teacher chose not to print without the students left out.
    std::optional<Prepared> prepareSheets(const QString &doing);
    // The drawing of the sheets with a progress dialog; cancelled gives false.
    PageDrawer progressDrawer(const Prepared &prepared, bool &cancelled);
    void showSummary();
    void printSheets();
    void saveSheets();

    ReportsWindow *m_window;
    QAction *m_summary = nullptr;
    QAction *m_printSheets = nullptr;
    QAction *m_saveSheets = nullptr;
};

// The students a grade's reports leave out, one line each: «• Registro 4, Íñigo Muñoz: falta Lagartijas».
QString leftOutList(const QList<LeftOutStudent> &leftOut);

// The teacher's choice of where to save a file of the given suffix ("pdf", "xlsx"), starting from suggested;
// empty where cancelled. A name typed without a suffix gets it before the dialog asks about replacing a file,
// so the file it asks about is the one written.
QString chooseSavedFile(QWidget *parent, const QString &caption, const QString &suggested,
                        const QString &filter, const QString &suffix);
// The same, for a PDF.
QString chooseSavedPdf(QWidget *parent, const QString &caption, const QString &suggested);

} // namespace merlox2
