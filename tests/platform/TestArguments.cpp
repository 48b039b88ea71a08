// Where the program keeps the grade files, as its arguments say: the folder it starts in (the zip, a
// teacher's own shortcut), a folder given, or the MERLOX2 folder in the documents of whoever opens it.

#include "platform/Arguments.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2::test {

class TestArguments : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void dataFolder_data();
    void dataFolder();

private:
    QTemporaryDir m_home;
    QString m_start;
};

void TestArguments::initTestCase()
{
    // The program starts in a folder of the test's own, in a home whose documents folder has the name the
    // Spanish desktop gives it.
    QVERIFY(QDir(m_home.path()).mkpath(u"inicio"_s));
    m_start = m_home.filePath(u"inicio"_s);
    QVERIFY(QDir::setCurrent(m_start));
#ifdef Q_OS_UNIX
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qunsetenv("XDG_CONFIG_HOME");
    QVERIFY(QDir(m_home.path()).mkpath(u".config"_s));
    QFile dirs(m_home.filePath(u".config/user-dirs.dirs"_s));
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/Documentos\"\n");
#endif
}

void TestArguments::dataFolder_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("folder"); // from the home folder
    QTest::newRow("none: the folder it starts in") << QStringList{} << u"inicio"_s;
    QTest::newRow("a folder") << QStringList{u"--carpeta"_s, m_home.filePath(u"grados/2025"_s)}
                              << u"grados/2025"_s;
    QTest::newRow("a folder relative to the start, with ..")
        << QStringList{u"--carpeta=datos/../grados/"_s} << u"inicio/grados"_s;
#ifdef Q_OS_UNIX
    QTest::newRow("the documents' MERLOX2")
        << QStringList{u"--carpeta-documentos"_s} << u"Documentos/MERLOX2"_s;
#endif
    QTest::newRow("a folder wins over the documents")
        << QStringList{u"--carpeta-documentos"_s, u"--carpeta"_s, u"grados"_s} << u"inicio/grados"_s;
}

void TestArguments::dataFolder()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, folder);
    QCommandLineParser parser;
    addProgramOptions(parser);
    QVERIFY2(parser.parse(QStringList{u"merlox2"_s} + arguments), qPrintable(parser.errorText()));
    QCOMPARE(chosenDataFolder(parser), QDir::cleanPath(m_home.filePath(folder)));
}

} // namespace merlox2::test

QTEST_GUILESS_MAIN(merlox2::test::TestArguments)
#include "TestArguments.moc"
