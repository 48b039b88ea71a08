#include "screens/Program.h"

#include "forms/MessageBox.h"
#include "screens/FailureText.h"
#include "screens/ShellLayouts.h"
#include "screens/ShellScreens.h"
#include "screens/Worksheet.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace merlox2 {

Program::Program(QString dataFolder) : m_dataFolder(std::move(dataFolder))
{
#ifndef QT_NO_SESSIONMANAGER
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, &m_sessionWatch,
                     [this](QSessionManager &manager) {
                         const Result<void> stored = storeChangedWorksheets();
                         // A store that failed is worth the session's end waiting for, where the session lets
                         // us say so.
                         if (!stored && manager.allowsErrorInteraction()) {
                             reportFailure(nullptr, stored.error());
                             manager.release();
                             manager.cancel();
                         }
                     });
#endif
}

Result<void> Program::storeChangedWorksheets()
{
    Result<void> outcome;
    for (int grade = 1; grade <= 3; ++grade) {
        auto *sheet = qobject_cast<Worksheet *>(m_screens.find(worksheetScreen(grade)));
        if (!sheet || !sheet->hasUnstoredChanges())
            continue;
        if (Result<void> stored = sheet->storeChanges(); !stored && outcome)
            outcome = std::move(stored);
    }
    return outcome;
}

void Program::start() { m_screens.open(Screen::Access); }

std::unique_ptr<QWidget> Program::make(Screen screen)
{
    // Every screen has its case: a new one without it is a warning, an error in developer builds.
    switch (screen) {
    case Screen::Access: return std::make_unique<AccessScreen>(m_screens, m_clock);
    case Screen::Title: return std::make_unique<TitleScreen>(m_screens);
    case Screen::Menu: return std::make_unique<GradeMenu>(m_screens);
    case Screen::Methodology:
        return std::make_unique<DocumentScreen>(MethodologyLayout, m_screens, m_dataFolder);
    case Screen::Format: return std::make_unique<DocumentScreen>(FormatLayout, m_screens, m_dataFolder);
    case Screen::Worksheet1:
    case Screen::Worksheet2:
    case Screen::Worksheet3: {
        const WorksheetGrade &grade =
            WorksheetGrades.at(std::size_t(screen) - std::size_t(Screen::Worksheet1));
        return Worksheet::open(grade, roster(grade.grade), {m_screens, m_clock, m_dataFolder});
    }
    }
    return nullptr;
}

} // namespace merlox2
