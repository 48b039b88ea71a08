#pragma once

#include "platform/Printing.h"
#include "reports/PeriodComparison.h"

#include <QDate>
#include <QMainWindow>
#include <QString>

#include <array>

class QLabel;
class QPainter;
class QRectF;
class QTableWidget;

namespace merlox2 {

// One side of a comparison: a kept period, or today's files.
struct ComparedSide {
    QString label;  // «Inicio 2026-2027», or «hoy»
    QString folder; // where its grade files are
    QDate date;
};

// One grade's comparison on a page: who, the periods, each student compared, the levels by sex then and now,
// and the students not compared.
void paintComparisonPage(QPainter &painter, const QRectF &area, const GradeComparison &grade,
                         const ComparedSide &then, const ComparedSide &now, const QString &folderName);

// «Comparar periodos»: a tab per grade with each student's results then and now, the change and its
// direction, the levels; the levels by sex side by side; the names not compared. Printed one page per grade,
// saved as PDF, or exported as a workbook of its own.
class ComparisonWindow : public QMainWindow {
    Q_OBJECT

public:
    ComparisonWindow(ComparedSide then, ComparedSide now, QString folder, QWidget *parent = nullptr);

    const QList<GradeComparison> &grades() const { return m_grades; }
    QTableWidget *studentTable(int grade) const { return m_students.at(std::size_t(grade - 1)); }
    QTableWidget *levelTable(int grade) const { return m_levels.at(std::size_t(grade - 1)); }
    QLabel *unmatchedList(int grade) const { return m_unmatched.at(std::size_t(grade - 1)); }
    QLabel *banner() const { return m_banner; }
    PageDrawer pageDrawer() const;
    QString title() const;

    // Without their dialogs: false, with the message shown, where the file could not be written.
    bool exportWorkbook(const QString &path);
    bool savePdf(const QString &path);

private:
    void load();
    QWidget *createTab(int grade);
    void fill(int grade);
    void print();
    void tell(const QString &text, bool failure);

    ComparedSide m_then;
    ComparedSide m_now;
    QString m_folder;
    QList<GradeComparison> m_grades;
    QStringList m_readFailures;
    std::array<QTableWidget *, 3> m_students{};
    std::array<QTableWidget *, 3> m_levels{};
    std::array<QLabel *, 3> m_unmatched{};
    QLabel *m_banner = nullptr;
};

} // namespace merlox2
