// «Importar lista» through the reports window: the preview, the grade file's bytes after the import (the
// records not imported into, reserved bytes and the tail included), the sexes beside it, and every input
// that must leave the grade file as it was with a clear message.

#include "reports/ClassListImportDialog.h"

#include "records/GradeFile.h"
#include "records/GradeLock.h"
#include "records/SexFile.h"
#include "reports/GradeTableModel.h"
#include "reports/ReportsWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Slot 1 Ana with results, slot 3 Beto; every slot's reserved bytes hold something, and a record's worth of
// tail follows the 30 records: none of it may change but the slots the list goes into.
QByteArray gradeWithReservedBytes()
{
    Roster roster;
    for (int slot = 1; slot <= 30; ++slot)
        for (int field = StudentRecord::Reservado1; field <= StudentRecord::Reservado8; ++field)
            (void)roster[slot].setField(StudentRecord::Field(field), u"r%1"_s.arg(slot));
    const QStringList ana{u"Ana"_s, u"12"_s, u"1.9"_s, u"7.5"_s, u"22"_s, u"25"_s, u"20"_s};
    for (int field = 0; field < ana.size(); ++field)
        (void)roster[1].setField(StudentRecord::Field(field), ana.at(field));
    (void)roster[3].setField(StudentRecord::Nombre, u"Beto"_s);
    QByteArray bytes;
    for (int slot = 1; slot <= 30; ++slot)
        bytes += roster[slot].bytes();
    return bytes + QByteArray(130, '\x7F');
}

QString cell(const QTableView *view, int slot, int column)
{
    return view->model()->index(slot - 1, column).data().toString();
}

QString takeMessage(const QWidget *parent)
{
    for (QMessageBox *box : parent->findChildren<QMessageBox *>()) {
        if (!box->isVisible())
            continue;
        QString text = box->text();
        box->button(QMessageBox::Ok)->click();
        return text;
    }
    return u"(no message)"_s;
}

} // namespace

class TestClassListImportDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void importedIntoEmptySlotsOnly();
    void replaceAndCutLongNames();
    void gradeNotBegun();
    void badListsChangeNothing_data();
    void badListsChangeNothing();
    void gradeFileRefused_data();
    void gradeFileRefused();

private:
    QString gradePath() const { return m_dir->filePath(u"secundaria1.dat"_s); }
    QString listFile(const QByteArray &content) const
    {
        QString path = m_dir->filePath(u"lista.csv"_s);
        writeFile(path, content);
        return path;
    }
    ClassListImportDialog *openDialog()
    {
        m_window = std::make_unique<ReportsWindow>(m_dir->path());
        m_window->show();
        m_window->findChild<QAction *>(u"importarLista"_s)->trigger();
        auto *dialog = m_window->findChild<ClassListImportDialog *>();
        [&] { QVERIFY(dialog && dialog->isVisible()); }();
        return dialog;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ReportsWindow> m_window;
};

void TestClassListImportDialog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, m_dir->filePath(u"ajustes"_s));
}

void TestClassListImportDialog::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestClassListImportDialog::importedIntoEmptySlotsOnly()
{
    const QByteArray before = gradeWithReservedBytes();
    writeFile(gradePath(), before);
    ClassListImportDialog *dialog = openDialog();
    // As Excel in Mexico saves it: semicolons, Windows-1252; Ana is there already.
    dialog->loadFile(listFile("Nombre;Edad;Sexo\r\nAna;12;M\r\nMar\xED"
                              "a Ya\xF1"
                              "ez;13;M\r\nLuis;x;H\r\nPaco;12;H\r\n"));
    QTableView *preview = dialog->preview();
    QCOMPARE(cell(preview, 2, 2), u"María Yañez"_s);
    QCOMPARE(cell(preview, 2, 5), u"Nuevo (línea 3)"_s);
    QCOMPARE(cell(preview, 3, 5), u"Sin cambio"_s);
    QCOMPARE(cell(preview, 4, 2), u"Paco"_s);
    const QString problems = dialog->problems()->toPlainText();
    QVERIFY2(problems.contains(u"Línea 4: la edad «x» no es un número de años."_s), qPrintable(problems));
    QVERIFY2(problems.contains(u"Línea 2: «Ana» ya está en el registro 1"_s), qPrintable(problems));
    QCOMPARE(fileBytes(gradePath()), before); // nothing before «Importar»

    dialog->importButton()->click();
    const QByteArray after = fileBytes(gradePath());
    QCOMPARE(after.size(), before.size());
    for (int slot = 1; slot <= 31; ++slot) { // 31: the tail
        const QByteArray was = before.mid(qsizetype{slot - 1} * 130, 130);
        const QByteArray is = after.mid(qsizetype{slot - 1} * 130, 130);
        if (slot != 2 && slot != 4) {
            QVERIFY2(is == was, qPrintable(u"record %1 changed"_s.arg(slot)));
            continue;
        }
        const StudentRecord record = StudentRecord::fromBytes(is);
        QCOMPARE(record.field(StudentRecord::Nombre).trimmed(), slot == 2 ? u"María Yañez"_s : u"Paco"_s);
        QCOMPARE(record.field(StudentRecord::Edad).trimmed(), slot == 2 ? u"13"_s : u"12"_s);
        QCOMPARE(is.mid(StudentRecord::offset(StudentRecord::Reservado1)),
                 was.mid(StudentRecord::offset(StudentRecord::Reservado1)));
    }
    const Result<SexTable> sexes = SexFile::forGradeFile(gradePath()).read();
    QVERIFY(sexes);
    QCOMPARE(sexes.value().sexOf(2, u"María Yañez"), Sex::Mujer);
    QCOMPARE(sexes.value().sexOf(4, u"Paco"), Sex::Hombre);
    QVERIFY(!m_window->findChild<ClassListImportDialog *>() || !dialog->isVisible());
    QCOMPARE(m_window->model(1)->index(1, 1).data().toString(), u"María Yañez"_s);
}

