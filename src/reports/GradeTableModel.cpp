#include "reports/GradeTableModel.h"

#include "evaluation/EvaluationRule.h"
#include "evaluation/NumberConversion.h"
#include "evaluation/Targets.h"
#include "records/GradeFile.h"
#include "reports/TargetText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QLocale>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// How long after a change of the files they are read again: a store is a burst of changes in the folder.
constexpr int ReloadDelayMs = 200;

constexpr std::array<StudentRecord::Field, 7> FieldOfColumn{
    StudentRecord::Nombre,     StudentRecord::Edad,       StudentRecord::Resistencia,
    StudentRecord::Velocidad,  StudentRecord::Lagartijas, StudentRecord::Abdominales,
    StudentRecord::Sentadillas};

QString fieldText(const StudentRecord &record, StudentRecord::Field field)
{
    return SexFile::nameKey(record.field(field)); // trailing blanks and NULs go, as a teacher reads it
}

QVariant numberOf(const QString &text, bool time)
{
    if (time) {
        if (const std::optional<double> value = toTime(text, resultLocale()))
            return *value;
        return {};
    }
    if (const std::optional<std::int16_t> value = toCount(text, resultLocale()).value)
        return int(*value);
    return {};
}

QString resultName(StudentRecord::Field field)
{
    switch (field) {
    case StudentRecord::Resistencia: return u"Resistencia"_s;
    case StudentRecord::Velocidad: return u"Velocidad"_s;
    case StudentRecord::Lagartijas: return u"Lagartijas"_s;
    case StudentRecord::Abdominales: return u"Abdominales"_s;
    default: return u"Sentadillas"_s;
    }
}

// Why the rule stopped, naming the result it stopped at. The rule only says that one of the three counts
// failed; the first that fails the same conversion is the one.
QString stopText(Stop stop, const StudentRecord &record)
{
    const auto notANumber = [&record](StudentRecord::Field field) {
        return fieldText(record, field).trimmed().isEmpty() ? u"Falta %1"_s.arg(resultName(field))
                                                            : u"%1 no es un número"_s.arg(resultName(field));
    };
    switch (stop) {
    case Stop::None: break;
    case Stop::EnduranceNotANumber: return notANumber(StudentRecord::Resistencia);
    case Stop::SpeedNotANumber: return notANumber(StudentRecord::Velocidad);
    case Stop::CountNotANumber:
    case Stop::CountOverflow:
        for (const StudentRecord::Field field :
             {StudentRecord::Lagartijas, StudentRecord::Abdominales, StudentRecord::Sentadillas}) {
            const CountResult count = toCount(record.field(field), resultLocale());
            if (count.value)
                continue;
            if (count.failure == CountFailure::Overflow)
                return u"%1: número fuera de rango"_s.arg(resultName(field));
            return notANumber(field);
        }
        break;
    case Stop::SumOverflow: return u"La suma de fuerza está fuera de rango"_s;
    }
    return u"Sin evaluación"_s;
}

bool isTimeColumn(int column)
{
    return column == GradeTableModel::Resistencia || column == GradeTableModel::Velocidad;
}

// One watcher for every grade table of the program, each path watched while some table wants it: on Linux
// every watcher holds an inotify instance of its own, of which a user has few (128 by default), and closing
// one waits on the kernel for several milliseconds.
class SharedWatcher {
public:
    static SharedWatcher &instance()
    {
        static SharedWatcher shared;
        return shared;
    }

    // The watcher, made for the first table (or the first of another application: tests).
    QFileSystemWatcher *watcher()
    {
        if (!m_watcher) {
            m_watcher = new QFileSystemWatcher(QCoreApplication::instance());
            m_wanted.clear();
        }
        return m_watcher;
    }

    void want(const QStringList &paths)
    {
        for (const QString &path : paths)
            ++m_wanted[path];
        watchExisting(paths);
    }

