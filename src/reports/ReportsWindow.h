#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>

class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class QTableView;
class QToolBar;

namespace merlox2 {

class ExportCommands;
class GradeTableModel;
class GradeTableProxy;
class GroupReports;
class PeriodCommands;

// "MERLOX2 REPORTES": the three grades of one folder as tables, an ordinary Qt window beside the fixed
// screens. It shows what the grade files hold and follows them; of the students it changes only the sex,
// kept beside each grade file. Another folder may be opened in its place; the last ones are remembered.
class ReportsWindow : public QMainWindow {
    Q_OBJECT

public:
    // How many folders «Carpetas recientes» keeps.
    static constexpr int RecentFolderCount = 5;

    explicit ReportsWindow(const QString &folder, QWidget *parent = nullptr);

    const QString &folder() const { return m_folder; }
    // Shows the grade files of another folder in place of these, and remembers it. False, with a message,
    // where it is not a folder.
    bool openFolder(const QString &folder);
    // The folders remembered, the last opened first.
    static QStringList recentFolders();

    int currentGrade() const;
    GradeTableModel *model(int grade) const { return tab(grade).model; }
    // A grade's table is made when its tab is first shown or asked for here, so that the window opens on
    // three full grades as fast as on one.
    GradeTableProxy *proxy(int grade) { return builtTab(grade).proxy; }
    QTableView *view(int grade) { return builtTab(grade).view; }
    // What could not be read of the grade's files, above its table; hidden when there is nothing to say.
    QLabel *banner(int grade) { return builtTab(grade).banner; }
    QLabel *statusLine() const { return m_status; }

    // Where the window's later tools go: the folder's actions (export, import) in fileMenu() before the
    // separator above «Salir» (insertFileAction), the group's (summary, every sheet) in groupMenu(); both
    // may join the tool bar.
    QMenu *fileMenu() const { return m_fileMenu; }
    QMenu *groupMenu() const { return m_groupMenu; }
    QToolBar *toolBar() const { return m_toolBar; }
    void insertFileAction(QAction *action);
    GroupReports *groupReports() const { return m_groupReports; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct GradeTab {
        GradeTableModel *model = nullptr;
        GradeTableProxy *proxy = nullptr;
        QTableView *view = nullptr;
        QLabel *banner = nullptr;
        bool columnsToFit = false; // the columns are fitted to the cells when the tab is next shown
    };

    const GradeTab &tab(int grade) const { return m_tabs.at(std::size_t(grade - 1)); }
    GradeTab &builtTab(int grade);
    void createActions();
    void createTable(int grade);
    void loadFolder(const QString &folder);
    void fitColumns(int grade);
    void showFileProblems(int grade);
    void updateStatus();
    void chooseFolder();
    void openRecentFolder(const QString &folder);
    void rememberFolder(const QString &folder);
    void forgetFolder(const QString &folder);
    void fillRecentMenu();
    void reloadAll();
    bool setSexFromKey(QTableView *table, const QString &sex);
    void reportNotStored(GradeTableModel *model);
    void showMessage(const QString &text);

    QString m_folder;
    std::array<GradeTab, 3> m_tabs;
    QTabWidget *m_tabWidget = nullptr;
    QMenu *m_fileMenu = nullptr;
    QMenu *m_groupMenu = nullptr;
    QMenu *m_recentMenu = nullptr;
    QToolBar *m_toolBar = nullptr;
    QAction *m_quitSeparator = nullptr;
    QAction *m_showEmpty = nullptr;
    QLabel *m_status = nullptr;
    GroupReports *m_groupReports = nullptr;
    ExportCommands *m_export = nullptr;
    PeriodCommands *m_periods = nullptr; // the «Periodos» menu
};

// Asks the access code and, given it, opens the reports window on the grade files of folder, as
// `merlox2 --reportes` does instead of the access screen. False where the teacher cancelled: nothing opened.
bool openReportsWindow(const QString &folder);

} // namespace merlox2
