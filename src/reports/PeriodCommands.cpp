#include "reports/PeriodCommands.h"

#include "reports/ComparisonWindow.h"
#include "reports/GradeTableModel.h"
#include "reports/ReportMessage.h"
#include "reports/ReportsWindow.h"
#include "screens/FailureText.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// A kept period's table: what the model shows, none of it editable.
class ReadOnlyTable : public GradeTableProxy {
public:
    using GradeTableProxy::GradeTableProxy;
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return GradeTableProxy::flags(index) & ~Qt::ItemIsEditable;
    }
};

QString periodLabel(const Period &period)
{
    return period.date.isValid() ? u"«%1», del %2"_s.arg(period.name, dateInWords(period.date))
                                 : u"«%1»"_s.arg(period.name);
}

QDialog *newDialog(QWidget *parent, const QString &name, const QString &title)
{
    auto *dialog = new QDialog(parent);
    dialog->setObjectName(name);
    dialog->setWindowTitle(title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    return dialog;
}

} // namespace

ClosePeriodDialog::ClosePeriodDialog(const PeriodStore &store, QDate today, QWidget *parent)
    : QDialog(parent), m_store(store)
{
    setObjectName(u"cerrarPeriodo"_s);
    setWindowTitle(u"Cerrar periodo"_s);
    auto *explanation = new QLabel(
        u"Se guarda una copia de solo lectura de los archivos de los tres grados de esta carpeta, con el "
        u"sexo de "
        "cada alumno y la fecha de hoy, en la carpeta «periodos». Los grados siguen como están y usted sigue "
        "trabajando en ellos. Después puede abrir el periodo o compararlo con otro."_s,
        this);
    explanation->setWordWrap(true);
    m_name = new QLineEdit(m_store.proposedName(today), this);
    m_name->setObjectName(u"nombrePeriodo"_s);
    m_name->setAccessibleName(u"Nombre del periodo"_s);
    m_name->setMaxLength(PeriodStore::MaxNameLength + 20); // longer is refused with its reason, not cut
    m_problem = new QLabel(this);
    m_problem->setObjectName(u"problemaNombre"_s);
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(u"QLabel { color: #8a1c00; }"_s);
    auto *buttons = new QDialogButtonBox(this);
    m_close = buttons->addButton(u"C&errar periodo"_s, QDialogButtonBox::AcceptRole);
    m_close->setObjectName(u"aceptar"_s);
    buttons->addButton(u"Cancelar"_s, QDialogButtonBox::RejectRole)->setObjectName(u"cancelar"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_name, &QLineEdit::textChanged, this, &ClosePeriodDialog::check);

    auto *form = new QFormLayout;
    auto *label = new QLabel(u"&Nombre del periodo:"_s, this);
    label->setBuddy(m_name);
    form->addRow(label, m_name);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(form);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    check();
    resize(520, sizeHint().height());
}

void ClosePeriodDialog::check()
{
    const Result<void> allowed = m_store.checkName(m_name->text());
    m_problem->setText(allowed ? QString() : describe(allowed.error()));
    m_problem->setVisible(!allowed);
    m_close->setEnabled(allowed.ok());
}

PeriodWindow::PeriodWindow(const Period &period, QWidget *parent) : QMainWindow(parent), m_period(period)
{
    setObjectName(u"periodo"_s);
    setWindowTitle(u"MERLOX2 REPORTES — Periodo «%1» (solo lectura)"_s.arg(period.name));
    auto *central = new QWidget(this);
    m_banner = new QLabel(central);
    m_banner->setObjectName(u"avisoPeriodo"_s);
    m_banner->setAccessibleName(u"Periodo que se muestra"_s);
    m_banner->setWordWrap(true);
    m_banner->setStyleSheet(u"QLabel { background: #e8f0fe; color: #0b2a5b; border: 1px solid #7a9fd9; "
                            "padding: 6px; }"_s);
    auto *tabs = new QTabWidget(central);
    tabs->setObjectName(u"grados"_s);
    for (int grade = 1; grade <= 3; ++grade) {
        auto *model = new GradeTableModel(grade, period.gradeFilePath(grade), this);
        auto *proxy = new ReadOnlyTable(this);
        proxy->setSourceModel(model);
        auto *view = new QTableView(tabs);
        view->setObjectName(u"tablaGrado%1"_s.arg(grade));
        view->setAccessibleName(u"Alumnos de %1º grado en el periodo %2"_s.arg(grade).arg(period.name));
        view->setModel(proxy);
        view->setSortingEnabled(true);
        view->sortByColumn(GradeTableModel::No, Qt::AscendingOrder);
        view->setAlternatingRowColors(true);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setTabKeyNavigation(false);
        view->verticalHeader()->hide();
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 8);
        view->resizeColumnsToContents();
        m_models.at(std::size_t(grade - 1)) = model;
        m_views.at(std::size_t(grade - 1)) = view;
        tabs->addTab(view, u"&%1º grado"_s.arg(grade));
        connect(model, &GradeTableModel::reloaded, this, &PeriodWindow::showBanner);
    }
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(m_banner);
    layout->addWidget(tabs, 1);
    setCentralWidget(central);
    showBanner();
    resize(1180, 640);
}

