#include "reports/ReportsWindow.h"

#include "records/GradeFile.h"
#include "reports/AccessCodeDialog.h"
#include "reports/ClassListImportDialog.h"
#include "reports/ExportCommands.h"
#include "reports/GradeTableModel.h"
#include "reports/GroupSheets.h"
#include "reports/LetterCommands.h"
#include "reports/PeriodCommands.h"
#include "reports/ReportMessage.h"
#include "reports/SexDelegate.h"
#include "screens/FailureText.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

using Columns = GradeTableModel;

const QString RecentFoldersKey = u"reportes/carpetasRecientes"_s;

// The program's own settings, beside those of nothing else: the registry on Windows, ~/.config elsewhere.
QSettings settings() { return {QSettings::NativeFormat, QSettings::UserScope, u"MERLOX2"_s, u"MERLOX2"_s}; }

QString gradeName(int grade) { return u"%1º grado"_s.arg(grade); }

QString folderName(const QString &folder)
{
    const QString name = QDir(folder).dirName();
    return name.isEmpty() ? QDir::toNativeSeparators(folder) : name;
}

// What each column holds, for the header's tool tip: the headers stay short so that the table fits.
QString columnHelp(int column)
{
    switch (column) {
    case Columns::No: return u"Número de registro del alumno en el archivo del grado (1 a 30)"_s;
    case Columns::Nombre: return u"Nombre del alumno, como está en el archivo del grado"_s;
    case Columns::Edad: return u"Edad del alumno"_s;
    case Columns::Resistencia: return u"Tiempo de la carrera de 600 m"_s;
    case Columns::Velocidad: return u"Tiempo de la carrera de 60 m"_s;
    case Columns::Lagartijas: return u"Número de lagartijas"_s;
    case Columns::Abdominales: return u"Número de abdominales"_s;
    case Columns::Sentadillas: return u"Número de sentadillas"_s;
    case Columns::Sexo:
        return u"H (hombre) o M (mujer): escriba la letra sobre la celda, o dé doble clic para elegirla. "
               "La evaluación depende del sexo"_s;
    case Columns::NivelResistencia:
        return u"Nivel y porcentaje de la resistencia, según el grado y el sexo"_s;
    case Columns::NivelVelocidad: return u"Nivel y porcentaje de la velocidad, según el grado y el sexo"_s;
    case Columns::NivelFuerza:
        return u"Nivel y porcentaje de la fuerza (lagartijas, abdominales y sentadillas), según el grado y "
               u"el "
               "sexo"_s;
    case Columns::Promedio: return u"Nivel y porcentaje promedio de las tres capacidades"_s;
    case Columns::Metas:
        return u"Lo que falta para el siguiente nivel: R y V, el tiempo que debe lograr en resistencia y en "
               "velocidad; F, las repeticiones que faltan en la suma de fuerza"_s;
    default: return {};
    }
}

bool isEvaluationColumn(int column)
{
    return column >= Columns::NivelResistencia && column <= Columns::Promedio;
}

// The grade table as the window shows it: headers of two lines where one would be long, each with what its
// column holds as a tool tip, and the evaluations centred; everything else as the model says.
class WindowTable : public GradeTableProxy {
public:
    using GradeTableProxy::GradeTableProxy;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::ToolTipRole)
            return columnHelp(section);
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && isEvaluationColumn(section))
            return GradeTableProxy::headerData(section, orientation, role)
                .toString()
                .replace(u"de "_s, u"de\n"_s);
        return GradeTableProxy::headerData(section, orientation, role);
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (isEvaluationColumn(index.column())) {
            if (role == Qt::TextAlignmentRole)
                return {Qt::AlignCenter};
            if (role == Qt::ToolTipRole) {
                const QVariant help = GradeTableProxy::data(index, role);
                return help.isValid() ? help : GradeTableProxy::data(index, Qt::DisplayRole);
            }
        }
        return GradeTableProxy::data(index, role);
    }
};

} // namespace

