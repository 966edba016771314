// The real windows on Qt's offscreen platform: widgets are clicked and read, the picture is grabbed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QWheelEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "model/part_entry.h"
#include "model/program.h"
#include "planning/sheet_plan.h"
#include "support/dxf_text.h"
#include "support/temp_folder.h"
#include "ui/qt/gcode_window.h"
#include "ui/qt/main_window.h"
#include "ui/qt/small_windows.h"

namespace zorvan::qt {
namespace {

namespace fs = std::filesystem;

// The toolkit with Qt's modal windows but scripted message boxes and file dialogs.
class TestToolkit : public QtToolkit {
public:
    std::vector<std::string> messages;
    std::optional<std::string> saveAnswer;
    std::optional<std::string> folderAnswer;
    std::vector<std::string> questions;
    SaveChoice saveChoice = SaveChoice::Discard;

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
    SaveChoice AskSaveDiscardCancel(const std::string& text, const std::string&, const std::string&) override {
        questions.push_back(text);
        return saveChoice;
    }
    std::optional<std::string> openAnswer;
    std::optional<std::string> ChooseFileToOpen(const std::string&) override { return openAnswer; }
    std::optional<std::string> ChooseFileToSave(const std::string&) override { return saveAnswer; }
    std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override { return folderAnswer; }
};

// Runs `act` on the modal window of type W as soon as it is open (the caller then opens it and blocks).
template <typename W>
void WhenOpen(std::function<void(W&)> act) {
    QTimer::singleShot(10, [act] {
        if (auto* window = dynamic_cast<W*>(QApplication::activeModalWidget())) {
            act(*window);
        } else {
            WhenOpen<W>(act);
        }
    });
}

template <typename T>
T* Child(QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

int CountPixels(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFF) == colour;
    }
    return count;
}

// Pixels near black (every channel dark): text drawn smoothly has few of exactly black.
int CountDarkPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            count += std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) < 100;
        }
    }
    return count;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("window");
        drawings = folder / "drawings";
        fs::create_directories(drawings);
        fs::copy_file(fs::path(ZORVAN_SOURCE_DIR) / "samples/plate_holes_slot.dxf", drawings / "plate_holes_slot.dxf");
        std::ofstream(drawings / "spline.DXF", std::ios::binary)
            << testing::DxfText().Circle(0, 0, 5).Pair("0", "SPLINE").Pair("10", "1").Build();
        std::ofstream(drawings / "notes.txt") << "not a drawing";
        program = std::make_unique<Program>();
        program->templateFolder = folder.string();
        window = std::make_unique<MainWindow>(*program, toolkit, QString::fromStdString((folder / "settings.ini").string()));
        window->resize(1400, 900);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->Start(drawings.string());
    }
    void TearDown() override {
        window.reset();
        fs::remove_all(folder);
    }

    void ClickFile(const QString& name) {
        auto* file1 = Child<QListWidget>(*window, "File1");
        const auto items = file1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        file1->setCurrentItem(items[0]);
        QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, file1->visualItemRect(items[0]).center());
    }
    void Click(const char* button) { QTest::mouseClick(Child<QPushButton>(*window, button), Qt::LeftButton); }
    // A click on the picture at the drawing point (x, y).
    void ClickDrawing(double x, double y) {
        const QPoint pixel = window->picture()->surface().ToPixel(x, y).toPoint();
        QTest::mouseClick(window->picture(), Qt::LeftButton, {}, pixel);
    }
    QStringList Rows(const char* list) {
        QStringList rows;
        auto* widget = Child<QListWidget>(*window, list);
        for (int i = 0; i < widget->count(); ++i) rows << widget->item(i)->text();
        return rows;
    }
    QString DrawingPath(const char* name) { return QString::fromStdString((drawings / name).string()); }

    fs::path folder, drawings;
    TestToolkit toolkit;
    std::unique_ptr<Program> program;
    std::unique_ptr<MainWindow> window;
};

