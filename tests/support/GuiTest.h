#pragma once

#include "forms/FormBuilder.h"
#include "screens/Program.h"
#include "screens/Worksheet.h"
#include "support/SkipOrFail.h"

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace merlox2::test {

// The moment every fixture's clock shows, unless a test sets another.
inline const QDateTime FixtureNow(QDate(2024, 3, 15), QTime(14, 5, 9));

// A whole program with a temporary folder of its own for the grade files and a clock set to FixtureNow.
// Messages are answered in advance, so nothing blocks; one that no check took fails the test.
class ProgramFixture {
public:
    ProgramFixture();
    ~ProgramFixture();
    ProgramFixture(const ProgramFixture &) = delete;
    ProgramFixture &operator=(const ProgramFixture &) = delete;

    Program &program() { return *m_program; }
    Screens &screens() { return m_program->screens(); }
    QString path(const QString &fileName) const { return m_dir.filePath(fileName); }

    // Opens a screen as the program would, and waits until it is the active window.
    Form *open(Screen which);
    Worksheet *openWorksheet(int grade) { return qobject_cast<Worksheet *>(open(worksheetScreen(grade))); }
    // The screen if it exists now.
    Form *form(Screen screen) { return qobject_cast<Form *>(screens().find(screen)); }
    template <typename T>
    T *screen(Screen screen)
    {
        return qobject_cast<T *>(screens().find(screen));
    }

    QByteArray readFile(const QString &fileName) const;
    void writeFile(const QString &fileName, const QByteArray &bytes) const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Program> m_program;
};

// Sets up the application as main() does (font substitution, style), with the print module taken from
// the build; call from initTestCase().
void initializeGuiTests();

// The one message shown since the last call, or a description of what was shown instead.
QString onlyMessage();

QString focusName();
int windowsNamed(const QString &name);

// The handlers run inside these, but what they hand to Qt's event queue (a screen that opens becomes
// active, Enter's Tab, a closed screen's deletion) arrives later: the caller waits for the effect it
// needs, e.g. QTRY_COMPARE(QApplication::activeWindow(), screen) or QTRY_COMPARE(focusName(), name).

// A mouse click as the user makes it.
void click(QAbstractButton *button);
// The same on a control found by its name, as a black-box test (or a screen reader) finds it.
void click(const QWidget *form, const QString &control);
// A key on the focused control.
inline void pressKey(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
// A key that moves the focus on (Tab, or Enter, which becomes a queued Tab): waits until the focus has
// left the control that had it, and gives the name of the one that has it now.
QString focusAfter(Qt::Key key);
// Waits until a screen that was opened is the active window, which receives the keyboard.
void waitUntilActive(const QWidget *screen);
// Closes a screen with the window's own close control and waits until Qt has discarded it.
void closeWindow(QWidget *screen);
// Waits until Qt has delivered everything queued before the call, for a check that nothing came of it.
void deliverQueued();

// A grade-file record: the seven box fields padded with blanks, then the 40 reserved bytes.
QByteArray record(const QStringList &boxes, const QByteArray &reserved = QByteArray(40, '\0'));

// An outside tool run to its end: its exit code (-1 when it crashed or hung) and its output.
struct ToolRun {
    int exitCode = -1;
    QString output;
};
ToolRun runTool(const QString &program, const QStringList &arguments, int timeoutMs = 240000);

} // namespace merlox2::test

Q_DECLARE_METATYPE(merlox2::Screen)
