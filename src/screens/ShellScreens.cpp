#include "screens/ShellScreens.h"

#include "common/AccessCode.h"
#include "common/Clock.h"
#include "forms/Controls.h"
#include "forms/MessageBox.h"
#include "platform/DocumentLauncher.h"
#include "screens/FailureText.h"
#include "screens/Screen.h"
#include "screens/ShellLayouts.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTime>

using namespace Qt::StringLiterals;

namespace merlox2 {

QString timeOfDay(const QLocale &locale, QTime time)
{
    // The long format carries the seconds but adds the time zone; the short one drops the seconds.
    // The zone goes together with its brackets and with the blank or comma that parts it from the
    // time; quoted text ('h', 'min') is copied as it is.
    static const QRegularExpression zone(u"('[^']*')|^[(\\[]?t+[)\\]]?[\\s,]*|[\\s,]*[(\\[]?t+[)\\]]?"_s);
    const QString longFormat = locale.timeFormat(QLocale::LongFormat);
    QString format;
    qsizetype copied = 0;
    for (QRegularExpressionMatchIterator it = zone.globalMatch(longFormat); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        format += QStringView(longFormat).sliced(copied, match.capturedStart() - copied);
        format += match.captured(1); // empty unless quoted text
        copied = match.capturedEnd();
    }
    format += QStringView(longFormat).sliced(copied);
    return locale.toString(time, format.trimmed());
}

AccessScreen::AccessScreen(Screens &screens, const Clock &clock) : Form(AccessLayout), m_screens(screens)
{
    m_ui.Text1->setEchoMode(QLineEdit::Password);
    connect(m_ui.Command1, &QPushButton::clicked, this, &AccessScreen::Command1_Click);
    connect(m_ui.Command2, &QPushButton::clicked, this, [this] { m_screens.endProgram(); });
    Form_Load(clock);
}

void AccessScreen::Form_Load(const Clock &clock)
{
    setCaption(m_ui.Label4, timeOfDay(QLocale(), clock.now().time()));
}

void AccessScreen::Command1_Click()
{
    if (isAccessCode(m_ui.Text1->text())) {
        m_screens.open(Screen::Title);
        return;
    }
    MessageBox::show(this, wrongAccessCodeText());
    m_ui.Text1->setFocus();
}

TitleScreen::TitleScreen(Screens &screens) : Form(TitleLayout)
{
    connect(m_ui.Command1, &QPushButton::clicked, this, [&screens] { screens.open(Screen::Menu); });
    connect(m_ui.Command4, &QPushButton::clicked, this, [&screens] { screens.open(Screen::Format); });
    connect(m_ui.Command2, &QPushButton::clicked, this, [&screens] { screens.open(Screen::Methodology); });
    connect(m_ui.Command3, &QPushButton::clicked, this, [&screens] { screens.endProgram(); });
}

GradeMenu::GradeMenu(Screens &screens) : Form(MenuLayout)
{
    connect(m_ui.Command1, &QPushButton::clicked, this, [&screens] { screens.open(Screen::Worksheet1); });
    connect(m_ui.Command2, &QPushButton::clicked, this, [&screens] { screens.open(Screen::Worksheet2); });
    connect(m_ui.Command3, &QPushButton::clicked, this, [&screens] { screens.open(Screen::Worksheet3); });
    connect(m_ui.Command4, &QPushButton::clicked, this, [&screens] { screens.open(Screen::Title); });
}

DocumentScreen::DocumentScreen(const FormTable &layout, Screens &screens, QString dataFolder)
    : Form(layout), m_dataFolder(std::move(dataFolder))
{
    connect(m_ui.Command1, &QPushButton::clicked, this, [&screens] { screens.open(Screen::Title); });
    connect(m_ui.OLE1, &DocumentIcon::activated, this, &DocumentScreen::openDocument);
}

void DocumentScreen::openDocument()
{
    const QString resource = m_ui.OLE1->resourcePath();
    const Result<QString> opened =
        DocumentLauncher::open(resource, QFileInfo(resource).fileName(), m_dataFolder);
    if (!opened)
        reportFailure(this, opened.error());
}

} // namespace merlox2
