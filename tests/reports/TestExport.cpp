// «Exportar a Excel…» and «Exportar CSV…» through the reports window, their files read back by readers we did
// not write (openpyxl, Python's csv), and the exports that fail: nothing lost, nothing half-written.

#include "reports/ExportCommands.h"

#include "platform/Modules.h"
#include "records/GradeFile.h"
#include "records/SexFile.h"
#include "reports/GradeExport.h"
#include "reports/GradeTableModel.h"
#include "reports/ReportsWindow.h"
#include "support/Unprivileged.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include "records/SystemCalls.h"
#include <cerrno>
#endif

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

void storeGrade(const QString &folder, int grade, const QStringList &students, const QString &sexes)
{
    Roster roster;
    for (qsizetype i = 0; i < students.size(); ++i) {
        const QStringList values = students.at(i).split(u'|');
        for (qsizetype field = 0; field < values.size(); ++field)
            (void)roster[int(i) + 1].setField(StudentRecord::Field(field), values.at(field));
    }
    const QString path = QDir(folder).filePath(GradeFile::fileNameForGrade(grade));
    QVERIFY(GradeFile(path).storeRoster(roster));
    for (qsizetype i = 0; i < sexes.size(); ++i) {
        if (sexes.at(i) != u'-')
            QVERIFY(SexFile::forGradeFile(path).setSex(int(i) + 1,
                                                       sexes.at(i) == u'H' ? Sex::Hombre : Sex::Mujer,
                                                       roster[int(i) + 1].field(StudentRecord::Nombre)));
    }
}

// What /usr/bin/python3 prints for script with the arguments, as JSON; skips where that reader is missing.
QJsonValue readBack(const char *script, const QStringList &arguments)
{
    QProcess python;
    python.start(u"/usr/bin/python3"_s, QStringList{u"-c"_s, QString::fromUtf8(script)} + arguments);
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        qWarning("%s", python.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object().value(u"r"_s);
}

const char *const ReadWorkbook = R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
out = {}
for sheet in book.worksheets:
    out[sheet.title] = {
        'freeze': sheet.freeze_panes,
        'bold': all(c.font.b for c in sheet[1]),
        'widthB': sheet.column_dimensions['B'].width,
        'rows': [[[type(c.value).__name__, c.value] for c in row] for row in sheet.iter_rows()],
    }
print(json.dumps({'r': out}))
)";

const char *const ReadCsv = R"(
import csv, json, sys
raw = open(sys.argv[1], 'rb').read()
text = raw.decode('utf-8-sig')
rows = list(csv.reader(text.splitlines(True), strict=True))
print(json.dumps({'r': {'bom': raw.startswith(b'\xef\xbb\xbf'), 'crlf': raw.count(b'\r\n') == len(rows),
                        'rows': rows}}))
)";

QStringList cells(const QJsonValue &row)
{
    QStringList texts;
    for (const auto &cell : row.toArray()) {
        const QJsonArray typed = cell.toArray();
        texts << (typed.at(0).toString() + u':' + typed.at(1).toVariant().toString());
    }
    return texts;
}

QDir::Filters AllFiles = QDir::Files | QDir::Hidden | QDir::System;

} // namespace

class TestExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void workbookThroughTheWindow();
    void csvThroughTheWindow();
    void failedExportLeavesNoHalfFile_data();
    void failedExportLeavesNoHalfFile();

private:
    QString dataFolder() const { return m_dir->filePath(u"datos"_s); }
    QString outFolder() const { return m_dir->filePath(u"salida"_s); }
    ReportsWindow *openWindow()
    {
        m_window = std::make_unique<ReportsWindow>(dataFolder());
        m_window->show();
        m_window->activateWindow();
        [this] { QVERIFY(QTest::qWaitForWindowActive(m_window.get())); }();
        return m_window.get();
    }
    QString takeMessage() const
    {
        for (QMessageBox *box : m_window->findChildren<QMessageBox *>()) {
            if (!box->isVisible())
                continue;
            QString text = box->text();
            box->button(QMessageBox::Ok)->click();
            return text;
        }
        return u"(no message)"_s;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ReportsWindow> m_window;
};

