#include "records/SexFile.h"

#include "records/FileStore.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

constexpr QLatin1StringView Heading("MERLOX2 sexo ");
constexpr QLatin1StringView Extension(".sexo");
// Thirty lines of thirty characters take some 3 KB; what lies beyond this is not a sex file's.
constexpr qint64 ReadLimit = qint64{64} * 1024;
constexpr int LineCount = 1 + Roster::LastSlot;

bool isBlank(QByteArrayView line) { return line.trimmed().isEmpty(); }

std::optional<QString> decodeLine(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    if (text.endsWith(u'\r')) // a file saved again by a Windows editor
        text.chop(1);
    return text;
}

// Takes line n + 1 as slot n, or tells why it can't.
std::optional<SexLineFault> parseSlotLine(QByteArrayView bytes, int slot, SexEntry &entry)
{
    const std::optional<QString> text = decodeLine(bytes);
    if (!text)
        return SexLineFault::NotText;
    const qsizetype first = text->indexOf(u';');
    const qsizetype second = first < 0 ? -1 : text->indexOf(u';', first + 1);
    if (second < 0)
        return SexLineFault::Malformed;
    bool isNumber = false;
    const int named = QStringView(*text).first(first).trimmed().toInt(&isNumber);
    if (!isNumber)
        return SexLineFault::Malformed;
    if (named != slot)
        return SexLineFault::WrongSlot;
    const QStringView sex = QStringView(*text).sliced(first + 1, second - first - 1).trimmed();
    if (sex.compare(u"H", Qt::CaseInsensitive) == 0)
        entry.sex = Sex::Hombre;
    else if (sex.compare(u"M", Qt::CaseInsensitive) == 0)
        entry.sex = Sex::Mujer;
    else if (!sex.isEmpty())
        return SexLineFault::UnknownSex;
    entry.name = SexFile::nameKey(QStringView(*text).sliced(second + 1));
    return std::nullopt;
}

Error lockFailure(const QLockFile &lock, const QString &path)
{
    Cause cause = Cause::Unexplained;
    switch (lock.error()) {
    case QLockFile::LockFailedError: cause = Cause::InUse; break; // another store did not finish in time
    case QLockFile::PermissionError: cause = Cause::FolderWriteDenied; break;
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        if (!QFileInfo(QFileInfo(path).absolutePath()).isDir())
            cause = Cause::MissingFolder;
        break;
    }
    return Error{.action = Action::SaveSexFile, .cause = cause, .subject = path};
}

} // namespace

std::optional<Sex> SexTable::sexOf(int slot, QStringView currentName) const
{
    if (slot < Roster::FirstSlot || slot > Roster::LastSlot)
        return std::nullopt;
    const SexEntry &entry = entries[std::size_t(slot)];
    if (!entry.sex || entry.name != SexFile::nameKey(currentName))
        return std::nullopt;
    return entry.sex;
}

SexTable SexTable::parse(QByteArrayView content, const QString &gradeFileName)
{
    SexTable table;
    if (content.startsWith("\xEF\xBB\xBF")) // the byte-order mark some editors put first
        content = content.sliced(3);
    QList<QByteArrayView> lines;
    for (qsizetype start = 0; start < content.size();) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        lines.append(content.sliced(start, end - start));
        start = end + 1;
    }
    while (!lines.isEmpty() && isBlank(lines.back()))
        lines.removeLast();

    if (lines.isEmpty()) {
        table.problems.append({1, SexLineFault::FileEndsEarly});
        return table;
    }
    const std::optional<QString> heading = decodeLine(lines.front());
    if (!heading || !heading->startsWith(Heading)) {
        table.problems.append({1, SexLineFault::NotASexFile});
    } else if (QStringView(*heading)
                   .sliced(Heading.size())
                   .trimmed()
                   .compare(gradeFileName, Qt::CaseInsensitive)) {
        // Another grade's students: their names might even match ours.
        table.problems.append({1, SexLineFault::OtherGrade});
        return table;
    }
    for (int slot = Roster::FirstSlot; slot <= Roster::LastSlot && slot < lines.size(); ++slot) {
        SexEntry entry;
        if (const std::optional<SexLineFault> fault = parseSlotLine(lines[slot], slot, entry))
            table.problems.append({slot + 1, *fault});
        else
            table.entries[std::size_t(slot)] = entry;
    }
    if (lines.size() < LineCount)
        table.problems.append({int(lines.size()) + 1, SexLineFault::FileEndsEarly});
    for (qsizetype i = LineCount; i < lines.size(); ++i) {
        if (!isBlank(lines[i])) {
            table.problems.append({int(i) + 1, SexLineFault::ExtraLine});
            break;
        }
    }
    return table;
}

QByteArray SexTable::serialise(const QString &gradeFileName) const
{
    QString text = Heading + gradeFileName + u'\n';
    for (int slot = Roster::FirstSlot; slot <= Roster::LastSlot; ++slot) {
        const SexEntry &entry = entries[std::size_t(slot)];
        const QStringView sex = !entry.sex ? u"" : *entry.sex == Sex::Hombre ? u"H" : u"M";
        text += u"%1;%2;%3\n"_s.arg(slot).arg(sex, SexFile::nameKey(entry.name));
    }
    return text.toUtf8();
}

SexFile SexFile::forGradeFile(const QString &gradeFilePath)
{
    QString path = gradeFilePath;
    if (path.endsWith(u".dat", Qt::CaseInsensitive))
        path.chop(4);
    return {path + Extension, QFileInfo(gradeFilePath).fileName()};
}

QString SexFile::nameKey(QStringView name)
{
    QString key = name.toString();
    for (QChar &c : key) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    }
    qsizetype end = key.size();
    while (end > 0 && key.at(end - 1) == u' ')
        --end;
    key.truncate(end);
    return key;
}

Result<SexTable> SexFile::read() const
{
    QByteArray content;
    filesystem::Attributes attributes;
    bool missing = false;
    if (const filesystem::Status failed = filesystem::read(m_path, ReadLimit, content, attributes, missing))
        return filestore::failure(Action::ReadSexFile, m_path, *failed, filestore::Step::Read);
    if (missing) {
        SexTable table;
        table.missing = true;
        return table;
    }
    return SexTable::parse(content, m_gradeFileName);
}

Result<void> SexFile::setSex(int slot, std::optional<Sex> sex, QStringView name) const
{
    if (slot < Roster::FirstSlot || slot > Roster::LastSlot)
        return Error{
            .action = Action::SaveSexFile, .cause = Cause::NoSuchRecord, .subject = m_path, .record = slot};
    QLockFile lock(m_path + u".lock"_s);
    lock.setStaleLockTime(StaleLockMs);
    if (!lock.tryLock(LockWaitMs))
        return lockFailure(lock, m_path);

    // Read again under the lock: another store may have given another slot its sex meanwhile.
    const Result<filestore::Current> current = filestore::readCurrent(m_path, Action::SaveSexFile);
    if (!current)
        return current.error();
    SexTable table;
    if (current.value().exists)
        table = SexTable::parse(current.value().content, m_gradeFileName);
    const SexEntry wanted{sex, nameKey(name)};
    SexEntry &entry = table.entries[std::size_t(slot)];
    if (current.value().exists && table.problems.isEmpty() && entry == wanted)
        return {};
    entry = wanted;
    // The content may be shorter than the old one, so it is never written over the old in place.
    return filestore::replaceContent(current.value(), table.serialise(m_gradeFileName),
                                     {Action::SaveSexFile, Action::FinishSavingSexFile},
                                     filestore::InPlace::Refused);
}

} // namespace merlox2
