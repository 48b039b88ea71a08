#pragma once

namespace merlox2 {

// How long the print server may take over one exchange (finding the printer, or taking the job). The
// screen is still meanwhile, so this stays well under two seconds. Printing keeps to it; the teacher's
// message about a silent server names it.
inline constexpr int PrintServerAnswerWithinMs = 1500;

} // namespace merlox2
