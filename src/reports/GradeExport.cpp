#include "reports/GradeExport.h"

#include "records/FileStore.h"
#include "reports/GradeTableModel.h"

#include <QAbstractProxyModel>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <functional>

#ifdef Q_OS_UNIX
#include <clocale>
#include <locale.h> // NOLINT(modernize-deprecated-headers): newlocale and uselocale are POSIX, not in <clocale>
#endif

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

using M = GradeTableModel;

// The table's columns of results, which become numbers where they hold one.
constexpr std::array<int, 6> NumberColumns{M::Edad,       M::Resistencia, M::Velocidad,
                                           M::Lagartijas, M::Abdominales, M::Sentadillas};

QString cellText(const QVariant &cell)
{
    if (cell.typeId() == QMetaType::Double)
        return QString::number(cell.toDouble(), 'g', 15); // always the decimal point
    return cell.toString();
}

bool isNumber(const QVariant &cell)
{
    return cell.typeId() == QMetaType::Int || cell.typeId() == QMetaType::Double;
}

// A text cell that a spreadsheet would take for a formula (a name such as "=HIPERVINCULO(...)" or "@SUMA")
// starts with a quote, which Excel shows as text and never runs; numbers, negative ones too, stay numbers.
QString csvText(const QVariant &cell)
{
    QString text = cellText(cell);
    if (!isNumber(cell) && !text.isEmpty() && u"=+-@\t\r"_s.contains(text.front()))
        text.prepend(u'\'');
    return text;
}

// RFC 4180: a field with a comma, a quote or a line break goes in quotes, its quotes doubled.
QString csvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

// libxlsxwriter of Debian writes numbers with snprintf, which follows the C library's locale: the program
// takes the system's, whose decimal separator may be a comma. The workbook is written in the "C" locale,
// in this thread only. (The Windows build uses its own conversion, which ignores the locale.)
class NumbersInCLocale {
public:
    NumbersInCLocale()
    {
#ifdef Q_OS_UNIX
        m_c = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
        if (m_c)
            m_previous = uselocale(m_c);
#endif
    }
    ~NumbersInCLocale()
    {
#ifdef Q_OS_UNIX
        if (m_c) {
            uselocale(m_previous);
            freelocale(m_c);
        }
#endif
    }
    NumbersInCLocale(const NumbersInCLocale &) = delete;
    NumbersInCLocale &operator=(const NumbersInCLocale &) = delete;

private:
#ifdef Q_OS_UNIX
    locale_t m_c = locale_t(nullptr);
    locale_t m_previous = locale_t(nullptr);
#endif
};

// A sheet's columns as wide as their longest text, within reason: Excel counts widths in characters.
class ColumnWidths {
public:
    void see(int column, const QString &text)
    {
        if (column >= m_widths.size())
            m_widths.resize(column + 1, 0);
        m_widths[column] = std::max(m_widths[column], int(text.size()));
    }
    void apply(lxw_worksheet *sheet) const
    {
        for (qsizetype column = 0; column < m_widths.size(); ++column)
            worksheet_set_column(sheet, lxw_col_t(column), lxw_col_t(column),
                                 std::clamp(m_widths[column] + 2, 5, 60), nullptr);
    }

private:
    QList<int> m_widths;
};

struct Writer {
    lxw_workbook *workbook = nullptr;
    lxw_format *bold = nullptr;
    lxw_format *oneDecimal = nullptr;
    bool failed = false;

