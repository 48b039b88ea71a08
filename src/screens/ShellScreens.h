#pragma once

#include "forms/FormBuilder.h"
#include "screens/Screen.h"
#include "screens/ShellLayouts.h"

namespace merlox2 {

class Clock;

// CLAVESEC: asks for the access code in front of everything else.
class AccessScreen final : public Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AccessScreen)
public:
    AccessScreen(Screens &screens, const Clock &clock);

    const AccessControls &controls() const { return m_ui; }

private:
    void Form_Load(const Clock &clock);
    void Command1_Click();
    Screens &m_screens;
    const AccessControls m_ui = members<AccessControls>();
};

// empezar: the hub that leads to the grade menu and the two documents.
class TitleScreen final : public Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TitleScreen)
public:
    explicit TitleScreen(Screens &screens);

    const TitleControls &controls() const { return m_ui; }

private:
    const TitleControls m_ui = members<TitleControls>();
};

// MENU: chooses the grade whose worksheet opens.
class GradeMenu final : public Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GradeMenu)
public:
    explicit GradeMenu(Screens &screens);

    const MenuControls &controls() const { return m_ui; }

private:
    const MenuControls m_ui = members<MenuControls>();
};

// metodologia and formato: a reference document shown as an icon that opens on a double click. Its copy
// goes beside the grade files (dataFolder), where the teacher finds it.
class DocumentScreen final : public Form {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentScreen)
public:
    DocumentScreen(const FormTable &layout, Screens &screens, QString dataFolder);

    const DocumentControls &controls() const { return m_ui; }

private:
    void openDocument();
    const DocumentControls m_ui = members<DocumentControls>();
    const QString m_dataFolder;
};

// The time of day in the system's own format, without a time zone.
QString timeOfDay(const QLocale &locale, QTime time);

} // namespace merlox2
