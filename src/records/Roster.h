#pragma once

#include "records/StudentRecord.h"

#include <array>

namespace merlox2 {

// The records being worked on: slots 0 to 30, slot n being record n of the grade file.
// Slot 0 exists (record numbers are used as indexes) but nothing reads or writes it.
struct Roster {
    static constexpr int FirstSlot = 1;
    static constexpr int LastSlot = 30;

    std::array<StudentRecord, LastSlot + 1> slots{};

    StudentRecord &operator[](int n) { return slots.at(static_cast<std::size_t>(n)); }
    const StudentRecord &operator[](int n) const { return slots.at(static_cast<std::size_t>(n)); }

    friend bool operator==(const Roster &, const Roster &) = default;
};

} // namespace merlox2
