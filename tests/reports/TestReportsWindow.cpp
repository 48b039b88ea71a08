// The reports window as the teacher uses it: the access code first, the worked example in the table, the
// empty slots and their switch, the sex given from the table, F5, the problems of the files told in their
// tab, and another folder opened and remembered.

#include "reports/ReportsWindow.h"

#include "common/AccessCode.h"
#include "records/GradeFile.h"
#include "records/SexFile.h"
#include "reports/AccessCodeDialog.h"
#include "reports/GradeTableModel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

using M = GradeTableModel;

// "Ana|12|1.9|7.5|22|25|20": name, age and the five results, as the worksheet stores them.
void storeGrade(const QString &folder, int grade, const QStringList &students)
{
    Roster roster;
    for (qsizetype i = 0; i < students.size(); ++i) {
        const QStringList values = students.at(i).split(u'|');
        for (qsizetype field = 0; field < values.size(); ++field)
            (void)roster[int(i) + 1].setField(StudentRecord::Field(field), values.at(field));
    }
    QVERIFY(GradeFile(QDir(folder).filePath(GradeFile::fileNameForGrade(grade))).storeRoster(roster));
}

QStringList row(const QTableView *view, int row)
{
    QStringList texts;
    for (int column = 0; column < view->model()->columnCount(); ++column)
        texts << view->model()->index(row, column).data().toString();
    return texts;
}

std::optional<Sex> storedSex(const QString &folder, const QString &name)
{
    const Result<SexTable> table = SexFile::forGradeFile(QDir(folder).filePath(u"secundaria1.dat"_s)).read();
    return table ? table.value().sexOf(1, name) : std::nullopt;
}

// The window's message, closed: its text.
QString takeMessage(const QWidget *window)
{
    for (QMessageBox *box : window->findChildren<QMessageBox *>()) {
        if (!box->isVisible())
            continue; // closed, and deleted once back in the event loop
        QString text = box->text();
        box->button(QMessageBox::Ok)->click();
        return text;
    }
    return u"(no message)"_s;
}

} // namespace

class TestReportsWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void accessCodeFirst();
    void workedExampleAndEmptySlots();
    void sexGivenFromTheTable();
    void problemsToldInTheirTab();
    void f5ReadsTheReplacedFile();
    void anotherFolderOpenedAndRemembered();

private:
    QString dataFolder() const { return m_dir->filePath(u"datos"_s); }
    ReportsWindow *openWindow(const QString &folder)
    {
        m_window = std::make_unique<ReportsWindow>(folder);
        m_window->show();
        m_window->activateWindow(); // the keys and shortcuts go to the active window
        [this] { QVERIFY(QTest::qWaitForWindowActive(m_window.get())); }();
        return m_window.get();
    }
    QAction *action(const QString &name) const { return m_window->findChild<QAction *>(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ReportsWindow> m_window;
};

void TestReportsWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkdir(u"datos"_s));
    // The remembered folders go to the test's own folder, never to the user's settings.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, m_dir->filePath(u"ajustes"_s));
#ifdef Q_OS_WIN
    // Windows keeps them in the registry, which no path redirects: the tests run in a Wine prefix of the
    // build's own, whose remembered folders are theirs to forget.
    QSettings(QSettings::NativeFormat, QSettings::UserScope, u"MERLOX2"_s, u"MERLOX2"_s).clear();
#endif
}