// Replacing: Ana, on the list in capitals, keeps her slot, results and sex; Beto, not on it, gives his slot
// to Eva; the long name goes in cut once the teacher asks.
void TestClassListImportDialog::replaceAndCutLongNames()
{
    const QByteArray before = gradeWithReservedBytes();
    writeFile(gradePath(), before);
    QVERIFY(SexFile::forGradeFile(gradePath()).setSex(1, Sex::Mujer, u"Ana"));
    ClassListImportDialog *dialog = openDialog();
    dialog->loadText(u"Dulce María de los Ángeles Hernández\nEva\nANA\n"_s); // pasted cells, no header
    QVERIFY(dialog->cutLongNames()->isEnabled());
    QVERIFY(dialog->problems()->toPlainText().contains(
        u"Fila 1: el nombre «Dulce María de los Ángeles Hernández» "
        "tiene 36 caracteres"_s));
    QCOMPARE(cell(dialog->preview(), 2, 2), u"Eva"_s);
    dialog->replaceStudents()->setChecked(true);
    dialog->cutLongNames()->setChecked(true);
    QCOMPARE(cell(dialog->preview(), 1, 5), u"Actualiza (fila 3)"_s);
    QCOMPARE(cell(dialog->preview(), 2, 2), u"Dulce María de los Ángeles Her"_s);
    QCOMPARE(cell(dialog->preview(), 3, 5), u"Reemplaza al alumno actual y sus resultados (fila 2)"_s);
    QCOMPARE(dialog->importButton()->text(), u"&Importar y reemplazar a 1 alumno"_s);
    dialog->importButton()->click();

    const QByteArray after = fileBytes(gradePath());
    const auto record = [&](int slot) {
        return StudentRecord::fromBytes(QByteArrayView(after).sliced(qsizetype{slot - 1} * 130, 130));
    };
    QCOMPARE(record(1).field(StudentRecord::Nombre).trimmed(), u"ANA"_s);
    QCOMPARE(record(1).field(StudentRecord::Resistencia).trimmed(), u"1.9"_s);
    QCOMPARE(record(1).field(StudentRecord::Edad).trimmed(), u"12"_s);
    QCOMPARE(record(2).field(StudentRecord::Nombre), u"Dulce María de los Ángeles Her"_s);
    QCOMPARE(record(3).field(StudentRecord::Nombre).trimmed(), u"Eva"_s);
    for (int slot = 1; slot <= 3; ++slot) // the reserved bytes of the records imported into
        QCOMPARE(after.mid((slot - 1) * 130 + StudentRecord::offset(StudentRecord::Reservado1), 40),
                 before.mid((slot - 1) * 130 + StudentRecord::offset(StudentRecord::Reservado1), 40));
    QCOMPARE(after.mid(390), before.mid(390));
    const Result<SexTable> sexes = SexFile::forGradeFile(gradePath()).read();
    QVERIFY(sexes);
    QCOMPARE(sexes.value().sexOf(1, u"ANA"), Sex::Mujer);
}

