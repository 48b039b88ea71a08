#pragma once

class QWidget;

namespace merlox2 {

// Key preview for a screen: Enter (Return or the keypad's Enter) reaching any of its controls is
// discarded and becomes one Tab keystroke, queued so that it arrives after the running handler
// returns; the focus then moves to the next control in tab order. Every other key passes unchanged.
void installEnterAsTab(QWidget *screen);

} // namespace merlox2