void PeriodWindow::showBanner()
{
    QStringList texts{
        u"Periodo %1 (solo lectura): los archivos de los grados como estaban ese día. Aquí no se "
        "puede cambiar nada; los grados de hoy están en la ventana de reportes."_s.arg(
            periodLabel(m_period))};
    for (const GradeTableModel *model : m_models) {
        if (const std::optional<Error> &error = model->gradeFileError())
            texts << describe(*error);
    }
    m_banner->setText(texts.join(u"\n\n"_s));
}

PeriodCommands::PeriodCommands(ReportsWindow *window) : QObject(window), m_window(window)
{
    const auto action = [this](const QString &text, const QString &name, const QString &tip,
                               const QKeySequence &shortcut) {
        auto *created = new QAction(text, this);
        created->setObjectName(name);
        created->setStatusTip(tip);
        created->setToolTip(tip);
        created->setShortcut(shortcut);
        return created;
    };
    m_closeAction = action(u"&Cerrar periodo…"_s, u"cerrarPeriodo"_s,
                           u"Guarda una copia de solo lectura de los tres grados, con la fecha de hoy"_s,
                           Qt::CTRL | Qt::SHIFT | Qt::Key_C);
    m_openAction = action(u"&Abrir periodo…"_s, u"abrirPeriodo"_s,
                          u"Muestra los grados de un periodo guardado, sin poder cambiarlos"_s,
                          Qt::CTRL | Qt::SHIFT | Qt::Key_O);
    m_compareAction = action(u"C&omparar periodos…"_s, u"compararPeriodos"_s,
                             u"Compara los resultados y niveles de dos periodos, o de un periodo y hoy"_s,
                             Qt::CTRL | Qt::SHIFT | Qt::Key_A);
    m_compareAction->setIcon(window->style()->standardIcon(QStyle::SP_FileDialogContentsView));
    connect(m_closeAction, &QAction::triggered, this, &PeriodCommands::askClose);
    connect(m_openAction, &QAction::triggered, this, &PeriodCommands::chooseOpen);
    connect(m_compareAction, &QAction::triggered, this, &PeriodCommands::chooseCompare);

    m_menu = window->menuBar()->addMenu(u"&Periodos"_s);
    m_menu->setObjectName(u"menuPeriodos"_s);
    m_menu->addAction(m_closeAction);
    m_menu->addAction(m_openAction);
    m_menu->addSeparator();
    m_menu->addAction(m_compareAction);
    window->toolBar()->addAction(m_compareAction);
}

PeriodStore PeriodCommands::store() const { return PeriodStore(m_window->folder()); }

void PeriodCommands::askClose()
{
    m_askedStore = std::make_unique<PeriodStore>(store());
    auto *dialog = new ClosePeriodDialog(*m_askedStore, QDate::currentDate(), m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { closePeriod(dialog->nameEdit()->text()); });
    dialog->open();
}

bool PeriodCommands::closePeriod(const QString &name)
{
    const Result<Period> closed = store().close(name, QDate::currentDate());
    if (!closed) {
        tell(describe(closed.error()), true);
        return false;
    }
    tell(
        u"Se guardó el periodo «%1» en:\n%2\nSus archivos son de solo lectura. Ábralo con «Abrir periodo…» o "
        "compárelo con «Comparar periodos…»."_s.arg(name, QDir::toNativeSeparators(closed.value().folder)),
        false);
    return true;
}