TEST_F(WindowTest, StartsNamedZorvanWithTheDrawingsOfTheFolderAndDefaultTemplates) {
    EXPECT_EQ(window->windowTitle(), "ZORVAN");
    EXPECT_EQ(Rows("File1"), (QStringList{"plate_holes_slot.dxf", "spline.DXF"}));
    EXPECT_EQ(Child<QTabWidget>(*window, "SSTab1")->tabText(2), "Cutting Order ");
    EXPECT_TRUE(fs::exists(folder / "GCODES.TXT"));
    EXPECT_EQ(Child<QLineEdit>(*window, "Text6")->text(), "0.25");
}

TEST_F(WindowTest, FileListOpensAndPreparesTheDrawingThenLeadInsMoveThePiercePoints) {
    ClickFile("plate_holes_slot.dxf");
    EXPECT_EQ(window->windowTitle(), DrawingPath("plate_holes_slot.dxf"));
    const QStringList parts = Rows("List2");
    EXPECT_EQ(Rows("List11").size(), parts.size());
    ASSERT_GE(parts.size(), 2);
    EXPECT_TRUE(parts.back().contains("  outside  ")) << parts.back().toStdString();
    EXPECT_TRUE(toolkit.messages.empty());

    const std::string before = program->partList[0];
    Click("Command32");
    const std::string& after = program->partList[0];
    EXPECT_NE(after, before);  // the lead-in point now lies off the contour start
    EXPECT_TRUE(Rows("List2")[0].endsWith("  lead-in 0.25")) << Rows("List2")[0].toStdString();
}

TEST_F(WindowTest, GCodeWindowListsTheProgramRefreshesItInPlaceAndSavesItThroughTheDialog) {
    ClickFile("plate_holes_slot.dxf");
    toolkit.saveAnswer = (folder / "out.nc").string();
    int listed = 0, refreshed = 0;
    WhenOpen<GCodeWindow>([&](GCodeWindow& gcode) {
        listed = Child<QListWidget>(gcode, "List1")->count();
        QTest::mouseClick(Child<QPushButton>(gcode, "Command1"), Qt::LeftButton);  // REFRESH: still one program
        refreshed = Child<QListWidget>(gcode, "List1")->count();
        QTest::mouseClick(Child<QPushButton>(gcode, "Command2"), Qt::LeftButton);
        gcode.accept();
    });
    Click("Command17");
    EXPECT_GT(listed, 10);
    EXPECT_EQ(refreshed, listed);
    const std::string saved = testing::ReadBytes(folder / "out.nc");
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), listed);
    EXPECT_NE(saved.find("\r\n"), std::string::npos);
}

TEST_F(WindowTest, SelectAndDeleteOnThePictureTurnThePartYellowThenGrey) {
    ClickFile("plate_holes_slot.dxf");
    const QImage plain = window->picture()->grab().toImage();
    const int greyBefore = CountPixels(plain, 0x808080);
    EXPECT_EQ(CountPixels(plain, 0xFFFF00), 0);

    // Part 0's contour start, read from its entry header "II sx sy lx ly".
    const QStringList header = QString::fromStdString(program->partList[0]).section(':', 0, 0).split(' ');
    const double x = header[1].toDouble(), y = header[2].toDouble();
    Child<QTabWidget>(*window, "SSTab1")->setCurrentIndex(1);
    Child<QRadioButton>(*window, "Option1")->setChecked(true);
    ClickDrawing(x, y);
    EXPECT_NE(program->partList[0].find("SEL"), std::string::npos);
    EXPECT_GT(CountPixels(window->picture()->grab().toImage(), 0xFFFF00), 20);

    Child<QRadioButton>(*window, "Option2")->setChecked(true);
    ClickDrawing(x, y);
    Child<QRadioButton>(*window, "Option3")->setChecked(true);
    ClickDrawing(x, y);
    const QImage deleted = window->picture()->grab().toImage();
    EXPECT_EQ(CountPixels(deleted, 0xFFFF00), 0);
    EXPECT_GT(CountPixels(deleted, 0x808080), greyBefore + 20);

    // Shown grey, but not cut: G CODE leaves it out and says so in its first row.
    QStringList listing;
    WhenOpen<GCodeWindow>([&](GCodeWindow& gcode) {
        auto* list1 = Child<QListWidget>(gcode, "List1");
        for (int i = 0; i < list1->count(); ++i) listing << list1->item(i)->text();
        gcode.accept();
    });
    Click("Command17");
    ASSERT_FALSE(listing.isEmpty());
    EXPECT_EQ(listing[0], "(1 deleted part left out of this program)");
    EXPECT_EQ(listing.filter("(---").size(), Rows("List2").size() - 1);
    EXPECT_FALSE(listing.contains("(------------------- 0 ------------------------)"));
}

