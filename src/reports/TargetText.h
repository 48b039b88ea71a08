#pragma once

#include "evaluation/Targets.h"
#include "reports/ClassSummary.h"

#include <QString>

namespace merlox2 {

// The next level's target of a capacity (Resistencia, Velocidad or Fuerza) in a sentence for the teacher
// and the family: «Para llegar al nivel II: un tiempo de 1.8 o menos en la carrera de 600 m.»
QString targetSentence(Capacity capacity, const Target &target);

// The targets of a student in a table's cell: «R 1.8 · V 7.0 · F +7» (the times to reach, the repetitions
// missing); «nivel I» where every capacity is there already.
QString targetsShort(const StudentTargets &targets);

// The three sentences, one a line, for the cell's tool tip.
QString targetsTip(const StudentTargets &targets);

} // namespace merlox2
