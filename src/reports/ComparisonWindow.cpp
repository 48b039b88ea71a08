#include "reports/ComparisonWindow.h"

#include "records/GradeFile.h"
#include "reports/GradeExport.h"
#include "reports/GroupSheets.h"
#include "reports/ReportDocument.h"
#include "reports/ReportMessage.h"
#include "screens/FailureText.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

QColor directionColour(Direction direction)
{
    switch (direction) {
    case Direction::Better: return {0xd9, 0xf2, 0xd9};
    case Direction::Worse: return {0xf9, 0xdc, 0xd6};
    case Direction::Same:
    case Direction::Unknown: break;
    }
    return {};
}

QStringList studentHeaders()
{
    QStringList headers{u"No."_s, u"Nombre"_s};
    for (int r = 0; r < ResultCount; ++r)
        headers << resultTitle(r);
    for (int c = 0; c < CapacityCount; ++c)
        headers << u"Nivel de\n%1"_s.arg(capacityName(Capacity(c)).toLower());
    return headers;
}

// A student's cells and their directions, on screen and on the page alike.
struct StudentCells {
    QStringList texts;
    QList<Direction> directions;
};

StudentCells cellsOf(const StudentChange &student)
{
    StudentCells cells{{QString::number(student.slotNow), student.name},
                       {Direction::Unknown, Direction::Unknown}};
    for (const ResultChange &change : student.results) {
        cells.texts << resultChangeText(change);
        cells.directions << change.direction;
    }
    for (int c = 0; c < CapacityCount; ++c) {
        cells.texts << levelChangeText(student, Capacity(c));
        cells.directions << student.levelDirection(Capacity(c));
    }
    return cells;
}

QStringList levelHeaders()
{
    QStringList headers{u"Capacidad"_s, u"Nivel"_s};
    for (int s = 0; s < SexColumnCount; ++s)
        headers << u"%1\nantes"_s.arg(sexColumnName(SexColumn(s)))
                << u"%1\ndespués"_s.arg(sexColumnName(SexColumn(s)));
    return headers;
}

QString sideText(const ComparedSide &side)
{
    return side.label + (side.date.isValid() ? u" (%1)"_s.arg(dateInWords(side.date)) : QString());
}

} // namespace

ComparisonWindow::ComparisonWindow(ComparedSide then, ComparedSide now, QString folder, QWidget *parent)
    : QMainWindow(parent), m_then(std::move(then)), m_now(std::move(now)), m_folder(std::move(folder))
{
    setObjectName(u"comparacion"_s);
    setWindowTitle(u"Comparación de periodos: %1 y %2"_s.arg(m_then.label, m_now.label));
    load();

    auto *central = new QWidget(this);
    m_banner = new QLabel(central);
    m_banner->setObjectName(u"avisoComparacion"_s);
    m_banner->setAccessibleName(u"Qué se compara"_s);
    m_banner->setWordWrap(true);
    QStringList texts{
        u"Antes: %1. Después: %2. Los alumnos se buscan por su nombre (sin importar acentos, "
        "mayúsculas ni espacios de más). Una mejora (un tiempo menor, más repeticiones, un nivel "
        "más cerca de I) se marca en verde y un retroceso en rojo."_s.arg(sideText(m_then), sideText(m_now))};
    texts << m_readFailures;
    m_banner->setText(texts.join(u"\n\n"_s));
    auto *tabs = new QTabWidget(central);
    tabs->setObjectName(u"grados"_s);
    for (int grade = 1; grade <= 3; ++grade)
        tabs->addTab(createTab(grade), u"&%1º grado"_s.arg(grade));
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(m_banner);
    layout->addWidget(tabs, 1);
    setCentralWidget(central);

    const auto action = [this](const QString &text, const QString &name, const QKeySequence &shortcut,
                               QStyle::StandardPixmap icon) {
        auto *created = new QAction(style()->standardIcon(icon), text, this);
        created->setObjectName(name);
        created->setShortcut(shortcut);
        return created;
    };
    QAction *printAction =
        action(u"&Imprimir"_s, u"imprimirComparacion"_s, QKeySequence::Print, QStyle::SP_DialogSaveButton);
    printAction->setToolTip(u"Imprime la comparación, una hoja por grado, en la impresora predeterminada"_s);
    connect(printAction, &QAction::triggered, this, &ComparisonWindow::print);
    QAction *pdfAction = action(u"Guardar como &PDF…"_s, u"guardarComparacionPdf"_s,
                                Qt::CTRL | Qt::SHIFT | Qt::Key_S, QStyle::SP_DialogSaveButton);
    connect(pdfAction, &QAction::triggered, this, [this] {
        const QString path = chooseSavedPdf(this, u"Guardar la comparación como PDF"_s,
                                            QDir(m_folder).filePath(u"comparacion.pdf"_s));
        if (!path.isEmpty())
            savePdf(path);
    });
    QAction *excelAction =
        action(u"&Exportar a Excel…"_s, u"exportarComparacion"_s, Qt::CTRL | Qt::Key_E, QStyle::SP_FileIcon);
    connect(excelAction, &QAction::triggered, this, [this] {
        const QString path = chooseSavedFile(this, u"Exportar la comparación a Excel"_s,
                                             QDir(m_folder).filePath(u"comparacion.xlsx"_s),
                                             u"Libro de Excel (*.xlsx)"_s, u"xlsx"_s);
        if (!path.isEmpty())
            exportWorkbook(path);
    });
    QAction *closeAction =
        action(u"&Cerrar"_s, u"cerrarComparacion"_s, QKeySequence::Close, QStyle::SP_DialogCloseButton);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    QMenu *menu = menuBar()->addMenu(u"&Comparación"_s);
    menu->addActions({printAction, pdfAction, excelAction});
    menu->addSeparator();
    menu->addAction(closeAction);
    QToolBar *bar = addToolBar(u"Comparación"_s);
    bar->setObjectName(u"barraComparacion"_s);
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->addActions({printAction, pdfAction, excelAction});
    resize(1240, 720);
}