void TestReportsWindow::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestReportsWindow::accessCodeFirst()
{
    AccessCodeDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.codeBox()->echoMode(), QLineEdit::Password);
    QCOMPARE(dialog.codeBox()->accessibleName(), u"Clave de acceso"_s);
    // A wrong code, also the right one with a blank: told as the access screen tells it, kept, tried again.
    for (const QString &typed : {u"418358"_s, u"418357 "_s}) {
        dialog.codeBox()->setText(typed);
        dialog.enterButton()->click();
        QCOMPARE(takeMessage(&dialog), wrongAccessCodeText());
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.codeBox()->text(), typed);
    }
    dialog.codeBox()->clear();
    QTest::keyClicks(dialog.codeBox(), u"418357"_s);
    QTest::keyClick(dialog.codeBox(), Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    // As `merlox2 --reportes` opens it: the code, then the window on the folder; «Cancelar» opens nothing.
    const auto answer = [](const QString &code) {
        QTimer::singleShot(0, [code] {
            auto *asked = qobject_cast<AccessCodeDialog *>(QApplication::activeModalWidget());
            QVERIFY(asked);
            if (code.isEmpty()) {
                asked->cancelButton()->click();
                return;
            }
            asked->codeBox()->setText(code);
            asked->enterButton()->click();
        });
    };
    answer(QString());
    QVERIFY(!openReportsWindow(dataFolder()));
    answer(AccessCode.toString());
    QVERIFY(openReportsWindow(dataFolder()));
    QPointer<ReportsWindow> opened;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *reports = qobject_cast<ReportsWindow *>(window))
            opened = reports;
    }
    QVERIFY(opened && opened->isVisible());
    QCOMPARE(opened->windowTitle(), u"MERLOX2 REPORTES — datos"_s);
    opened->close(); // deleted on close
    QTRY_VERIFY(!opened);
}

void TestReportsWindow::workedExampleAndEmptySlots()
{
    // Slot 2 has a blank name; slots 3 to 30 were never used.
    storeGrade(dataFolder(), 1, {u"Ana|12|1.9|7.5|22|25|20"_s, u"   |13|2.0"_s});
    QVERIFY(SexFile::forGradeFile(QDir(dataFolder()).filePath(u"secundaria1.dat"_s))
                .setSex(1, Sex::Hombre, u"Ana"_s));
    const QString longName = u"María Guadalupe Hernández Ortiz"_s.first(30);
    storeGrade(dataFolder(), 3, {longName + u"|14"_s});
    ReportsWindow *window = openWindow(dataFolder());
    QCOMPARE(window->currentGrade(), 1);
    QTableView *view = window->view(1);
    QVERIFY(view->isSortingEnabled());
    QCOMPARE(view->model()->rowCount(), 1);
    QCOMPARE(
        row(view, 0),
        u"1|Ana|12|1.9|7.5|22|25|20|H|III (50%)|II (75%)|III (50%)|III (58%)|R 1.8 · V 7.0 · F +7"_s.split(
            u'|'));
    QVERIFY(!view->model()->headerData(M::Promedio, Qt::Horizontal, Qt::ToolTipRole).toString().isEmpty());
    QCOMPARE(window->statusLine()->text(), u"1º grado: 1 alumno, todos con sexo."_s);
    QVERIFY(window->banner(1)->isHidden());

    QAction *showEmpty = action(u"mostrarVacios"_s);
    showEmpty->trigger();
    for (int grade = 1; grade <= 3; ++grade)
        QCOMPARE(window->view(grade)->model()->rowCount(), 30);
    QCOMPARE(row(window->view(1), 1).mid(0, 3), QStringList({u"2"_s, QString(), u"13"_s}));
    showEmpty->trigger();
    QCOMPARE(view->model()->rowCount(), 1);

    // A grade without a file says so, and nothing is created.
    window->findChild<QTabWidget *>()->setCurrentIndex(1);
    QCOMPARE(window->statusLine()->text(), u"2º grado: en esta carpeta no hay archivo secundaria2.dat."_s);
    QVERIFY(!QFile::exists(QDir(dataFolder()).filePath(u"secundaria2.dat"_s)));
    // A tab's columns fit its cells once it is shown, though it was hidden when the window opened; an
    // evaluation may be cut short (its tool tip has it whole).
    window->findChild<QTabWidget *>()->setCurrentIndex(2);
    QVERIFY(window->view(3)->columnWidth(M::Nombre) >
            window->view(3)->fontMetrics().horizontalAdvance(longName));
    for (int column = M::No; column <= M::Metas; ++column) {
        if (column < M::NivelResistencia || column > M::Promedio)
            QVERIFY(view->columnWidth(column) >
                    view->fontMetrics().horizontalAdvance(view->model()->index(0, column).data().toString()));
    }
}

