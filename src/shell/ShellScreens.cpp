#include "shell/ShellScreens.h"

#include "platform/Controls.h"
#include "platform/DocumentLauncher.h"
#include "platform/MessageBox.h"
#include "platform/ScreenRegistry.h"
#include "shell/ShellLayouts.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTime>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

void onClick(Form *form, QStringView button, std::function<void()> handler)
{
    QObject::connect(form->control<QPushButton>(button), &QPushButton::clicked, form, std::move(handler));
}

} // namespace

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

AccessScreen::AccessScreen(ScreenRegistry &screens) : Form(AccessLayout), m_screens(screens)
{
    auto *code = control<QLineEdit>(u"Text1");
    code->setEchoMode(QLineEdit::Password);
    onClick(this, u"Command1", [this] { Command1_Click(); });
    onClick(this, u"Command2", [this] { m_screens.endProgram(); });
    Form_Load();
}

void AccessScreen::Form_Load() { setCaption(control(u"Label4"), timeOfDay(QLocale(), QTime::currentTime())); }

void AccessScreen::Command1_Click()
{
    auto *code = control<QLineEdit>(u"Text1");
    if (code->text() == QStringView(AccessCode)) {
        m_screens.open(u"empezar"_s);
        return;
    }
    MessageBox::show(this, u" Dar la clave correcta por favor"_s);
    code->setFocus();
}

TitleScreen::TitleScreen(ScreenRegistry &screens) : Form(TitleLayout)
{
    onClick(this, u"Command1", [&screens] { screens.open(u"MENU"_s); });
    onClick(this, u"Command4", [&screens] { screens.open(u"formato"_s); });
    onClick(this, u"Command2", [&screens] { screens.open(u"metodologia"_s); });
    onClick(this, u"Command3", [&screens] { screens.endProgram(); });
}

GradeMenu::GradeMenu(ScreenRegistry &screens) : Form(MenuLayout)
{
    onClick(this, u"Command1", [&screens] { screens.open(u"prisecu"_s); });
    onClick(this, u"Command2", [&screens] { screens.open(u"segusecu"_s); });
    onClick(this, u"Command3", [&screens] { screens.open(u"TERSECU"_s); });
    onClick(this, u"Command4", [&screens] { screens.open(u"empezar"_s); });
}

DocumentScreen::DocumentScreen(const FormTable &layout, ScreenRegistry &screens) : Form(layout)
{
    onClick(this, u"Command1", [&screens] { screens.open(u"empezar"_s); });
    connect(control<DocumentIcon>(u"OLE1"), &DocumentIcon::activated, this, &DocumentScreen::openDocument);
}

void DocumentScreen::openDocument()
{
    const QString resource = control<DocumentIcon>(u"OLE1")->resourcePath();
    const Result<QString> opened = DocumentLauncher::open(resource, QFileInfo(resource).fileName());
    if (!opened)
        reportFailure(this, opened.error());
}

} // namespace merlox2