void ComparisonWindow::load()
{
    for (int grade = 1; grade <= 3; ++grade) {
        const auto read = [&](const ComparedSide &side) {
            const QString path = QDir(side.folder).filePath(GradeFile::fileNameForGrade(grade));
            Result<GradeStudents> students = readGradeStudents(grade, path);
            if (students)
                return std::move(students).value();
            m_readFailures << describe(students.error()) +
                                  u" Ese grado se compara como si no tuviera alumnos."_s;
            return GradeStudents{grade, {}, {}};
        };
        m_grades << compareGrade(read(m_then), read(m_now));
    }
}

QWidget *ComparisonWindow::createTab(int grade)
{
    auto *page = new QWidget(this);
    page->setObjectName(u"comparacionGrado%1"_s.arg(grade));
    const auto table = [page](const QString &name, const QString &accessible) {
        auto *created = new QTableWidget(page);
        created->setObjectName(name);
        created->setAccessibleName(accessible);
        created->setEditTriggers(QAbstractItemView::NoEditTriggers);
        created->setAlternatingRowColors(false);
        created->verticalHeader()->hide();
        created->verticalHeader()->setDefaultSectionSize(created->fontMetrics().height() + 8);
        created->setWordWrap(false);
        return created;
    };
    m_students.at(std::size_t(grade - 1)) =
        table(u"alumnosGrado%1"_s.arg(grade), u"Avance de cada alumno de %1º grado"_s.arg(grade));
    m_levels.at(std::size_t(grade - 1)) = table(
        u"nivelesGrado%1"_s.arg(grade), u"Alumnos en cada nivel de %1º grado, antes y después"_s.arg(grade));
    auto *unmatched = new QLabel(page);
    unmatched->setObjectName(u"sinCompararGrado%1"_s.arg(grade));
    unmatched->setWordWrap(true);
    unmatched->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_unmatched.at(std::size_t(grade - 1)) = unmatched;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(m_students.at(std::size_t(grade - 1)), 3);
    layout->addWidget(unmatched);
    layout->addWidget(m_levels.at(std::size_t(grade - 1)), 2);
    fill(grade);
    return page;
}

