#include "reports/GroupSummary.h"

#include "evaluation/EvaluationRule.h"
#include "evaluation/NumberConversion.h"
#include "records/GradeFile.h"
#include "reports/GradeTableModel.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

int levelIndex(const QString &level)
{
    for (int index = 0; index < LevelCount; ++index) {
        if (levelName(Level(index)) == level)
            return index;
    }
    return int(Level::SN);
}

// Why the evaluation stopped, naming the result as the table of the window does («falta Lagartijas»).
QString reasonFor(Stop stop, const StudentRecord &record)
{
    const auto missingOrNot = [&record](StudentRecord::Field field, const QString &name) {
        return SexFile::nameKey(record.field(field)).trimmed().isEmpty() ? u"falta %1"_s.arg(name)
                                                                         : u"%1 no es un número"_s.arg(name);
    };
    switch (stop) {
    case Stop::EnduranceNotANumber: return missingOrNot(StudentRecord::Resistencia, u"Resistencia"_s);
    case Stop::SpeedNotANumber: return missingOrNot(StudentRecord::Velocidad, u"Velocidad"_s);
    case Stop::CountNotANumber:
    case Stop::CountOverflow: {
        const std::array<std::pair<StudentRecord::Field, QString>, 3> counts{{
            {StudentRecord::Lagartijas, u"Lagartijas"_s},
            {StudentRecord::Abdominales, u"Abdominales"_s},
            {StudentRecord::Sentadillas, u"Sentadillas"_s},
        }};
        for (const auto &[field, name] : counts) {
            const CountResult count = toCount(record.field(field), resultLocale());
            if (count.value)
                continue;
            return count.failure == CountFailure::Overflow ? u"%1: número fuera de rango"_s.arg(name)
                                                           : missingOrNot(field, name);
        }
        break;
    }
    case Stop::SumOverflow: return u"la suma de fuerza está fuera de rango"_s;
    case Stop::None: break;
    }
    return u"resultados incompletos"_s;
}

// The levels' colours: from the best to «sin nivel», readable in grey as well.
const std::array<QColor, LevelCount> LevelColours{QColor(0x1b, 0x5e, 0x20), QColor(0x66, 0xbb, 0x6a),
                                                  QColor(0xff, 0xd5, 0x4f), QColor(0xef, 0x6c, 0x00),
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
        const Evaluation evaluation = evaluate(
            grade.grade, *sex, {results[0], results[1], results[2], results[3], results[4]}, resultLocale());
        if (!evaluation.complete() || evaluation.outputs.size() < std::size_t(OutputCount)) {
            evaluated.leftOut.append({slot, name, reasonFor(evaluation.stop, record)});
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

QString countAndShare(int count, int total)
{
    if (total == 0)
        return QString::number(count);
    return u"%1 (%2 %)"_s.arg(count).arg(resultLocale().toString(100.0 * count / total, 'f', 0));
}

QStringList summarySentences(const ClassSummary &summary)
{
    const auto students = [&summary](SexColumn sex) { return summary.students.at(std::size_t(sex)); };
    const std::optional<double> mean = summary.mean(Capacity::Promedio, SexColumn::Todos);
    return {
        u"Alumnos con sexo: %1 (hombres: %2, mujeres: %3)."_s.arg(students(SexColumn::Todos))
            .arg(students(SexColumn::Hombres))
            .arg(students(SexColumn::Mujeres)),
        u"Contados aparte: %1 sin sexo, que no se evalúan, y %2 con resultados incompletos, que cuentan solo "
        u"en "
        "las capacidades que alcanzaron."_s.arg(summary.withoutSex)
            .arg(summary.incomplete.at(std::size_t(SexColumn::Todos))),
        mean ? u"Porcentaje promedio del grupo: %1 %."_s.arg(resultLocale().toString(*mean, 'f', 1))
             : u"Porcentaje promedio del grupo: sin alumnos evaluados."_s,
    };
}

void paintSummaryChart(QPainter &painter, const QRectF &area, const ClassSummary &summary)
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
    for (int level = 0; level < LevelCount; ++level) {
        const QRectF swatch(x, area.top() + line * 0.2, line * 0.8, line * 0.8);
        painter.fillRect(swatch, LevelColours[std::size_t(level)]);
        const QString text = u"Nivel "_s + levelName(Level(level));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(swatch.right() + line * 0.3, swatch.bottom() - metrics.descent() * 0.3),
                         text);
        x = swatch.right() + line * 0.3 + metrics.horizontalAdvance(text) + line;
    }

    // The axis of shares, every 25 %.
    for (int share = 0; share <= 100; share += 25) {
        const qreal y = plot.bottom() - plot.height() * share / 100.0;
        painter.setPen(QPen(Qt::gray, thin));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left(), y - line / 2, axisWidth - line * 0.3, line),
                         Qt::AlignRight | Qt::AlignVCenter, u"%1 %"_s.arg(share));
    }

    // A bar per capacity: its levels stacked as shares of the students it has a mark for.
    const qreal slot = plot.width() / CapacityCount;
    for (int capacity = 0; capacity < CapacityCount; ++capacity) {
        const qreal left = plot.left() + slot * capacity + slot * 0.2;
        const qreal width = slot * 0.6;
        const int total = summary.evaluated.at(std::size_t(capacity)).at(std::size_t(SexColumn::Todos));
        qreal bottom = plot.bottom();
        for (int level = 0; level < LevelCount && total > 0; ++level) {
            const int count = summary.count(Capacity(capacity), Level(level), SexColumn::Todos);
            if (count == 0)
                continue;
            const qreal height = plot.height() * count / total;
            const QRectF part(left, bottom - height, width, height);
            painter.fillRect(part, LevelColours[std::size_t(level)]);
            if (height >= line) {
                painter.setPen(level == 1 || level == 2 ? Qt::black : Qt::white);
                painter.drawText(part, Qt::AlignCenter, QString::number(count));
            }
            bottom -= height;
        }
        painter.setPen(QPen(Qt::black, thin));
        painter.drawRect(QRectF(left, plot.top(), width, plot.height()));
        painter.drawText(QRectF(plot.left() + slot * capacity, plot.bottom() + line * 0.2, slot, line),
                         Qt::AlignCenter, capacityName(Capacity(capacity)));
    }
    if (summary.evaluated.at(std::size_t(Capacity::Resistencia)).at(std::size_t(SexColumn::Todos)) == 0)
        painter.drawText(plot, Qt::AlignCenter | Qt::TextWordWrap, u"Ningún alumno evaluado"_s);
    painter.restore();
}