    void unwant(const QStringList &paths)
    {
        for (const QString &path : paths) {
            const auto wanted = m_wanted.find(path);
            if (wanted == m_wanted.end() || --*wanted > 0)
                continue;
            m_wanted.erase(wanted);
            if (m_watcher)
                m_watcher->removePath(path);
        }
    }

    // A file renamed over is no longer watched, and one made later was not yet: both are watched again.
    void watchExisting(QStringList paths)
    {
        const QStringList watched = watcher()->files() + watcher()->directories();
        paths.removeIf(
            [&watched](const QString &path) { return watched.contains(path) || !QFileInfo::exists(path); });
        if (!paths.isEmpty())
            watcher()->addPaths(paths);
    }

private:
    QPointer<QFileSystemWatcher> m_watcher;
    QHash<QString, int> m_wanted;
};

} // namespace

const QLocale &resultLocale()
{
    static const QLocale locale(QLocale::Spanish, QLocale::Mexico);
    return locale;
}

GradeTableModel::GradeTableModel(int grade, QString gradeFilePath, QObject *parent)
    : QAbstractTableModel(parent), m_grade(grade), m_gradeFilePath(std::move(gradeFilePath)),
      m_sexFile(SexFile::forGradeFile(m_gradeFilePath))
{
    m_reloadSoon.setSingleShot(true);
    m_reloadSoon.setInterval(ReloadDelayMs);
    connect(&m_reloadSoon, &QTimer::timeout, this, &GradeTableModel::reload);
    // A store renames a new file over the old one: the folder shows it, and a file watched before is gone.
    // The first change of a burst sets the time, so that a folder that keeps changing still gets read.
    const auto changed = [this] {
        if (!m_reloadSoon.isActive())
            m_reloadSoon.start();
    };
    m_watchedPaths = {QFileInfo(m_gradeFilePath).absolutePath(), m_gradeFilePath, m_sexFile.path()};
    SharedWatcher &shared = SharedWatcher::instance();
    const auto mine = [this, changed](const QString &path) {
        if (m_watchedPaths.contains(path))
            changed();
    };
    connect(shared.watcher(), &QFileSystemWatcher::directoryChanged, this, mine);
    connect(shared.watcher(), &QFileSystemWatcher::fileChanged, this, mine);
    shared.want(m_watchedPaths);
    evaluateAll();
    reload();
}

int GradeTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Roster::LastSlot;
}

int GradeTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant GradeTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= Roster::LastSlot)
        return {};
    const int slot = index.row() + 1;
    const int column = index.column();
    const Row &row = m_rows[std::size_t(slot)];
    if (role == UnusedRole)
        return row.unused;
    if (role == Qt::TextAlignmentRole)
        return column == Nombre || column == Sexo || column == Metas
                   ? QVariant()
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);

    if (column == No)
        return role == Qt::DisplayRole || role == SortRole ? QVariant(slot) : QVariant();
    if (column < Sexo) {
        const QString &text = row.fields[std::size_t(column - Nombre)];
        if (role == Qt::DisplayRole)
            return text;
        if (role == SortRole)
            return column == Nombre ? QVariant(text) : numberOf(text, isTimeColumn(column));
        return {};
    }
    const std::optional<Sex> &sex = row.sex;
    if (column == Sexo) {
        if (role == Qt::DisplayRole || role == Qt::EditRole || role == SortRole)
            return !sex ? QString() : *sex == Sex::Hombre ? u"H"_s : u"M"_s;
        if (role == Qt::ToolTipRole)
            return !sex                  ? u"Sin sexo: escriba H (hombre) o M (mujer)"_s
                   : *sex == Sex::Hombre ? u"Hombre"_s
                                         : u"Mujer"_s;
        return {};
    }
    const Cell &cell = row.evaluation[std::size_t(column - NivelResistencia)];
    if (role == Qt::DisplayRole)
        return cell.text;
    if (role == SortRole)
        return cell.sortKey;
    if (role == Qt::ToolTipRole && !sex)
        return u"Escriba H (hombre) o M (mujer) en la columna Sexo para evaluar a este alumno"_s;
    if (role == Qt::ToolTipRole && !cell.tip.isEmpty())
        return cell.tip;
    return {};
}

