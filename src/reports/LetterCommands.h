#pragma once

#include "reports/FamilyLetter.h"

#include <QDialog>
#include <QObject>

#include <optional>

class QAction;
class QLineEdit;

namespace merlox2 {

class ReportsWindow;

// «Datos de la escuela…»: the school's and the teacher's names that head and sign the letters, kept in the
// program's settings.
class SchoolDataDialog : public QDialog {
    Q_OBJECT

public:
    explicit SchoolDataDialog(QWidget *parent = nullptr);

    QLineEdit *school() const { return m_school; }
    QLineEdit *teacher() const { return m_teacher; }

    // As last saved; the date is today's.
    static LetterHeading heading();

    void accept() override;

private:
    QLineEdit *m_school;
    QLineEdit *m_teacher;
};

// The letters home of the reports window: «Carta para la familia…» for the student selected in the table,
// «Cartas de todo el grado…» for every student of the grade shown who has a sex and the five results, each
// printed as one job or saved as one PDF; and «Datos de la escuela…».
class FamilyLetters : public QObject {
    Q_OBJECT

public:
    explicit FamilyLetters(ReportsWindow *window);

    QAction *oneAction() const { return m_one; }
    QAction *gradeAction() const { return m_grade; }
    QAction *schoolAction() const { return m_school; }

private:
    enum class Destination { Printer, Pdf };
    void oneLetter();
    void gradeLetters();
    std::optional<Destination> askDestination(const QString &question, const QString &details);
    void deliver(Destination destination, const QList<FamilyLetter> &letters, const QString &title,
                 const QString &suggestedFile);
    void tell(const QString &text, bool warning = false);

    ReportsWindow *m_window;
    QAction *m_one = nullptr;
    QAction *m_grade = nullptr;
    QAction *m_school = nullptr;
};

} // namespace merlox2
