#pragma once

#include "common/Error.h"
#include "evaluation/NormSets.h"
#include "records/Roster.h"
#include "records/SexFile.h"

#include <QAbstractTableModel>
#include <QLocale>
#include <QSortFilterProxyModel>
#include <QTimer>

#include <array>
#include <optional>

namespace merlox2 {

// The locale the reports read results in: the worksheet reads "1,9" and "1.9" alike in any locale, and this
// one is fixed so that the table, the summary and the export give the same evaluation on every computer.
const QLocale &resultLocale();

// One grade as its files hold it: a row per slot (row n - 1 is slot n), the seven fields of the record,
// the sex from the sex file beside it, and the evaluation the worksheet would give with that sex, with the
// next level's targets. The
// fields are read-only here (the worksheet edits them); the sex may be given, and is stored at once.
// The model follows the files: a store from a worksheet open at the same time shows within a second.
class GradeTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        No,
        Nombre,
        Edad,
        Resistencia,
        Velocidad,
        Lagartijas,
        Abdominales,
        Sentadillas,
        Sexo,
        NivelResistencia,
        NivelVelocidad,
        NivelFuerza,
        Promedio,
        Metas, // what each capacity below level I takes to reach the next level
    };
    static constexpr int ColumnCount = Metas + 1;

    enum Role {
        SortRole = Qt::UserRole, // a number for the columns of numbers (none where the text is not one)
        UnusedRole,              // whether the slot was never used or its name is blank
    };

    // Reads the files at once. A missing grade file is shown empty and not created: the worksheet does that.
    GradeTableModel(int grade, QString gradeFilePath, QObject *parent = nullptr);
    ~GradeTableModel() override;
    GradeTableModel(const GradeTableModel &) = delete;
    GradeTableModel &operator=(const GradeTableModel &) = delete;

    int grade() const { return m_grade; }
    const QString &gradeFilePath() const { return m_gradeFilePath; }
    // The files as last read, for what is computed over the whole grade (ClassSummary).
    const Roster &roster() const { return m_roster; }
    const SexTable &sexes() const { return m_sexes; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Sexo only: "H", "M" or empty, stored in the sex file before the row changes. False where the value
    // is none of these (lastError() empty) or the store failed (lastError() says why).
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // Reads both files again. What could not be read keeps what was shown, and is told by the errors below.
    void reload();

    const std::optional<Error> &gradeFileError() const { return m_gradeFileError; }
    const std::optional<Error> &sexFileError() const { return m_sexFileError; }
    // The lines of the sex file that were not taken at the last reload.
    const QList<SexLineProblem> &sexFileProblems() const { return m_sexes.problems; }
    // Why the last setData() failed.
    const std::optional<Error> &lastError() const { return m_lastError; }

Q_SIGNALS:
    // After every reload, also one that found nothing new: the errors and problems may have changed.
    void reloaded();

private:
    struct Cell {
        QString text;
        QVariant sortKey;
        QString tip{};
    };
    // A row as the table shows it, worked out once per read of the files: painting asks for every cell
    // several times.
    struct Row {
        std::array<QString, 7> fields; // Nombre to Sentadillas, as a teacher reads them
        bool unused = true;            // never used, or a blank name
        std::optional<Sex> sex;
        std::array<Cell, 5> evaluation; // the four evaluation columns and the targets
    };

    Row describeSlot(int slot) const;
    void evaluateAll();

    int m_grade;
    QString m_gradeFilePath;
    SexFile m_sexFile;
    Roster m_roster;
    SexTable m_sexes;
    std::array<Row, Roster::LastSlot + 1> m_rows{};
    std::optional<Error> m_gradeFileError;
    std::optional<Error> m_sexFileError;
    std::optional<Error> m_lastError;
    QStringList m_watchedPaths; // the folder and the two files, in the watcher that every grade table shares
    QTimer m_reloadSoon;
};

// Hides the slots never used or with a blank name, unless told to show them, and sorts numbers as numbers;
// the rows of one value stay in the file's order. Sorting never touches the files.
class GradeTableProxy : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit GradeTableProxy(QObject *parent = nullptr);

    bool showEmpty() const { return m_showEmpty; }
    void setShowEmpty(bool show);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    bool m_showEmpty = false;
};

} // namespace merlox2
