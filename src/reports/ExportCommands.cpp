#include "reports/ExportCommands.h"

#include "reports/GradeExport.h"
#include "reports/GradeTableModel.h"
#include "reports/GroupSheets.h"
#include "reports/ReportMessage.h"
#include "reports/ReportsWindow.h"
#include "screens/FailureText.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QThread>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

const QString FolderKey = u"reportes/carpetaExportar"_s;

// How long an export may take before its progress shows: most are over before the teacher would see it.
constexpr int ProgressAfterMs = 400;

} // namespace

QString ExportCommands::csvFileName(int grade) { return u"calificaciones-grado%1.csv"_s.arg(grade); }

ExportCommands::ExportCommands(ReportsWindow *window)
    : QObject(window), m_window(window), m_workbookAction(new QAction(u"Exportar a &Excel…"_s, window)),
      m_csvAction(new QAction(u"Exportar &CSV…"_s, window))
{
    m_workbookAction->setObjectName(u"exportarExcel"_s);
    m_workbookAction->setShortcut(Qt::CTRL | Qt::Key_E);
    m_workbookAction->setIcon(window->style()->standardIcon(QStyle::SP_DialogSaveButton));
    const QString workbookTip = u"Guarda los tres grados y su resumen en un libro de Excel (.xlsx)"_s;
    m_workbookAction->setStatusTip(workbookTip);
    m_workbookAction->setToolTip(workbookTip);
    connect(m_workbookAction, &QAction::triggered, this, &ExportCommands::chooseWorkbook);

    m_csvAction->setObjectName(u"exportarCsv"_s);
    m_csvAction->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_E);
    const QString csvTip = u"Guarda cada grado en un archivo CSV, en la carpeta que usted elija"_s;
    m_csvAction->setStatusTip(csvTip);
    m_csvAction->setToolTip(csvTip);
    connect(m_csvAction, &QAction::triggered, this, &ExportCommands::chooseCsvFolder);
    window->installEventFilter(this);
}

void ExportCommands::chooseWorkbook()
{
    QSettings settings;
    const QString folder = settings.value(FolderKey, QDir::homePath()).toString();
    const QString named =
        chooseSavedFile(m_window, u"Exportar a Excel"_s, QDir(folder).filePath(u"calificaciones.xlsx"_s),
                        u"Libro de Excel (*.xlsx)"_s, u"xlsx"_s);
    if (named.isEmpty())
        return;
    settings.setValue(FolderKey, QFileInfo(named).absolutePath());
    exportWorkbook(named);
}

void ExportCommands::chooseCsvFolder()
{
    QSettings settings;
    const QString folder = QFileDialog::getExistingDirectory(
        m_window, u"Exportar CSV: elija la carpeta"_s, settings.value(FolderKey, QDir::homePath()).toString(),
        QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    settings.setValue(FolderKey, folder);
    QStringList present;
    for (int grade = 1; grade <= 3; ++grade) {
        if (QFileInfo::exists(QDir(folder).filePath(csvFileName(grade))))
            present << csvFileName(grade);
    }
    if (!present.isEmpty()) {
        QMessageBox ask(
            QMessageBox::Question, u"MERLOX2 REPORTES"_s,
            u"En esa carpeta ya hay %1. ¿Desea reemplazarlos con las calificaciones de ahora?"_s.arg(
                present.join(u", "_s)),
            QMessageBox::Yes | QMessageBox::No, m_window);
        ask.setObjectName(u"preguntaReemplazar"_s);
        ask.button(QMessageBox::Yes)->setText(u"Reemplazar"_s);
        ask.button(QMessageBox::No)->setText(u"Cancelar"_s);
        ask.setDefaultButton(QMessageBox::No);
        if (ask.exec() != QMessageBox::Yes)
            return;
    }
    exportCsv(folder);
}

bool ExportCommands::takeSheets(std::array<GradeSheet, 3> &sheets)
{
    for (int grade = 1; grade <= 3; ++grade) {
        const GradeTableModel *model = m_window->model(grade);
        if (const std::optional<Error> &error = model->gradeFileError()) {
            showFailure(describe(*error) +
                        u"\nNo se exportó nada: oprima F5 para leer de nuevo los archivos y "
                        "vuelva a exportar."_s);
            return false;
        }
        sheets[std::size_t(grade - 1)] = gradeSheet(*model, *m_window->view(grade)->model());
    }
    return true;
}

bool ExportCommands::exportWorkbook(const QString &path)
{
    std::array<GradeSheet, 3> sheets;
    if (!takeSheets(sheets))
        return false;
    const std::optional<Error> failed = runWithProgress(
        u"Exportando las calificaciones a Excel…"_s, [&sheets, &path]() -> std::optional<Error> {
            const Result<QByteArray> content = workbookContent(sheets, path);
            if (!content)
                return content.error();
            if (const Result<void> stored = storeExport(path, content.value(), Action::ExportWorkbook);
                !stored)
                return stored.error();
            return std::nullopt;
        });
    if (failed) {
        showFailure(describe(*failed));
        return false;
    }
    showDone(u"Se exportaron las calificaciones a %1"_s.arg(QDir::toNativeSeparators(path)));
    return true;
}

bool ExportCommands::exportCsv(const QString &folder)
{
    std::array<GradeSheet, 3> sheets;
    if (!takeSheets(sheets))
        return false;
    const QDir target(folder);
    const std::optional<Error> failed = runWithProgress(
        u"Exportando las calificaciones a CSV…"_s, [&sheets, &target]() -> std::optional<Error> {
            for (const GradeSheet &sheet : sheets) {
                const QString path = target.filePath(csvFileName(sheet.grade));
                if (const Result<void> stored = storeExport(path, csvContent(sheet), Action::ExportCsv);
                    !stored)
                    return stored.error();
            }
            return std::nullopt;
        });
    if (failed) {
        showFailure(describe(*failed));
        return false;
    }
    showDone(u"Se exportaron los tres grados a archivos CSV en %1"_s.arg(QDir::toNativeSeparators(folder)));
    return true;
}

std::optional<Error> ExportCommands::runWithProgress(const QString &label,
                                                     const std::function<std::optional<Error>()> &work)
{
    QProgressDialog progress(label, QString(), 0, 0, m_window);
    progress.setObjectName(u"progresoExportar"_s);
    progress.setWindowTitle(u"MERLOX2 REPORTES"_s);
    progress.setWindowModality(Qt::WindowModal); // the tables stay as they are until it is done
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(ProgressAfterMs);
    std::optional<Error> result;
    std::unique_ptr<QThread> thread(QThread::create([&result, &work] { result = work(); }));
    QEventLoop loop;
    connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    // The window goes on painting; what the teacher types or clicks meanwhile waits for the export, and the
    // window is not closed under it.
    m_busy = true;
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    m_busy = false;
    return result;
}

bool ExportCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (m_busy && watched == m_window && event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ExportCommands::showFailure(const QString &text) { showReportMessage(m_window, text, true); }

void ExportCommands::showDone(const QString &text)
{
    m_window->statusBar()->showMessage(text, ReportStatusMs);
}

} // namespace merlox2
