#include "reports/SummaryDialog.h"

#include "reports/GroupSheets.h"
#include "reports/ReportDocument.h"
#include "reports/ReportMessage.h"
#include "screens/FailureText.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::StringLiterals;

namespace merlox2 {

SummaryChart::SummaryChart(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"graficaResumen"_s);
    setAccessibleName(u"Gráfica de niveles por capacidad"_s);
    setMinimumSize(360, 220);
}

void SummaryChart::setSummary(const ClassSummary &summary)
{
    m_summary = summary;
    update();
}

QSize SummaryChart::sizeHint() const { return {560, 300}; }

void SummaryChart::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    paintSummaryChart(painter, QRectF(rect()).adjusted(6, 6, -6, -6), m_summary);
}

SummaryDialog::SummaryDialog(int grade, QString gradeFilePath, QString folder, QWidget *parent)
    : QDialog(parent), m_gradeFilePath(std::move(gradeFilePath)), m_folder(std::move(folder))
{
    m_summary.grade = grade;
    setObjectName(u"resumenDelGrupo"_s);
    setWindowTitle(u"Resumen del grupo — %1º grado"_s.arg(grade));
    m_table = new QTableWidget(this);
    m_table->setObjectName(u"tablaResumen"_s);
    m_table->setAccessibleName(u"Alumnos en cada nivel"_s);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_chart = new SummaryChart(this);
    m_apart = new QLabel(this);
    m_apart->setObjectName(u"contadosAparte"_s);
    m_mean = new QLabel(this);
    m_mean->setObjectName(u"porcentajePromedio"_s);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *save = buttons->addButton(u"&Guardar como PDF…"_s, QDialogButtonBox::ActionRole);
    save->setObjectName(u"guardarPdf"_s);
    QPushButton *printButton = buttons->addButton(u"&Imprimir"_s, QDialogButtonBox::ActionRole);
    printButton->setObjectName(u"imprimir"_s);
    QPushButton *close = buttons->addButton(u"&Cerrar"_s, QDialogButtonBox::RejectRole);
    close->setObjectName(u"cerrar"_s);
    connect(save, &QPushButton::clicked, this, &SummaryDialog::savePdf);
    connect(printButton, &QPushButton::clicked, this, &SummaryDialog::print);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 3);
    layout->addWidget(m_apart);
    layout->addWidget(m_mean);
    layout->addWidget(m_chart, 2);
    layout->addWidget(buttons);
    fill();
    resize(760, 720);
}

QString SummaryDialog::title() const { return u"Resumen del grupo, %1º grado"_s.arg(m_summary.grade); }

void SummaryDialog::fill()
{
    const Result<GradeStudents> students = readGradeStudents(m_summary.grade, m_gradeFilePath);
    if (!students)
        tell(describe(students.error()), true);
    else
        m_summary = summarize(m_summary.grade, students.value().roster, students.value().sexes);

    const QStringList headers = summaryHeaders();
    m_table->setColumnCount(int(headers.size()));
    m_table->setHorizontalHeaderLabels(headers);
    m_table->setRowCount(CapacityCount * SexColumnCount);
    for (int capacity = 0; capacity < CapacityCount; ++capacity) {
        for (int sex = 0; sex < SexColumnCount; ++sex) {
            const QStringList cells = summaryRow(m_summary, Capacity(capacity), SexColumn(sex));
            for (int column = 0; column < int(cells.size()); ++column) {
                auto *item = new QTableWidgetItem(cells.at(column));
                if (column >= 2)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                if (SexColumn(sex) == SexColumn::Todos) {
                    QFont font = item->font();
                    font.setBold(true);
                    item->setFont(font);
                }
                m_table->setItem(capacity * SexColumnCount + sex, column, item);
            }
        }
    }
    m_table->resizeColumnsToContents();
    m_table->resizeRowsToContents();
    const QStringList sentences = summarySentences(m_summary);
    m_apart->setText(sentences.mid(0, 2).join(u' '));
    m_apart->setWordWrap(true);
    m_mean->setText(sentences.last());
    m_chart->setSummary(m_summary);
}

PageDrawer SummaryDialog::pageDrawer() const
{
    return [summary = m_summary, folder = QFileInfo(m_folder).fileName()](QPagedPaintDevice &page) {
        QPainter painter;
        if (!painter.begin(&page))
            return false;
        paintSummaryPage(painter, QRectF(0, 0, page.width(), page.height()), summary, folder,
                         QDate::currentDate());
        return painter.end();
    };
}

void SummaryDialog::print()
{
    const Result<PrintedSheet> printed = printPagesOnDefaultPrinter(title(), pageDrawer());
    if (!printed) {
        Error error = printed.error();
        error.action = Action::PrintSummary;
        tell(describe(error), true);
    } else if (printed.value().printerStopped)
        tell(describeWaitingJob(printed.value(), u"el resumen del %1º grado"_s.arg(m_summary.grade)), false);
    else
        tell(u"El resumen se envió a la impresora %1."_s.arg(printed.value().printer), false);
}

void SummaryDialog::savePdf()
{
    const QString path =
        chooseSavedPdf(this, u"Guardar el resumen como PDF"_s,
                       QDir(m_folder).filePath(u"resumen-%1-grado.pdf"_s.arg(m_summary.grade)));
    if (path.isEmpty())
        return;
    const QByteArray pdf = drawPdf(title(), savedPageLayout(), pageDrawer());
    const Result<void> saved =
        pdf.isEmpty() ? Result<void>(Error{
                            .action = Action::SaveDocumentPdf, .cause = Cause::Unexplained, .subject = path})
                      : savePdfFile(path, pdf);
    if (!saved)
        tell(describe(saved.error()), true);
    else
        tell(u"El resumen se guardó en:\n%1"_s.arg(QDir::toNativeSeparators(path)), false);
}

void SummaryDialog::tell(const QString &text, bool failure)
{
    showReportMessage(this, text, failure, windowTitle());
}

} // namespace merlox2