QVariant GradeTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const std::array<QString, ColumnCount> Headers{u"No."_s,
                                                          u"Nombre"_s,
                                                          u"Edad"_s,
                                                          u"Resistencia"_s,
                                                          u"Velocidad"_s,
                                                          u"Lagartijas"_s,
                                                          u"Abdominales"_s,
                                                          u"Sentadillas"_s,
                                                          u"Sexo"_s,
                                                          u"Nivel de resistencia"_s,
                                                          u"Nivel de velocidad"_s,
                                                          u"Nivel de fuerza"_s,
                                                          u"Promedio"_s,
                                                          u"Metas"_s};
    return section >= 0 && section < ColumnCount ? QVariant(Headers[std::size_t(section)]) : QVariant();
}

Qt::ItemFlags GradeTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == Sexo)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool GradeTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    m_lastError.reset();
    if (!index.isValid() || index.column() != Sexo || role != Qt::EditRole)
        return false;
    const QString text = value.toString().trimmed();
    std::optional<Sex> sex;
    if (text.compare(u"H", Qt::CaseInsensitive) == 0)
        sex = Sex::Hombre;
    else if (text.compare(u"M", Qt::CaseInsensitive) == 0)
        sex = Sex::Mujer;
    else if (!text.isEmpty())
        return false;

    const int slot = index.row() + 1;
    const QString name = m_roster[slot].field(StudentRecord::Nombre);
    if (const Result<void> stored = m_sexFile.setSex(slot, sex, name); !stored) {
        m_lastError = stored.error();
        return false;
    }
    m_sexes.entries[std::size_t(slot)] = SexEntry{sex, SexFile::nameKey(name)};
    m_rows[std::size_t(slot)] = describeSlot(slot);
    Q_EMIT dataChanged(this->index(index.row(), Sexo), this->index(index.row(), Metas));
    return true;
}

GradeTableModel::Row GradeTableModel::describeSlot(int slot) const
{
    const StudentRecord &record = m_roster[slot];
    Row row;
    for (std::size_t i = 0; i < FieldOfColumn.size(); ++i)
        row.fields[i] = fieldText(record, FieldOfColumn[i]);
    row.unused = row.fields[0].trimmed().isEmpty();
    row.sex = m_sexes.sexOf(slot, record.field(StudentRecord::Nombre));
    const std::optional<Sex> &sex = row.sex;
    std::array<Cell, 5> &cells = row.evaluation;
    if (!sex) {
        cells.fill(Cell{u"sin sexo"_s, {}});
        return row;
    }
    const QString results[] = {
        record.field(StudentRecord::Resistencia), record.field(StudentRecord::Velocidad),
        record.field(StudentRecord::Lagartijas), record.field(StudentRecord::Abdominales),
        record.field(StudentRecord::Sentadillas)};
    const Evaluation evaluation =
        evaluate(m_grade, *sex, {results[0], results[1], results[2], results[3], results[4]}, resultLocale());
    // Each column's level and percentage among the outputs, and how many outputs it takes to have them.
    struct Place {
        Output level;
        Output percentage;
    };
    static constexpr std::array<Place, 4> Places{{
        {Output::EnduranceLevel, Output::EndurancePercentage},
        {Output::SpeedLevel, Output::SpeedPercentage},
        {Output::StrengthLevel, Output::StrengthPercentage},
        {Output::AverageLevel, Output::AveragePercentage},
    }};
    const QString stopped = evaluation.complete() ? QString() : stopText(evaluation.stop, record);
    for (std::size_t i = 0; i < Places.size(); ++i) {
        const auto level = std::size_t(Places[i].level);
        const auto percentage = std::size_t(Places[i].percentage);
        if (std::max(level, percentage) >= evaluation.outputs.size()) {
            cells[i] = Cell{stopped, {}}; // the rule stopped before this column
            continue;
        }
        const QString &percent = evaluation.outputs[percentage];
        cells[i] = Cell{u"%1 (%2%)"_s.arg(evaluation.outputs[level], percent), percent.toInt()};
    }

    // The next level's targets: in the level's own tool tip, and together in the last column.
    const StudentTargets targets = targetsFor(
        m_grade, *sex, {results[0], results[1], results[2], results[3], results[4]}, resultLocale());
    const std::array<std::pair<Capacity, const std::optional<Target> *>, 3> capacities{{
        {Capacity::Resistencia, &targets.endurance},
        {Capacity::Velocidad, &targets.speed},
        {Capacity::Fuerza, &targets.strength},
    }};
    for (std::size_t i = 0; i < capacities.size(); ++i) {
        if (const std::optional<Target> &target = *capacities[i].second)
            cells[i].tip = targetSentence(capacities[i].first, *target);
    }
    Cell &goals = cells.back();
    if (!evaluation.complete() && !targets.any()) {
        goals = Cell{stopped, {}};
    } else {
        goals =
            Cell{targetsShort(targets), int(targets.endurance.has_value()) + int(targets.speed.has_value()) +
                                            int(targets.strength.has_value())};
        goals.tip = targetsTip(targets);
        if (!evaluation.complete())
            goals.tip += u"\n"_s + stopped;
    }
    return row;
}

