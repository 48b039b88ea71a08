#include "reports/TargetText.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace merlox2 {

QString targetSentence(Capacity capacity, const Target &target)
{
    switch (capacity) {
    case Capacity::Resistencia:
        return u"Para llegar al nivel %1: un tiempo de %2 o menos en la carrera de 600 m."_s.arg(
            target.level, target.timeText);
    case Capacity::Velocidad:
        return u"Para llegar al nivel %1: un tiempo de %2 o menos en la carrera de 60 m."_s.arg(
            target.level, target.timeText);
    default:
        return (target.missing == 1
                    ? u"Para llegar al nivel %1: falta %2 repetición (un total de %3 entre "
                      "lagartijas, abdominales y sentadillas)."_s
                    : u"Para llegar al nivel %1: faltan %2 repeticiones (un total de %3 entre "
                      "lagartijas, abdominales y sentadillas)."_s)
            .arg(target.level)
            .arg(target.missing)
            .arg(target.total);
    }
}

QString targetsShort(const StudentTargets &targets)
{
    QStringList parts;
    if (targets.endurance)
        parts << u"R "_s + targets.endurance->timeText;
    if (targets.speed)
        parts << u"V "_s + targets.speed->timeText;
    if (targets.strength)
        parts << u"F +%1"_s.arg(targets.strength->missing);
    return parts.isEmpty() ? u"nivel I"_s : parts.join(u" · "_s);
}

QString targetsTip(const StudentTargets &targets)
{
    QStringList lines;
    if (targets.endurance)
        lines << u"Resistencia. "_s + targetSentence(Capacity::Resistencia, *targets.endurance);
    if (targets.speed)
        lines << u"Velocidad. "_s + targetSentence(Capacity::Velocidad, *targets.speed);
    if (targets.strength)
        lines << u"Fuerza. "_s + targetSentence(Capacity::Fuerza, *targets.strength);
    return lines.isEmpty() ? u"Tiene el nivel I, el más alto, en las tres capacidades."_s : lines.join(u'\n');
}

} // namespace merlox2