void TestExport::init()
{
    // Qt's own dialogs, which the test can fill in, also where the system has dialogs of its own (Windows).
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    setModuleFolders(
        {QStringLiteral(MERLOX2_TEST_MODULE_FOLDER)}); // the tests run from a folder of their own
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkdir(u"datos"_s));
    QVERIFY(QDir(m_dir->path()).mkdir(u"salida"_s));
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, m_dir->filePath(u"ajustes"_s));
    // Ana: the worked example; "Pérez, \"Beto\"": a comma and quotes for the CSV; Carla: no sex; Dora: a
    // result in words; slot 5 blank, hidden as the window hides it.
    storeGrade(dataFolder(), 1,
               {u"Ana|12|1,9|7.5|22|25|20"_s, u"Pérez, \"Beto\"|13|2.5|8|30|31|32"_s, u"Carla|12|2|8|1|1|1"_s,
                u"Dora|doce|2.1|rápido|10|10|10"_s, u"   |12"_s},
               u"HM-M"_s);
    storeGrade(dataFolder(), 3, {u"Eva|15|2.0|8.0|40|40|40"_s}, u"M"_s);
}

void TestExport::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestExport::workbookThroughTheWindow()
{
    ReportsWindow *window = openWindow();
    window->view(1)->sortByColumn(GradeTableModel::Nombre, Qt::DescendingOrder); // exported as shown
    const QString path = QDir(outFolder()).filePath(u"grupo A.xlsx"_s);
    QTimer::singleShot(0, [path] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
    });
    QTest::keyClick(window, Qt::Key_E, Qt::ControlModifier);
    QVERIFY2(QFile::exists(path), qPrintable(takeMessage()));
    QCOMPARE(QDir(outFolder()).entryList(AllFiles), QStringList{u"grupo A.xlsx"_s});

    const QJsonObject book = readBack(ReadWorkbook, {path}).toObject();
    if (book.isEmpty())
        QSKIP("/usr/bin/python3 with openpyxl is needed to read the workbook back");
    QCOMPARE(book.keys(), QStringList({u"1º grado"_s, u"2º grado"_s, u"3º grado"_s, u"Resumen"_s}));
    const QJsonObject first = book.value(u"1º grado"_s).toObject();
    QCOMPARE(first.value(u"freeze"_s).toString(), u"A2"_s);
    QVERIFY(first.value(u"bold"_s).toBool());
    QVERIFY(first.value(u"widthB"_s).toDouble() >= 14); // «Pérez, "Beto"» fits
    const QJsonArray rows = first.value(u"rows"_s).toArray();
    QCOMPARE(rows.size(), 5); // the header and four students: the blank slot is hidden in the window too
    QCOMPARE(cells(rows.at(0)).mid(0, 3), QStringList({u"str:No."_s, u"str:Nombre"_s, u"str:Edad"_s}));
    QCOMPARE(cells(rows.at(1)).mid(0, 3),
             QStringList({u"int:2"_s, u"str:Pérez, \"Beto\""_s, u"int:13"_s})); // names descending
    QCOMPARE(cells(rows.at(4)),
             QStringList({u"int:1"_s, u"str:Ana"_s, u"int:12"_s, u"float:1.9"_s, u"float:7.5"_s, u"int:22"_s,
                          u"int:25"_s, u"int:20"_s, u"str:H"_s, u"str:III"_s, u"int:50"_s, u"str:II"_s,
                          u"int:75"_s, u"str:III"_s, u"int:50"_s, u"str:III"_s, u"int:58"_s}));
    const QStringList dora = cells(rows.at(2));
    QCOMPARE(dora.mid(1, 5),
             QStringList({u"str:Dora"_s, u"str:doce"_s, u"float:2.1"_s, u"str:rápido"_s, u"int:10"_s}));
    QCOMPARE(dora.mid(11, 2), QStringList({u"str:Velocidad no es un número"_s, u"NoneType:"_s}));
    QCOMPARE(cells(rows.at(3)).at(9), u"str:sin sexo"_s);
    QCOMPARE(book.value(u"2º grado"_s).toObject().value(u"rows"_s).toArray().size(), 1);

    // The summary as ClassSummary counts it, a row per grade and item.
    const QJsonArray summary = book.value(u"Resumen"_s).toObject().value(u"rows"_s).toArray();
    QCOMPARE(summary.size(), 1 + 3 * (3 + CapacityCount * (LevelCount + 1)));
    QCOMPARE(cells(summary.at(1)), QStringList({u"str:1º grado"_s, u"str:Alumnos"_s, u"str:Con sexo"_s,
                                                u"int:1"_s, u"int:2"_s, u"int:3"_s}));
    QCOMPARE(cells(summary.at(2)).mid(3), QStringList({u"NoneType:"_s, u"NoneType:"_s, u"int:1"_s}));
    QCOMPARE(cells(summary.at(3)).mid(3), QStringList({u"int:0"_s, u"int:1"_s, u"int:1"_s})); // Dora
    const QStringList mean = cells(summary.at(3 + 3 * (LevelCount + 1) + LevelCount + 1));
    QCOMPARE(mean.at(1), u"str:Promedio"_s);
    QCOMPARE(mean.at(2), u"str:Porcentaje medio"_s);
    QCOMPARE(mean.at(3), u"int:58"_s); // Ana alone among the men (openpyxl reads 58.0 as a whole number)
}

