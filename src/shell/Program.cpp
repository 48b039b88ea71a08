#include "shell/Program.h"

#include "shell/ShellLayouts.h"
#include "shell/ShellScreens.h"
#include "worksheet/Worksheet.h"

using namespace Qt::StringLiterals;

namespace merlox2 {

Program::Program()
{
    m_screens.add(u"CLAVESEC"_s, [this] { return new AccessScreen(m_screens); });
    m_screens.add(u"empezar"_s, [this] { return new TitleScreen(m_screens); });
    m_screens.add(u"MENU"_s, [this] { return new GradeMenu(m_screens); });
    m_screens.add(u"metodologia"_s, [this] { return new DocumentScreen(MethodologyLayout, m_screens); });
    m_screens.add(u"formato"_s, [this] { return new DocumentScreen(FormatLayout, m_screens); });
    for (const WorksheetGrade &grade : WorksheetGrades) {
        m_screens.add(QString::fromUtf8(grade.formName),
                      [this, &grade] { return Worksheet::open(grade, roster(grade.grade), m_screens); });
    }
}

void Program::start()
{
    m_screens.open(u"CLAVESEC"_s);
}

} // namespace merlox2
