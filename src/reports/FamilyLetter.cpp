#include "reports/FamilyLetter.h"

#include "reports/GradeTableModel.h"
#include "reports/TargetText.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

QFont fontOf(qreal pointSize, bool bold = false)
{
    QFont font(u"DejaVu Sans"_s);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

// A blank to write on by hand where a name was not given.
QString orBlank(const QString &text) { return text.trimmed().isEmpty() ? QString(36, u'_') : text.trimmed(); }

// Draws text wrapped within the width from the top of the area down, and gives the height it took.
class Column {
public:
    Column(QPainter &painter, const QRectF &area) : m_painter(painter), m_area(area), m_y(area.top()) {}

    qreal y() const { return m_y; }
    void skip(qreal height) { m_y += height; }
    qreal lineHeight(const QFont &font) const { return QFontMetricsF(font, m_painter.device()).height(); }

    void text(const QString &text, const QFont &font, Qt::Alignment alignment = Qt::AlignLeft,
              qreal after = 0.4)
    {
        m_painter.setFont(font);
        const QRectF room(m_area.left(), m_y, m_area.width(), m_area.bottom() - m_y);
        const int flags = int(alignment) | Qt::TextWordWrap;
        const QRectF used = m_painter.boundingRect(room, flags, text);
        m_painter.drawText(room, flags, text);
        m_y += used.height() + lineHeight(font) * after;
    }

    // A table's row: cells wrapped in their columns (shares of the width), as tall as the tallest.
    void row(const QStringList &cells, const std::vector<qreal> &shares, const QFont &font, bool shaded)
    {
        m_painter.setFont(font);
        const qreal pad = lineHeight(font) * 0.25;
        std::vector<QRectF> rooms;
        qreal height = 0;
        qreal x = m_area.left();
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const qreal width = m_area.width() * shares.at(std::size_t(i));
            const QRectF room(x + pad, m_y + pad, width - 2 * pad, m_area.bottom() - m_y);
            height = std::max(height, m_painter.boundingRect(room, Qt::TextWordWrap, cells.at(i)).height());
            rooms.push_back(room);
            x += width;
        }
        height += 2 * pad;
        const QRectF whole(m_area.left(), m_y, m_area.width(), height);
        if (shaded)
            m_painter.fillRect(whole, QColor(0xe8, 0xee, 0xf4));
        const qreal thin = std::max(1.0, lineHeight(font) / 20);
        m_painter.setPen(QPen(QColor(0x90, 0x90, 0x90), thin));
        m_painter.drawRect(whole);
        x = m_area.left();
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (i > 0)
                m_painter.drawLine(QPointF(x, m_y), QPointF(x, m_y + height));
            x += m_area.width() * shares.at(std::size_t(i));
        }
        m_painter.setPen(Qt::black);
        for (qsizetype i = 0; i < cells.size(); ++i)
            m_painter.drawText(rooms.at(std::size_t(i)), Qt::TextWordWrap, cells.at(i));
        m_y += height;
    }

private:
    QPainter &m_painter;
    QRectF m_area;
    qreal m_y;
};

QString targetCell(Capacity capacity, const FamilyLetter &letter)
{
    const Level level = letter.marks.at(std::size_t(capacity)).level;
    if (capacity == Capacity::Promedio)
        return level == Level::I
                   ? u"Ya tiene el nivel más alto."_s
                   : u"Es el promedio de las tres capacidades: sube cuando sube cualquiera de ellas."_s;
    const std::optional<Target> &target = capacity == Capacity::Resistencia ? letter.targets.endurance
                                          : capacity == Capacity::Velocidad ? letter.targets.speed
                                                                            : letter.targets.strength;
    return target ? targetSentence(capacity, *target) : u"Ya tiene el nivel más alto."_s;
}

} // namespace

FamilyLetter familyLetter(const GradeStudents &grade, const EvaluatedGrade::Student &student)
{
    const StudentRecord &record = grade.roster[student.slot];
    FamilyLetter letter{.grade = grade.grade, .slot = student.slot, .name = student.name};
    const std::array<StudentRecord::Field, 5> fields{StudentRecord::Resistencia, StudentRecord::Velocidad,
                                                     StudentRecord::Lagartijas, StudentRecord::Abdominales,
                                                     StudentRecord::Sentadillas};
    for (std::size_t i = 0; i < fields.size(); ++i)
        letter.results.at(i) = SexFile::nameKey(record.field(fields.at(i))).trimmed();
    for (std::size_t i = 0; i < letter.marks.size(); ++i)
        letter.marks.at(i) = Mark{Level(student.levels.at(i)), student.percentages.at(i)};
    const std::array<QString, 5> &r = letter.results;
    letter.targets = targetsFor(grade.grade, student.sex, {r[0], r[1], r[2], r[3], r[4]}, resultLocale());
    return letter;
}

QString levelMeaning(Level level)
{
    switch (level) {
    case Level::I: return u"Es el nivel más alto. Vale la pena mantenerlo con actividad física frecuente."_s;
    case Level::II:
        return u"Es un buen nivel, cerca del más alto. Con práctica frecuente puede llegar al nivel I."_s;
    case Level::III:
        return u"Es el nivel de en medio. Con práctica frecuente puede subir al siguiente nivel."_s;
    case Level::IV:
        return u"Está abajo del nivel de en medio. Con práctica frecuente puede mejorar paso a paso."_s;
    case Level::SN: break;
    }
    return u"Todavía no alcanza el nivel IV. Con práctica frecuente puede lograrlo; cada avance cuenta."_s;
}

