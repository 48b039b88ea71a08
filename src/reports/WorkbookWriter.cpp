// The Excel module (merlox2excel): writes a workbook with libxlsxwriter, which only this module links.
#include "reports/Workbook.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <type_traits>

#ifdef Q_OS_UNIX
#include <clocale>
#include <locale.h> // NOLINT(modernize-deprecated-headers): newlocale and uselocale are POSIX, not in <clocale>
#endif

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

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
        if (isNumberCell(cell))
            worksheet_write_number(sheet, lxw_row_t(row), lxw_col_t(column), cell.toDouble(), format);
        else
            worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(column),
                                   cell.toString().toUtf8().constData(), format);
        widths.see(column, format == oneDecimal ? QString::number(cell.toDouble(), 'f', 1) : cellText(cell));
    }

    void table(const WorkbookTable &table)
    {
        lxw_worksheet *sheet = workbook_add_worksheet(workbook, table.name.toUtf8().constData());
        if (!sheet) // a name Excel refuses, or one given twice: a fault of the program
            return void(failed = true);
        ColumnWidths widths;
        for (qsizetype column = 0; column < table.headers.size(); ++column)
            write(sheet, widths, 0, int(column), table.headers.at(column), bold);
        worksheet_freeze_panes(sheet, 1, 0);
        for (qsizetype row = 0; row < table.rows.size(); ++row) {
            const QList<QVariant> &cells = table.rows.at(row);
            const bool oneDecimalRow = table.oneDecimalRows.contains(int(row));
            for (qsizetype column = 0; column < cells.size(); ++column) {
                const QVariant &cell = cells.at(column);
                write(sheet, widths, int(row) + 1, int(column), cell,
                      oneDecimalRow && isNumberCell(cell) ? oneDecimal : nullptr);
            }
        }
        widths.apply(sheet);
    }
};

Error workbookFailure(const QString &target, lxw_error error, int systemCode, Action action)
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

Result<QByteArray> writeWorkbook(const QList<WorkbookTable> &tables, const QString &target, Action action)
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
        for (const WorkbookTable &table : tables)
            writer.table(table);
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

} // namespace merlox2

extern "C" Q_DECL_EXPORT void merlox2_workbook_v1(const QList<merlox2::WorkbookTable> *tables,
                                                  const QString *target, merlox2::Action action,
                                                  merlox2::Result<QByteArray> *content)
{
    *content = merlox2::writeWorkbook(*tables, *target, action);
}

static_assert(std::is_same_v<decltype(&merlox2_workbook_v1), merlox2::WorkbookFunction>);