void TestReportsWindow::sexGivenFromTheTable()
{
    storeGrade(dataFolder(), 1, {u"Ana|12|1.9|7.5|22|25|20"_s});
    ReportsWindow *window = openWindow(dataFolder());
    QTableView *view = window->view(1);
    QCOMPARE(row(view, 0).at(M::Promedio), u"sin sexo"_s);
    QCOMPARE(window->statusLine()->text(), u"1º grado: 1 alumno, 1 sin sexo."_s);

    // The letter on the cell.
    view->setFocus();
    view->setCurrentIndex(view->model()->index(0, M::Sexo));
    QTest::keyClick(view, Qt::Key_M);
    QCOMPARE(storedSex(dataFolder(), u"Ana"_s), Sex::Mujer);
    QCOMPARE(view->model()->index(0, M::Sexo).data().toString(), u"M"_s);
    QCOMPARE(window->statusLine()->text(), u"1º grado: 1 alumno, todos con sexo."_s);

    // The cell's list, from the keyboard: F2, the letter, Enter.
    QTest::keyClick(view, Qt::Key_F2);
    auto *editor = view->findChild<QComboBox *>(u"editorSexo"_s);
    QVERIFY(editor);
    QCOMPARE(editor->currentData().toString(), u"M"_s);
    QTest::keyClick(editor, Qt::Key_H);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(storedSex(dataFolder(), u"Ana"_s), Sex::Hombre);
    QCOMPARE(row(view, 0).at(M::Promedio), u"III (58%)"_s);

    // Supr takes it away.
    QTRY_VERIFY(view->hasFocus());
    QTest::keyClick(view, Qt::Key_Delete);
    QCOMPARE(storedSex(dataFolder(), u"Ana"_s), std::nullopt);
    QCOMPARE(row(view, 0).at(M::Promedio), u"sin sexo"_s);
    QCOMPARE(takeMessage(window), u"(no message)"_s);
}

void TestReportsWindow::problemsToldInTheirTab()
{
    storeGrade(dataFolder(), 1, {u"Ana|12|1.9|7.5|22|25|20"_s, u"Beto|13|2.0"_s});
    storeGrade(dataFolder(), 2, {u"Carla|13"_s});
    QFile sexes(QDir(dataFolder()).filePath(u"secundaria1.sexo"_s));
    QVERIFY(sexes.open(QIODevice::WriteOnly));
    sexes.write("MERLOX2 sexo secundaria1.dat\n1;H;Ana\n2;X;Beto\n");
    sexes.close();
    // Where the third grade's sex file should be, a folder: it can be neither read nor written.
    QVERIFY(QDir(dataFolder()).mkdir(u"secundaria3.sexo"_s));
    storeGrade(dataFolder(), 3, {u"Dora|14"_s});

    ReportsWindow *window = openWindow(dataFolder());
    QVERIFY(window->banner(1)->isVisible());
    const QString told = window->banner(1)->text();
    for (const QString &part : {u"secundaria1.sexo"_s, u"la línea 3 (registro 2)"_s,
                                u"termina antes del registro 3"_s, u"columna Sexo"_s, u"completo"_s})
        QVERIFY2(told.contains(part), qPrintable(told));
    QCOMPARE(row(window->view(1), 0).at(M::Sexo), u"H"_s); // what could be read is shown
    QVERIFY(window->banner(2)->isHidden());

    // Giving a sex writes the file whole: the banner goes.
    QTableView *view = window->view(1);
    view->setFocus();
    view->setCurrentIndex(view->model()->index(1, M::Sexo));
    QTest::keyClick(view, Qt::Key_H);
    QTRY_VERIFY(window->banner(1)->isHidden());

    // A sex file that can't be written: the failure told, the row as it was.
    QVERIFY(window->banner(3)->text().contains(u"secundaria3.sexo"_s));
    window->findChild<QTabWidget *>()->setCurrentIndex(2);
    view = window->view(3);
    view->setFocus();
    view->setCurrentIndex(view->model()->index(0, M::Sexo));
    QTest::keyClick(view, Qt::Key_M);
    const QString message = takeMessage(window);
    QVERIFY2(message.startsWith(u"No se pudo guardar secundaria3.sexo"_s), qPrintable(message));
    QCOMPARE(row(view, 0).at(M::Sexo), QString());
}