ReportsWindow::ReportsWindow(const QString &folder, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(u"MERLOX2REPORTES"_s);
    createActions();
    m_groupReports = new GroupReports(this); // the summary and every sheet at once, in the group menu

    m_tabWidget = new QTabWidget(this);
    m_tabWidget->setObjectName(u"grados"_s);
    m_tabWidget->setAccessibleName(u"Grados"_s);
    for (int grade = 1; grade <= 3; ++grade) {
        auto *page = new QWidget(this); // empty until its table is made
        page->setObjectName(u"grado%1"_s.arg(grade));
        new QVBoxLayout(page);
        m_tabWidget->addTab(page, u"&"_s + gradeName(grade));
    }
    setCentralWidget(m_tabWidget);
    connect(m_tabWidget, &QTabWidget::currentChanged, this, [this] {
        const int grade = currentGrade();
        if (builtTab(grade).columnsToFit)
            fitColumns(grade);
        updateStatus();
    });

    m_status = new QLabel(this);
    m_status->setObjectName(u"resumenGrado"_s);
    m_status->setAccessibleName(u"Resumen del grado"_s);
    statusBar()->addWidget(m_status, 1);

    const QFileInfo start(folder);
    loadFolder(start.isDir() ? start.canonicalFilePath() : start.absoluteFilePath());
    builtTab(currentGrade());
    fitColumns(currentGrade());
    if (start.isDir())
        rememberFolder(m_folder);
    fillRecentMenu();

    m_export = new ExportCommands(this);
    insertFileAction(m_export->workbookAction());
    insertFileAction(m_export->csvAction());
    m_toolBar->addAction(m_export->workbookAction());
    new FamilyLetters(this);              // the letters home and the school's data they carry
    m_periods = new PeriodCommands(this); // kept periods, opened and compared: a menu of its own

    // Room for the whole table on a usual screen, and no more than the screen has (1366 x 768 at 150 %).
    const QSize available = screen()->availableSize();
    resize(std::min(1280, available.width() * 19 / 20), std::min(720, available.height() * 9 / 10));
}

void ReportsWindow::createActions()
{
    const auto action = [this](const QString &text, const QString &name, const QString &tip) {
        auto *created = new QAction(text, this);
        created->setObjectName(name);
        created->setStatusTip(tip);
        created->setToolTip(tip);
        return created;
    };
    QAction *open = action(u"&Abrir otra carpeta…"_s, u"abrirCarpeta"_s,
                           u"Muestra los grados de otra carpeta, por ejemplo la de otro grupo"_s);
    open->setShortcut(QKeySequence::Open);
    open->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    connect(open, &QAction::triggered, this, &ReportsWindow::chooseFolder);
    QAction *quit = action(u"&Salir"_s, u"salir"_s, u"Cierra la ventana de reportes"_s);
    quit->setShortcut(Qt::CTRL | Qt::Key_Q);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    QAction *reload =
        action(u"&Recargar"_s, u"recargar"_s, u"Vuelve a leer los archivos de los tres grados"_s);
    reload->setShortcut(Qt::Key_F5);
    reload->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    connect(reload, &QAction::triggered, this, &ReportsWindow::reloadAll);
    m_showEmpty = action(u"&Mostrar lugares vacíos"_s, u"mostrarVacios"_s,
                         u"Muestra también los registros sin nombre de cada grado"_s);
    m_showEmpty->setCheckable(true);
    connect(m_showEmpty, &QAction::toggled, this, [this](bool show) {
        for (const GradeTab &tab : m_tabs) {
            if (tab.proxy)
                tab.proxy->setShowEmpty(show);
        }
    });

    m_fileMenu = menuBar()->addMenu(u"&Archivo"_s);
    m_fileMenu->setObjectName(u"menuArchivo"_s);
    m_fileMenu->addAction(open);
    m_recentMenu = m_fileMenu->addMenu(u"Carpetas &recientes"_s);
    m_recentMenu->setObjectName(u"carpetasRecientes"_s);
    connect(m_recentMenu, &QMenu::aboutToShow, this, &ReportsWindow::fillRecentMenu);
    m_quitSeparator = m_fileMenu->addSeparator();
    m_fileMenu->addAction(quit);

    m_groupMenu = menuBar()->addMenu(u"&Grupo"_s);
    m_groupMenu->setObjectName(u"menuGrupo"_s);
    m_groupMenu->addAction(reload);
    m_groupMenu->addAction(m_showEmpty);

    m_toolBar = addToolBar(u"Barra de herramientas"_s);
    m_toolBar->setObjectName(u"barraHerramientas"_s);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setMovable(false);
    m_toolBar->addAction(open);
    m_toolBar->addAction(reload);
    m_toolBar->addAction(m_showEmpty);

    // The class list into the grade on screen, through a preview; the table follows the file it writes.
    QAction *importList =
        action(u"&Importar lista…"_s, u"importarLista"_s,
               u"Llena el grado con los alumnos de una lista de Excel (CSV) o de celdas copiadas"_s);
    importList->setShortcut(Qt::CTRL | Qt::Key_I);
    importList->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    connect(importList, &QAction::triggered, this, [this] {
        const int grade = currentGrade();
        auto *dialog = new ClassListImportDialog(grade, model(grade)->gradeFilePath(), this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &QDialog::accepted, this, [this, dialog, grade] {
            model(grade)->reload();
            statusBar()->showMessage(dialog->summary(), 15000);
            if (!dialog->laterFailure().isEmpty())
                showMessage(dialog->laterFailure());
        });
        dialog->open();
    });
    insertFileAction(importList);
    m_toolBar->insertAction(m_showEmpty, importList);
}

