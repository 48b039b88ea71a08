#pragma once

#include "common/Error.h"

#include <QString>

namespace merlox2 {

// The failure in Spanish, for the teacher: what could not be done, to which file or printer, why, and what
// to do about it. The core reports causes; this is the one place that words them.
QString describe(const Error &error);

} // namespace merlox2