void paintFamilyLetter(QPainter &painter, const QRectF &page, const FamilyLetter &letter,
                       const LetterHeading &heading)
{
    // A letter's margins, within the printer's: room to hold the page and to read it.
    const qreal margin = 0.35 * painter.device()->logicalDpiX();
    const QRectF area = page.adjusted(margin, margin * 0.5, -margin, -margin * 0.5);
    painter.save();
    painter.setPen(Qt::black);
    const QFont school = fontOf(14, true);
    const QFont title = fontOf(13, true);
    const QFont body = fontOf(10);
    const QFont bold = fontOf(10, true);
    const QFont small = fontOf(9);
    const QFont smallBold = fontOf(9, true);
    Column text(painter, area);
    const qreal line = text.lineHeight(body);

    text.text(orBlank(heading.school), school, Qt::AlignHCenter, 0.1);
    text.text(u"Educación Física"_s, body, Qt::AlignHCenter, 0.8);
    text.text(resultLocale().toString(heading.date, u"d 'de' MMMM 'de' yyyy"_s), body, Qt::AlignRight, 0.6);
    text.text(u"Carta para la familia"_s, title, Qt::AlignLeft, 0.4);
    text.text(u"Alumno(a): %1"_s.arg(letter.name), bold, Qt::AlignLeft, 0.1);
    text.text(u"Grado: %1º de secundaria"_s.arg(letter.grade), body, Qt::AlignLeft, 0.8);
    text.text(u"Estimada familia:"_s, body, Qt::AlignLeft, 0.3);
    text.text(
        u"Le compartimos los resultados de %1 en la evaluación de la condición física de la clase de "
        "Educación Física. Cada capacidad tiene uno de cinco niveles, según el grado y el sexo: I es el "
        "más alto, le siguen II, III y IV, y SN quiere decir «sin nivel», todavía abajo del nivel IV."_s.arg(
            letter.name),
        body, Qt::AlignJustify, 0.8);

    text.text(u"Resultados de las pruebas"_s, bold, Qt::AlignLeft, 0.3);
    const std::vector<qreal> resultShares{0.55, 0.45};
    const QStringList tests{u"Resistencia: carrera de 600 m (tiempo)"_s,
                            u"Velocidad: carrera de 60 m (tiempo)"_s, u"Lagartijas (repeticiones)"_s,
                            u"Abdominales (repeticiones)"_s, u"Sentadillas (repeticiones)"_s};
    text.row({u"Prueba"_s, u"Resultado"_s}, resultShares, smallBold, true);
    for (qsizetype i = 0; i < tests.size(); ++i)
        text.row({tests.at(i), letter.results.at(std::size_t(i))}, resultShares, small, false);
    text.skip(line * 0.8);

    text.text(u"Niveles y siguiente meta"_s, bold, Qt::AlignLeft, 0.3);
    const std::vector<qreal> levelShares{0.16, 0.12, 0.38, 0.34};
    text.row({u"Capacidad"_s, u"Nivel"_s, u"Qué quiere decir"_s, u"Para el siguiente nivel"_s}, levelShares,
             smallBold, true);
    for (int c = 0; c < CapacityCount; ++c) {
        const Mark &mark = letter.marks.at(std::size_t(c));
        text.row({capacityName(Capacity(c)), u"%1 (%2 %)"_s.arg(levelName(mark.level)).arg(mark.percentage),
                  levelMeaning(mark.level), targetCell(Capacity(c), letter)},
                 levelShares, small, false);
    }
    text.skip(line * 0.8);

    text.text(u"Actividad física diaria"_s, bold, Qt::AlignLeft, 0.3);
    text.text(
        u"La Organización Mundial de la Salud recomienda que niñas, niños y adolescentes realicen en "
        "promedio 60 minutos al día de actividad física moderada a vigorosa. Caminar a paso rápido, andar "
        "en bicicleta, jugar, bailar o practicar un deporte son maneras de sumar esos minutos. Le invitamos "
        "a acompañar a su hija o hijo en esta meta."_s,
        body, Qt::AlignJustify, 0.6);
    text.text(u"Si tiene alguna pregunta, con gusto la atenderemos en la escuela."_s, body, Qt::AlignLeft,
              0.4);
    text.text(u"Atentamente,"_s, body, Qt::AlignLeft, 0.3);

    // The signature: a line to sign on, with room above it, and the teacher's name under it.
    const qreal signatureTop = std::min(text.y() + line * 4, area.bottom() - line * 3);
    const qreal width = area.width() * 0.45;
    const QRectF signature(area.left() + (area.width() - width) / 2, signatureTop, width, line * 3);
    painter.setPen(QPen(Qt::black, std::max(1.0, line / 20)));
    painter.drawLine(signature.topLeft(), signature.topRight());
    painter.setFont(body);
    painter.drawText(QRectF(signature.left(), signature.top() + line * 0.2, width, line), Qt::AlignHCenter,
                     heading.teacher.trimmed().isEmpty() ? u"Nombre y firma"_s : heading.teacher.trimmed());
    painter.drawText(QRectF(signature.left(), signature.top() + line * 1.2, width, line), Qt::AlignHCenter,
                     u"Docente de Educación Física"_s);
    painter.restore();
}

bool drawFamilyLetters(QPagedPaintDevice &pages, const QList<FamilyLetter> &letters,
                       const LetterHeading &heading, const std::function<bool(int done)> &progress)
{
    if (letters.isEmpty())
        return false;
    QPainter painter;
    if (!painter.begin(&pages))
        return false;
    const QRectF page(0, 0, pages.width(), pages.height());
    int done = 0;
    for (const FamilyLetter &letter : letters) {
        if (done > 0 && !pages.newPage())
            return false;
        paintFamilyLetter(painter, page, letter, heading);
        ++done;
        if (progress && !progress(done))
            return false;
    }
    return painter.end();
}

} // namespace merlox2