// A grade without its file yet: the preview creates nothing, the import creates the file with its records.
void TestClassListImportDialog::gradeNotBegun()
{
    ClassListImportDialog *dialog = openDialog();
    dialog->loadFile(listFile("\xEF\xBB\xBFnombre,edad\nAna,12\nBeto,13\n"));
    QCOMPARE(cell(dialog->preview(), 2, 5), u"Nuevo (línea 3)"_s);
    QVERIFY(!QFile::exists(gradePath()));
    dialog->importButton()->click();
    Roster roster;
    QVERIFY(GradeFile(gradePath()).loadRoster(roster));
    QCOMPARE(fileBytes(gradePath()).size(), 260);
    QCOMPARE(roster[2].field(StudentRecord::Edad).trimmed(), u"13"_s);
}

void TestClassListImportDialog::badListsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QString>("told");
    QByteArray many = "Nombre\n";
    for (int i = 0; i < 10000; ++i)
        many += "Alumno " + QByteArray::number(i) + "\n";
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFEN\0o\0m\0b\0r\0e\0", 14) << u"texto Unicode (UTF-16)"_s;
    QTest::newRow("empty") << QByteArray() << u"no hay ningún alumno"_s;
    QTest::newRow("10,000 lines") << many << u"No caben 9972 alumnos"_s;
    QTest::newRow("a line of 200 columns")
        << QByteArray("Ana\nBeto" + QByteArray(";x").repeated(199)) << u"Línea 2: tiene 200 columnas"_s;
    QTest::newRow("a quote never closed") << QByteArray("Ana\n\"Beto\nCeci\n") << u"Línea 2: unas comillas"_s;
}

// Read, shown, and cancelled: the grade file is not touched, and the dialog says what was wrong.
void TestClassListImportDialog::badListsChangeNothing()
{
    QFETCH(QByteArray, list);
    QFETCH(QString, told);
    const QByteArray before = gradeWithReservedBytes();
    writeFile(gradePath(), before);
    ClassListImportDialog *dialog = openDialog();
    dialog->loadFile(listFile(list));
    const QString shown =
        dialog->findChild<QLabel *>(u"origen"_s)->text() + dialog->problems()->toPlainText();
    QVERIFY2(shown.contains(told), qPrintable(shown));
    QVERIFY(dialog->problems()->toPlainText().count(u'\n') <= 102);
    dialog->findChild<QPushButton *>(u"cancelar"_s)->click();
    QCOMPARE(fileBytes(gradePath()), before);
    QVERIFY(!QFile::exists(SexFile::forGradeFile(gradePath()).path()));
}

void TestClassListImportDialog::gradeFileRefused_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("told");
    QTest::newRow("wrong size") << u"size"_s << u"mide 3905 bytes, que no son registros completos"_s;
    QTest::newRow("unreadable") << u"folder"_s << u"No se pudo leer secundaria1.dat"_s;
    QTest::newRow("locked by a worksheet") << u"lock"_s << u"está abierto en una hoja del programa"_s;
}

void TestClassListImportDialog::gradeFileRefused()
{
    QFETCH(QString, fault);
    QFETCH(QString, told);
    if (fault == u"folder")
        QVERIFY(QDir(m_dir->path()).mkdir(u"secundaria1.dat"_s));
    else
        writeFile(gradePath(), fault == u"size" ? QByteArray(3905, 'x') : gradeWithReservedBytes());
    const QByteArray before = fileBytes(gradePath());
    GradeLock worksheet(gradePath());
    if (fault == u"lock")
        QCOMPARE(worksheet.acquire(), GradeLock::Outcome::Acquired);

    ClassListImportDialog *dialog = openDialog();
    dialog->loadFile(listFile("Nombre;Sexo\nPaco;H\n"));
    if (fault == u"lock") {
        QVERIFY(dialog->importButton()->isEnabled());
        dialog->importButton()->click();
        const QString message = takeMessage(dialog);
        QVERIFY2(message.contains(told), qPrintable(message));
        QVERIFY(dialog->isVisible());
    } else {
        QVERIFY(!dialog->importButton()->isEnabled());
        QVERIFY2(dialog->notice()->text().contains(told), qPrintable(dialog->notice()->text()));
    }
    QCOMPARE(fileBytes(gradePath()), before);
    QVERIFY(!QFile::exists(SexFile::forGradeFile(gradePath()).path()));
}

} // namespace merlox2

QTEST_MAIN(merlox2::TestClassListImportDialog)
#include "TestClassListImportDialog.moc"
