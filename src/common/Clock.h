#pragma once

#include <QDateTime>

namespace merlox2 {

// The date and time of day the screens show. The program reads the system's; a test sets its own, so
// that what it checks does not depend on when it runs and no test waits for time to pass.
class Clock {
public:
    QDateTime now() const { return m_set.isValid() ? m_set : QDateTime::currentDateTime(); }
    // An invalid value returns to the system's time.
    void set(const QDateTime &now) { m_set = now; }

private:
    QDateTime m_set;
};

} // namespace merlox2
