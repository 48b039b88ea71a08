#include "reports/GroupSheets.h"

#include "records/GradeFile.h"
#include "reports/GradeTableModel.h"
#include "reports/ReportDocument.h"
#include "reports/ReportMessage.h"
#include "reports/ReportsWindow.h"
#include "reports/SummaryDialog.h"
#include "screens/FailureText.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

SheetRenderer &installed()
{
    static SheetRenderer set;
    return set;
}

} // namespace

QString leftOutList(const QList<LeftOutStudent> &leftOut)
{
    QStringList lines;
    for (const LeftOutStudent &student : leftOut)
        lines << u"• Registro %1, %2: %3"_s.arg(student.slot).arg(student.name, student.reason);
    return lines.join(u'\n');
}

void setSheetRenderer(SheetRenderer renderer) { installed() = std::move(renderer); }

const SheetRenderer &sheetRenderer() { return installed(); }

bool drawSheets(QPagedPaintDevice &pages, const GradeStudents &grade, const EvaluatedGrade &evaluated,
                const std::function<bool(int done)> &progress)
{
    if (!installed() || evaluated.students.isEmpty())
        return false;
    QPainter painter;
    if (!painter.begin(&pages))
        return false;
    const QRectF page(0, 0, pages.width(), pages.height());
    int done = 0;
    for (const EvaluatedGrade::Student &student : evaluated.students) {
        if (done > 0 && !pages.newPage())
            return false;
        painter.save();
        installed()(grade, student.slot, student.sex, painter, page);
        painter.restore();
        ++done;
        if (progress && !progress(done))
            return false;
    }
    return painter.end();
}

