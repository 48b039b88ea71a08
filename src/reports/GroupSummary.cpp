#include "reports/GroupSummary.h"

#include "evaluation/EvaluationRule.h"
#include "records/GradeFile.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// As the table of the window: the same evaluation on every computer.
const QLocale &resultLocale()
{
    static const QLocale locale(QLocale::Spanish, QLocale::Mexico);
    return locale;
}

int levelIndex(const QString &level)
{
    static const QStringList Levels{u"I"_s, u"II"_s, u"III"_s, u"IV"_s, u"SN"_s};
    const auto index = int(Levels.indexOf(level));
    return index < 0 ? GroupSummary::LevelCount - 1 : index;
}

QString reasonFor(Stop stop)
{
    switch (stop) {
    case Stop::EnduranceNotANumber: return u"falta la resistencia o no es un número"_s;
    case Stop::SpeedNotANumber: return u"falta la velocidad o no es un número"_s;
    case Stop::CountNotANumber:
    case Stop::CountOverflow: return u"falta una prueba de fuerza o no es un número válido"_s;
    case Stop::SumOverflow: return u"la suma de fuerza está fuera de rango"_s;
    case Stop::None: break;
    }
    return u"resultados incompletos"_s;
}

// The levels' colours: from the best to «sin nivel», readable in grey as well.
const std::array<QColor, GroupSummary::LevelCount> LevelColours{
    QColor(0x1b, 0x5e, 0x20), QColor(0x66, 0xbb, 0x6a), QColor(0xff, 0xd5, 0x4f), QColor(0xef, 0x6c, 0x00),
    QColor(0xb7, 0x1c, 0x1c)};

QFont fontOf(qreal pointSize, bool bold = false)
{
    QFont font(u"DejaVu Sans"_s);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace

Result<GradeStudents> readGradeStudents(int grade, const QString &gradeFilePath)
{
    GradeStudents students{.grade = grade};
    if (QFileInfo::exists(gradeFilePath)) {
        if (const Result<void> loaded = GradeFile(gradeFilePath).loadRoster(students.roster); !loaded)
            return loaded.error();
    }
    Result<SexTable> sexes = SexFile::forGradeFile(gradeFilePath).read();
    if (!sexes)
        return sexes.error();
    students.sexes = sexes.value();
    return students;
}

EvaluatedGrade evaluateGrade(const GradeStudents &grade)
{
    EvaluatedGrade evaluated;
    for (int slot = Roster::FirstSlot; slot <= Roster::LastSlot; ++slot) {
        const StudentRecord &record = grade.roster[slot];
        const QString name = SexFile::nameKey(record.field(StudentRecord::Nombre)).trimmed();
        if (name.isEmpty())
            continue;
        const std::optional<Sex> sex = grade.sexes.sexOf(slot, record.field(StudentRecord::Nombre));
        if (!sex) {
            evaluated.leftOut.append({slot, name, u"sin sexo"_s});
            continue;
        }
        const QString results[] = {
            record.field(StudentRecord::Resistencia), record.field(StudentRecord::Velocidad),
            record.field(StudentRecord::Lagartijas), record.field(StudentRecord::Abdominales),
            record.field(StudentRecord::Sentadillas)};
        const Evaluation evaluation = evaluate(grade.grade, *sex, {results[0], results[1], results[2], results[3],
                                                                   results[4]}, resultLocale());
        if (!evaluation.complete() || evaluation.outputs.size() < std::size_t(OutputCount)) {
            evaluated.leftOut.append({slot, name, reasonFor(evaluation.stop)});
            continue;
        }
        EvaluatedGrade::Student student{.slot = slot, .name = name, .sex = *sex};
        const auto output = [&evaluation](Output which) { return evaluation.outputs[std::size_t(which)]; };
        const std::array<std::pair<Output, Output>, 4> places{{
            {Output::EnduranceLevel, Output::EndurancePercentage},
            {Output::SpeedLevel, Output::SpeedPercentage},
            {Output::StrengthLevel, Output::StrengthPercentage},
            {Output::AverageLevel, Output::AveragePercentage},
        }};
        for (std::size_t i = 0; i < places.size(); ++i) {
            student.levels[i] = levelIndex(output(places[i].first));
            student.percentages[i] = output(places[i].second).toInt();
        }
        evaluated.students.append(student);
    }
    return evaluated;
}

GroupSummary::Levels GroupSummary::Capacity::together() const
{
    Levels levels{};
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i] = hombres[i] + mujeres[i];
    return levels;
}

