#pragma once

#include "records/PeriodStore.h"

#include <QDialog>
#include <QMainWindow>
#include <QObject>
#include <QString>

#include <array>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;

namespace merlox2 {

class ComparisonWindow;
class GradeTableModel;
class ReportsWindow;

// «Cerrar periodo…»: the name, proposed from today's date and checked as it is typed.
class ClosePeriodDialog : public QDialog {
    Q_OBJECT

public:
    ClosePeriodDialog(const PeriodStore &store, QDate today, QWidget *parent = nullptr);
    QLineEdit *nameEdit() const { return m_name; }
    QLabel *problem() const { return m_problem; }
    QPushButton *closeButton() const { return m_close; }

private:
    void check();

    const PeriodStore &m_store;
    QLineEdit *m_name;
    QLabel *m_problem;
    QPushButton *m_close;
};

// A kept period's three grades as tables, as the reports window shows today's: nothing in it can be changed.
// A window of its own rather than the reports window's tables, so that none of that window's tools (sex,
// import, export, printing every sheet) can reach a kept period's files.
class PeriodWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit PeriodWindow(const Period &period, QWidget *parent = nullptr);
    const Period &period() const { return m_period; }
    GradeTableModel *model(int grade) const { return m_models.at(std::size_t(grade - 1)); }
    QTableView *view(int grade) const { return m_views.at(std::size_t(grade - 1)); }
    QLabel *banner() const { return m_banner; }

private:
    void showBanner();

    Period m_period;
    std::array<GradeTableModel *, 3> m_models{};
    std::array<QTableView *, 3> m_views{};
    QLabel *m_banner = nullptr;
};

// The «Periodos» menu of the reports window: close a period, open one kept, compare two.
class PeriodCommands : public QObject {
    Q_OBJECT

public:
    explicit PeriodCommands(ReportsWindow *window);

    QMenu *menu() const { return m_menu; }
    QAction *closeAction() const { return m_closeAction; }
    QAction *openAction() const { return m_openAction; }
    QAction *compareAction() const { return m_compareAction; }

    // The commands once their dialogs are answered; false where nothing was done (the message is shown).
    bool closePeriod(const QString &name);
    PeriodWindow *openPeriod(const Period &period);
    // then: a kept period; now: another, or none for today's files.
    ComparisonWindow *compare(const Period &then, const std::optional<Period> &now);

private:
    PeriodStore store() const;
    void askClose();
    void chooseOpen();
    void chooseCompare();
    void tell(const QString &text, bool failure);

    ReportsWindow *m_window;
    QMenu *m_menu;
    QAction *m_closeAction;
    QAction *m_openAction;
    QAction *m_compareAction;
    std::unique_ptr<PeriodStore> m_askedStore; // the store the open close dialog checks names against
};

} // namespace merlox2
