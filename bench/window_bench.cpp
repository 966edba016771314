// Opening the largest drawing the tables take in the window, as an operator does: a click on it in the file
// list, timed until the window's caption names it and the events it caused (the redraw among them) are done.
// Runs on Qt's offscreen platform unless another is chosen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "../app/large_pages.h"
#include "generated_drawings.h"
#include "model/program.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_toolkit.h"

namespace {

namespace fs = std::filesystem;

// A folder holding the limit drawing, made once for the run.
const fs::path& DrawingFolder() {
    static const fs::path folder = [] {
        const fs::path made = fs::temp_directory_path() / "zorvan_window_bench";
        fs::create_directories(made);
        std::ofstream(made / "limit.dxf", std::ios::binary) << zorvan::bench::LimitDrawingDxf();
        return made;
    }();
    return folder;
}

void BM_OpenLimitDrawingInTheWindow(benchmark::State& state) {
    const QString expected = QString::fromStdString((DrawingFolder() / "limit.dxf").string());
    for (auto _ : state) {
        state.PauseTiming();
        auto program = std::make_unique<zorvan::Program>();
        program->templateFolder = DrawingFolder().string();
        zorvan::qt::QtToolkit toolkit;
        zorvan::qt::MainWindow window(*program, toolkit, QString::fromStdString((DrawingFolder() / "settings.ini").string()));
        window.resize(1400, 900);
        window.show();
        window.Start(DrawingFolder().string());
        QApplication::processEvents();
        auto* file1 = window.findChild<QListWidget*>("File1");
        QListWidgetItem* item = file1->findItems("limit.dxf", Qt::MatchExactly).value(0);
        file1->setCurrentItem(item);
        const QPoint where = file1->visualItemRect(item).center();
        state.ResumeTiming();

        QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, where);
        QApplication::processEvents();

        state.PauseTiming();
        if (window.windowTitle() != expected) state.SkipWithError("the click did not open the drawing");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenLimitDrawingInTheWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    zorvan::UseLargePagesForTheHeap();  // as the program does
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
