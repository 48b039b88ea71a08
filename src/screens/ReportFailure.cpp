#include "screens/FailureText.h"

#include "forms/MessageBox.h"

namespace merlox2 {

void reportFailure(QWidget *screen, const Error &error) { MessageBox::show(screen, describe(error)); }

} // namespace merlox2
