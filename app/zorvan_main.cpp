// The desktop program: the main window with its folder list on the program's own folder, or on the folder
// given as the only argument.
#include <QApplication>
#include <QDir>
#include <memory>

#include "large_pages.h"
#include "model/program.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_toolkit.h"

int main(int argc, char* argv[]) {
    zorvan::UseLargePagesForTheHeap();
    QApplication application(argc, argv);
    QApplication::setApplicationName("ZORVAN");

    auto program = std::make_unique<zorvan::Program>();
    program->templateFolder = QCoreApplication::applicationDirPath().toStdString();
    const QStringList arguments = QCoreApplication::arguments();
    const std::string startFolder = arguments.size() > 1 ? QDir(arguments[1]).absolutePath().toStdString()
                                                         : program->templateFolder;

    zorvan::qt::QtToolkit toolkit;
    zorvan::qt::MainWindow window(*program, toolkit);
    window.Start(startFolder);
    window.show();
    return QApplication::exec();
}
