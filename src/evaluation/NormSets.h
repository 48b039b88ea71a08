#pragma once

#include <array>

namespace merlox2 {

enum class Sex { Hombre, Mujer };

// The bounds of one grade and sex: times are inclusive upper limits of bands 1 to 4, strength
// thresholds inclusive lower limits of bands 1 to 4.
struct NormSet {
    std::array<double, 4> endurance; // E1 < E2 < E3 < E4
    std::array<double, 4> speed;     // S1 < S2 < S3 < S4
    std::array<int, 4> strength;     // F1 > F2 > F3 > F4

    friend bool operator==(const NormSet &, const NormSet &) = default;
};

// grade 1 to 3.
const NormSet &normSet(int grade, Sex sex);

// The average level's thresholds, the same for every set.
inline constexpr std::array<int, 4> AverageLevelThresholds{100, 75, 50, 25};

} // namespace merlox2
