#pragma once

#include "records/Roster.h"
#include "reports/ClassListImport.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace merlox2 {

// «Importar lista»: a class list from a CSV file or from cells copied from a spreadsheet, shown slot by
// slot before anything is written. «Importar» writes the grade file once, under the grade's lock, changing
// only the records that get a student; then the sexes the list gives, beside it.
class ClassListImportDialog : public QDialog {
    Q_OBJECT

public:
    ClassListImportDialog(int grade, QString gradeFilePath, QWidget *parent = nullptr);

    // What «Abrir archivo…» and «Pegar» do once the file or the text is chosen.
    void loadFile(const QString &path);
    void loadText(const QString &text);

    QTableView *preview() const { return m_table; }
    QPlainTextEdit *problems() const { return m_problems; }
    QLabel *notice() const { return m_notice; }
    QCheckBox *cutLongNames() const { return m_cut; }
    QCheckBox *replaceStudents() const { return m_replace; }
    QPushButton *importButton() const { return m_import; }
    // After «Importar»: what was done, for the window's status bar, and a failure met after the grade file
    // was written (the sexes), for a message.
    const QString &summary() const { return m_summary; }
    const QString &laterFailure() const { return m_laterFailure; }

    static constexpr int Columns = 6; // Registro, Nombre actual, Nombre nuevo, Edad, Sexo, Estado

private:
    bool readGradeFile();
    void chooseFile();
    void paste();
    void showList();
    void refresh();
    void runImport();
    void showMessage(const QString &text);
    QString lineWord() const;

    int m_grade;
    QString m_path;
    Roster m_roster;
    bool m_gradeReadable = false;
    QString m_gradeProblem;
    ClassList m_list;
    QString m_source;
    QList<ImportedStudent> m_usable; // the students offered to the placement: long names only when cut
    Placement m_placement;
    QString m_summary;
    QString m_laterFailure;

    QLabel *m_sourceLabel = nullptr;
    QLabel *m_notice = nullptr;
    QStandardItemModel *m_model = nullptr;
    QTableView *m_table = nullptr;
    QPlainTextEdit *m_problems = nullptr;
    QCheckBox *m_cut = nullptr;
    QCheckBox *m_replace = nullptr;
    QPushButton *m_import = nullptr;
};

} // namespace merlox2