// A path typed into the path box opens with OPEN as a click in the file list opens it; a path that cannot be
// opened is named in a message and changes nothing.
TEST_F(WindowTest, OpenWithATypedPathPlansDrawsAndNamesTheDrawing) {
    auto* path = Child<QLineEdit>(*window, "Text1");
    path->setText(DrawingPath("plate_holes_slot.dxf"));
    Click("Command1");
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(window->windowTitle(), DrawingPath("plate_holes_slot.dxf"));
    const QStringList parts = Rows("List2");
    ASSERT_GE(parts.size(), 2);
    EXPECT_TRUE(parts.back().contains("  outside  ")) << parts.back().toStdString();
    const QImage opened = window->picture()->grab().toImage();
    EXPECT_GT(CountPixels(opened, 0x0000FF), 100);

    path->setText(DrawingPath("gone.dxf"));
    Click("Command1");
    const std::string gone = DrawingPath("gone.dxf").toStdString();
    EXPECT_EQ(toolkit.messages, std::vector<std::string>{"Cannot open " + gone + ": No such file or directory."});
    EXPECT_EQ(Rows("List2"), parts);
    EXPECT_EQ(window->windowTitle(), DrawingPath("plate_holes_slot.dxf"));
    EXPECT_EQ(window->picture()->grab().toImage(), opened);
}