GroupReports::GroupReports(ReportsWindow *window) : QObject(window), m_window(window)
{
    const auto action = [this](const QString &text, const QString &name, const QString &tip) {
        auto *created = new QAction(text, m_window);
        created->setObjectName(name);
        created->setStatusTip(tip);
        created->setToolTip(tip);
        return created;
    };
    m_summary = action(u"Resumen del &grupo"_s, u"resumenGrupo"_s,
                       u"Cuántos alumnos del grado hay en cada nivel, por sexo, con su gráfica"_s);
    m_summary->setShortcut(Qt::CTRL | Qt::Key_G);
    m_summary->setIcon(m_window->style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    connect(m_summary, &QAction::triggered, this, &GroupReports::showSummary);
    m_printSheets = action(u"&Imprimir todas las hojas"_s, u"imprimirHojas"_s,
                           u"Imprime la hoja de evaluación de cada alumno del grado en la impresora "
                           "predeterminada"_s);
    m_printSheets->setShortcut(QKeySequence::Print);
    connect(m_printSheets, &QAction::triggered, this, &GroupReports::printSheets);
    m_saveSheets = action(u"Guardar todas las &hojas en PDF…"_s, u"guardarHojas"_s,
                          u"Guarda la hoja de evaluación de cada alumno del grado en un documento PDF"_s);
    m_saveSheets->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
    connect(m_saveSheets, &QAction::triggered, this, &GroupReports::saveSheets);
    for (QAction *sheets : {m_printSheets, m_saveSheets})
        sheets->setEnabled(bool(sheetRenderer()));

    m_window->groupMenu()->addSeparator();
    m_window->groupMenu()->addActions({m_summary, m_printSheets, m_saveSheets});
    m_window->toolBar()->addSeparator();
    m_window->toolBar()->addActions({m_summary, m_printSheets});
}

QString GroupReports::sheetsTitle(int grade) { return u"Hojas de evaluación, %1º grado"_s.arg(grade); }

std::optional<GroupReports::Prepared> GroupReports::prepareSheets(const QString &doing)
{
    const int grade = m_window->currentGrade();
    Result<GradeStudents> students = readGradeStudents(grade, m_window->model(grade)->gradeFilePath());
    if (!students) {
        showReportMessage(m_window, describe(students.error()), true);
        return std::nullopt;
    }
    Prepared prepared{students.value(), evaluateGrade(students.value())};
    const EvaluatedGrade &evaluated = prepared.evaluated;
    if (evaluated.students.isEmpty()) {
        QString text = u"No hay hojas que %1: ningún alumno del %2º grado tiene nombre, sexo y sus cinco "
                       "resultados."_s.arg(doing)
                           .arg(grade);
        if (!evaluated.leftOut.isEmpty())
            text += u"\n\n"_s + leftOutList(evaluated.leftOut);
        showReportMessage(m_window, text);
        return std::nullopt;
    }
    if (!evaluated.leftOut.isEmpty()) {
        QMessageBox ask(
            QMessageBox::Question, u"MERLOX2 REPORTES"_s,
            u"Estos alumnos del %1º grado quedan fuera: su hoja no se puede evaluar."_s.arg(grade),
            QMessageBox::Ok | QMessageBox::Cancel, m_window);
        ask.setObjectName(u"alumnosFuera"_s);
        ask.setInformativeText(
            leftOutList(evaluated.leftOut) +
            u"\n\nDé a cada uno su sexo en la columna Sexo, o complete sus resultados en la "
            "hoja del grado. ¿Desea %1 las hojas de los otros %2 alumnos?"_s.arg(doing)
                .arg(evaluated.students.size()));
        ask.button(QMessageBox::Ok)->setText(doing.first(1).toUpper() + doing.sliced(1));
        ask.button(QMessageBox::Cancel)->setText(u"Cancelar"_s);
        if (ask.exec() != QMessageBox::Ok)
            return std::nullopt;
    }
    return prepared;
}

PageDrawer GroupReports::progressDrawer(const Prepared &prepared, bool &cancelled)
{
    return [this, &prepared, &cancelled](QPagedPaintDevice &pages) {
        QProgressDialog progress(u"Preparando las hojas de evaluación…"_s, u"Cancelar"_s, 0,
                                 int(prepared.evaluated.students.size()), m_window);
        progress.setObjectName(u"progresoHojas"_s);
        progress.setWindowTitle(u"MERLOX2 REPORTES"_s);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(300);
        const bool drawn = drawSheets(pages, prepared.students, prepared.evaluated, [&progress](int done) {
            progress.setValue(done);
            return !progress.wasCanceled();
        });
        cancelled = progress.wasCanceled();
        return drawn;
    };
}

void GroupReports::showSummary()
{
    const int grade = m_window->currentGrade();
    auto *dialog =
        new SummaryDialog(grade, m_window->model(grade)->gradeFilePath(), m_window->folder(), m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void GroupReports::printSheets()
{
    const std::optional<Prepared> prepared = prepareSheets(u"imprimir"_s);
    if (!prepared)
        return;
    bool cancelled = false;
    const Result<PrintedSheet> printed = printPagesOnDefaultPrinter(sheetsTitle(prepared->students.grade),
                                                                    progressDrawer(*prepared, cancelled));
    if (cancelled)
        return;
    if (!printed) {
        Error error = printed.error();
        error.action = Action::PrintGradeSheets;
        error.grade = prepared->students.grade;
        showReportMessage(m_window, describe(error), true);
        return;
    }
    if (printed.value().printerStopped)
        showReportMessage(m_window,
                          describeWaitingJob(printed.value(), u"las hojas de evaluación del %1º grado"_s.arg(
                                                                  prepared->students.grade)));
    m_window->statusBar()->showMessage(u"Se enviaron %1 hojas a la impresora %2 en un solo trabajo."_s
                                           .arg(prepared->evaluated.students.size())
                                           .arg(printed.value().printer),
                                       ReportStatusMs);
}

void GroupReports::saveSheets()
{
    const int grade = m_window->currentGrade();
    const QString path =
        chooseSavedPdf(m_window, u"Guardar todas las hojas en PDF"_s,
                       QDir(m_window->folder()).filePath(u"hojas-%1-grado.pdf"_s.arg(grade)));
    if (path.isEmpty())
        return;
    const std::optional<Prepared> prepared = prepareSheets(u"guardar"_s);
    if (!prepared)
        return;
    bool cancelled = false;
    const QByteArray pdf =
        drawPdf(sheetsTitle(grade), savedPageLayout(), progressDrawer(*prepared, cancelled));
    if (cancelled)
        return;
    const Result<void> saved =
        pdf.isEmpty() ? Result<void>(Error{
                            .action = Action::SaveDocumentPdf, .cause = Cause::Unexplained, .subject = path})
                      : savePdfFile(path, pdf);
    if (!saved) {
        showReportMessage(m_window, describe(saved.error()), true);
        return;
    }
    m_window->statusBar()->showMessage(
        u"Se guardaron %1 hojas en %2."_s.arg(prepared->evaluated.students.size())
            .arg(QDir::toNativeSeparators(path)),
        ReportStatusMs);
}

QString chooseSavedFile(QWidget *parent, const QString &caption, const QString &suggested,
                        const QString &filter, const QString &suffix)
{
    const QFileInfo start(suggested);
    QFileDialog dialog(parent, caption, start.absolutePath(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(start.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    QString path = dialog.selectedFiles().constFirst();
    // Another suffix typed ("notas.v2"): the file still gets its own, so that it opens where it should.
    if (QFileInfo(path).suffix().compare(suffix, Qt::CaseInsensitive) != 0)
        path += u'.' + suffix;
    return path;
}

QString chooseSavedPdf(QWidget *parent, const QString &caption, const QString &suggested)
{
    return chooseSavedFile(parent, caption, suggested, u"Documentos PDF (*.pdf)"_s, u"pdf"_s);
}

} // namespace merlox2
