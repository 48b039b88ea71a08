#pragma once

#include "common/Result.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace merlox2 {

// A copy of the folder's grade files kept as they were on a day («Inicio 2026-2027»), read-only.
struct Period {
    QString name;
    QString folder; // periodos/<name> beside the grade files
    QDate date;     // the day it was closed; null where its date file can't be read

    // Where the copy of a grade's file is kept (it may be missing: the folder had no such file).
    QString gradeFilePath(int grade) const;
};

// The periods kept under periodos/ beside the grade files. Closing a period copies the three grade files and
// their sex files into a hidden folder of its own, through the grade files' store (each file flushed), marks
// them read-only and only then gives the folder its name: a failure part way (a full disk) leaves no half
// period, and a name already kept is never overwritten.
class PeriodStore {
public:
    static constexpr int MaxNameLength = 60;
    static constexpr QLatin1StringView FolderName{"periodos"};
    static constexpr QLatin1StringView DateFileName{"fecha.txt"};

    explicit PeriodStore(QString dataFolder);

    const QString &dataFolder() const { return m_dataFolder; }
    QString periodsFolder() const;

    // The periods kept, the oldest first (by date, then name). Hidden folders (a close under way, or one a
    // killed program left) are not periods.
    QList<Period> list() const;

    // Whether name may name a period: no / \ : * ? " < > | or control character, no dot or blank first or
    // last, no name Windows keeps for a device, at most MaxNameLength characters, not kept already.
    Result<void> checkName(const QString &name) const;

    // A name from the date, in the school year's terms: «Inicio 2026-2027» from August to October, «Mitad
    // 2026-2027» from November to March, «Fin 2026-2027» from April to July; with « (2)», « (3)»… where kept.
    QString proposedName(QDate date) const;

    // Copies the six files that exist (secundaria1.dat to secundaria3.sexo) and a date file. Failures under
    // Action::ClosePeriod, the name as subject and, where a file failed, the file or folder as place.
    Result<Period> close(const QString &name, QDate date) const;

private:
    QString m_dataFolder;
};

} // namespace merlox2