// The operator's whole road: OPEN, Command9, "Calculate Lead Ins", G CODE, REFRESH and SAVE write the very
// program that zorvan-cli writes for the drawing with the same templates and lead-in length.
TEST_F(WindowTest, OpenPlanLeadInsRefreshAndSaveWriteTheCommandLinesProgram) {
    const fs::path preset = fs::path(ZORVAN_SOURCE_DIR) / "presets" / "linuxcnc";
    for (const char* file : {"0_HEADER.TXT", "0_FOOTER.TXT", "GCODES.TXT"}) {
        fs::copy_file(preset / file, folder / file, fs::copy_options::overwrite_existing);
    }
    WhenOpen<SetupWindow>([](SetupWindow& setup) {  // saved unedited, and the templates read again
        QTest::mouseClick(Child<QPushButton>(setup, "Command1"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(setup, "Command2"), Qt::LeftButton);
    });
    Child<QTabWidget>(*window, "SSTab1")->setCurrentIndex(1);
    Click("Command31");

    Child<QLineEdit>(*window, "Text1")->setText(DrawingPath("plate_holes_slot.dxf"));
    Click("Command1");
    Click("Command9");
    Child<QLineEdit>(*window, "Text6")->setText("0.4");
    Click("Command32");
    toolkit.saveAnswer = (folder / "window.nc").string();
    WhenOpen<GCodeWindow>([](GCodeWindow& gcode) {
        QTest::mouseClick(Child<QPushButton>(gcode, "Command1"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(gcode, "Command2"), Qt::LeftButton);
        gcode.accept();
    });
    Click("Command17");
    EXPECT_TRUE(toolkit.messages.empty());

    const fs::path cli = folder / "cli.nc";
    const std::string command = std::string("'") + ZORVAN_CLI + "' --templates '" + preset.string() +
                                "' --lead-in 0.4 -o '" + cli.string() + "' '" +
                                (drawings / "plate_holes_slot.dxf").string() + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string expected = testing::ReadBytes(cli);
    ASSERT_GT(expected.size(), 1000u);
    EXPECT_EQ(testing::ReadBytes(folder / "window.nc"), expected);
}

TEST_F(WindowTest, MoveUpExchangesTheSelectedContourWithTheOneAbove) {
    ClickFile("plate_holes_slot.dxf");
    const QStringList before = Rows("List11");
    ASSERT_GE(before.size(), 3);
    Child<QListWidget>(*window, "List11")->setCurrentRow(2);
    Click("Command6");
    const QStringList after = Rows("List11");
    EXPECT_EQ(after[1], before[2]);
    EXPECT_EQ(after[2], before[1]);
    EXPECT_EQ(Child<QListWidget>(*window, "List11")->currentRow(), 1);
}

TEST_F(WindowTest, SetupWindowSavesTheHeaderFile) {
    WhenOpen<SetupWindow>([](SetupWindow& setup) {
        Child<QPlainTextEdit>(setup, "Text1")->setPlainText("G21\nG90");
        QTest::mouseClick(Child<QPushButton>(setup, "Command1"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(setup, "Command2"), Qt::LeftButton);
    });
    Click("Command31");
    EXPECT_EQ(testing::ReadBytes(folder / "0_HEADER.TXT"), "G21\r\nG90\r\n");
}

TEST_F(WindowTest, RefusedDrawingKeepsThePreviousOneOnScreen) {
    ClickFile("plate_holes_slot.dxf");
    const QStringList parts = Rows("List2");
    const QImage picture = window->picture()->grab().toImage();
    ClickFile("spline.DXF");
    EXPECT_EQ(toolkit.messages, std::vector<std::string>{std::string(kSplineMessage)});
    EXPECT_EQ(window->windowTitle(), DrawingPath("plate_holes_slot.dxf"));
    EXPECT_EQ(Rows("List2"), parts);
    EXPECT_EQ(program->openedDrawingPath, DrawingPath("plate_holes_slot.dxf").toStdString());
    EXPECT_EQ(Child<QLineEdit>(*window, "Text1")->text(), DrawingPath("spline.DXF"));
    EXPECT_EQ(window->picture()->grab().toImage(), picture);
}

TEST_F(WindowTest, SheetModeIsRememberedAndTheStatusLineSaysHowTheDrawingWasRead) {
    auto* sheetMode = Child<QCheckBox>(*window, "SheetMode");
    auto* status = Child<QLabel>(*window, "StatusLine");
    QTest::mouseClick(sheetMode, Qt::LeftButton, {}, QPoint(6, sheetMode->height() / 2));  // on its tick box
    EXPECT_EQ(status->toolTip(), "Sheet mode on: it takes effect when the next drawing is opened.");
    ClickFile("spline.DXF");  // a circle, and a spline with one point, which makes no curve
    EXPECT_TRUE(toolkit.messages.empty());
    // After the reading, the job summary: the circle of radius 5 is 31.4 long, its lead-in of the box's 0.25 in
    // the scrap, reached from the corner (-5, -5).
    EXPECT_EQ(status->toolTip().toStdString(), "Sheet mode. Units: not declared. Not cut: 1 SPLINE that makes no curve. "
                                               "1 outside cut, 0 holes, 1 pierce; cut 31.7, travel 5.0; kerf not given: "
                                               "no kerf checks.");
    EXPECT_EQ(Rows("List2").size(), 1);
    Child<QLineEdit>(*window, "Text6")->setText("2");
    Click("Command32");  // the lead-in adds its 2 to the cut
    EXPECT_TRUE(status->toolTip().endsWith("1 pierce; cut 33.4, travel 5.4; kerf not given: no kerf checks."))
        << status->toolTip().toStdString();
    // The kerf box refuses text like the other boxes; a kerf wider than the lead-in asks for longer lead-ins.
    Child<QLineEdit>(*window, "Kerf")->setText("1,5");
    Click("Command32");
    ASSERT_EQ(toolkit.messages.size(), 1u);
    EXPECT_EQ(toolkit.messages[0], "The kerf box holds \"1,5\", which is not a number. Nothing was changed.");
    Child<QLineEdit>(*window, "Kerf")->setText("4");
    Click("Command32");
    EXPECT_TRUE(status->toolTip().endsWith("1 pierce; cut 36.4, travel 7.1; kerf 4.")) << status->toolTip().toStdString();

    MainWindow again(*program, toolkit, QString::fromStdString((folder / "settings.ini").string()));
    again.Start(drawings.string());
    EXPECT_TRUE(Child<QCheckBox>(again, "SheetMode")->isChecked());
    EXPECT_EQ(Child<QLineEdit>(again, "Kerf")->text(), "4");
}

TEST_F(WindowTest, ClosingShowsTheAboutWindowFirst) {
    bool aboutShown = false;
    WhenOpen<AboutWindow>([&](AboutWindow& about) {
        aboutShown = about.windowTitle() == "ABOUT";
        QTest::mouseClick(Child<QPushButton>(about, "Command1"), Qt::LeftButton);
    });
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(aboutShown);
}

// A drawing named from outside opens with its folder listed: as the program's argument (OpenDrawing) and as a
// file dropped on the window; a dropped file that is not a drawing is not taken. Both land in the recent list.
TEST_F(WindowTest, DrawingsOpenFromTheArgumentAndFromADrop) {
    fs::create_directories(folder / "other");
    fs::copy_file(drawings / "plate_holes_slot.dxf", folder / "other" / "second.dxf");
    window->OpenDrawing(DrawingPath("plate_holes_slot.dxf"));
    EXPECT_EQ(window->windowTitle(), DrawingPath("plate_holes_slot.dxf"));
    EXPECT_EQ(Rows("List2").size(), 4);

    const auto drop = [this](const fs::path& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path.string()))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &dropped);
        return true;
    };
    EXPECT_FALSE(drop(drawings / "notes.txt"));
    EXPECT_TRUE(drop(folder / "other" / "second.dxf"));
    EXPECT_EQ(window->windowTitle().toStdString(), (folder / "other" / "second.dxf").string());
    EXPECT_TRUE(Rows("File1").contains("second.dxf"));
    auto* recent = Child<QComboBox>(*window, "RecentDrawings");
    ASSERT_EQ(recent->count(), 3);  // its caption, then the newest first
    EXPECT_EQ(recent->itemText(1).toStdString(), (folder / "other" / "second.dxf").string());
}