PeriodWindow *PeriodCommands::openPeriod(const Period &period)
{
    auto *window = new PeriodWindow(period, m_window);
    window->setWindowFlag(Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

ComparisonWindow *PeriodCommands::compare(const Period &then, const std::optional<Period> &now)
{
    const ComparedSide first{u"«%1»"_s.arg(then.name), then.folder, then.date};
    const ComparedSide second =
        now ? ComparedSide{u"«%1»"_s.arg(now->name), now->folder, now->date}
            : ComparedSide{u"los archivos de hoy"_s, m_window->folder(), QDate::currentDate()};
    auto *window = new ComparisonWindow(first, second, m_window->folder(), m_window);
    window->setWindowFlag(Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

void PeriodCommands::chooseOpen()
{
    const QList<Period> periods = store().list();
    if (periods.isEmpty())
        return tell(u"En esta carpeta aún no hay periodos guardados. Guarde uno con «Cerrar periodo…»."_s,
                    false);
    QDialog *dialog = newDialog(m_window, u"elegirPeriodo"_s, u"Abrir periodo"_s);
    auto *list = new QListWidget(dialog);
    list->setObjectName(u"listaPeriodos"_s);
    list->setAccessibleName(u"Periodos guardados"_s);
    for (const Period &period : periods)
        list->addItem(periodLabel(period));
    list->setCurrentRow(int(periods.size()) - 1);
    auto *buttons = new QDialogButtonBox(dialog);
    buttons->addButton(u"&Abrir"_s, QDialogButtonBox::AcceptRole)->setObjectName(u"aceptar"_s);
    buttons->addButton(u"Cancelar"_s, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(list, &QListWidget::itemDoubleClicked, dialog, &QDialog::accept);
    connect(dialog, &QDialog::accepted, this, [this, list, periods] {
        if (list->currentRow() >= 0)
            openPeriod(periods.at(list->currentRow()));
    });
    auto *layout = new QVBoxLayout(dialog);
    auto *label = new QLabel(u"&Periodos guardados en esta carpeta:"_s, dialog);
    label->setBuddy(list);
    layout->addWidget(label);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog->open();
}

void PeriodCommands::chooseCompare()
{
    const QList<Period> periods = store().list();
    if (periods.isEmpty())
        return tell(
            u"Para comparar hace falta al menos un periodo guardado. Guarde uno con «Cerrar periodo…»."_s,
            false);
    QDialog *dialog = newDialog(m_window, u"elegirComparacion"_s, u"Comparar periodos"_s);
    auto *first = new QComboBox(dialog);
    first->setObjectName(u"primerPeriodo"_s);
    first->setAccessibleName(u"Primer periodo"_s);
    auto *second = new QComboBox(dialog);
    second->setObjectName(u"segundoPeriodo"_s);
    second->setAccessibleName(u"Segundo periodo"_s);
    for (const Period &period : periods) {
        first->addItem(periodLabel(period));
        second->addItem(periodLabel(period));
    }
    second->addItem(u"Hoy (los archivos de los grados)"_s);
    first->setCurrentIndex(int(periods.size()) - 1);
    second->setCurrentIndex(int(periods.size()));
    auto *buttons = new QDialogButtonBox(dialog);
    QPushButton *ok = buttons->addButton(u"&Comparar"_s, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"aceptar"_s);
    buttons->addButton(u"Cancelar"_s, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    const auto differ = [first, second, ok] {
        ok->setEnabled(first->currentIndex() != second->currentIndex());
    };
    connect(first, &QComboBox::currentIndexChanged, dialog, differ);
    connect(second, &QComboBox::currentIndexChanged, dialog, differ);
    connect(dialog, &QDialog::accepted, this, [this, first, second, periods] {
        const qsizetype now = second->currentIndex();
        compare(periods.at(first->currentIndex()),
                now < periods.size() ? std::optional<Period>(periods.at(now)) : std::nullopt);
    });
    auto *form = new QFormLayout;
    auto *firstLabel = new QLabel(u"&Antes:"_s, dialog);
    firstLabel->setBuddy(first);
    auto *secondLabel = new QLabel(u"&Después:"_s, dialog);
    secondLabel->setBuddy(second);
    form->addRow(firstLabel, first);
    form->addRow(secondLabel, second);
    auto *layout = new QVBoxLayout(dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    dialog->open();
}

void PeriodCommands::tell(const QString &text, bool failure)
{
    showReportMessage(m_window, text, failure)->setObjectName(u"mensajePeriodo"_s);
}

} // namespace merlox2
