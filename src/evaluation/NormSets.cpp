#include "evaluation/NormSets.h"

#include <QtGlobal>

#include <algorithm>

namespace merlox2 {
namespace {

// Indexed by grade - 1, then Hombre, Mujer. The bounds are the decimal figures of the norm tables,
// written as such so that each is the double nearest to its figure and a typed figure compares equal.
constexpr std::array<std::array<NormSet, 2>, 3> NormSets{{
    {{
        {{1.4, 1.8, 2.1, 2.5}, {7.0, 7.5, 8.0, 9.5}, {30, 25, 20, 15}},  // 1 Hombre
        {{1.6, 2.2, 2.4, 2.8}, {7.5, 8.0, 8.9, 10.5}, {27, 22, 19, 15}}, // 1 Mujer
    }},
    {{
        {{1.35, 1.6, 2.0, 2.3}, {7.0, 7.4, 7.8, 8.5}, {32, 27, 22, 17}}, // 2 Hombre
        {{1.4, 1.8, 2.1, 2.5}, {7.0, 7.5, 8.0, 9.5}, {30, 25, 20, 15}},  // 2 Mujer
    }},
    {{
        {{1.3, 1.4, 1.8, 2.0}, {6.5, 7.0, 7.5, 8.0}, {35, 30, 25, 20}},  // 3 Hombre
        {{1.35, 1.6, 2.0, 2.3}, {7.0, 7.4, 7.8, 8.5}, {32, 27, 22, 17}}, // 3 Mujer
    }},
}};

} // namespace

const NormSet &normSet(int grade, Sex sex)
{
    Q_ASSERT(grade >= 1 && grade <= 3);
    return NormSets[std::size_t(std::clamp(grade, 1, 3) - 1)][sex == Sex::Hombre ? 0 : 1];
}

} // namespace merlox2