void TestReportsWindow::f5ReadsTheReplacedFile()
{
    storeGrade(dataFolder(), 1, {u"Ana|12|1.9|7.5|22|25|20"_s});
    ReportsWindow *window = openWindow(dataFolder());
    // Another file put in its place; F5 reads it at once, before the window hears of it from the system.
    storeGrade(dataFolder(), 1, {u"Beto|13|2.1|8.0|10|11|12"_s, u"Carla|12"_s});
    QTest::keyClick(window, Qt::Key_F5);
    QCOMPARE(window->view(1)->model()->rowCount(), 2);
    QCOMPARE(row(window->view(1), 0).mid(0, 3), QStringList({u"1"_s, u"Beto"_s, u"13"_s}));
    QCOMPARE(window->statusLine()->text(), u"1º grado: 2 alumnos, 2 sin sexo."_s);
}

void TestReportsWindow::anotherFolderOpenedAndRemembered()
{
    storeGrade(dataFolder(), 1, {u"Ana|12"_s});
    const QString other = m_dir->filePath(u"grupo B"_s);
    QVERIFY(QDir().mkdir(other));
    storeGrade(other, 1, {u"Carla|12"_s});
    ReportsWindow *window = openWindow(dataFolder());

    // «Abrir otra carpeta…» (Ctrl+O) and its dialog.
    QTimer::singleShot(0, [other] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->setDirectory(other);
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog::accept(), the dialog's «Elegir»
    });
    QTest::keyClick(window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(window->folder(), QFileInfo(other).canonicalFilePath());
    QCOMPARE(window->windowTitle(), u"MERLOX2 REPORTES — grupo B"_s);
    QCOMPARE(row(window->view(1), 0).at(M::Nombre), u"Carla"_s);
    const QString first = QFileInfo(dataFolder()).canonicalFilePath();
    QCOMPARE(ReportsWindow::recentFolders(), QStringList({window->folder(), first}));

    // Back through «Carpetas recientes», which lists the other folder.
    auto *recent = window->findChild<QMenu *>(u"carpetasRecientes"_s);
    QCOMPARE(recent->actions().size(), 1);
    recent->actions().first()->trigger();
    QCOMPARE(window->folder(), first);
    QCOMPARE(row(window->view(1), 0).at(M::Nombre), u"Ana"_s);

    // A folder gone is taken off the list, with a message.
    QVERIFY(QDir(other).removeRecursively());
    recent->actions().first()->trigger();
    QVERIFY(takeMessage(window).contains(u"ya no existe"_s));
    QCOMPARE(window->folder(), first);
    QCOMPARE(ReportsWindow::recentFolders(), QStringList{first});

    // Five at most, the last opened first.
    QStringList opened;
    for (int i = 0; i < 6; ++i) {
        opened.prepend(m_dir->filePath(u"g%1"_s.arg(i)));
        QVERIFY(QDir().mkdir(opened.first()));
        QVERIFY(window->openFolder(opened.first()));
    }
    QCOMPARE(ReportsWindow::recentFolders(), opened.first(ReportsWindow::RecentFolderCount));
}

} // namespace merlox2

QTEST_MAIN(merlox2::TestReportsWindow)
#include "TestReportsWindow.moc"
