#pragma once

// Files that the file-layer tests lay out and read back. Header only, like Unprivileged.h.

#include "support/Unprivileged.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

namespace merlox2::test {

// What the file holds, read as it is; "<unreadable>" where it can't be opened.
inline QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A file with exactly these bytes, and this mode (see setMode()).
inline void writeFile(const QString &path, const QByteArray &bytes, int mode = 0644)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    setMode(path, mode);
}

} // namespace merlox2::test