QString GroupSummary::capacityName(int capacity)
{
    static const std::array<QString, CapacityCount> Names{u"Resistencia"_s, u"Velocidad"_s, u"Fuerza"_s,
                                                          u"Promedio"_s};
    return Names.at(std::size_t(capacity));
}

QString GroupSummary::levelName(int level)
{
    static const std::array<QString, LevelCount> Names{u"I"_s, u"II"_s, u"III"_s, u"IV"_s, u"SN"_s};
    return Names.at(std::size_t(level));
}

GroupSummary summarize(const EvaluatedGrade &grade, int gradeNumber)
{
    GroupSummary summary{.grade = gradeNumber};
    double percentageSum = 0;
    for (const EvaluatedGrade::Student &student : grade.students) {
        const bool hombre = student.sex == Sex::Hombre;
        (hombre ? summary.hombres : summary.mujeres) += 1;
        for (std::size_t capacity = 0; capacity < summary.capacities.size(); ++capacity) {
            GroupSummary::Capacity &counts = summary.capacities[capacity];
            (hombre ? counts.hombres : counts.mujeres)[std::size_t(student.levels[capacity])] += 1;
        }
        percentageSum += student.percentages[GroupSummary::CapacityCount - 1];
    }
    for (const LeftOutStudent &student : grade.leftOut)
        (student.reason == u"sin sexo"_s ? summary.withoutSex : summary.incomplete) += 1;
    if (summary.evaluated() > 0)
        summary.meanPercentage = percentageSum / summary.evaluated();
    return summary;
}

QString countAndShare(int count, int total)
{
    if (total == 0)
        return QString::number(count);
    return u"%1 (%2 %)"_s.arg(count).arg(resultLocale().toString(100.0 * count / total, 'f', 0));
}

void paintSummaryChart(QPainter &painter, const QRectF &area, const GroupSummary &summary)
{
    painter.save();
    const QFont font = fontOf(8);
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const qreal line = metrics.height();
    const qreal axisWidth = metrics.horizontalAdvance(u"100 %"_s) + line * 0.5;
    const qreal keyHeight = line * 1.6;
    const QRectF plot(area.left() + axisWidth, area.top() + keyHeight, area.width() - axisWidth - line * 0.5,
                      area.height() - keyHeight - line * 1.5);
    const qreal thin = std::max(1.0, line / 16);

    // The key: a swatch and the level's name, in a row above the bars.
    qreal x = plot.left();
    for (int level = 0; level < GroupSummary::LevelCount; ++level) {
        const QRectF swatch(x, area.top() + line * 0.2, line * 0.8, line * 0.8);
        painter.fillRect(swatch, LevelColours[std::size_t(level)]);
        const QString text = u"Nivel "_s + GroupSummary::levelName(level);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(swatch.right() + line * 0.3, swatch.bottom() - metrics.descent() * 0.3), text);
        x = swatch.right() + line * 0.3 + metrics.horizontalAdvance(text) + line;
    }

    // The axis of shares, every 25 %.
    painter.setPen(QPen(Qt::gray, thin));
    for (int share = 0; share <= 100; share += 25) {
        const qreal y = plot.bottom() - plot.height() * share / 100.0;
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        const QString text = u"%1 %"_s.arg(share);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left(), y - line / 2, axisWidth - line * 0.3, line),
                         Qt::AlignRight | Qt::AlignVCenter, text);
        painter.setPen(QPen(Qt::gray, thin));
    }

    const int total = summary.evaluated();
    const qreal slot = plot.width() / GroupSummary::CapacityCount;
    for (int capacity = 0; capacity < GroupSummary::CapacityCount; ++capacity) {
        const qreal left = plot.left() + slot * capacity + slot * 0.2;
        const qreal width = slot * 0.6;
        const GroupSummary::Levels levels = summary.capacities.at(std::size_t(capacity)).together();
        qreal bottom = plot.bottom();
        for (int level = 0; level < GroupSummary::LevelCount && total > 0; ++level) {
            const int count = levels.at(std::size_t(level));
            if (count == 0)
                continue;
            const qreal height = plot.height() * count / total;
            const QRectF part(left, bottom - height, width, height);
            painter.fillRect(part, LevelColours[std::size_t(level)]);
            if (height >= line) {
                painter.setPen(level == 2 || level == 1 ? Qt::black : Qt::white);
                painter.drawText(part, Qt::AlignCenter, QString::number(count));
            }
            bottom -= height;
        }
        painter.setPen(QPen(Qt::black, thin));
        painter.drawRect(QRectF(left, plot.top(), width, plot.height()));
        painter.drawText(QRectF(plot.left() + slot * capacity, plot.bottom() + line * 0.2, slot, line),
                         Qt::AlignCenter, GroupSummary::capacityName(capacity));
    }
    if (total == 0)
        painter.drawText(plot, Qt::AlignCenter | Qt::TextWordWrap, u"Ningún alumno evaluado"_s);
    painter.restore();
}

