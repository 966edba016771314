// The desktop program. `zorvan` opens with its folder list where the last run left it (or on the template
// folder); `zorvan FOLDER` lists that folder; `zorvan DRAWING.dxf` lists the drawing's folder and opens it.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <csignal>
#include <memory>

#include "large_pages.h"
#include "model/program.h"
#include "ui/shipped_presets.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_toolkit.h"

namespace {

// Where the template files are read and written. Run from its build or unpacked folder, the program keeps them
// beside itself; installed (bin/ beside share/zorvan/), each user keeps their own, since the program's folder
// belongs to the system.
QString TemplateFolder(const QString& programFolder) {
    if (!QFileInfo(programFolder + "/../share/zorvan/presets").isDir()) return programFolder;
    const QString own = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/templates";
    QDir().mkpath(own);
    return own;
}

}  // namespace

int main(int argc, char* argv[]) {
    zorvan::UseLargePagesForTheHeap();
    std::signal(SIGXFSZ, SIG_IGN);  // a save past a file size limit fails with a message instead of ending the program
    QApplication application(argc, argv);
    QApplication::setApplicationName("ZORVAN");

    auto program = std::make_unique<zorvan::Program>();
    const QString programFolder = QCoreApplication::applicationDirPath();
    program->templateFolder = TemplateFolder(programFolder).toStdString();
    const QStringList arguments = QCoreApplication::arguments();
    const QFileInfo given = arguments.size() > 1 ? QFileInfo(arguments[1]) : QFileInfo();
    const bool drawing = arguments.size() > 1 && given.isFile();
    std::string startFolder;
    if (drawing) {
        startFolder = given.absolutePath().toStdString();
    } else if (arguments.size() > 1) {
        startFolder = QDir(arguments[1]).absolutePath().toStdString();
    }

    zorvan::qt::QtToolkit toolkit;
    zorvan::qt::MainWindow window(*program, toolkit);
    window.SetPresetsFolder(zorvan::ShippedPresetsFolder(programFolder.toStdString()));
    window.Start(startFolder);
    window.show();
    if (drawing) window.OpenDrawing(given.absoluteFilePath());
    return QApplication::exec();
}
