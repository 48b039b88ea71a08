// The yardstick for the reports window: the same window built plainly with Qt widgets, without the
// program's files, models, evaluation or icons. A menu bar of three menus, a tool bar of the same eight
// buttons, three tabs, a table of a full grade's 30 rows and 14 columns with texts like the window's
// (columns fitted to them), a status line; the desktop's font, the window's size. It quits on its first
// paint, so that bench/reports-startup.sh can tell what any window of this size and content costs from what
// the program adds.
#include "ProbeCommon.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>

#include <algorithm>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    QMainWindow window;
    window.setWindowTitle(u"MERLOX2 REPORTES — datos"_s);
    for (const QString &menu : {u"&Archivo"_s, u"&Grupo"_s, u"&Periodos"_s})
        window.menuBar()->addMenu(menu)->addAction(menu);
    QToolBar *tools = window.addToolBar(u"Barra de herramientas"_s);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    for (const QString &text :
         {u"Abrir otra carpeta…"_s, u"Recargar"_s, u"Importar lista…"_s, u"Mostrar lugares vacíos"_s,
          u"Resumen del grupo"_s, u"Imprimir todas las hojas"_s, u"Exportar a Excel…"_s,
          u"Carta para la familia…"_s})
        tools->addAction(text);

    auto *tabs = new QTabWidget;
    const QStringList headers{u"No."_s,
                              u"Nombre"_s,
                              u"Edad"_s,
                              u"Resistencia"_s,
                              u"Velocidad"_s,
                              u"Lagartijas"_s,
                              u"Abdominales"_s,
                              u"Sentadillas"_s,
                              u"Sexo"_s,
                              u"Nivel de\nresistencia"_s,
                              u"Nivel de\nvelocidad"_s,
                              u"Nivel de\nfuerza"_s,
                              u"Promedio"_s,
                              u"Metas"_s};
    const QStringList levels{u"I (100%)"_s, u"II (75%)"_s, u"III (50%)"_s, u"IV (25%)"_s, u"SN (15%)"_s};
    auto *table = new QTableWidget(30, int(headers.size()));
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setAlternatingRowColors(true);
    for (int n = 1; n <= 30; ++n) {
        const QStringList values{QString::number(n),
                                 u"Alumno %1 Pérez Núñez"_s.arg(n),
                                 u"13"_s,
                                 QString::number(1.5 + (n * 7 % 12) / 10.0),
                                 QString::number(7.0 + (n * 5 % 11) / 5.0),
                                 QString::number(8 + n * 11 % 30),
                                 QString::number(10 + n * 13 % 32),
                                 QString::number(9 + n * 17 % 29),
                                 n % 2 ? u"H"_s : u"M"_s,
                                 levels.at(n % 5),
                                 levels.at(n * 3 % 5),
                                 levels.at(n * 7 % 5),
                                 levels.at(n * 2 % 5),
                                 u"R 1.8 · V 7.0 · F +%1"_s.arg(n % 9)};
        for (int column = 0; column < int(values.size()); ++column)
            table->setItem(n - 1, column, new QTableWidgetItem(values.at(column)));
    }
    table->resizeColumnsToContents();
    tabs->addTab(table, u"&1º grado"_s);
    tabs->addTab(new QWidget, u"&2º grado"_s);
    tabs->addTab(new QWidget, u"&3º grado"_s);
    window.setCentralWidget(tabs);
    window.statusBar()->addWidget(new QLabel(u"1º grado: 30 alumnos, todos con sexo."_s), 1);

    const QSize available = window.screen()->availableSize();
    window.resize(std::min(1280, available.width() * 19 / 20), std::min(720, available.height() * 9 / 10));
    QuitOnFirstPaint quit;
    window.installEventFilter(&quit);
    window.show();
    return QApplication::exec();
}
