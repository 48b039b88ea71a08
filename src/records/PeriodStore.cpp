#include "records/PeriodStore.h"

#include "records/FileStore.h"
#include "records/FileSystem.h"
#include "records/GradeFile.h"
#include "records/SexFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

constexpr QLatin1StringView TemporaryInfix(".tmp-");

QStringList keptFileNames()
{
    QStringList names;
    for (int grade = 1; grade <= 3; ++grade) {
        const QString gradeFile = GradeFile::fileNameForGrade(grade);
        names << gradeFile << QFileInfo(SexFile::forGradeFile(gradeFile).path()).fileName();
    }
    return names;
}

Error periodFailure(const QString &name, Cause cause, const QString &detail = {}, int systemCode = 0)
{
    return Error{.action = Action::ClosePeriod,
                 .cause = cause,
                 .subject = name,
                 .detail = detail,
                 .systemCode = systemCode};
}

// A file's failure during a close: the period's name as subject, the file (or folder) it met as place.
Error fileFailure(const QString &name, const QString &path, const filesystem::SystemFailure &failed,
                  filestore::Step step)
{
    Error error = filestore::failure(Action::ClosePeriod, path, failed, step);
    error.place = QDir::cleanPath(path);
    error.subject = name;
    return error;
}

bool isReservedName(const QString &name)
{
    // Windows gives these to devices, also with an extension ("CON.txt").
    const QString stem = name.section(u'.', 0, 0).trimmed().toUpper();
    static const QStringList Reserved{u"CON"_s, u"PRN"_s, u"AUX"_s, u"NUL"_s};
    if (Reserved.contains(stem))
        return true;
    return stem.size() == 4 && (stem.startsWith(u"COM"_s) || stem.startsWith(u"LPT"_s)) &&
           stem.at(3) >= u'1' && stem.at(3) <= u'9';
}

// The school year a date falls in: from August to July.
QString schoolYear(QDate date)
{
    const int first = date.month() >= 8 ? date.year() : date.year() - 1;
    return u"%1-%2"_s.arg(first).arg(first + 1);
}

} // namespace

QString Period::gradeFilePath(int grade) const
{
    return QDir(folder).filePath(GradeFile::fileNameForGrade(grade));
}

PeriodStore::PeriodStore(QString dataFolder) : m_dataFolder(std::move(dataFolder)) {}

QString PeriodStore::periodsFolder() const { return QDir(m_dataFolder).filePath(FolderName); }

QList<Period> PeriodStore::list() const
{
    QList<Period> periods;
    const QDir folder(periodsFolder());
    for (const QString &name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (name.startsWith(u'.'))
            continue;
        Period period{name, folder.filePath(name), {}};
        QFile date(QDir(period.folder).filePath(DateFileName));
        if (date.open(QIODevice::ReadOnly))
            period.date = QDate::fromString(QString::fromUtf8(date.read(32)).trimmed(), Qt::ISODate);
        periods << period;
    }
    std::stable_sort(periods.begin(), periods.end(), [](const Period &a, const Period &b) {
        if (a.date != b.date)
            return a.date < b.date;
        return a.name.localeAwareCompare(b.name) < 0;
    });
    return periods;
}

Result<void> PeriodStore::checkName(const QString &name) const
{
    if (name.trimmed().isEmpty())
        return periodFailure(name, Cause::InvalidName);
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || u"/\\:*?\"<>|"_s.contains(c))
            return periodFailure(name, Cause::InvalidName, QString(c));
    }
    // Windows drops a dot or blank at the end; a dot first hides the folder.
    for (const QChar edge : {name.front(), name.back()}) {
        if (edge == u'.' || edge.isSpace())
            return periodFailure(name, Cause::InvalidName, QString(edge));
    }
    if (isReservedName(name))
        return periodFailure(name, Cause::ReservedName, name.section(u'.', 0, 0).trimmed());
    if (name.size() > MaxNameLength)
        return periodFailure(name, Cause::NameTooLong);
    // Compared as the folder's file system may compare them (Windows ignores case).
    for (const Period &kept : list()) {
        if (kept.name.compare(name, Qt::CaseInsensitive) == 0)
            return periodFailure(name, Cause::AlreadyExists);
    }
    if (QFileInfo::exists(QDir(periodsFolder()).filePath(name)))
        return periodFailure(name, Cause::AlreadyExists);
    return {};
}

