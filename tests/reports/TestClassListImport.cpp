// The class list as files and pasted cells come: the encodings and delimiters Excel saves, headers in any
// case and accent, quotes, the bad lines told by number, the inputs refused whole; then which slot gets
// which student.

#include "reports/ClassListImport.h"

#include <QElapsedTimer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// "name|age|sex" per student, "line:fault" per problem, so that a row reads at a glance.
QStringList studentsOf(const ClassList &list)
{
    QStringList out;
    for (const ImportedStudent &s : list.students)
        out << u"%1|%2|%3"_s.arg(s.name, s.age, !s.sex ? QString() : *s.sex == Sex::Hombre ? u"H"_s : u"M"_s);
    return out;
}

QStringList problemsOf(const ClassList &list)
{
    QStringList out;
    for (const ClassLineProblem &p : list.problems)
        out << u"%1:%2"_s.arg(p.line).arg(int(p.fault));
    return out;
}

QString problem(int line, ClassLineFault fault) { return u"%1:%2"_s.arg(line).arg(int(fault)); }

Roster rosterWith(const QStringList &names) // "" leaves a slot empty
{
    Roster roster;
    for (qsizetype i = 0; i < names.size(); ++i)
        if (!names.at(i).isEmpty())
            (void)roster[int(i) + 1].setField(StudentRecord::Nombre, names.at(i));
    return roster;
}

QList<ImportedStudent> named(const QStringList &names)
{
    QList<ImportedStudent> students;
    for (qsizetype i = 0; i < names.size(); ++i)
        students << ImportedStudent{.line = int(i) + 1, .name = names.at(i), .age = {}};
    return students;
}

} // namespace

class TestClassListImport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void tenThousandLines();
    void placement_data();
    void placement();
};

void TestClassListImport::parse_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("clipboard");
    QTest::addColumn<int>("failure"); // -1: none
    QTest::addColumn<QStringList>("students");
    QTest::addColumn<QStringList>("problems");
    const auto ok = [](const char *name, const QByteArray &input, const QStringList &students,
                       const QStringList &problems = {}, bool clipboard = false) {
        QTest::newRow(name) << input << clipboard << -1 << students << problems;
    };
    const auto refused = [](const char *name, const QByteArray &input, ClassListFailure failure) {
        QTest::newRow(name) << input << false << int(failure) << QStringList() << QStringList();
    };
    using F = ClassLineFault;

    ok("semicolon, UTF-8 with BOM, header in capitals without accents",
       "\xEF\xBB\xBFNOMBRE;EDAD;SEXO\r\nAna Pérez;12;M\r\nLuis Ñúñez;13;hombre\r\n",
       {u"Ana Pérez|12|M"_s, u"Luis Ñúñez|13|H"_s});
    ok("comma, Windows-1252, header with accents in other order",
       "Sexo,G\xE9nero,Nombre del alumno,Edad\nH,,Mu\xF1oz Jos\xE9,12\n", {u"Muñoz José|12|H"_s});
    ok("surnames apart, joined in the list's order",
       "No.;Primer apellido;Segundo apellido;Nombre(s)\n1;P\xE9rez;;Ana\n", {u"Pérez Ana||"_s});
    ok("no header: the first column is the name, the rest ignored", "Ana;12;X\nBeto;x;y\n",
       {u"Ana||"_s, u"Beto||"_s});
    ok("quotes: delimiter, doubled quote and blank lines inside a list",
       "Nombre,Edad\n\"P\xC3\xA9rez, Ana\",12\n\n\"Jos\xC3\xA9 \"\"Pepe\"\" L\xC3\xB3pez\",\n",
       {u"Pérez, Ana|12|"_s, u"José \"Pepe\" López||"_s});
    ok("pasted cells: tabs, header, line numbers as rows", "Alumno\tSexo\nAna\tMujer\n\tM\nBeto\t\n",
       {u"Ana||M"_s, u"Beto||"_s}, {problem(3, F::MissingName)}, true);
    ok("bad lines told by number; a long name kept to be cut",
       "Nombre;Edad;Sexo\nAna;doce;M\nBeto;12;X\nCeci \xF0\x9F\x98\x80;12;M\n"
       "Dulce Mar\xC3\xAD"
       "a de los \xC3\x81ngeles Hern\xC3\xA1ndez;13;M\nEva;12;m\n",
       {u"Dulce María de los Ángeles Hernández|13|M"_s, u"Eva|12|M"_s},
       {problem(2, F::AgeNotANumber), problem(3, F::UnknownSex), problem(4, F::Unstorable),
        problem(5, F::NameTooLong)});
    ok("a quoted line break in a name is no character for the file", "Nombre\n\"Ana\nPaz\"\nBeto\n",
       {u"Beto||"_s}, {problem(2, F::Unstorable)});
    ok("a line of 200 columns is reported, the others taken; empty columns at the end are none",
       "Ana" + QByteArray(300, ',') + "\nBeto" + QByteArray(",x").repeated(199) + "\nCeci\n",
       {u"Ana||"_s, u"Ceci||"_s}, {problem(2, F::TooManyColumns)});
    ok("a quote never closed: the lines before it are taken", "Ana,1\n\"Beto,2\nCeci,3\n", {u"Ana||"_s},
       {problem(2, F::UnclosedQuote)});
    refused("UTF-16 with BOM", QByteArray("\xFF\xFEN\0o\0m\0b\0r\0e\0\n\0", 16), ClassListFailure::Utf16);
    refused("UTF-16 without BOM", QByteArray("N\0o\0m\0b\0r\0e\0\n\0A\0n\0a\0", 20), ClassListFailure::Utf16);
    refused("empty", "", ClassListFailure::Empty);
    refused("blank lines and a header only", "\r\n;;\r\nNombre;Edad\r\n", ClassListFailure::Empty);
    refused("a header without a name column", "Edad,Sexo\n12,H\n", ClassListFailure::NoNameColumn);
    refused("larger than any class list", QByteArray(classlist::MaxBytes + 1, 'a'),
            ClassListFailure::TooLarge);
}

