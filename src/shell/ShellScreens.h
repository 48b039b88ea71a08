#pragma once

#include "platform/FormBuilder.h"

namespace merlox2 {

class ScreenRegistry;

// CLAVESEC: asks for the access code in front of everything else.
class AccessScreen : public Form {
    Q_OBJECT
public:
    static constexpr const char16_t *AccessCode = u"418357";
    explicit AccessScreen(ScreenRegistry &screens);

private:
    void Form_Load();
    void Command1_Click();
    ScreenRegistry &m_screens;
};

// empezar: the hub that leads to the grade menu and the two documents.
class TitleScreen : public Form {
    Q_OBJECT
public:
    explicit TitleScreen(ScreenRegistry &screens);
};

// MENU: chooses the grade whose worksheet opens.
class GradeMenu : public Form {
    Q_OBJECT
public:
    explicit GradeMenu(ScreenRegistry &screens);
};

// metodologia and formato: a reference document shown as an icon that opens on a double click.
class DocumentScreen : public Form {
    Q_OBJECT
public:
    DocumentScreen(const FormTable &layout, ScreenRegistry &screens);

private:
    void openDocument();
};

// The time of day in the system's own format, without a time zone.
QString timeOfDay(const QLocale &locale, QTime time);

} // namespace merlox2
