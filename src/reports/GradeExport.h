#pragma once

#include "common/Result.h"
#include "reports/ClassSummary.h"
#include "reports/Workbook.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>

class QAbstractItemModel;

namespace merlox2 {

class GradeTableModel;

// One grade as it is exported: the rows the table shows, in its order, each cell a QString (text), an int
// or a double (a number), or nothing (an empty cell); and the grade's summary. Taken from the models at
// once, so that the export itself may run away from them.
struct GradeSheet {
    int grade = 1;
    QList<QList<QVariant>> rows;
    ClassSummary summary;
};

// The columns of a grade's sheet: the table's, with each evaluation split into its level (text) and its
// percentage (a number), so that a spreadsheet can sum and sort them.
const QStringList &gradeSheetHeaders();

// shown: the table as the window shows it, a proxy whose source is model (or model itself).
GradeSheet gradeSheet(const GradeTableModel &model, const QAbstractItemModel &shown);

// "1º grado": the grade's sheet, as the window's tab names it.
QString gradeSheetName(int grade);

// The grade as CSV, as a spreadsheet in Mexico opens it: UTF-8 with a BOM, comma-separated, the decimal
// point, lines ending in CR LF, a field quoted where it holds a comma, a quote or a line break, and a text
// that starts as a formula would (=, +, -, @, tab, CR) after a single quote, so that it never runs.
QByteArray csvContent(const GradeSheet &sheet);

// The three grades and their «Resumen» as an Excel workbook (.xlsx). target: the file it is for, the one
// a failure names; the workbook is put together in the system's temporary folder.
Result<QByteArray> workbookContent(const std::array<GradeSheet, 3> &sheets, const QString &target);

// The tables as a workbook, one sheet each, through the Excel module (Workbook.h); failures under action,
// naming target, or that the module is missing (Cause::NoModule).
Result<QByteArray> tablesWorkbookContent(const QList<WorkbookTable> &tables, const QString &target,
                                         Action action);

// Replaces path with content at once (temporary file beside it, then renamed), as the grade files are:
// a failure leaves the file as it was and no half file. Failures under action.
Result<void> storeExport(const QString &path, const QByteArray &content, Action action);

} // namespace merlox2