void TestClassListImport::parse()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, clipboard);
    QFETCH(int, failure);
    const ClassList list =
        clipboard ? classlist::parseClipboard(QString::fromUtf8(input)) : classlist::parseFile(input);
    QCOMPARE(list.failure ? int(*list.failure) : -1, failure);
    QTEST(studentsOf(list), "students");
    QTEST(problemsOf(list), "problems");
}

// Far more than a class list: every line read, in well under a second (the placement lists the rest).
void TestClassListImport::tenThousandLines()
{
    QByteArray input = "Nombre;Edad;Sexo\r\n";
    for (int i = 0; i < 10000; ++i)
        input += "Alumno n\xC3\xBAmero " + QByteArray::number(i) + ";12;H\r\n";
    QElapsedTimer timer;
    timer.start();
    const ClassList list = classlist::parseFile(input);
    QCOMPARE(list.students.size(), 10000);
    QCOMPARE(list.students.last().line, 10001);
    const Placement placement = placeStudents(Roster{}, list.students, PlacementMode::EmptySlotsOnly);
    QCOMPARE(placement.placed.size(), 30);
    QCOMPARE(placement.notFitting.size(), 9970);
    qInfo("parsed and placed in %lld ms", timer.elapsed());
}

void TestClassListImport::placement_data()
{
    QTest::addColumn<QStringList>("roster");
    QTest::addColumn<QStringList>("students");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<QString>("placed"); // "slot:student ..."
    QTest::addColumn<QString>("notFitting");
    QTest::addColumn<QString>("alreadyThere");
    QStringList full;
    for (int i = 1; i <= 29; ++i)
        full << u"Alumno %1"_s.arg(i);
    QTest::newRow("empty slots in order, a student already there (any case and blanks) left")
        << QStringList{u"Ana"_s, u""_s, u"Beto"_s, u""_s} << QStringList{u"Ceci"_s, u"  beto "_s, u"Dani"_s}
        << false << u"2:0 4:2"_s << u""_s << u"3:1"_s;
    QTest::newRow("one empty slot: the rest do not fit")
        << full << QStringList{u"Ceci"_s, u"Dani"_s, u"Eva"_s} << false << u"30:0"_s << u"1 2"_s << u""_s;
    QTest::newRow("replace: Ana updated where she is, Dani in Beto's slot before the empty one, Ceci stays")
        << QStringList{u"ANA"_s, u"Beto"_s, u"Ceci"_s} << QStringList{u"Dani"_s, u"Ana"_s} << true
        << u"1:1 2:0"_s << u""_s << u""_s;
    // Namesakes pair off in order: taking the second Beto for the first would put Carlos over the second and
    // empty his results.
    QTest::newRow("replace: two Betos in the grade and on the list stay where they are, Carlos in Ana's slot")
        << QStringList{u"Ana"_s, u"Beto"_s, u"beto"_s} << QStringList{u"Beto"_s, u"Beto"_s, u"Carlos"_s}
        << true << u"1:2 2:0 3:1"_s << u""_s << u""_s;
    QTest::newRow("empty slots: one Beto in the grade, two on the list: the second is new")
        << QStringList{u"Beto"_s} << QStringList{u"Beto"_s, u"Beto"_s} << false << u"2:1"_s << u""_s
        << u"1:0"_s;
    QStringList thirty;
    for (int i = 0; i < 30; ++i)
        thirty << u"%1:%2"_s.arg(i + 1).arg(i);
    QTest::newRow("replace: 31 of one name are 31 students, the last does not fit")
        << QStringList{u"Ana"_s} << QStringList(31, u"Beto"_s) << true << thirty.join(u' ') << u"30"_s
        << u""_s;
}

void TestClassListImport::placement()
{
    QFETCH(QStringList, roster);
    QFETCH(QStringList, students);
    QFETCH(bool, replace);
    const Placement result = placeStudents(rosterWith(roster), named(students),
                                           replace ? PlacementMode::Replace : PlacementMode::EmptySlotsOnly);
    const auto pairs = [](const QList<PlacedStudent> &list) {
        QStringList out;
        for (const PlacedStudent &p : list)
            out << u"%1:%2"_s.arg(p.slot).arg(p.student);
        return out.join(u' ');
    };
    QStringList notFitting;
    for (const qsizetype i : result.notFitting)
        notFitting << QString::number(i);
    QTEST(pairs(result.placed), "placed");
    QTEST(notFitting.join(u' '), "notFitting");
    QTEST(pairs(result.alreadyThere), "alreadyThere");
}

} // namespace merlox2

QTEST_GUILESS_MAIN(merlox2::TestClassListImport)
#include "TestClassListImport.moc"