void ReportsWindow::insertFileAction(QAction *action) { m_fileMenu->insertAction(m_quitSeparator, action); }

ReportsWindow::GradeTab &ReportsWindow::builtTab(int grade)
{
    GradeTab &tab = m_tabs.at(std::size_t(grade - 1));
    if (!tab.view)
        createTable(grade);
    return tab;
}

void ReportsWindow::createTable(int grade)
{
    GradeTab &tab = m_tabs.at(std::size_t(grade - 1));
    QWidget *page = m_tabWidget->widget(grade - 1);

    tab.banner = new QLabel(page);
    tab.banner->setObjectName(u"avisoGrado%1"_s.arg(grade));
    tab.banner->setAccessibleName(u"Avisos de %1"_s.arg(gradeName(grade)));
    tab.banner->setWordWrap(true);
    tab.banner->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    tab.banner->setStyleSheet(
        u"QLabel { background: #fff4ce; color: #3b2f00; border: 1px solid #d9a800; padding: 6px; }"_s);
    tab.banner->hide();

    tab.proxy = new WindowTable(this);
    tab.proxy->setShowEmpty(m_showEmpty->isChecked());
    if (tab.model)
        tab.proxy->setSourceModel(tab.model);
    tab.view = new QTableView(page);
    tab.view->setObjectName(u"tablaGrado%1"_s.arg(grade));
    tab.view->setAccessibleName(u"Alumnos de %1"_s.arg(gradeName(grade)));
    tab.view->setAccessibleDescription(
        u"Una fila por alumno. En la columna Sexo escriba H o M, o bórrelo con la tecla Suprimir."_s);
    tab.view->verticalHeader()->hide(); // the No. column is the slot; hidden first, so never measured
    tab.view->setModel(tab.proxy);
    tab.view->setSortingEnabled(true);
    tab.view->sortByColumn(Columns::No, Qt::AscendingOrder);
    tab.view->setAlternatingRowColors(true);
    tab.view->setSelectionMode(QAbstractItemView::SingleSelection);
    tab.view->setWordWrap(false);
    tab.view->setTabKeyNavigation(false); // Tab leaves the table, as in every other window
    tab.view->verticalHeader()->setDefaultSectionSize(tab.view->fontMetrics().height() + 8);
    tab.view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::SelectedClicked);
    auto *delegate = new SexDelegate(tab.view);
    tab.view->setItemDelegateForColumn(Columns::Sexo, delegate);
    connect(delegate, &SexDelegate::notStored, this, [this, grade] { reportNotStored(model(grade)); });
    tab.view->installEventFilter(this);

    auto *layout = static_cast<QVBoxLayout *>(page->layout());
    layout->addWidget(tab.banner);
    layout->addWidget(tab.view, 1);
    tab.columnsToFit = true;
    if (tab.model)
        showFileProblems(grade);
}

void ReportsWindow::loadFolder(const QString &folder)
{
    m_folder = folder;
    setWindowTitle(u"MERLOX2 REPORTES — %1"_s.arg(folderName(folder)));
    for (int grade = 1; grade <= 3; ++grade) {
        GradeTab &tab = m_tabs.at(std::size_t(grade - 1));
        auto *model =
            new GradeTableModel(grade, QDir(folder).filePath(GradeFile::fileNameForGrade(grade)), this);
        if (tab.proxy)
            tab.proxy->setSourceModel(model);
        delete std::exchange(tab.model, model);
        connect(model, &GradeTableModel::reloaded, this, [this, grade] {
            showFileProblems(grade);
            updateStatus();
        });
        connect(model, &GradeTableModel::dataChanged, this, &ReportsWindow::updateStatus);
        showFileProblems(grade);
        fitColumns(grade);
    }
    updateStatus();
}

