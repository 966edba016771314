// The desktop program. `zorvan` opens with its folder list where the last run left it (or on the program's own
// folder); `zorvan FOLDER` lists that folder; `zorvan DRAWING.dxf` lists the drawing's folder and opens it.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <memory>

#include "large_pages.h"
#include "model/program.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_toolkit.h"

namespace {

// The presets that ship with the program: installed beside it in share/zorvan/presets, or in the source tree
// the build folder lies in.
std::string PresetsFolder(const QString& programFolder) {
    for (const char* relative : {"/../share/zorvan/presets", "/../../presets", "/../presets", "/presets"}) {
        const QFileInfo folder(programFolder + relative);
        if (folder.isDir()) return folder.canonicalFilePath().toStdString();
    }
    return {};
}

}  // namespace

int main(int argc, char* argv[]) {
    zorvan::UseLargePagesForTheHeap();
    QApplication application(argc, argv);
    QApplication::setApplicationName("ZORVAN");

    auto program = std::make_unique<zorvan::Program>();
    program->templateFolder = QCoreApplication::applicationDirPath().toStdString();
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
    window.SetPresetsFolder(PresetsFolder(QCoreApplication::applicationDirPath()));
    window.Start(startFolder);
    window.show();
    if (drawing) window.OpenDrawing(given.absoluteFilePath());
    return QApplication::exec();
}
