#pragma once

// Header only: the core tests use it without the screens.

#include <QByteArray>
#include <QString>
#include <QTest>
#include <QtGlobal>

namespace merlox2::test {
inline QByteArray skipText(const QString &reason) { return reason.toLocal8Bit(); }
inline QByteArray skipText(const char *reason) { return reason; }
} // namespace merlox2::test

// Where the machine lacks a tool a check needs, the check is skipped, except on CI, where a skip would
// hide what went untested.
#define MERLOX2_SKIP_OR_FAIL(reason)                                                                         \
    do {                                                                                                     \
        const QByteArray skipReason = merlox2::test::skipText(reason);                                       \
        if (qEnvironmentVariableIsSet("CI"))                                                                 \
            QFAIL(("CI is set, so this must run: " + skipReason).constData());                               \
        QSKIP(skipReason.constData());                                                                       \
    } while (false)
