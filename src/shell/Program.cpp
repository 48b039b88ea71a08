#include "shell/Program.h"

#include "shell/ShellLayouts.h"
#include "shell/ShellScreens.h"
#include "worksheet/Worksheet.h"

namespace merlox2 {

Program::Program(QString dataFolder) : m_dataFolder(std::move(dataFolder)) {}

void Program::start()
{
    m_screens.open(Screen::Access);
}

std::unique_ptr<QWidget> Program::make(Screen screen)
{
    // Every screen has its case: a new one without it is a warning, an error in developer builds.
    switch (screen) {
    case Screen::Access:
        return std::make_unique<AccessScreen>(m_screens, m_clock);
    case Screen::Title:
        return std::make_unique<TitleScreen>(m_screens);
    case Screen::Menu:
        return std::make_unique<GradeMenu>(m_screens);
    case Screen::Methodology:
        return std::make_unique<DocumentScreen>(MethodologyLayout, m_screens, m_dataFolder);
    case Screen::Format:
        return std::make_unique<DocumentScreen>(FormatLayout, m_screens, m_dataFolder);
    case Screen::Worksheet1:
    case Screen::Worksheet2:
    case Screen::Worksheet3: {
        const WorksheetGrade &grade = WorksheetGrades.at(std::size_t(screen) - std::size_t(Screen::Worksheet1));
        return Worksheet::open(grade, roster(grade.grade), {m_screens, m_clock, m_dataFolder});
    }
    }
    return nullptr;
}

} // namespace merlox2
