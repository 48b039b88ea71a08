#include "platform/Startup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// The screens' style: Fusion everywhere, so they look the same on every desktop, and a password box
// that shows one "*" per typed character, as the access screen always has (styles draw a dot).
class ScreensStyle : public QProxyStyle {
public:
    ScreensStyle() : QProxyStyle(QStyleFactory::create(u"Fusion"_s)) {}

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return u'*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// What the screens ask for; on Windows, initializePlatform() names the outline font instead.
ScreensFontChoice ScreensFont{u"MS Sans Serif"_s, QFont::PreferDefaultHinting};

} // namespace

QFont screensFont(qreal pointSize)
{
    QFont font(ScreensFont.family);
    font.setPointSizeF(pointSize);
    font.setHintingPreference(ScreensFont.hinting);
    return font;
}

ScreensFontChoice chooseWindowsScreensFont(const QStringList &families, const QString &systemFamily)
{
    if (families.contains(u"Microsoft Sans Serif"_s, Qt::CaseInsensitive))
        return {u"Microsoft Sans Serif"_s, QFont::PreferDefaultHinting};
    for (const QString &standIn : {u"Liberation Sans"_s, u"Arial"_s}) {
        if (families.contains(standIn, Qt::CaseInsensitive))
            return {standIn, QFont::PreferVerticalHinting};
    }
    // Asking for a family the system lacks gets the first one it lists, often a serif face.
    return {systemFamily, QFont::PreferVerticalHinting};
}

void initializePlatform(QApplication &app)
{
    // The screens are drawn in "MS Sans Serif". Windows has it only as a bitmap font that doesn't
    // scale; its outline successor, Microsoft Sans Serif, matches it. Linux lacks both: Liberation Sans
    // takes its place at every size, weight and style.
#ifdef Q_OS_WIN
    // The bitmap "MS Sans Serif" of Windows (and Wine's own) is found before any substitute, and scaled
    // to the layouts' sizes it loses whole letters: the screens ask for an outline font by name.
    ScreensFont = chooseWindowsScreensFont(QFontDatabase::families(),
                                           QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
#else
    QFont::insertSubstitution(u"MS Sans Serif"_s, u"Liberation Sans"_s);
#endif
    QApplication::setFont(screensFont(8.25));

    QApplication::setStyle(new ScreensStyle);

    // Qt's own texts (a text box's context menu, the message box's button) in Spanish too, whatever
    // the desktop's language: everything the teacher sees is in Spanish.
    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Spanish), u"qtbase"_s, u"_"_s,
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);

    QApplication::setApplicationName(u"MERLOX2"_s);
    QApplication::setWindowIcon(QIcon(u":/icons/merlox2.ico"_s));
    QApplication::setQuitOnLastWindowClosed(true);
}

} // namespace merlox2