void paintSummaryPage(QPainter &painter, const QRectF &area, const ClassSummary &summary,
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
    const QStringList headers = summaryHeaders();
    const std::array<qreal, 8> widths{0.16, 0.12, 0.12, 0.12, 0.12, 0.12, 0.12, 0.12};
    const auto drawRow = [&](const QStringList &cells, bool shaded) {
        qreal x = area.left();
        if (shaded)
            painter.fillRect(QRectF(area.left(), y, area.width(), line), QColor(0xee, 0xee, 0xee));
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const qreal width = area.width() * widths.at(std::size_t(i));
            painter.drawText(QRectF(x + line * 0.2, y, width - line * 0.4, line),
                             int((i < 2 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter), cells.at(i));
            x += width;
        }
        y += line;
    };
    painter.setFont(bold);
    drawRow(headers, true);
    for (int capacity = 0; capacity < CapacityCount; ++capacity) {
        for (int sex = 0; sex < SexColumnCount; ++sex) {
            painter.setFont(SexColumn(sex) == SexColumn::Todos ? bold : body);
            drawRow(summaryRow(summary, Capacity(capacity), SexColumn(sex)), false);
        }
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    y += line * 0.5;
    const QStringList sentences = summarySentences(summary);
    for (qsizetype i = 0; i < sentences.size(); ++i) {
        painter.setFont(i == sentences.size() - 1 ? bold : body);
        const QRectF room(area.left(), y, area.width(), line * 2);
        const QRectF used = painter.boundingRect(room, Qt::AlignLeft | Qt::TextWordWrap, sentences.at(i));
        painter.drawText(room, Qt::AlignLeft | Qt::TextWordWrap, sentences.at(i));
        y += std::max(line, used.height() + line * 0.35);
    }
    y += line * 0.5;
    const qreal chartHeight = std::min(area.bottom() - y, area.width() * 0.55);
    if (chartHeight > line * 5)
        paintSummaryChart(painter, QRectF(area.left(), y, area.width(), chartHeight), summary);
    painter.restore();
}

QStringList summaryHeaders()
{
    QStringList headers{u"Capacidad"_s, u"Alumnos"_s};
    for (int level = 0; level < LevelCount; ++level)
        headers << u"Nivel "_s + levelName(Level(level));
    return headers << u"Total"_s;
}

QStringList summaryRow(const ClassSummary &summary, Capacity capacity, SexColumn sex)
{
    const int total = summary.evaluated.at(std::size_t(capacity)).at(std::size_t(sex));
    QStringList cells{sex == SexColumn::Hombres ? capacityName(capacity) : QString(), sexColumnName(sex)};
    for (int level = 0; level < LevelCount; ++level)
        cells << countAndShare(summary.count(capacity, Level(level), sex), total);
    return cells << QString::number(total);
}

} // namespace merlox2