void ComparisonWindow::fill(int grade)
{
    const GradeComparison &compared = m_grades.at(grade - 1);
    QTableWidget *students = studentTable(grade);
    const QStringList headers = studentHeaders();
    students->setColumnCount(int(headers.size()));
    students->setHorizontalHeaderLabels(headers);
    students->setRowCount(int(compared.students.size()));
    for (int row = 0; row < int(compared.students.size()); ++row) {
        const StudentCells cells = cellsOf(compared.students.at(row));
        for (int column = 0; column < int(cells.texts.size()); ++column) {
            auto *item = new QTableWidgetItem(cells.texts.at(column));
            if (const QColor colour = directionColour(cells.directions.at(column)); colour.isValid())
                item->setBackground(colour);
            students->setItem(row, column, item);
        }
    }
    students->resizeColumnsToContents();

    QStringList unmatched;
    for (const UnmatchedStudent &student : compared.unmatched)
        unmatched << u"• %1: %2."_s.arg(student.name, unmatchedReason(student, m_then.label, m_now.label));
    unmatchedList(grade)->setText(unmatched.isEmpty()
                                      ? u"Todos los alumnos se encontraron en los dos periodos."_s
                                      : u"Sin comparar:\n"_s + unmatched.join(u'\n'));

    QTableWidget *levels = levelTable(grade);
    const QStringList levelTitles = levelHeaders();
    levels->setColumnCount(int(levelTitles.size()));
    levels->setHorizontalHeaderLabels(levelTitles);
    levels->setRowCount(CapacityCount * LevelCount);
    for (int c = 0; c < CapacityCount; ++c) {
        for (int l = 0; l < LevelCount; ++l) {
            const int row = c * LevelCount + l;
            QStringList cells{l == 0 ? capacityName(Capacity(c)) : QString(), levelName(Level(l))};
            for (int s = 0; s < SexColumnCount; ++s)
                cells << QString::number(compared.then.count(Capacity(c), Level(l), SexColumn(s)))
                      << QString::number(compared.now.count(Capacity(c), Level(l), SexColumn(s)));
            for (int column = 0; column < int(cells.size()); ++column) {
                auto *item = new QTableWidgetItem(cells.at(column));
                if (column >= 2)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                levels->setItem(row, column, item);
            }
        }
    }
    levels->resizeColumnsToContents();
}

QString ComparisonWindow::title() const
{
    return u"Comparación de periodos, %1 y %2"_s.arg(m_then.label, m_now.label);
}

namespace {

// The largest pixel size, up to largest, at which each text (each of its lines) fits its width, also in bold.
int fittingSize(QFont font, int largest, const QList<std::pair<QString, double>> &texts)
{
    font.setPixelSize(std::max(4, largest));
    font.setBold(true);
    const QFontMetricsF metrics(font);
    double worst = 1;
    for (const auto &[text, width] : texts) {
        for (const QString &part : text.split(u'\n'))
            worst = std::max(worst, metrics.horizontalAdvance(part) / std::max(1.0, width - 4));
    }
    return std::max(4, int(largest / worst));
}

} // namespace