    void write(lxw_worksheet *sheet, ColumnWidths &widths, int row, int column, const QVariant &cell,
               lxw_format *format = nullptr) const
    {
        if (!cell.isValid())
            return;
        if (isNumber(cell))
            worksheet_write_number(sheet, lxw_row_t(row), lxw_col_t(column), cell.toDouble(), format);
        else
            worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(column),
                                   cell.toString().toUtf8().constData(), format);
        widths.see(column, format == oneDecimal ? QString::number(cell.toDouble(), 'f', 1) : cellText(cell));
    }

    void header(lxw_worksheet *sheet, ColumnWidths &widths, const QStringList &titles) const
    {
        for (qsizetype column = 0; column < titles.size(); ++column)
            write(sheet, widths, 0, int(column), titles.at(column), bold);
        worksheet_freeze_panes(sheet, 1, 0);
    }

    void table(const WorkbookTable &table)
    {
        lxw_worksheet *sheet = workbook_add_worksheet(workbook, table.name.toUtf8().constData());
        if (!sheet)
            return void(failed = true);
        ColumnWidths widths;
        header(sheet, widths, table.headers);
        for (qsizetype row = 0; row < table.rows.size(); ++row) {
            const QList<QVariant> &cells = table.rows.at(row);
            for (qsizetype column = 0; column < cells.size(); ++column)
                write(sheet, widths, int(row) + 1, int(column), cells.at(column));
        }
        widths.apply(sheet);
    }

    void gradeSheet(const GradeSheet &grade)
    {
        lxw_worksheet *sheet =
            workbook_add_worksheet(workbook, gradeSheetName(grade.grade).toUtf8().constData());
        if (!sheet) // a name Excel refuses, or one given twice: a fault of the program
            return void(failed = true);
        ColumnWidths widths;
        header(sheet, widths, gradeSheetHeaders());
        for (qsizetype row = 0; row < grade.rows.size(); ++row) {
            const QList<QVariant> &cells = grade.rows.at(row);
            for (qsizetype column = 0; column < cells.size(); ++column)
                write(sheet, widths, int(row) + 1, int(column), cells.at(column));
        }
        widths.apply(sheet);
    }

    // A row per grade and what is counted, the sexes across: a table that filters and sorts as one.
    void summarySheet(const std::array<GradeSheet, 3> &grades)
    {
        lxw_worksheet *sheet = workbook_add_worksheet(workbook, "Resumen");
        if (!sheet)
            return void(failed = true);
        ColumnWidths widths;
        header(sheet, widths,
               {u"Grado"_s, u"Capacidad"_s, u"Concepto"_s, sexColumnName(SexColumn::Hombres),
                sexColumnName(SexColumn::Mujeres), sexColumnName(SexColumn::Todos)});
        int row = 0;
        const auto line = [&](const QString &grade, const QString &what, const QString &item,
                              const std::array<QVariant, SexColumnCount> &values,
                              lxw_format *format = nullptr) {
            ++row;
            write(sheet, widths, row, 0, grade);
            write(sheet, widths, row, 1, what);
            write(sheet, widths, row, 2, item);
            for (int s = 0; s < SexColumnCount; ++s)
                write(sheet, widths, row, 3 + s, values[std::size_t(s)], format);
        };
        const auto numbers = [](const ClassSummary::BySex<int> &counts) {
            return std::array<QVariant, SexColumnCount>{counts[0], counts[1], counts[2]};
        };
        for (const GradeSheet &grade : grades) {
            const ClassSummary &summary = grade.summary;
            const QString name = gradeSheetName(grade.grade);
            line(name, u"Alumnos"_s, u"Con sexo"_s, numbers(summary.students));
            line(name, u"Alumnos"_s, u"Sin sexo (sin evaluar)"_s,
                 {QVariant(), QVariant(), summary.withoutSex});
            line(name, u"Alumnos"_s, u"Con resultados incompletos"_s, numbers(summary.incomplete));
            for (int c = 0; c < CapacityCount; ++c) {
                const auto capacity = Capacity(c);
                for (int l = 0; l < LevelCount; ++l) {
                    const auto level = Level(l);
                    line(name, capacityName(capacity), u"Nivel "_s + levelName(level),
                         {summary.count(capacity, level, SexColumn::Hombres),
                          summary.count(capacity, level, SexColumn::Mujeres),
                          summary.count(capacity, level, SexColumn::Todos)});
                }
                std::array<QVariant, SexColumnCount> means;
                for (int s = 0; s < SexColumnCount; ++s) {
                    if (const std::optional<double> mean = summary.mean(capacity, SexColumn(s)))
                        means[std::size_t(s)] = *mean;
                }
                line(name, capacityName(capacity), u"Porcentaje medio"_s, means, oneDecimal);
            }
        }
        widths.apply(sheet);
    }
};

Error workbookFailure(const QString &target, lxw_error error, int systemCode,
                      Action action = Action::ExportWorkbook)
{
    if (error == LXW_ERROR_MEMORY_MALLOC_FAILED)
        return Error{.action = action, .cause = Cause::OutOfMemory, .subject = target};
    return Error{.action = action,
                 .cause = systemCode != 0 ? Cause::Other : Cause::Unexplained,
                 .subject = target,
                 .place = QDir::tempPath(),
                 .detail = QString::fromUtf8(lxw_strerror(error)),
                 .systemCode = systemCode};
}

} // namespace

const QStringList &gradeSheetHeaders()
{
    static const QStringList Headers{u"No."_s,
                                     u"Nombre"_s,
                                     u"Edad"_s,
                                     u"Resistencia"_s,
                                     u"Velocidad"_s,
                                     u"Lagartijas"_s,
                                     u"Abdominales"_s,
                                     u"Sentadillas"_s,
                                     u"Sexo"_s,
                                     u"Nivel de resistencia"_s,
                                     u"Resistencia (%)"_s,
                                     u"Nivel de velocidad"_s,
                                     u"Velocidad (%)"_s,
                                     u"Nivel de fuerza"_s,
                                     u"Fuerza (%)"_s,
                                     u"Nivel promedio"_s,
                                     u"Promedio (%)"_s};
    return Headers;
}

QString gradeSheetName(int grade) { return u"%1º grado"_s.arg(grade); }