void GradeTableModel::evaluateAll()
{
    for (int slot = Roster::FirstSlot; slot <= Roster::LastSlot; ++slot)
        m_rows[std::size_t(slot)] = describeSlot(slot);
}

GradeTableModel::~GradeTableModel() { SharedWatcher::instance().unwant(m_watchedPaths); }

void GradeTableModel::reload()
{
    m_reloadSoon.stop();
    SharedWatcher::instance().watchExisting(m_watchedPaths);
    Roster roster = m_roster;
    m_gradeFileError.reset();
    if (!QFileInfo::exists(m_gradeFilePath)) {
        roster = Roster();
    } else if (const Result<void> loaded = GradeFile(m_gradeFilePath).loadRoster(roster); !loaded) {
        m_gradeFileError = loaded.error();
        roster = m_roster;
    }
    SexTable sexes;
    m_sexFileError.reset();
    if (Result<SexTable> read = m_sexFile.read(); read) {
        sexes = std::move(read).value();
    } else {
        m_sexFileError = read.error();
        sexes.entries = m_sexes.entries;
    }
    const bool changed = roster != m_roster || sexes.entries != m_sexes.entries;
    m_roster = roster;
    m_sexes = std::move(sexes);
    if (changed) {
        evaluateAll();
        Q_EMIT dataChanged(index(0, 0), index(Roster::LastSlot - 1, ColumnCount - 1));
    }
    Q_EMIT reloaded();
}

GradeTableProxy::GradeTableProxy(QObject *parent) : QSortFilterProxyModel(parent)
{
    setSortRole(GradeTableModel::SortRole);
    setDynamicSortFilter(true);
}

void GradeTableProxy::setShowEmpty(bool show)
{
    if (show == m_showEmpty)
        return;
    m_showEmpty = show;
    invalidateRowsFilter();
}

bool GradeTableProxy::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    return m_showEmpty ||
           !sourceModel()->index(sourceRow, 0, sourceParent).data(GradeTableModel::UnusedRole).toBool();
}

bool GradeTableProxy::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    if (left.column() == GradeTableModel::No) // the file's order, the one the window opens in
        return left.row() < right.row();
    const QVariant a = left.data(sortRole());
    const QVariant b = right.data(sortRole());
    // What is not a number (or has no evaluation) goes after every number, in the file's order.
    if (!a.isValid() || !b.isValid()) {
        if (a.isValid() != b.isValid())
            return a.isValid();
        return left.row() < right.row();
    }
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString) {
        const int order = QString::localeAwareCompare(a.toString(), b.toString());
        return order != 0 ? order < 0 : left.row() < right.row();
    }
    const double x = a.toDouble();
    const double y = b.toDouble();
    return x != y ? x < y : left.row() < right.row();
}

} // namespace merlox2