void ReportsWindow::fitColumns(int grade)
{
    // Fitting measures every cell: a hidden tab waits until it is shown.
    GradeTab &gradeTab = m_tabs.at(std::size_t(grade - 1));
    gradeTab.columnsToFit = grade != currentGrade() || !gradeTab.view;
    if (gradeTab.columnsToFit)
        return;
    QTableView *table = gradeTab.view;
    const QFontMetrics metrics = table->fontMetrics();
    // A cell as the view measures it (its text, the focus frame's margins, the grid line), but each
    // different text once: a grade repeats its ages, results and levels.
    const int margins = 2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1) +
                        (table->showGrid() ? 1 : 0);
    QHash<QString, int> textWidths;
    const QAbstractItemModel *shown = table->model();
    // Room for a usual name, also before the first student is there.
    const int nameWidth = metrics.horizontalAdvance(QString(24, u'n'));
    // An evaluation gets the room of a level and its percentage; the longer reason why there is none is
    // cut short in the cell and shown whole in its tool tip, so that the table fits a laptop's screen.
    const int levelWidth = metrics.horizontalAdvance(u"SN (100%)"_s) + 24;
    for (int column = 0; column < Columns::ColumnCount; ++column) {
        const int headerWidth = table->horizontalHeader()->sectionSizeHint(column);
        int width = headerWidth;
        for (int row = 0; row < shown->rowCount(); ++row) {
            const QString text = shown->index(row, column).data().toString();
            auto known = textWidths.constFind(text);
            if (known == textWidths.cend())
                known = textWidths.insert(text, metrics.horizontalAdvance(text));
            width = std::max(width, *known + margins);
        }
        if (column == Columns::Nombre)
            width = std::max(width, nameWidth);
        if (isEvaluationColumn(column))
            width = std::min(width, std::max(levelWidth, headerWidth));
        table->setColumnWidth(column, width);
    }
}

void ReportsWindow::showFileProblems(int grade)
{
    QLabel *label = tab(grade).banner;
    if (!label)
        return; // told when the tab is first shown
    const GradeTableModel *gradeModel = model(grade);
    QStringList texts;
    if (const std::optional<Error> &error = gradeModel->gradeFileError())
        texts << describe(*error) + u" La tabla muestra lo último que se pudo leer."_s;
    if (const std::optional<Error> &error = gradeModel->sexFileError())
        texts << describe(*error);
    const QString problems = describeSexFileProblems(
        SexFile::forGradeFile(gradeModel->gradeFilePath()).path(), gradeModel->sexFileProblems());
    if (!problems.isEmpty())
        texts << problems;
    label->setText(texts.join(u"\n\n"_s));
    label->setVisible(!texts.isEmpty());
}

void ReportsWindow::updateStatus()
{
    const int grade = currentGrade();
    const GradeTableModel *gradeModel = model(grade);
    if (!QFileInfo::exists(gradeModel->gradeFilePath())) {
        m_status->setText(u"%1: en esta carpeta no hay archivo %2."_s.arg(
            gradeName(grade), QFileInfo(gradeModel->gradeFilePath()).fileName()));
        return;
    }
    int students = 0;
    int withoutSex = 0;
    for (int row = 0; row < gradeModel->rowCount(); ++row) {
        if (gradeModel->index(row, Columns::No).data(Columns::UnusedRole).toBool())
            continue;
        ++students;
        if (gradeModel->index(row, Columns::Sexo).data().toString().isEmpty())
            ++withoutSex;
    }
    const QString counted = students == 0   ? u"ningún alumno"_s
                            : students == 1 ? u"1 alumno"_s
                                            : u"%1 alumnos"_s.arg(students);
    const QString sexes = students == 0     ? QString()
                          : withoutSex == 0 ? u", todos con sexo"_s
                          : withoutSex == 1 ? u", 1 sin sexo"_s
                                            : u", %1 sin sexo"_s.arg(withoutSex);
    m_status->setText(u"%1: %2%3."_s.arg(gradeName(grade), counted, sexes));
}

int ReportsWindow::currentGrade() const { return m_tabWidget->currentIndex() + 1; }