// Undo and redo through the shortcuts, of a transform and of a mouse tool; an open starts afresh.
TEST_F(WindowTest, UndoAndRedoTakeBackTransformsAndTools) {
    ClickFile("plate_holes_slot.dxf");
    const QStringList planned = Rows("List2");
    Child<QTabWidget>(*window, "SSTab1")->setCurrentIndex(1);
    Click("Command27");  // scale by 0.5
    const QStringList scaled = Rows("List2");
    ASSERT_NE(scaled, planned);
    Child<QRadioButton>(*window, "Option3")->setChecked(true);  // Delete
    ClickDrawing(60, 0);
    ASSERT_NE(Rows("List2"), scaled);
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Rows("List2"), scaled);
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Rows("List2"), planned);
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Rows("List2"), scaled);
    ClickFile("plate_holes_slot.dxf");
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Child<QLabel>(*window, "StatusLine")->text(), "Nothing to undo.");
}

// The wheel zooms about the pointer: the drawing point under it stays there and the view gets smaller; the
// pointer's position shows beside the status line.
TEST_F(WindowTest, WheelZoomsAboutThePointer) {
    ClickFile("plate_holes_slot.dxf");
    PictureBox* picture = window->picture();
    const QPoint at = picture->surface().ToPixel(30, 20).toPoint();
    const double width = program->viewRight - program->viewLeft;
    const QPointF under = picture->surface().ToUser(at);
    QWheelEvent wheel(at, picture->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(picture, &wheel);
    EXPECT_NEAR(program->viewRight - program->viewLeft, width * 0.8, width * 1e-6);
    const QPointF after = picture->surface().ToUser(at);
    EXPECT_NEAR(after.x(), under.x(), width / 500);
    EXPECT_NEAR(after.y(), under.y(), width / 500);
    QTest::mouseMove(picture, at);
    EXPECT_TRUE(Child<QLabel>(*window, "CursorPosition")->text().startsWith("X "));
}

// The boxes, the folder and the window's size come back in the next run; Load preset fills the setup texts
// from a preset folder without saving them.
TEST_F(WindowTest, SettingsComeBackAndLoadPresetFillsTheSetupTexts) {
    Child<QLineEdit>(*window, "Text6")->setText("3.5");
    Child<QLineEdit>(*window, "Text3")->setText("2");
    ClickFile("plate_holes_slot.dxf");
    Child<QLineEdit>(*window, "Text6")->setText("1000");  // longer than the plate: refused, and not kept
    Child<QLineEdit>(*window, "Text5")->setText("0");
    Click("Command32");
    Click("Command27");
    EXPECT_EQ(toolkit.messages.size(), 2u);
    // The cut-quality controls wait for sheet mode, and say so; a text a box refuses is not kept.
    auto* overcut = Child<QLineEdit>(*window, "Overcut");
    EXPECT_FALSE(overcut->isEnabled());
    EXPECT_TRUE(overcut->toolTip().contains("sheet mode only")) << overcut->toolTip().toStdString();
    Child<QCheckBox>(*window, "SheetMode")->setChecked(true);
    EXPECT_TRUE(overcut->isEnabled());
    overcut->setText("0.5");
    Child<QLineEdit>(*window, "SmallHoleFeed")->setText("150%");
    Child<QComboBox>(*window, "OutlineLeadIn")->setCurrentIndex(1);
    window->resize(1100, 760);
    WhenOpen<AboutWindow>([](AboutWindow& about) { QTest::mouseClick(Child<QPushButton>(about, "Command1"), Qt::LeftButton); });
    window->close();
    MainWindow again(*program, toolkit, QString::fromStdString((folder / "settings.ini").string()));
    again.Start("");
    EXPECT_EQ(Child<QLineEdit>(again, "Text6")->text(), "3.5");  // not the refused 1000 typed after it
    EXPECT_EQ(Child<QLineEdit>(again, "Text5")->text(), "0.5");   // nor the scale of 0
    EXPECT_EQ(Child<QLineEdit>(again, "Text3")->text(), "2");
    EXPECT_EQ(Child<QLineEdit>(again, "Overcut")->text(), "0.5");
    EXPECT_EQ(Child<QLineEdit>(again, "SmallHoleFeed")->text(), "60%");  // not the refused 150%
    EXPECT_EQ(Child<QComboBox>(again, "OutlineLeadIn")->currentText(), "arc");
    EXPECT_EQ(Child<QListWidget>(again, "File1")->findItems("plate_holes_slot.dxf", Qt::MatchExactly).size(), 1);
    EXPECT_EQ(again.size(), QSize(1100, 760));

    const std::string header = testing::ReadBytes(folder / "0_HEADER.TXT");
    toolkit.folderAnswer = (fs::path(ZORVAN_SOURCE_DIR) / "presets" / "linuxcnc").string();
    WhenOpen<SetupWindow>([](SetupWindow& setup) {
        QTest::mouseClick(Child<QPushButton>(setup, "LoadPreset"), Qt::LeftButton);
        EXPECT_TRUE(Child<QPlainTextEdit>(setup, "Text1")->toPlainText().contains("G21"));
        EXPECT_TRUE(Child<QPlainTextEdit>(setup, "Text3")->toPlainText().contains("LINE012:G4 P0.5"));
        QTest::mouseClick(Child<QPushButton>(setup, "Command2"), Qt::LeftButton);  // CLOSE, not SAVE
    });
    Click("Command31");
    EXPECT_EQ(testing::ReadBytes(folder / "0_HEADER.TXT"), header);
}

// The operator's whole road through the main window, as under a display: a sheet opened by Ctrl+O shows its
// parts numbered, a stray click does nothing, a deleted part turns dashed grey, a sequence of two clicks keeps
// every part, the job is saved, and closing with the plan changed since asks and can be cancelled. Run again
// on the xcb platform when a display exists (the "WindowRoadOnADisplay" test).
TEST_F(WindowTest, TheWholeRoadFromOpeningToClosing) {
    fs::copy_file(fs::path(ZORVAN_SOURCE_DIR) / "samples/sheet_brackets_inch.dxf", drawings / "brackets.dxf");
    Child<QCheckBox>(*window, "SheetMode")->setChecked(true);
    toolkit.openAnswer = DrawingPath("brackets.dxf").toStdString();
    window->activateWindow();  // shortcuts go to the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(window->windowTitle(), DrawingPath("brackets.dxf"));
    const int parts = program->partCount;
    ASSERT_GE(parts, 4);
    for (int i = 0; i < parts; ++i) EXPECT_NE(program->partList[static_cast<size_t>(i)].Text(), "");
    const QImage opened = window->picture()->grab().toImage();
    EXPECT_GT(CountDarkPixels(opened), 10 * parts);  // the part numbers
    EXPECT_TRUE(Rows("List2")[0].startsWith("0  ")) << Rows("List2")[0].toStdString();
    // The status line stays one line high, cut short where it is long, whole in its tooltip.
    auto* status = Child<QLabel>(*window, "StatusLine");
    EXPECT_LE(status->height(), 2 * status->fontMetrics().height());
    EXPECT_TRUE(status->toolTip().contains("pierces")) << status->toolTip().toStdString();

    Child<QTabWidget>(*window, "SSTab1")->setCurrentIndex(1);
    Child<QRadioButton>(*window, "Option3")->setChecked(true);  // Delete
    const std::string before = program->partList[0].Text();
    ClickDrawing(program->extMaxX + 50, program->extMaxY + 50);
    EXPECT_EQ(program->partList[0].Text(), before);
    EXPECT_TRUE(status->toolTip().startsWith("no part here")) << status->toolTip().toStdString();
    const Point2 start = LeadInOf(program->partList[0]).start;
    ClickDrawing(start.x, start.y);
    EXPECT_TRUE(PartFields(program->partList[0]).IsDeleted());
    EXPECT_GT(CountPixels(window->picture()->grab().toImage(), 0x808080), CountPixels(opened, 0x808080) + 10);

    Child<QTabWidget>(*window, "SSTab1")->setCurrentIndex(2);
    const auto at = [this](int row) { return LeadInOf(program->partList[static_cast<size_t>(row)]).start; };
    const Point2 second = at(1), third = at(2);
    ClickDrawing(second.x, second.y);
    ClickDrawing(second.x, second.y);  // twice: once in the sequence
    EXPECT_EQ(Child<QLineEdit>(*window, "Text2")->text(), "1|");
    ClickDrawing(third.x, third.y);
    Click("Command28");  // Show Path, saved
    EXPECT_TRUE(toolkit.messages.empty()) << toolkit.messages[0];
    EXPECT_EQ(program->partCount, parts);
    EXPECT_TRUE(status->toolTip().contains("not clicked follow in the planned order")) << status->toolTip().toStdString();

    toolkit.saveAnswer = (folder / "brackets.zjob").string();
    Child<QTabWidget>(*window, "SSTab1")->setCurrentIndex(0);
    Click("SaveJob");
    EXPECT_TRUE(fs::exists(folder / "brackets.zjob"));
    Child<QTabWidget>(*window, "SSTab1")->setCurrentIndex(1);
    Child<QLineEdit>(*window, "Text3")->setText("1");
    Click("Command12");  // moved after the save: closing asks
    toolkit.saveChoice = SaveChoice::Cancel;
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(toolkit.questions.size(), 1u);
    toolkit.saveChoice = SaveChoice::Discard;
    WhenOpen<AboutWindow>([](AboutWindow& about) { about.accept(); });
    EXPECT_TRUE(window->close());
}

// The Nest tab: two drawings added with their counts, NEST on its worker thread, the sheets paged in the
// picture, and one sent to G CODE as the plan on hand.
TEST_F(WindowTest, NestTabNestsTwoDrawingsPagesTheSheetsAndSendsOneToGCode) {
    for (const char* name : {"bracket_lwpolyline.dxf", "gusset_lf.dxf"}) fs::copy_file(fs::path(ZORVAN_SOURCE_DIR) / "samples" / name, drawings / name);
    auto* tabs = Child<QTabWidget>(*window, "SSTab1");
    ASSERT_EQ(tabs->tabText(3), "Nest");
    tabs->setCurrentIndex(3);
    for (const auto& [name, count] : {std::pair{"bracket_lwpolyline.dxf", "4"}, std::pair{"gusset_lf.dxf", "10"}}) {
        toolkit.openAnswer = (drawings / name).string();
        Click("NestAdd");
        auto* box = Child<QLineEdit>(*window, "NestCount");
        box->setText(count);
        emit box->editingFinished();
    }
    EXPECT_EQ(Rows("NestDrawings"), (QStringList{"bracket_lwpolyline.dxf  x 4", "gusset_lf.dxf  x 10"}));
    Child<QLineEdit>(*window, "SheetWidth")->setText("200");
    Child<QLineEdit>(*window, "SheetHeight")->setText("150");
    window->nest().MostEvaluations = 5;
    Click("Nest");
    EXPECT_FALSE(Child<QPushButton>(*window, "Nest")->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->nest().State() != NestState::Nesting; }, 30000));
    EXPECT_TRUE(Child<QLabel>(*window, "NestStatus")->text().startsWith("Nested 14 of 14 parts on 3 sheets"))
        << Child<QLabel>(*window, "NestStatus")->text().toStdString();
    auto* label = Child<QLabel>(*window, "SheetLabel");
    EXPECT_EQ(label->text(), "Sheet 1 of 3");
    EXPECT_FALSE(Child<QPushButton>(*window, "SheetPrevious")->isEnabled());
    const QImage first = window->picture()->grab().toImage();
    EXPECT_GT(CountPixels(first, 0x0000FF), 50);  // the brackets, in the first drawing's colour
    Click("SheetNext");
    EXPECT_EQ(label->text(), "Sheet 2 of 3");
    Click("SheetNext");  // full sheets of the same parts may look alike: the last one holds fewer
    EXPECT_EQ(label->text(), "Sheet 3 of 3");
    EXPECT_NE(window->picture()->grab().toImage(), first);
    EXPECT_TRUE(Child<QLabel>(*window, "SheetInfo")->text().contains("parts placed, utilisation"));

    Click("SendToGCode");
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_TRUE(window->windowTitle().contains("Sheet 3 of 3")) << window->windowTitle().toStdString();
    EXPECT_GE(Rows("List2").size(), window->nest().Facts(2).parts);
    EXPECT_TRUE(toolkit.messages.empty()) << toolkit.messages[0];
}