void paintSummaryPage(QPainter &painter, const QRectF &area, const GroupSummary &summary,
                      const QString &folderName, QDate date)
{
    painter.save();
    painter.setPen(Qt::black);
    const QFont title = fontOf(15, true);
    const QFont body = fontOf(9);
    const QFont bold = fontOf(9, true);
    const qreal line = QFontMetricsF(body, painter.device()).height() * 1.35;
    qreal y = area.top();

    painter.setFont(title);
    const qreal titleHeight = QFontMetricsF(title, painter.device()).height();
    painter.drawText(QRectF(area.left(), y, area.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     u"Resumen del grupo: %1º grado"_s.arg(summary.grade));
    y += titleHeight * 1.2;
    painter.setFont(body);
    painter.drawText(QRectF(area.left(), y, area.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                     u"Carpeta: %1"_s.arg(folderName));
    painter.drawText(QRectF(area.left(), y, area.width(), line), Qt::AlignRight | Qt::AlignVCenter,
                     u"Fecha: %1"_s.arg(resultLocale().toString(date, u"d 'de' MMMM 'de' yyyy"_s)));
    y += line * 1.5;

    // The table: a row per capacity and sex, a column per level, the shares of that row's students.
    const QStringList headers{u"Capacidad"_s, u"Alumnos"_s, u"I"_s,  u"II"_s,
                              u"III"_s,       u"IV"_s,      u"SN"_s, u"Total"_s};
    const std::array<qreal, 8> widths{0.16, 0.12, 0.12, 0.12, 0.12, 0.12, 0.12, 0.12};
    const auto drawRow = [&](const QStringList &cells, bool shaded) {
        qreal x = area.left();
        if (shaded)
            painter.fillRect(QRectF(area.left(), y, area.width(), line), QColor(0xee, 0xee, 0xee));
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const qreal width = area.width() * widths.at(std::size_t(i));
            painter.drawText(QRectF(x + line * 0.2, y, width - line * 0.4, line),
                             (i < 2 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, cells.at(i));
            x += width;
        }
        y += line;
    };
    painter.setFont(bold);
    drawRow(headers, true);
    painter.setFont(body);
    const int total = summary.evaluated();
    for (int capacity = 0; capacity < GroupSummary::CapacityCount; ++capacity) {
        const GroupSummary::Capacity &counts = summary.capacities.at(std::size_t(capacity));
        const std::array<std::pair<QString, GroupSummary::Levels>, 3> rows{{
            {u"Hombres"_s, counts.hombres},
            {u"Mujeres"_s, counts.mujeres},
            {u"Todos"_s, counts.together()},
        }};
        const std::array<int, 3> rowTotals{summary.hombres, summary.mujeres, total};
        for (std::size_t r = 0; r < rows.size(); ++r) {
            QStringList cells{r == 0 ? GroupSummary::capacityName(capacity) : QString(), rows[r].first};
            for (const int count : rows[r].second)
                cells << countAndShare(count, rowTotals[r]);
            cells << QString::number(rowTotals[r]);
            painter.setFont(r == 2 ? bold : body);
            drawRow(cells, false);
        }
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    painter.setFont(body);
    y += line * 0.5;
    const auto sentence = [&](const QString &text) {
        painter.drawText(QRectF(area.left(), y, area.width(), line), Qt::AlignLeft | Qt::AlignVCenter, text);
        y += line;
    };
    sentence(u"Alumnos evaluados: %1 (hombres: %2, mujeres: %3)."_s.arg(total).arg(summary.hombres)
                 .arg(summary.mujeres));
    sentence(u"Contados aparte: %1 sin sexo y %2 con resultados incompletos."_s.arg(summary.withoutSex)
                 .arg(summary.incomplete));
    painter.setFont(bold);
    sentence(total == 0 ? u"Porcentaje promedio del grupo: sin alumnos evaluados."_s
                        : u"Porcentaje promedio del grupo: %1 %."_s.arg(
                              resultLocale().toString(summary.meanPercentage, 'f', 1)));
    y += line * 0.5;
    const qreal chartHeight = std::min(area.bottom() - y, area.width() * 0.55);
    if (chartHeight > line * 5)
        paintSummaryChart(painter, QRectF(area.left(), y, area.width(), chartHeight), summary);
    painter.restore();
}

} // namespace merlox2
