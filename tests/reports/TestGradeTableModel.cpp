// The grade table of the reports window: the worksheet's evaluation for each row's sex, what a row that
// can't be evaluated says, the slots hidden, sorting, the sex given from the table, and the table
// following the files when a worksheet stores.

#include "reports/GradeTableModel.h"
#include "reports/TargetText.h"

#include "records/GradeFile.h"
#include "records/SexFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

using M = GradeTableModel;

// "Ana 12 1.9 7.5 22 25 20": name, age and the five results, as the worksheet stores them.
StudentRecord record(const QString &fields)
{
    StudentRecord student;
    const QStringList values = fields.split(u'|');
    for (qsizetype i = 0; i < values.size(); ++i)
        (void)student.setField(StudentRecord::Field(i), values.at(i));
    return student;
}

QStringList row(const QAbstractItemModel &model, int row, int from, int to)
{
    QStringList texts;
    for (int column = from; column <= to; ++column)
        texts << model.index(row, column).data().toString();
    return texts;
}

QStringList column(const QAbstractItemModel &model, int column)
{
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
        texts << model.index(r, column).data().toString();
    return texts;
}

} // namespace

class TestGradeTableModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void workedExampleOnceTheSexIsGiven();
    void stoppedRuleSaysWhichResult_data();
    void stoppedRuleSaysWhichResult();
    void emptySlotsHiddenAndNumbersSorted();
    void followsTheFiles();
    void failedSexStoreIsReported();