void TestExport::csvThroughTheWindow()
{
    // Texts a spreadsheet would run as formulas, beside a negative age that stays a number.
    storeGrade(dataFolder(), 2, {u"=1+1|-3"_s, u"+52 55|12"_s, u"-Beto|12"_s, u"@SUMA(A1)|12"_s}, u"HHHH"_s);
    ReportsWindow *window = openWindow();
    const QString stale = QDir(outFolder()).filePath(ExportCommands::csvFileName(3));
    {
        QFile file(stale);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("viejo\n");
    }
    QTimer::singleShot(0, [this] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->setDirectory(outFolder());
        QTimer::singleShot(0, [] { // the files already there: replaced once the teacher says so
            auto *ask = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(ask);
            QVERIFY(ask->text().contains(u"calificaciones-grado3.csv"_s));
            ask->button(QMessageBox::Yes)->click();
        });
        static_cast<QDialog *>(dialog)->accept();
    });
    window->findChild<QAction *>(u"exportarCsv"_s)->trigger();
    QCOMPARE(QDir(outFolder()).entryList(AllFiles),
             QStringList({u"calificaciones-grado1.csv"_s, u"calificaciones-grado2.csv"_s,
                          u"calificaciones-grado3.csv"_s}));

    const QJsonObject csv =
        readBack(ReadCsv, {QDir(outFolder()).filePath(ExportCommands::csvFileName(1))}).toObject();
    if (csv.isEmpty())
        QSKIP("/usr/bin/python3 is needed to read the CSV files back");
    QVERIFY(csv.value(u"bom"_s).toBool());
    QVERIFY(csv.value(u"crlf"_s).toBool());
    const QJsonArray rows = csv.value(u"rows"_s).toArray();
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows.at(0).toVariant().toStringList(), gradeSheetHeaders());
    QCOMPARE(rows.at(1).toVariant().toStringList().mid(0, 5),
             QStringList({u"1"_s, u"Ana"_s, u"12"_s, u"1.9"_s, u"7.5"_s}));
    QCOMPARE(rows.at(2).toVariant().toStringList().at(1), u"Pérez, \"Beto\""_s);
    QCOMPARE(rows.at(1).toVariant().toStringList().mid(15), QStringList({u"III"_s, u"58"_s}));
    const QJsonArray second = readBack(ReadCsv, {QDir(outFolder()).filePath(ExportCommands::csvFileName(2))})
                                  .toObject()
                                  .value(u"rows"_s)
                                  .toArray();
    QCOMPARE(second.size(), 5);
    QCOMPARE(second.at(1).toVariant().toStringList().mid(1, 2), QStringList({u"'=1+1"_s, u"-3"_s}));
    for (const int row : {2, 3, 4})
        QVERIFY(second.at(row).toVariant().toStringList().at(1).startsWith(u'\''));
    const QJsonObject third = readBack(ReadCsv, {stale}).toObject();
    QCOMPARE(third.value(u"rows"_s).toArray().at(1).toVariant().toStringList().mid(0, 2),
             QStringList({u"1"_s, u"Eva"_s}));
}

void TestExport::failedExportLeavesNoHalfFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("workbook");
    QTest::addColumn<QString>("why");
    for (const bool workbook : {true, false}) {
        const QString kind = workbook ? u"xlsx: "_s : u"csv: "_s;
        QTest::newRow(qPrintable(kind + u"read-only folder"_s))
            << u"read-only"_s << workbook << u"no hay permiso para escribir en la carpeta"_s;
        QTest::newRow(qPrintable(kind + u"disk full"_s)) << u"full"_s << workbook << u"no queda espacio"_s;
        QTest::newRow(qPrintable(kind + u"open in another program"_s))
            << u"in-use"_s << workbook << u"está abierto en otro programa"_s;
    }
    QTest::newRow("xlsx: the Excel module missing")
        << u"no-module"_s << true << u"falta el archivo merlox2excel"_s;
}

void TestExport::failedExportLeavesNoHalfFile()
{
    QFETCH(QString, fault);
    QFETCH(bool, workbook);
    QFETCH(QString, why);
    ReportsWindow *window = openWindow();
    auto *commands = window->findChild<ExportCommands *>();
    QVERIFY(commands);
    const QString target =
        QDir(outFolder()).filePath(workbook ? u"calificaciones.xlsx"_s : ExportCommands::csvFileName(1));
    {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("el de antes");
    }
    const auto exportNow = [&] {
        return workbook ? commands->exportWorkbook(target) : commands->exportCsv(outFolder());
    };

    bool exported = true;
    if (fault == u"no-module") {
        const QTemporaryDir empty;
        setModuleFolders({empty.path()});
        exported = exportNow();
        setModuleFolders({QStringLiteral(MERLOX2_TEST_MODULE_FOLDER)});
    } else if (fault == u"read-only") {
        if (!test::canRunAsNobody())
            QSKIP("the system does not refuse this user a read-only folder");
#ifdef Q_OS_UNIX
        test::setMode(m_dir->path(), 0755);
        test::setMode(outFolder(), 0555);
        test::setMode(target, 0666); // the file may be written: the folder refuses the new one
        {
            test::AsNobody nobody;
            exported = exportNow();
        }
#endif
        test::setMode(outFolder(), 0755);
    } else {
#ifdef Q_OS_WIN
        if (fault == u"full")
            QSKIP("a full disk is made through the POSIX calls' test seam");
        // A spreadsheet holds the file open, sharing it with nobody.
        const HANDLE other = ::CreateFileW(
            reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(target).utf16()),
            GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        QVERIFY(other != INVALID_HANDLE_VALUE);
        exported = exportNow();
        ::CloseHandle(other);
#else
        // The disk fills on the first write of the export; or the rename meets a file another program holds
        // (what a Windows sharing violation is here).
        auto &calls = filesystem::systemCalls();
        if (fault == u"full")
            calls.write = [](int, const void *, size_t) -> ssize_t { return errno = ENOSPC, -1; };
        else
            calls.rename = [](const char *, const char *) { return errno = EBUSY, -1; };
        exported = exportNow();
        calls = filesystem::realSystemCalls();
#endif
    }
    QVERIFY(!exported);
    const QString message = takeMessage();
    QVERIFY2(message.contains(why), qPrintable(message));
    if (fault == u"no-module")
        QVERIFY2(message.contains(u"Vuelva a instalar MERLOX2"_s), qPrintable(message));
    else
        QVERIFY2(message.contains(QFileInfo(target).fileName()), qPrintable(message));
    QVERIFY2(message.contains(u"a salvo en los archivos de los grados"_s), qPrintable(message));
    // The file as it was, and nothing beside it.
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("el de antes"));
    QCOMPARE(QDir(outFolder()).entryList(AllFiles), QStringList{QFileInfo(target).fileName()});
}

} // namespace merlox2

QTEST_MAIN(merlox2::TestExport)
#include "TestExport.moc"