bool ReportsWindow::openFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.isDir()) {
        showMessage(u"No se puede abrir esta carpeta:\n%1\nNo existe o no es una carpeta. Elija otra con "
                    "«Abrir otra carpeta…»."_s.arg(QDir::toNativeSeparators(folder)));
        return false;
    }
    const QString path = info.canonicalFilePath();
    loadFolder(path);
    rememberFolder(path);
    return true;
}

void ReportsWindow::chooseFolder()
{
    const QString chosen =
        QFileDialog::getExistingDirectory(this, u"Abrir otra carpeta"_s, m_folder, QFileDialog::ShowDirsOnly);
    if (!chosen.isEmpty())
        openFolder(chosen);
}

void ReportsWindow::openRecentFolder(const QString &folder)
{
    if (!QFileInfo(folder).isDir()) {
        forgetFolder(folder);
        showMessage(
            u"La carpeta\n%1\nya no existe o no está conectada (por ejemplo, una memoria USB que se "
            "retiró), así que se quitó de «Carpetas recientes». Si está en una memoria USB, conéctela y "
            "ábrala con «Abrir otra carpeta…»."_s.arg(QDir::toNativeSeparators(folder)));
        return;
    }
    openFolder(folder);
}

QStringList ReportsWindow::recentFolders() { return settings().value(RecentFoldersKey).toStringList(); }

void ReportsWindow::rememberFolder(const QString &folder)
{
    const QStringList remembered = recentFolders();
    QStringList folders = remembered;
    folders.removeAll(folder);
    folders.prepend(folder);
    while (folders.size() > RecentFolderCount)
        folders.removeLast();
    // Written only when changed: writing the settings waits for the disk, which every start in the usual
    // folder would pay for nothing.
    if (folders != remembered)
        settings().setValue(RecentFoldersKey, folders);
    fillRecentMenu();
}

void ReportsWindow::forgetFolder(const QString &folder)
{
    QStringList folders = recentFolders();
    folders.removeAll(folder);
    settings().setValue(RecentFoldersKey, folders);
    fillRecentMenu();
}

void ReportsWindow::fillRecentMenu()
{
    m_recentMenu->clear();
    int number = 0;
    for (const QString &folder : recentFolders()) {
        if (folder == m_folder)
            continue;
        QString text = QDir::toNativeSeparators(folder);
        text.replace(u'&', u"&&"_s);
        QAction *entry = m_recentMenu->addAction(u"&%1 %2"_s.arg(++number).arg(text));
        entry->setData(folder);
        connect(entry, &QAction::triggered, this, [this, folder] { openRecentFolder(folder); });
    }
    m_recentMenu->setEnabled(number > 0);
}

void ReportsWindow::reloadAll()
{
    for (int grade = 1; grade <= 3; ++grade) {
        model(grade)->reload();
        fitColumns(grade);
    }
}

bool ReportsWindow::eventFilter(QObject *watched, QEvent *event)
{
    // On the Sexo column the letter alone gives the sex, and Supr or Retroceso takes it away.
    auto *table = qobject_cast<QTableView *>(watched);
    if (table && event->type() == QEvent::KeyPress && table->currentIndex().column() == Columns::Sexo &&
        table->hasFocus()) { // not while the list of the cell's editor has it
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!(key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))) {
            if (key->key() == Qt::Key_H || key->key() == Qt::Key_M)
                return setSexFromKey(table, key->key() == Qt::Key_H ? u"H"_s : u"M"_s);
            if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace)
                return setSexFromKey(table, QString());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool ReportsWindow::setSexFromKey(QTableView *table, const QString &sex)
{
    const QModelIndex index = table->currentIndex();
    if (index.data(Qt::EditRole).toString() == sex)
        return true; // as it was: no store
    if (!table->model()->setData(index, sex, Qt::EditRole))
        reportNotStored(
            static_cast<GradeTableModel *>(static_cast<GradeTableProxy *>(table->model())->sourceModel()));
    return true;
}

void ReportsWindow::reportNotStored(GradeTableModel *gradeModel)
{
    if (const std::optional<Error> &error = gradeModel->lastError())
        showMessage(describe(*error));
}

void ReportsWindow::showMessage(const QString &text) { showReportMessage(this, text, true); }

bool openReportsWindow(const QString &folder)
{
    // An ordinary window in the desktop's own font, not the fixed screens' small one.
    QApplication::setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    AccessCodeDialog code;
    if (code.exec() != QDialog::Accepted)
        return false;
    auto *window = new ReportsWindow(folder);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return true;
}

} // namespace merlox2