GradeSheet gradeSheet(const GradeTableModel &model, const QAbstractItemModel &shown)
{
    GradeSheet sheet;
    sheet.grade = model.grade();
    sheet.summary = summarize(model);
    const auto *proxy = qobject_cast<const QAbstractProxyModel *>(&shown);
    for (int row = 0; row < shown.rowCount(); ++row) {
        const int sourceRow = proxy ? proxy->mapToSource(proxy->index(row, 0)).row() : row;
        const int slot = sourceRow + 1;
        const auto at = [&](int column) { return model.index(sourceRow, column); };
        const auto textOrNothing = [](const QString &text) { return text.isEmpty() ? QVariant() : text; };
        QList<QVariant> cells{slot, textOrNothing(at(M::Nombre).data().toString())};
        for (const int column : NumberColumns) {
            const QVariant number = at(column).data(M::SortRole);
            cells << (number.isValid() ? number : textOrNothing(at(column).data().toString()));
        }
        cells << textOrNothing(at(M::Sexo).data().toString());
        const StudentRecord &student = model.roster()[slot];
        const StudentMarks marks =
            marksOf(model.grade(), student, model.sexes().sexOf(slot, student.field(StudentRecord::Nombre)));
        for (int c = 0; c < CapacityCount; ++c) {
            if (const std::optional<Mark> &mark = marks[Capacity(c)])
                cells << levelName(mark->level) << mark->percentage;
            else // why there is none, as the table says it
                cells << textOrNothing(at(M::NivelResistencia + c).data().toString()) << QVariant();
        }
        sheet.rows << cells;
    }
    return sheet;
}

QByteArray csvContent(const GradeSheet &sheet)
{
    QString text;
    const auto line = [&text](const QList<QVariant> &cells) {
        QStringList fields;
        for (const QVariant &cell : cells)
            fields << csvField(csvText(cell));
        text += fields.join(u',') + u"\r\n"_s;
    };
    line(QList<QVariant>(gradeSheetHeaders().cbegin(), gradeSheetHeaders().cend()));
    for (const QList<QVariant> &cells : sheet.rows)
        line(cells);
    return "\xEF\xBB\xBF" + text.toUtf8();
}

namespace {

// Writes the workbook in a temporary folder through fill, and reads it back whole.
Result<QByteArray> writeWorkbook(const QString &target, Action action,
                                 const std::function<void(Writer &)> &fill)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        return workbookFailure(target, LXW_ERROR_CREATING_TMPFILE, errno, action);
    const QString path = folder.filePath(u"libro.xlsx"_s);
#ifdef Q_OS_WIN
    // libxlsxwriter opens the workbook with _wfopen from UTF-8, its own temporary files with the ANSI _open.
    const QByteArray encodedPath = QDir::toNativeSeparators(path).toUtf8();
    QByteArray encodedFolder = QFile::encodeName(QDir::toNativeSeparators(folder.path()));
#else
    const QByteArray encodedPath = QFile::encodeName(path);
    QByteArray encodedFolder = QFile::encodeName(folder.path());
#endif
    lxw_workbook_options options{};
    options.tmpdir = encodedFolder.data(); // not the root of C:, where tmpfile() would put them on Windows
    lxw_error closed = LXW_NO_ERROR;
    {
        const NumbersInCLocale numbers;
        Writer writer;
        writer.workbook = workbook_new_opt(encodedPath.constData(), &options);
        if (!writer.workbook)
            return workbookFailure(target, LXW_ERROR_MEMORY_MALLOC_FAILED, 0, action);
        writer.bold = workbook_add_format(writer.workbook);
        format_set_bold(writer.bold);
        writer.oneDecimal = workbook_add_format(writer.workbook);
        format_set_num_format(writer.oneDecimal, "0.0");
        fill(writer);
        errno = 0;
        closed = workbook_close(writer.workbook);
        if (writer.failed)
            closed = LXW_ERROR_FEATURE_NOT_SUPPORTED;
    }
    if (closed != LXW_NO_ERROR)
        return workbookFailure(target, closed, errno, action);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return workbookFailure(target, LXW_ERROR_READING_TMPFILE, 0, action);
    return file.readAll();
}

} // namespace

Result<QByteArray> workbookContent(const std::array<GradeSheet, 3> &sheets, const QString &target)
{
    return writeWorkbook(target, Action::ExportWorkbook, [&sheets](Writer &writer) {
        for (const GradeSheet &sheet : sheets)
            writer.gradeSheet(sheet);
        writer.summarySheet(sheets);
    });
}

Result<QByteArray> tablesWorkbookContent(const QList<WorkbookTable> &tables, const QString &target,
                                         Action action)
{
    return writeWorkbook(target, action, [&tables](Writer &writer) {
        for (const WorkbookTable &table : tables)
            writer.table(table);
    });
}

Result<void> storeExport(const QString &path, const QByteArray &content, Action action)
{
    Result<filestore::Current> current = filestore::readCurrent(path, action);
    if (!current)
        return current.error();
    // Never written in place: a shorter export over a longer one would leave the old tail.
    return filestore::replaceContent(current.value(), content, {action, action}, filestore::InPlace::Refused);
}

} // namespace merlox2