void paintComparisonPage(QPainter &painter, const QRectF &area, const GradeComparison &grade,
                         const ComparedSide &then, const ComparedSide &now, const QString &folderName)
{
    const QFont base = painter.font();
    const auto sized = [&base](double pixels, bool bold) {
        QFont font = base;
        font.setPixelSize(std::max(4, int(pixels)));
        font.setBold(bold);
        return font;
    };

    // The students: each cell on two lines, then and now above, the change below, shaded by its direction.
    QList<double> shares{0.03, 0.22};
    for (int r = 0; r < ResultCount; ++r)
        shares << 0.09;
    for (int c = 0; c < CapacityCount; ++c)
        shares << 0.075;
    QList<QStringList> rows{studentHeaders()};
    QList<QList<Direction>> directions{{}};
    for (const StudentChange &student : grade.students) {
        StudentCells cells = cellsOf(student);
        for (int column = 2; column < int(cells.texts.size()); ++column)
            cells.texts[column].replace(u" ("_s, u"\n("_s);
        rows << cells.texts;
        directions << cells.directions;
    }
    // The levels: a block per capacity, two blocks across; in each, the level and then and now for each sex.
    const double blockWidth = area.width() / 2;
    const double cellWidth = blockWidth * 0.94 / (1 + 2 * SexColumnCount);
    const QString thenWord = u"antes"_s;
    const QString nowWord = u"después"_s;

    // One size of letter for the page: as large as the lines and the columns allow, and a full group of 30
    // still fits.
    const double lines = 1.6 + 4 + 2.0 * double(rows.size()) + 1.5 + 2 * (3 + LevelCount + 0.5) + 1.5 +
                         1.2 * double(grade.unmatched.size());
    double body = std::min(area.height() / (lines * 1.4), area.height() / 75);
    QList<std::pair<QString, double>> fitted{{sexColumnName(SexColumn::Mujeres), 2 * cellWidth},
                                             {nowWord, cellWidth}};
    for (const QStringList &cells : rows) {
        for (int column = 0; column < int(cells.size()); ++column)
            fitted << std::pair{cells.at(column), area.width() * shares.at(column)};
    }
    body = fittingSize(base, int(body), fitted);
    const double line = body * 1.4;
    const QFont font = sized(body, false);
    const QFont bold = sized(body, true);

    double y = area.top();
    const auto text = [&](const QRectF &box, const QString &words,
                          int flags = Qt::AlignLeft | Qt::AlignVCenter) {
        painter.drawText(box.adjusted(2, 0, -2, 0), flags, words);
    };
    // A paragraph across the page, as many lines as its words need.
    const auto paragraph = [&](const QString &words, const QFont &paragraphFont) {
        painter.setFont(paragraphFont);
        const QRectF box(area.left(), y, area.width(), area.bottom() - y);
        const QRectF used = painter.boundingRect(box, Qt::TextWordWrap, words);
        painter.drawText(box, Qt::TextWordWrap, words);
        y += used.height() + line * 0.4;
    };
    paragraph(u"Avance del grupo, %1 — %2"_s.arg(gradeSheetName(grade.grade), folderName),
              sized(body * 1.6, true));
    paragraph(
        u"Antes: %1. Después: %2. Un tiempo menor, más repeticiones o un nivel más cerca de I es «mejor». "
        "Impreso el %3."_s.arg(sideText(then), sideText(now), dateInWords(QDate::currentDate())),
        font);

    for (int r = 0; r < int(rows.size()); ++r) {
        painter.setFont(r == 0 ? bold : font);
        double x = area.left();
        for (int column = 0; column < int(rows.at(r).size()); ++column) {
            const QRectF box(x, y, area.width() * shares.at(column), line * 2);
            if (column < directions.at(r).size())
                if (const QColor colour = directionColour(directions.at(r).at(column)); colour.isValid())
                    painter.fillRect(box, colour);
            painter.setPen(QColor(0xb0, 0xb0, 0xb0));
            painter.drawRect(box);
            painter.setPen(Qt::black);
            text(box, rows.at(r).at(column),
                 column == 1 && r > 0 ? int(Qt::AlignLeft | Qt::AlignVCenter) : int(Qt::AlignCenter));
            x += box.width();
        }
        y += line * 2;
    }
    y += line * 0.8;

    paragraph(u"Alumnos en cada nivel, por sexo: %1 y %2"_s.arg(then.label, now.label), bold);
    for (int c = 0; c < CapacityCount; ++c) {
        // Two blocks across: the capacity's column is c % 2, its row of blocks c / 2.
        const int blockRow = c / 2;
        const double left = area.left() + (c % 2) * blockWidth;
        double rowY = y + blockRow * line * (3 + LevelCount + 0.5);
        painter.setFont(bold);
        text(QRectF(left, rowY, blockWidth, line), capacityName(Capacity(c)));
        for (int s = 0; s < SexColumnCount; ++s)
            text(QRectF(left + (1 + 2 * s) * cellWidth, rowY + line, 2 * cellWidth, line),
                 sexColumnName(SexColumn(s)), Qt::AlignCenter);
        rowY += 2 * line;
        painter.setFont(font);
        for (int s = 0; s < SexColumnCount; ++s) {
            text(QRectF(left + (1 + 2 * s) * cellWidth, rowY, cellWidth, line), thenWord, Qt::AlignCenter);
            text(QRectF(left + (2 + 2 * s) * cellWidth, rowY, cellWidth, line), nowWord, Qt::AlignCenter);
        }
        rowY += line;
        for (int l = 0; l < LevelCount; ++l) {
            painter.setPen(QColor(0xb0, 0xb0, 0xb0));
            painter.drawLine(QPointF(left, rowY), QPointF(left + cellWidth * (1 + 2 * SexColumnCount), rowY));
            painter.setPen(Qt::black);
            text(QRectF(left, rowY, cellWidth, line), levelName(Level(l)), Qt::AlignCenter);
            for (int s = 0; s < SexColumnCount; ++s) {
                text(QRectF(left + (1 + 2 * s) * cellWidth, rowY, cellWidth, line),
                     QString::number(grade.then.count(Capacity(c), Level(l), SexColumn(s))), Qt::AlignCenter);
                text(QRectF(left + (2 + 2 * s) * cellWidth, rowY, cellWidth, line),
                     QString::number(grade.now.count(Capacity(c), Level(l), SexColumn(s))), Qt::AlignCenter);
            }
            rowY += line;
        }
    }
    y += 2 * line * (3 + LevelCount + 0.5);
    if (!grade.unmatched.isEmpty()) {
        QStringList names;
        for (const UnmatchedStudent &student : grade.unmatched)
            names << u"• %1: %2."_s.arg(student.name, unmatchedReason(student, then.label, now.label));
        paragraph(u"Sin comparar"_s, bold);
        paragraph(names.join(u'\n'), font);
    }
    painter.setFont(base);
}

