// The print module's entry points, found by name when the program prints its first sheet.
#include "platform/PrintModule.h"

#include <QtGlobal>

#include <type_traits>

extern "C" Q_DECL_EXPORT void merlox2_print_v2(QWidget *screen, const QRect *area,
                                               merlox2::PrintOutcome *outcome)
{
    *outcome = merlox2::printThroughPrintService(screen, *area);
}

static_assert(std::is_same_v<decltype(&merlox2_print_v2), merlox2::PrintModuleFunction>);

extern "C" Q_DECL_EXPORT void merlox2_print_pages_v1(const QString *title, const merlox2::PageDrawer *draw,
                                                     merlox2::PrintOutcome *outcome)
{
    *outcome = merlox2::printPagesThroughPrintService(*title, *draw);
}

static_assert(std::is_same_v<decltype(&merlox2_print_pages_v1), merlox2::PrintPagesFunction>);

extern "C" Q_DECL_EXPORT void merlox2_page_layout_v1(merlox2::Result<QPageLayout> *layout)
{
    *layout = merlox2::pageLayoutThroughPrintService();
}

static_assert(std::is_same_v<decltype(&merlox2_page_layout_v1), merlox2::PageLayoutFunction>);
