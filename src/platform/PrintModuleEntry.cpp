// The print module's entry point, found by name when the program prints its first sheet.
#include "platform/PrintModule.h"

#include <QtGlobal>

#include <type_traits>

extern "C" Q_DECL_EXPORT void merlox2_print_v2(QWidget *screen, const QRect *area,
                                               merlox2::PrintOutcome *outcome)
{
    *outcome = merlox2::printThroughPrintService(screen, *area);
}

static_assert(std::is_same_v<decltype(&merlox2_print_v2), merlox2::PrintModuleFunction>);