private:
    QString gradePath() const { return m_dir->filePath(GradeFile::fileNameForGrade(1)); }
    void store(const QList<StudentRecord> &students)
    {
        Roster roster;
        for (qsizetype i = 0; i < students.size(); ++i)
            roster[int(i) + 1] = students.at(i);
        QVERIFY(GradeFile(gradePath()).storeRoster(roster));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestGradeTableModel::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestGradeTableModel::workedExampleOnceTheSexIsGiven()
{
    store({record(u"Ana|12|1.9|7.5|22|25|20"_s)});
    M model(1, gradePath());
    QCOMPARE(row(model, 0, M::No, M::Sexo), u"1 Ana 12 1.9 7.5 22 25 20 "_s.split(u' '));
    QCOMPARE(row(model, 0, M::NivelResistencia, M::Promedio), QStringList(4, u"sin sexo"_s));
    QVERIFY(!model.index(0, M::Promedio).data(M::SortRole).isValid());

    QVERIFY(model.flags(model.index(0, M::Sexo)) & Qt::ItemIsEditable);
    QVERIFY(!(model.flags(model.index(0, M::Nombre)) & Qt::ItemIsEditable));
    QVERIFY(!model.setData(model.index(0, M::Sexo), u"X"_s));
    QVERIFY(!model.setData(model.index(0, M::Nombre), u"Beto"_s));
    QVERIFY(model.setData(model.index(0, M::Sexo), u"h"_s));
    QCOMPARE(model.index(0, M::Sexo).data().toString(), u"H"_s);
    QCOMPARE(row(model, 0, M::NivelResistencia, M::Promedio),
             QStringList({u"III (50%)"_s, u"II (75%)"_s, u"III (50%)"_s, u"III (58%)"_s}));
    QCOMPARE(model.index(0, M::Promedio).data(M::SortRole).toInt(), 58);
    // The next level of each capacity: the times of its bound, and 74 (average 24.67 -> 25) less 67 for
    // strength.
    QCOMPARE(model.index(0, M::Metas).data().toString(), u"R 1.8 · V 7.0 · F +7"_s);
    QCOMPARE(
        model.index(0, M::NivelFuerza).data(Qt::ToolTipRole).toString(),
        u"Para llegar al nivel II: faltan 7 repeticiones (un total de 74 entre lagartijas, abdominales y "
        "sentadillas)."_s);
    QVERIFY(model.index(0, M::Metas).data(Qt::ToolTipRole).toString().contains(u"carrera de 600 m"_s));
    // One repetition short: the singular, with the same total.
    QCOMPARE(targetSentence(Capacity::Fuerza, Target{.band = 2, .level = u"II"_s, .total = 74, .missing = 1}),
             u"Para llegar al nivel II: falta 1 repetición (un total de 74 entre lagartijas, abdominales y "
             "sentadillas)."_s);
    // Stored beside the grade file, for this student; the grade file itself is as it was.
    QCOMPARE(SexFile::forGradeFile(gradePath()).read().value().sexOf(1, u"Ana"_s), Sex::Hombre);
    QCOMPARE(QFileInfo(gradePath()).size(), GradeFile::FullSize);

    QVERIFY(model.setData(model.index(0, M::Sexo), QString()));
    QCOMPARE(model.index(0, M::NivelFuerza).data().toString(), u"sin sexo"_s);
}

void TestGradeTableModel::stoppedRuleSaysWhichResult_data()
{
    QTest::addColumn<QString>("student");
    QTest::addColumn<QStringList>("evaluation");
    QTest::addColumn<QString>("goals");
    const QString times = u"R 1.8 · V 7.0"_s;
    const auto stopped = [](const QString &done, const QString &why) {
        QStringList cells = done.split(u'|', Qt::SkipEmptyParts);
        while (cells.size() < 4)
            cells << why;
        return cells;
    };
    QTest::newRow("no results yet") << u"Ana|12"_s << stopped({}, u"Falta Resistencia"_s)
                                    << u"Falta Resistencia"_s;
    QTest::newRow("speed in words") << u"Ana|12|1,9|lento|22|25|20"_s
                                    << stopped(u"III (50%)"_s, u"Velocidad no es un número"_s) << u"R 1.8"_s;
    QTest::newRow("sit-ups in words, squats missing")
        << u"Ana|12|1.9|7.5|22|muchas"_s << stopped(u"III (50%)|II (75%)"_s, u"Abdominales no es un número"_s)
        << times;
    QTest::newRow("squats missing") << u"Ana|12|1.9|7.5|22|25"_s
                                    << stopped(u"III (50%)|II (75%)"_s, u"Falta Sentadillas"_s) << times;
    QTest::newRow("push-ups past the rule's range")
        << u"Ana|12|1.9|7.5|40000|25|20"_s
        << stopped(u"III (50%)|II (75%)"_s, u"Lagartijas: número fuera de rango"_s) << times;
}

void TestGradeTableModel::stoppedRuleSaysWhichResult()
{
    QFETCH(QString, student);
    QFETCH(QStringList, evaluation);
    store({record(student)});
    QVERIFY(SexFile::forGradeFile(gradePath()).setSex(1, Sex::Hombre, u"Ana"_s));
    const M model(1, gradePath());
    QCOMPARE(row(model, 0, M::NivelResistencia, M::Promedio), evaluation);
    // The times reached keep their targets; without any, the reason the evaluation stopped.
    QFETCH(QString, goals);
    QCOMPARE(model.index(0, M::Metas).data().toString(), goals);
}

void TestGradeTableModel::emptySlotsHiddenAndNumbersSorted()
{
    // Slot 3 blank-named, slots 5 to 30 never used.
    store({record(u"Ana|12|10.5|7.5|22|25|20"_s), record(u"Beto|9|9|8|1|1|1"_s), record(u"   |13|1.0"_s),
           record(u"Carla|doce|1,9|9.5|30|30|30"_s)});
    const QByteArray before = [this] {
        QFile file(gradePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    M model(1, gradePath());
    GradeTableProxy proxy;
    proxy.setSourceModel(&model);
    QCOMPARE(column(proxy, M::Nombre), QStringList({u"Ana"_s, u"Beto"_s, u"Carla"_s}));
    proxy.setShowEmpty(true);
    QCOMPARE(proxy.rowCount(), 30);
    proxy.setShowEmpty(false);
    QCOMPARE(proxy.rowCount(), 3);

    proxy.sort(M::Resistencia, Qt::AscendingOrder); // as text, "10.5" would come before "1,9"
    QCOMPARE(column(proxy, M::Resistencia), QStringList({u"1,9"_s, u"9"_s, u"10.5"_s}));
    proxy.sort(M::Edad, Qt::AscendingOrder); // what is not a number comes last
    QCOMPARE(column(proxy, M::Nombre), QStringList({u"Beto"_s, u"Ana"_s, u"Carla"_s}));
    proxy.sort(M::Nombre, Qt::DescendingOrder);
    QCOMPARE(column(proxy, M::No), QStringList({u"4"_s, u"2"_s, u"1"_s}));

    QFile file(gradePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestGradeTableModel::followsTheFiles()
{
    M model(1, gradePath()); // no grade file yet: shown empty, not created
    QVERIFY(!QFile::exists(gradePath()));
    QVERIFY(!model.gradeFileError());
    GradeTableProxy proxy;
    proxy.setSourceModel(&model);
    QCOMPARE(proxy.rowCount(), 0);

    // A worksheet stores (a new file renamed over the old), and gives the sex.
    store({record(u"Ana|12|1.9|7.5|22|25|20"_s)});
    QTRY_COMPARE_WITH_TIMEOUT(column(proxy, M::Nombre), QStringList{u"Ana"_s}, 1000);
    QVERIFY(SexFile::forGradeFile(gradePath()).setSex(1, Sex::Hombre, u"Ana"_s));
    QTRY_COMPARE_WITH_TIMEOUT(model.index(0, M::Promedio).data().toString(), u"III (58%)"_s, 1000);
    // Another student in the slot: the sex was the one before's.
    store({record(u"Beto|13|1.9|7.5|22|25|20"_s)});
    QTRY_COMPARE_WITH_TIMEOUT(model.index(0, M::Promedio).data().toString(), u"sin sexo"_s, 1000);

    // A damaged sex file: its lines are told, the grade still shown.
    QFile sexes(SexFile::forGradeFile(gradePath()).path());
    QVERIFY(sexes.open(QIODevice::WriteOnly | QIODevice::Truncate));
    sexes.write("MERLOX2 sexo secundaria1.dat\n1;Q;Beto\n");
    sexes.close();
    model.reload(); // F5
    QCOMPARE(model.sexFileProblems(),
             QList<SexLineProblem>({{2, SexLineFault::UnknownSex}, {3, SexLineFault::FileEndsEarly}}));
    QCOMPARE(column(proxy, M::Nombre), QStringList{u"Beto"_s});
}

void TestGradeTableModel::failedSexStoreIsReported()
{
    store({record(u"Ana|12|1.9|7.5|22|25|20"_s)});
    QVERIFY(QDir().mkdir(SexFile::forGradeFile(gradePath()).path()));
    M model(1, gradePath());
    QCOMPARE(model.sexFileError()->action, Action::ReadSexFile);
    QCOMPARE(model.index(0, M::Nombre).data().toString(), u"Ana"_s);
    QVERIFY(!model.setData(model.index(0, M::Sexo), u"M"_s));
    QVERIFY(model.lastError());
    QCOMPARE(model.lastError()->action, Action::SaveSexFile);
    QCOMPARE(model.lastError()->cause, Cause::FolderInPlace);
    QCOMPARE(model.index(0, M::Sexo).data().toString(), QString());
}

} // namespace merlox2

QTEST_GUILESS_MAIN(merlox2::TestGradeTableModel)
#include "TestGradeTableModel.moc"
