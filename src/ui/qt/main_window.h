// The main window: every control of the main form, named after it, laid out in its frame or tab. Each event
// is handed to the form (Form1) after the widgets' texts and selections were copied into it, and the widgets
// are refreshed from the form afterwards.
#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QSettings>
#include <QComboBox>
#include <QProgressBar>
#include <QTimer>
#include <QTabWidget>
#include <QWidget>
#include <functional>
#include <memory>

#include "model/program.h"
#include "ui/form1.h"
#include "ui/nest_form.h"
#include "ui/qt/picture_box.h"
#include "ui/qt/qt_toolkit.h"
#include "ui/qt/widgets.h"

namespace zorvan::qt {

class MainWindow : public QWidget {
public:
    // `settingsFile` keeps what the operator chose between runs (the user's own settings when empty).
    MainWindow(Program& program, QtToolkit& toolkit, const QString& settingsFile = {});

    Form1& form() { return *form_; }
    NestForm& nest() { return *nest_; }
    PictureBox* picture() const { return picture_; }
    // Start-up after the window exists: the form's own start with the folder list at `startFolder` (the
    // folder remembered from the last run when it is empty), and the boxes and window geometry remembered.
    void Start(const std::string& startFolder);
    // Opens a drawing named from outside: the program's argument, a drop, the recent list.
    void OpenDrawing(const QString& path);
    // Where GCODE SETUP's "Load preset..." opens (the shipped presets).
    void SetPresetsFolder(const std::string& folder) { presetsFolder_ = folder; }
    // The widgets shown again from the form's data.
    void Refresh();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* BuildSideBand();
    QWidget* BuildFilesTab();
    QWidget* BuildEditTab();
    QWidget* BuildCuttingOrderTab();
    // The "Nest" tab: the order's drawings and counts, the sheet and search boxes, NEST and Stop with the
    // progress, and the sheets of the nest paged in the picture.
    QWidget* BuildNestTab();
    // A box of the Nest tab copied to and from the nest form's `text`.
    QLineEdit* NestBox(const char* name, std::string NestForm::*text, int width);
    void PullNest();
    void RefreshNest();
    void RestoreNestSettings();
    void RememberNestSettings();
    // The picture shows the nest's sheet while the Nest tab shows one, and the plan otherwise.
    void ShowPictureForTab();
    QWidget* BuildMovePad();
    // The "Cut quality" group: the lead-in styles, arc radius, overcut, lead-out, small holes and their feed.
    QWidget* BuildCutQuality();
    // A button that runs `command` on the form.
    QPushButton* CommandButton(const char* name, const char* caption, void (Form1::*command)());
    // A text box copied to and from the form's `text`; at most `width` pixels wide when that is above 0.
    QLineEdit* TextBox(const char* name, std::string Form1::*text, int width = 0);
    void Run(const std::function<void()>& command);
    void Pull();
    void OpenWindow(ModalWindow window);
    // The comforts around the form: tooltips on every control, keyboard shortcuts, the settings kept between
    // runs, the recent drawings, the pointer's position.
    void AddTooltips();
    void AddShortcuts();
    void RestoreSettings();
    void RememberSettings();
    void RememberRecent();
    void ShowRecent();
    void ShowPosition(double x, double y);
    // The cut-quality controls usable while the "Sheet mode" box is ticked; otherwise their tooltips say why not.
    void ShowCutQualityState();
    // The form's status line on one line, elided to the label's width, the whole text in the tooltip.
    void ShowStatusLine();

    Program& program_;
    QtToolkit& toolkit_;
    PictureBox* picture_;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<NestForm> nest_;  // after form_, which it uses: it goes first
    QWidget* band_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QButtonGroup* options_ = nullptr;
    QComboBox* drive1_ = nullptr;
    QCheckBox* sheetMode_ = nullptr;
    QCheckBox* kerfInProgram_ = nullptr;
    QGroupBox* cutQuality_ = nullptr;
    QComboBox* outlineLeadIn_ = nullptr;
    QComboBox* holeLeadIn_ = nullptr;
    QComboBox* leadOut_ = nullptr;
    QLabel* statusLine_ = nullptr;
    QLabel* position_ = nullptr;
    QComboBox* recent_ = nullptr;
    std::string presetsFolder_;
    std::string lastOpened_;
    std::unique_ptr<QSettings> settings_;
    std::vector<std::pair<QLineEdit*, std::string Form1::*>> textBoxes_;
    std::vector<std::pair<ListSync, ListBox Form1::*>> lists_;
    // The Nest tab's controls.
    std::vector<std::pair<QLineEdit*, std::string NestForm::*>> nestBoxes_;
    std::unique_ptr<ListSync> nestDrawings_;
    QCheckBox* anyAngle_ = nullptr;
    QCheckBox* mirror_ = nullptr;
    QProgressBar* nestProgress_ = nullptr;
    QLabel* nestStatus_ = nullptr;
    QLabel* sheetLabel_ = nullptr;
    QLabel* sheetInfo_ = nullptr;
    QTimer* nestTimer_ = nullptr;  // polls the nest under way
    bool showingSheet_ = false;    // the picture shows a nest's sheet, not the plan
};

}  // namespace zorvan::qt
