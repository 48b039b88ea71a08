#include "reports/GradeExport.h"

#include "platform/Modules.h"
#include "records/FileStore.h"
#include "reports/GradeTableModel.h"

#include <QAbstractProxyModel>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

using M = GradeTableModel;

// The table's columns of results, which become numbers where they hold one.
constexpr std::array<int, 6> NumberColumns{M::Edad,       M::Resistencia, M::Velocidad,
                                           M::Lagartijas, M::Abdominales, M::Sentadillas};

// A text cell that a spreadsheet would take for a formula (a name such as "=HIPERVINCULO(...)" or "@SUMA")
// starts with a quote, which Excel shows as text and never runs; numbers, negative ones too, stay numbers.
QString csvText(const QVariant &cell)
{
    QString text = cellText(cell);
    if (!isNumberCell(cell) && !text.isEmpty() && u"=+-@\t\r"_s.contains(text.front()))
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

// A row per grade and what is counted, the sexes across: a table that filters and sorts as one.
WorkbookTable summaryTable(const std::array<GradeSheet, 3> &grades)
{
    WorkbookTable table{u"Resumen"_s,
                        {u"Grado"_s, u"Capacidad"_s, u"Concepto"_s, sexColumnName(SexColumn::Hombres),
                         sexColumnName(SexColumn::Mujeres), sexColumnName(SexColumn::Todos)},
                        {}};
    const auto line = [&table](const QString &grade, const QString &what, const QString &item,
                               const std::array<QVariant, SexColumnCount> &values) {
        table.rows << QList<QVariant>{grade, what, item, values[0], values[1], values[2]};
    };
    const auto numbers = [](const ClassSummary::BySex<int> &counts) {
        return std::array<QVariant, SexColumnCount>{counts[0], counts[1], counts[2]};
    };
    for (const GradeSheet &grade : grades) {
        const ClassSummary &summary = grade.summary;
        const QString name = gradeSheetName(grade.grade);
        line(name, u"Alumnos"_s, u"Con sexo"_s, numbers(summary.students));
        line(name, u"Alumnos"_s, u"Sin sexo (sin evaluar)"_s, {QVariant(), QVariant(), summary.withoutSex});
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
            table.oneDecimalRows.insert(int(table.rows.size())); // the percentages with one decimal
            line(name, capacityName(capacity), u"Porcentaje medio"_s, means);
        }
    }
    return table;
}

} // namespace

Result<QByteArray> workbookContent(const std::array<GradeSheet, 3> &sheets, const QString &target)
{
    QList<WorkbookTable> tables;
    for (const GradeSheet &sheet : sheets)
        tables << WorkbookTable{gradeSheetName(sheet.grade), gradeSheetHeaders(), sheet.rows};
    tables << summaryTable(sheets);
    return tablesWorkbookContent(tables, target, Action::ExportWorkbook);
}

Result<QByteArray> tablesWorkbookContent(const QList<WorkbookTable> &tables, const QString &target,
                                         Action action)
{
    const Result<std::vector<QFunctionPointer>> module =
        loadModule(QStringLiteral(MERLOX2_EXCEL_MODULE_FILE), {WorkbookEntry}, action);
    if (!module)
        return module.error();
    // The entry's type is known only by its name: WorkbookWriter.cpp checks it against ours.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast)
    const auto write = reinterpret_cast<WorkbookFunction>(module.value().front());
    Result<QByteArray> content = Error{.action = action}; // the module always sets it
    write(&tables, &target, action, &content);
    return content;
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
