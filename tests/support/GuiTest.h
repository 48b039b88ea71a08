#pragma once

#include "shell/Program.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class QWidget;

namespace merlox2::test {

// A whole program for one GUI test, in a temporary working directory of its own (the grade files
// live in the working directory). Messages are answered in advance, so nothing ever blocks.
class ProgramFixture {
public:
    ProgramFixture();
    ~ProgramFixture();
    ProgramFixture(const ProgramFixture &) = delete;
    ProgramFixture &operator=(const ProgramFixture &) = delete;

    Program &program() { return *m_program; }
    ScreenRegistry &screens() { return m_program->screens(); }
    QString path(const QString &fileName) const { return m_dir.filePath(fileName); }

    // Opens a screen by its form name as the program would ("prisecu", "MENU", ...).
    QWidget *open(const QString &formName);

    // Closes a screen with the window's own close control and lets Qt discard it.
    static void closeWindow(QWidget *screen);

    // Messages shown since the last call.
    static QStringList messages();

    QByteArray readFile(const QString &fileName) const;
    void writeFile(const QString &fileName, const QByteArray &bytes) const;

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
    std::unique_ptr<Program> m_program;
};

// Sets up the application as main() does (font substitution, style); call from initTestCase().
void initializeGuiTests();

// Processes posted events, including queued keystrokes and deferred deletions.
void settle();

} // namespace merlox2::test