QString PeriodStore::proposedName(QDate date) const
{
    const int month = date.month();
    const QString when = month >= 8 && month <= 10  ? u"Inicio"_s
                         : month >= 4 && month <= 7 ? u"Fin"_s
                                                    : u"Mitad"_s;
    const QString base = when + u' ' + schoolYear(date);
    QString name = base;
    for (int n = 2; !checkName(name) && n < 100; ++n)
        name = u"%1 (%2)"_s.arg(base).arg(n);
    return name;
}

Result<Period> PeriodStore::close(const QString &name, QDate date) const
{
    if (Result<void> allowed = checkName(name); !allowed)
        return allowed.error();
    const QString periods = periodsFolder();
    if (const filesystem::Status failed = filesystem::makeFolder(periods))
        return fileFailure(name, periods, *failed, filestore::Step::Write);

    // What a close killed part way left is never a period: it goes before the next one starts. Only what is
    // an hour old: a younger one may be a close running now on another computer that shares the folder.
    QDir folder(periods);
    const QDateTime stale = QDateTime::currentDateTimeUtc().addSecs(-3600);
    for (const QFileInfo &left : folder.entryInfoList({u".*"_s + TemporaryInfix + u'*'},
                                                      QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (left.lastModified().toUTC() < stale)
            QDir(left.filePath()).removeRecursively();
    }

    QString temporary;
    for (int attempt = 0; attempt < 100 && temporary.isEmpty(); ++attempt) {
        const QString candidate =
            folder.filePath(u".%1%2%3"_s.arg(name, TemporaryInfix)
                                .arg(QRandomGenerator::global()->bounded(1000000), 6, 10, QLatin1Char('0')));
        if (folder.mkdir(QFileInfo(candidate).fileName()))
            temporary = candidate;
    }
    if (temporary.isEmpty()) {
        Error error = periodFailure(name, Cause::FolderWriteDenied);
        error.place = periods;
        return error;
    }
    const auto fail = [&temporary](Error error) {
        QDir(temporary).removeRecursively();
        return error;
    };

    const auto store = [&](const QString &fileName, const QByteArray &content,
                           const QString &place) -> Result<void> {
        filestore::Current fresh{
            .target = QDir(temporary).filePath(fileName), .content = {}, .attributes = {}, .exists = false};
        Result<void> stored = filestore::replaceContent(
            fresh, content, {Action::ClosePeriod, Action::ClosePeriod}, filestore::InPlace::Refused);
        if (!stored) {
            Error error = stored.error();
            error.place = place;
            error.subject = name;
            return error;
        }
        // The copy is what the files were: nothing in the program writes it again.
        QFile::setPermissions(fresh.target,
                              QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        return {};
    };
    int gradeFiles = 0;
    for (const QString &fileName : keptFileNames()) {
        const QString source = QDir(m_dataFolder).filePath(fileName);
        QByteArray content;
        filesystem::Attributes attributes;
        bool missing = false;
        if (const filesystem::Status failed = filesystem::read(source, -1, content, attributes, missing))
            return fail(fileFailure(name, source, *failed, filestore::Step::Read));
        if (missing)
            continue; // a grade never opened has no file: the period has none either
        // Named as the teacher's file, not the copy.
        if (Result<void> stored = store(fileName, content, QDir::cleanPath(source)); !stored)
            return fail(stored.error());
        gradeFiles += fileName.endsWith(u".dat"_s) ? 1 : 0;
    }
    // A folder without grade files (another folder, files moved away) is no period, not an empty one.
    if (gradeFiles == 0) {
        Error error = periodFailure(name, Cause::NoGradeFiles);
        error.place = QDir::cleanPath(m_dataFolder);
        return fail(error);
    }
    // The date's file is the program's own: a failure names the folder the period was written in.
    if (Result<void> stored =
            store(DateFileName, date.toString(Qt::ISODate).toUtf8() + '\n', QDir::cleanPath(periods));
        !stored)
        return fail(stored.error());

    const QString target = folder.filePath(name);
    if (const filesystem::Status failed = filesystem::renameFolder(temporary, target)) {
        if (!QFileInfo(temporary).exists() && QFileInfo(target).isDir())
            return Period{name, target, date}; // in place; only the flush of its name was not confirmed
        if (failed->cause == Cause::AlreadyExists)
            return fail(periodFailure(name, Cause::AlreadyExists));
        return fail(fileFailure(name, target, *failed, filestore::Step::Write));
    }
    return Period{name, target, date};
}

} // namespace merlox2
