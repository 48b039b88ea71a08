#include "reports/SummaryDialog.h"

#include "reports/GroupSheets.h"
#include "reports/ReportDocument.h"
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

using namespace Qt::StringLiterals;

namespace merlox2 {

SummaryChart::SummaryChart(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"graficaResumen"_s);
    setAccessibleName(u"Gráfica de niveles por capacidad"_s);
    setMinimumSize(360, 220);
}

void SummaryChart::setSummary(const GroupSummary &summary)
{
    m_summary = summary;
    update();
}

QSize SummaryChart::sizeHint() const { return {560, 300}; }

void SummaryChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    paintSummaryChart(painter, QRectF(rect()).adjusted(6, 6, -6, -6), m_summary);
}

SummaryDialog::SummaryDialog(int grade, const QString &gradeFilePath, const QString &folder, QWidget *parent)
    : QDialog(parent), m_gradeFilePath(gradeFilePath), m_folder(folder)
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
        m_summary = summarize(evaluateGrade(students.value()), m_summary.grade);

    QStringList headers{u"Capacidad"_s, u"Alumnos"_s};
    for (int level = 0; level < GroupSummary::LevelCount; ++level)
        headers << u"Nivel "_s + GroupSummary::levelName(level);
    headers << u"Total"_s;
    m_table->setColumnCount(int(headers.size()));
    m_table->setHorizontalHeaderLabels(headers);
    m_table->setRowCount(GroupSummary::CapacityCount * 3);
    const int total = m_summary.evaluated();
    for (int capacity = 0; capacity < GroupSummary::CapacityCount; ++capacity) {
        const GroupSummary::Capacity &counts = m_summary.capacities.at(std::size_t(capacity));
        const std::array<std::tuple<QString, GroupSummary::Levels, int>, 3> rows{{
            {u"Hombres"_s, counts.hombres, m_summary.hombres},
            {u"Mujeres"_s, counts.mujeres, m_summary.mujeres},
            {u"Todos"_s, counts.together(), total},
        }};
        for (int r = 0; r < 3; ++r) {
            const int row = capacity * 3 + r;
            const auto &[who, levels, rowTotal] = rows.at(std::size_t(r));
            const auto put = [this, row](int column, const QString &text) {
                auto *item = new QTableWidgetItem(text);
                if (column >= 2)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                m_table->setItem(row, column, item);
            };
            put(0, r == 0 ? GroupSummary::capacityName(capacity) : QString());
            put(1, who);
            for (int level = 0; level < GroupSummary::LevelCount; ++level)
                put(2 + level, countAndShare(levels.at(std::size_t(level)), rowTotal));
            put(2 + GroupSummary::LevelCount, QString::number(rowTotal));
        }
    }
    m_table->resizeColumnsToContents();
    m_table->resizeRowsToContents();
    m_apart->setText(u"Alumnos evaluados: %1 (hombres: %2, mujeres: %3). Contados aparte: %4 sin sexo y %5 con "
                     "resultados incompletos."_s.arg(total)
                         .arg(m_summary.hombres)
                         .arg(m_summary.mujeres)
                         .arg(m_summary.withoutSex)
                         .arg(m_summary.incomplete));
    m_mean->setText(total == 0 ? u"Porcentaje promedio del grupo: sin alumnos evaluados."_s
                               : u"Porcentaje promedio del grupo: %1 %."_s.arg(
                                     QLocale(QLocale::Spanish, QLocale::Mexico)
                                         .toString(m_summary.meanPercentage, 'f', 1)));
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
    if (!printed)
        tell(describe(printed.error()), true);
    else if (printed.value().printerStopped)
        tell(describeWaitingSheet(printed.value()), false);
    else
        tell(u"El resumen se envió a la impresora %1."_s.arg(printed.value().printer), false);
}

void SummaryDialog::savePdf()
{
    const QString path = chooseSavedPdf(this, u"Guardar el resumen como PDF"_s,
                                        QDir(m_folder).filePath(u"resumen-%1-grado.pdf"_s.arg(m_summary.grade)));
    if (path.isEmpty())
        return;
    const QByteArray pdf = drawPdf(title(), savedPageLayout(), pageDrawer());
    const Result<void> saved =
        pdf.isEmpty()
            ? Result<void>(Error{.action = Action::SaveDocumentPdf, .cause = Cause::Unexplained, .subject = path})
            : savePdfFile(path, pdf);
    if (!saved)
        tell(describe(saved.error()), true);
    else
        tell(u"El resumen se guardó en:\n%1"_s.arg(QDir::toNativeSeparators(path)), false);
}

void SummaryDialog::tell(const QString &text, bool failure)
{
    auto *box = new QMessageBox(failure ? QMessageBox::Warning : QMessageBox::Information, windowTitle(), text,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->button(QMessageBox::Ok)->setText(u"Aceptar"_s);
    box->open();
}

} // namespace merlox2
