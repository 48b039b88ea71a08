#pragma once

#include "common/Error.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class QAction;

namespace merlox2 {

class ReportsWindow;
struct GradeSheet;

// «Exportar a Excel…» and «Exportar CSV…» of the reports window: the three grades as the window shows them
// (its order, its hidden slots), to a workbook the teacher names, or to one CSV file per grade in a folder
// the teacher chooses. Each file is written whole or not at all; the grade files are only read.
class ExportCommands : public QObject {
    Q_OBJECT

public:
    // One CSV file per grade, since a spreadsheet opens a CSV file as one sheet.
    static QString csvFileName(int grade);

    explicit ExportCommands(ReportsWindow *window);

    QAction *workbookAction() const { return m_workbookAction; }
    QAction *csvAction() const { return m_csvAction; }

    // The exports without their dialogs: false, with the message shown, where one failed.
    bool exportWorkbook(const QString &path);
    bool exportCsv(const QString &folder);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void chooseWorkbook();
    void chooseCsvFolder();
    // False, with the message shown, where a grade file could not be read: its table may be stale.
    bool takeSheets(std::array<GradeSheet, 3> &sheets);
    // Runs work away from the window, a progress dialog over it meanwhile.
    std::optional<Error> runWithProgress(const QString &label,
                                         const std::function<std::optional<Error>()> &work);
    void showFailure(const QString &text);
    void showDone(const QString &text);

    ReportsWindow *m_window;
    QAction *m_workbookAction;
    QAction *m_csvAction;
    bool m_busy = false;
};

} // namespace merlox2