PageDrawer ComparisonWindow::pageDrawer() const
{
    return [grades = m_grades, then = m_then, now = m_now,
            folder = QFileInfo(m_folder).fileName()](QPagedPaintDevice &pages) {
        QPainter painter;
        if (!painter.begin(&pages))
            return false;
        for (int g = 0; g < int(grades.size()); ++g) {
            if (g > 0 && !pages.newPage())
                return false;
            paintComparisonPage(painter, QRectF(0, 0, pages.width(), pages.height()), grades.at(g), then, now,
                                folder);
        }
        return painter.end();
    };
}

void ComparisonWindow::print()
{
    const Result<PrintedSheet> printed = printPagesOnDefaultPrinter(title(), pageDrawer());
    if (!printed) {
        Error error = printed.error();
        error.action = Action::PrintComparison;
        tell(describe(error), true);
    } else if (printed.value().printerStopped)
        tell(describeWaitingJob(printed.value(), u"la comparación de los periodos"_s), false);
    else
        tell(u"La comparación se envió a la impresora %1, una hoja por grado."_s.arg(printed.value().printer),
             false);
}

bool ComparisonWindow::savePdf(const QString &path)
{
    const QByteArray pdf = drawPdf(title(), savedPageLayout(), pageDrawer());
    const Result<void> saved =
        pdf.isEmpty() ? Result<void>(Error{
                            .action = Action::SaveDocumentPdf, .cause = Cause::Unexplained, .subject = path})
                      : savePdfFile(path, pdf);
    if (!saved) {
        tell(describe(saved.error()), true);
        return false;
    }
    tell(u"La comparación se guardó en:\n%1"_s.arg(QDir::toNativeSeparators(path)), false);
    return true;
}

bool ComparisonWindow::exportWorkbook(const QString &path)
{
    QProgressDialog progress(u"Exportando la comparación…"_s, QString(), 0, 0, this);
    progress.setObjectName(u"progresoComparacion"_s);
    progress.setMinimumDuration(500);
    progress.setValue(0);
    const QList<WorkbookTable> tables{
        {u"Comparación"_s, comparisonSheetHeaders(), comparisonSheetRows(m_grades)},
        {u"Niveles"_s, distributionSheetHeaders(), distributionSheetRows(m_grades)},
        {u"Sin comparar"_s, unmatchedSheetHeaders(),
         unmatchedSheetRows(m_grades, m_then.label, m_now.label)}};
    Result<QByteArray> content = tablesWorkbookContent(tables, path, Action::ExportComparison);
    const Result<void> stored = content ? storeExport(path, content.value(), Action::ExportComparison)
                                        : Result<void>(content.error());
    progress.reset();
    if (!stored) {
        tell(describe(stored.error()), true);
        return false;
    }
    tell(u"La comparación se exportó a:\n%1"_s.arg(QDir::toNativeSeparators(path)), false);
    return true;
}

void ComparisonWindow::tell(const QString &text, bool failure)
{
    showReportMessage(this, text, failure, windowTitle())->setObjectName(u"mensajeComparacion"_s);
}

} // namespace merlox2