TEST_F(WindowTest, NestTabStopEndsALongNestPromptlyAndClosingMidNestIsClean) {
    fs::copy_file(fs::path(ZORVAN_SOURCE_DIR) / "samples/gusset_lf.dxf", drawings / "gusset_lf.dxf");
    Child<QTabWidget>(*window, "SSTab1")->setCurrentIndex(3);
    window->nest().AddDrawing((drawings / "gusset_lf.dxf").string(), 60);
    Child<QLineEdit>(*window, "NestSeconds")->setText("600");
    Click("Nest");
    ASSERT_EQ(window->nest().State(), NestState::Nesting);
    // The window answers while the worker searches: the progress comes in.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Child<QLabel>(*window, "NestStatus")->text().contains("s left"); }, 20000));
    Click("NestStop");
    QElapsedTimer stopping;
    stopping.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->nest().State() != NestState::Nesting; }, 20000));
    EXPECT_LT(stopping.elapsed(), 5000);
    EXPECT_TRUE(Child<QLabel>(*window, "NestStatus")->text().contains("(stopped)"));

    Click("Nest");
    ASSERT_EQ(window->nest().State(), NestState::Nesting);
    WhenOpen<AboutWindow>([](AboutWindow& about) { about.accept(); });
    EXPECT_TRUE(window->close());
    window.reset();  // the worker is stopped and joined
}

}  // namespace
}  // namespace zorvan::qt

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");  // or a display
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
