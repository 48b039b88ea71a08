#pragma once

#include "platform/Printing.h"
#include "reports/ClassSummary.h"

#include <QDialog>
#include <QWidget>

class QLabel;
class QTableWidget;

namespace merlox2 {

// The stacked bars of a summary, drawn as the page draws them.
class SummaryChart : public QWidget {
    Q_OBJECT

public:
    explicit SummaryChart(QWidget *parent = nullptr);
    void setSummary(const ClassSummary &summary);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ClassSummary m_summary;
};

// «Resumen del grupo»: the counts and shares of one grade's levels, by sex and together, those counted apart,
// the group's mean percentage and the chart; printed on one page, or saved as PDF.
class SummaryDialog : public QDialog {
    Q_OBJECT

public:
    SummaryDialog(int grade, QString gradeFilePath, QString folder, QWidget *parent = nullptr);

    const ClassSummary &summary() const { return m_summary; }
    QTableWidget *table() const { return m_table; }
    // The page's drawing, for the printer and the PDF alike.
    PageDrawer pageDrawer() const;
    QString title() const;

private:
    void fill();
    void print();
    void savePdf();
    void tell(const QString &text, bool failure);

    ClassSummary m_summary;
    QString m_gradeFilePath;
    QString m_folder;
    QTableWidget *m_table = nullptr;
    SummaryChart *m_chart = nullptr;
    QLabel *m_apart = nullptr;
    QLabel *m_mean = nullptr;
};

} // namespace merlox2
