#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace merlox2 {

// A sheet of an Excel workbook: its title row (bold, and frozen) and its rows of cells, each a QString
// (text), an int or a double (a number), or nothing (an empty cell). The numbers of the rows in
// oneDecimalRows (counted from 0, under the title row) show one decimal.
struct WorkbookTable {
    QString name;
    QStringList headers;
    QList<QList<QVariant>> rows;
    QSet<int> oneDecimalRows{};
};

inline bool isNumberCell(const QVariant &cell)
{
    return cell.typeId() == QMetaType::Int || cell.typeId() == QMetaType::Double;
}

// A cell's text as the exports write it: a number always with the decimal point, whatever the locale.
inline QString cellText(const QVariant &cell)
{
    if (cell.typeId() == QMetaType::Double)
        return QString::number(cell.toDouble(), 'g', 15);
    return cell.toString();
}

// The workbooks are written in a module of their own (merlox2excel), which the program loads at the first
// export (platform/Modules.h): libxlsxwriter and the libraries it brings (on Linux, minizip and OpenSSL's
// libcrypto) then cost nothing at a start that exports nothing. The module's one entry, found by its name,
// which carries the version of this interface: raise it whenever the arguments change.
inline constexpr char WorkbookEntry[] = "merlox2_workbook_v1";
using WorkbookFunction = void (*)(const QList<WorkbookTable> *tables, const QString *target, Action action,
                                  Result<QByteArray> *content);

// Inside the module: the tables as an .xlsx, one sheet each, put together in the system's temporary folder
// and read back whole. Failures under action, naming target, the file it is for.
Result<QByteArray> writeWorkbook(const QList<WorkbookTable> &tables, const QString &target, Action action);

} // namespace merlox2
