// The main window's widgets and how its events reach the form.
#include "ui/qt/main_window.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QScrollArea>
#include <QStorageInfo>
#include <QVBoxLayout>

#include "ui/qt/arrows.h"
#include "ui/qt/gcode_window.h"
#include "ui/qt/small_windows.h"
#include "draw/view.h"
#include "ui/window_layout.h"

namespace zorvan::qt {

namespace {

// The layout is given in twips; the window measures pixels.
constexpr double kTwipsPerPixel = 15;
// The band at the top of the window holding the tab frame and the frames beside it.
constexpr int kBandHeight = 250;

QGroupBox* Frame(const char* name, const char* caption = "") { return Named<QGroupBox>(name, caption); }

// The boxes that hold one number are this wide at most.
constexpr int kNumberBoxWidth = 70;

}  // namespace

MainWindow::MainWindow(Program& program, QtToolkit& toolkit, const QString& settingsFile)
    : program_(program),
      toolkit_(toolkit),
      picture_(Named<PictureBox>("Picture1", this)),
      form_(std::make_unique<Form1>(program, toolkit, picture_->surface())),
      nest_(std::make_unique<NestForm>(program, *form_, toolkit)),
      settings_(settingsFile.isEmpty() ? std::make_unique<QSettings>("ZORVAN", "zorvan")
                                       : std::make_unique<QSettings>(settingsFile, QSettings::IniFormat)) {
    setObjectName("Form1");
    toolkit_.SetParent(this);
    toolkit_.openWindow = [this](ModalWindow window) { OpenWindow(window); };

    // The band scrolls sideways where the window is narrower than its controls, so every one stays whole and
    // reachable from 1024 pixels up.
    auto* band = new QScrollArea(this);
    band->setObjectName("Band");
    band->setFrameShape(QFrame::NoFrame);
    band->setWidgetResizable(true);
    band->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    band_ = band;
    auto* bandContent = new QWidget;
    tabs_ = Named<QTabWidget>("SSTab1");
    tabs_->addTab(BuildFilesTab(), "Files");
    tabs_->addTab(BuildEditTab(), "Edit");
    tabs_->addTab(BuildCuttingOrderTab(), "Cutting Order ");
    tabs_->addTab(BuildNestTab(), "Nest");
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { ShowPictureForTab(); });
    auto* bandLayout = new QHBoxLayout(bandContent);
    bandLayout->setContentsMargins(0, 0, 0, 0);
    bandLayout->addWidget(tabs_, 1);
    bandLayout->addWidget(BuildSideBand());
    bandContent->setMinimumWidth(bandContent->sizeHint().width());
    band->setWidget(bandContent);

    statusLine_ = Named<QLabel>("StatusLine", this);
    statusLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // One line, cut short with "…" where it is longer than the picture is wide; the whole text is its tooltip.
    statusLine_->setWordWrap(false);
    statusLine_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    position_ = Named<QLabel>("CursorPosition", this);
    position_->setAlignment(Qt::AlignRight | Qt::AlignTop);

    // Two lists the reader once used for its own listings; they stay out of sight.
    for (const char* name : {"List4", "List9"}) Named<QListWidget>(name, this)->hide();

    // While the picture shows a nest's sheet, the mouse does not reach the plan, whose scale it does not show.
    picture_->onMouseDown = [this](double x, double y) {
        if (!showingSheet_) Run([=, this] { form_->Picture1_MouseDown(x, y); });
    };
    picture_->onMouseMove = [this](double x, double y) {
        if (showingSheet_) return;
        form_->Picture1_MouseMove(x, y);
        ShowPosition(x, y);
    };
    picture_->onWheel = [this](double x, double y, double factor) {
        if (!showingSheet_) Run([=, this] { form_->ZoomAbout(x, y, factor); });
    };
    picture_->onPan = [this](double dx, double dy) {
        if (!showingSheet_) Run([=, this] { form_->PanBy(dx, dy); });
    };
    picture_->onMouseUp = [this](double x, double y) {
        if (!showingSheet_) Run([=, this] { form_->Picture1_MouseUp(x, y); });
    };
    picture_->onResize = [this] {
        form_->Form_Resize();
        if (showingSheet_) nest_->DrawSheet(picture_->surface());
    };

    setWindowTitle(Q(form_->Caption));
    setAcceptDrops(true);
    AddTooltips();
    AddShortcuts();
    setMinimumSize(1024, 700);
    resize(1400, 900);
}

void MainWindow::Start(const std::string& startFolder) {
    drive1_->clear();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady()) drive1_->addItem(volume.rootPath());
    }
    form_->SheetMode = settings_->value("sheetMode", false).toBool();
    const QString templates = settings_->value("templatesFolder").toString();
    if (!templates.isEmpty() && QFileInfo(templates).isDir()) program_.templateFolder = S(templates);
    const QString remembered = settings_->value("folder").toString();
    const bool useRemembered = startFolder.empty() && !remembered.isEmpty() && QFileInfo(remembered).isDir();
    form_->Form_Load(useRemembered ? S(remembered) : startFolder.empty() ? program_.templateFolder : startFolder);
    RestoreSettings();
    Refresh();
}

QPushButton* MainWindow::CommandButton(const char* name, const char* caption, void (Form1::*command)()) {
    auto* button = Button(name, caption);
    connect(button, &QPushButton::clicked, this, [this, command] { Run([this, command] { ((*form_).*command)(); }); });
    return button;
}

QLineEdit* MainWindow::TextBox(const char* name, std::string Form1::*text, int width) {
    auto* box = Named<QLineEdit>(name);
    if (width > 0) box->setMaximumWidth(width);
    textBoxes_.emplace_back(box, text);
    return box;
}

QWidget* MainWindow::BuildSideBand() {
    auto* side = new QWidget;
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);

    auto* pathFrame = Frame("Frame1");
    auto* pathLayout = new QGridLayout(pathFrame);
    pathLayout->addWidget(TextBox("Text1", &Form1::Text1), 0, 0, 1, 4);
    pathLayout->addWidget(CommandButton("Command1", "OPEN", &Form1::Command1_Click), 1, 0);
    pathLayout->addWidget(CommandButton("Command3", "Choose File", &Form1::Command3_Click), 1, 1);
    pathLayout->addWidget(CommandButton("Command4", "REDRAW", &Form1::Command4_Click), 1, 2);
    pathLayout->addWidget(CommandButton("Command5", "GCODE", &Form1::Command5_Click), 1, 3);
    column->addWidget(pathFrame);

    auto* lists = new QHBoxLayout;
    auto* list11 = Named<QListWidget>("List11");
    lists_.emplace_back(ListSync(list11), &Form1::List11);
    lists->addWidget(list11, 1);
    auto* orderFrame = Frame("Frame2", "ORDER OF CUTTING");
    auto* orderLayout = new QVBoxLayout(orderFrame);
    orderLayout->addWidget(CommandButton("Command6", "MOVE UP", &Form1::Command6_Click));
    orderLayout->addWidget(CommandButton("Command7", "MOVE DOWN", &Form1::Command7_Click));
    orderLayout->addWidget(CommandButton("Command8", "SAVE CHANGES", &Form1::Command8_Click));
    orderLayout->addStretch();
    lists->addWidget(orderFrame);

    auto* listingFrame = Frame("Frame7");
    auto* listingLayout = new QGridLayout(listingFrame);
    auto* list1 = Named<QListWidget>("List1");
    lists_.emplace_back(ListSync(list1), &Form1::List1);
    listingLayout->addWidget(Named<QLabel>("Label4", "Records of every contour"), 0, 0, 1, 2);
    listingLayout->addWidget(list1, 1, 0, 1, 2);
    listingLayout->addWidget(CommandButton("Command2", "Command2", &Form1::Command2_Click), 2, 0);
    listingLayout->addWidget(CommandButton("Command9", "Command9", &Form1::Command9_Click), 2, 1);
    lists->addWidget(listingFrame, 1);
    column->addLayout(lists, 1);
    side->setFixedWidth(440);
    return side;
}

QWidget* MainWindow::BuildFilesTab() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    drive1_ = Named<QComboBox>("Drive1");
    connect(drive1_, &QComboBox::activated, this, [this] { Run([this] { form_->Drive1_Change(); }); });
    auto* dir1 = Named<QListWidget>("Dir1");
    lists_.emplace_back(ListSync(dir1), &Form1::Dir1);
    connect(dir1, &QListWidget::itemActivated, this, [this, dir1] {
        Run([this, dir1] { form_->Dir1_Open(dir1->currentRow()); });
    });
    auto* file1 = Named<QListWidget>("File1");
    lists_.emplace_back(ListSync(file1), &Form1::File1);
    connect(file1, &QListWidget::itemClicked, this, [this] { Run([this] { form_->File1_Click(); }); });
    layout->addWidget(drive1_, 0, 0);
    layout->addWidget(dir1, 1, 0);
    layout->addWidget(file1, 0, 1, 2, 1);
    layout->addWidget(CommandButton("Command30", "Command30", &Form1::Command30_Click), 2, 0);
    sheetMode_ = Named<QCheckBox>("SheetMode", "Sheet mode");
    sheetMode_->setToolTip("Read the next drawing opened as a CAD user means it (model space, blocks, ellipses, "
                           "splines, units) and plan it as a sheet of parts");
    connect(sheetMode_, &QCheckBox::toggled, this, [this](bool on) {
        settings_->setValue("sheetMode", on);
        Run([this] { form_->SheetMode_Click(); });
    });
    layout->addWidget(sheetMode_, 2, 1);
    recent_ = Named<QComboBox>("RecentDrawings");
    connect(recent_, &QComboBox::activated, this, [this](int row) {
        if (row <= 0) return;  // the first row is the list's caption
        const QString path = recent_->itemText(row);
        recent_->setCurrentIndex(0);
        OpenDrawing(path);
    });
    layout->addWidget(recent_, 3, 0, 1, 2);
    layout->addWidget(CommandButton("SaveJob", "Save job", &Form1::SaveJob_Click), 4, 0);
    layout->addWidget(CommandButton("OpenJob", "Open job", &Form1::OpenJob_Click), 4, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    return page;
}

QWidget* MainWindow::BuildMovePad() {
    struct PadButton {
        const char* name;
        void (Form1::*command)();
        int row, column;
        double degrees;
    };
    const PadButton pad[] = {
        {"Command20", &Form1::Command20_Click, 0, 0, 135}, {"Command19", &Form1::Command19_Click, 0, 1, 90},
        {"Command18", &Form1::Command18_Click, 0, 2, 45},  {"Command21", &Form1::Command21_Click, 1, 0, 180},
        {"Command12", &Form1::Command12_Click, 1, 2, 0},   {"Command22", &Form1::Command22_Click, 2, 0, 225},
        {"Command23", &Form1::Command23_Click, 2, 1, 270}, {"Command24", &Form1::Command24_Click, 2, 2, 315},
    };
    auto* grid = new QWidget;
    auto* layout = new QGridLayout(grid);
    layout->setSpacing(2);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const PadButton& button : pad) {
        auto* widget = CommandButton(button.name, "", button.command);
        widget->setIcon(ArrowIcon(button.degrees));
        widget->setIconSize(QSize(22, 22));
        widget->setFixedSize(34, 34);
        layout->addWidget(widget, button.row, button.column);
    }
    auto* left = CommandButton("Command25", "", &Form1::Command25_Click);
    left->setIcon(RotateIcon(true));
    auto* right = CommandButton("Command26", "", &Form1::Command26_Click);
    right->setIcon(RotateIcon(false));
    for (QPushButton* turn : {left, right}) {
        turn->setIconSize(QSize(22, 22));
        turn->setFixedSize(34, 34);
    }
    layout->addWidget(left, 1, 1);  // the centre of the pad turns left; the right turn sits below the pad
    layout->addWidget(right, 3, 1);
    return grid;
}

QWidget* MainWindow::BuildEditTab() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);

    auto* moveFrame = Frame("Frame3");
    auto* moveLayout = new QGridLayout(moveFrame);
    moveLayout->addWidget(CommandButton("Command16", "Move to 0,0", &Form1::Command16_Click), 0, 0, 1, 2);
    moveLayout->addWidget(BuildMovePad(), 1, 0, 4, 1);
    moveLayout->addWidget(new QLabel("step"), 1, 1);
    moveLayout->addWidget(TextBox("Text3", &Form1::Text3, kNumberBoxWidth), 2, 1);
    moveLayout->addWidget(new QLabel("angle"), 3, 1);
    moveLayout->addWidget(TextBox("Text4", &Form1::Text4, kNumberBoxWidth), 4, 1);
    layout->addWidget(moveFrame);

    auto* toolFrame = Frame("Frame4");
    auto* toolLayout = new QGridLayout(toolFrame);
    // Two columns, so the tab fits beside the right band from 1024 pixels up.
    toolLayout->addWidget(CommandButton("Command13", "Command13", &Form1::Command13_Click), 0, 0);
    toolLayout->addWidget(CommandButton("Command14", "Zoom Part", &Form1::Command14_Click), 0, 1);
    toolLayout->addWidget(CommandButton("Command15", "Zoom All", &Form1::Command15_Click), 1, 0);
    options_ = new QButtonGroup(this);
    const char* captions[] = {"Select", "Deselect", "Delete", "Undelete", "Edit ",
                              "Inside", "Outside",  "Move Lead In", "Zoom Tools"};
    for (int k = 1; k <= 9; ++k) {
        const std::string name = "Option" + std::to_string(k);
        auto* option = Named<QRadioButton>(name.c_str(), captions[k - 1]);
        options_->addButton(option, k);
        toolLayout->addWidget(option, (k + 2) / 2, (k + 2) % 2);
    }
    toolLayout->setVerticalSpacing(2);
    layout->addWidget(toolFrame);

    auto* column = new QVBoxLayout;
    auto* leadInFrame = Frame("Frame5");
    auto* leadInLayout = new QHBoxLayout(leadInFrame);
    leadInLayout->addWidget(CommandButton("Command32", "Calculate Lead Ins", &Form1::Command32_Click));
    leadInLayout->addWidget(TextBox("Text6", &Form1::Text6, kNumberBoxWidth));
    leadInLayout->addWidget(new QLabel("Kerf"));
    leadInLayout->addWidget(TextBox("Kerf", &Form1::KerfText, kNumberBoxWidth));
    kerfInProgram_ = Named<QCheckBox>("KerfInProgram", "in program");
    leadInLayout->addWidget(kerfInProgram_);
    column->addWidget(leadInFrame);
    column->addWidget(BuildCutQuality());
    // The scale and the program's buttons share a row, so the column fits the band's height.
    auto* lastRow = new QHBoxLayout;
    auto* scaleFrame = Frame("Frame6");
    auto* scaleLayout = new QHBoxLayout(scaleFrame);
    scaleLayout->addWidget(TextBox("Text5", &Form1::Text5, kNumberBoxWidth));
    scaleLayout->addWidget(CommandButton("Command27", "Scale", &Form1::Command27_Click));
    lastRow->addWidget(scaleFrame);
    auto* outputs = new QGridLayout;
    outputs->addWidget(CommandButton("Command17", "G CODE", &Form1::Command17_Click), 0, 0);
    outputs->addWidget(CommandButton("Command29", "SAVE PART", &Form1::Command29_Click), 0, 1);
    outputs->addWidget(CommandButton("Command31", "GCODE SETUP", &Form1::Command31_Click), 1, 0, 1, 2);
    lastRow->addLayout(outputs);
    column->addLayout(lastRow);
    column->addStretch();
    layout->addLayout(column);
    layout->addStretch();
    return page;
}

QWidget* MainWindow::BuildCutQuality() {
    constexpr int kBoxWidth = 50;  // narrower than the other number boxes: eight controls share two rows
    cutQuality_ = Frame("CutQuality", "Cut quality (sheet mode)");
    auto* grid = new QGridLayout(cutQuality_);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    const auto combo = [](const char* name, std::initializer_list<const char*> items) {
        auto* box = Named<QComboBox>(name);
        for (const char* item : items) box->addItem(item);
        return box;
    };
    outlineLeadIn_ = combo("OutlineLeadIn", {"line", "arc"});
    holeLeadIn_ = combo("HoleLeadIn", {"line", "arc"});
    leadOut_ = combo("LeadOut", {"none", "line", "arc"});
    const auto label = [](const char* text) {
        auto* shown = new QLabel(text);
        shown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return shown;
    };
    // Two rows of four labels, each with its control.
    grid->addWidget(label("lead-in"), 0, 0);
    grid->addWidget(outlineLeadIn_, 0, 1);
    grid->addWidget(label("holes"), 0, 2);
    grid->addWidget(holeLeadIn_, 0, 3);
    grid->addWidget(label("arc r"), 0, 4);
    grid->addWidget(TextBox("ArcRadius", &Form1::ArcRadiusBox, kBoxWidth), 0, 5);
    grid->addWidget(label("overcut"), 0, 6);
    grid->addWidget(TextBox("Overcut", &Form1::OvercutBox, kBoxWidth), 0, 7);
    grid->addWidget(label("lead-out"), 1, 0);
    grid->addWidget(leadOut_, 1, 1);
    grid->addWidget(label("length"), 1, 2);
    grid->addWidget(TextBox("LeadOutLength", &Form1::LeadOutLengthBox, kBoxWidth), 1, 3);
    grid->addWidget(label("small Ø"), 1, 4);
    grid->addWidget(TextBox("SmallHoles", &Form1::SmallHolesBox, kBoxWidth), 1, 5);
    grid->addWidget(label("feed"), 1, 6);
    grid->addWidget(TextBox("SmallHoleFeed", &Form1::SmallHoleFeedBox, kBoxWidth), 1, 7);
    // A change is told in the status line; the lead-ins follow it when they are next worked out.
    const auto changed = [this] { Run([this] { form_->CutQuality_Change(); }); };
    for (QComboBox* box : {outlineLeadIn_, holeLeadIn_, leadOut_}) connect(box, &QComboBox::activated, this, changed);
    for (const char* name : {"ArcRadius", "Overcut", "LeadOutLength", "SmallHoles", "SmallHoleFeed"}) {
        connect(cutQuality_->findChild<QLineEdit*>(name), &QLineEdit::editingFinished, this, changed);
    }
    return cutQuality_;
}

QWidget* MainWindow::BuildCuttingOrderTab() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* list2 = Named<QListWidget>("List2");
    lists_.emplace_back(ListSync(list2), &Form1::List2);
    connect(list2, &QListWidget::itemClicked, this, [this] { Run([this] { form_->List2_Click(); }); });
    layout->addWidget(list2, 1);
    auto* frame = Frame("Frame8");
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(TextBox("Text2", &Form1::Text2));
    frameLayout->addWidget(CommandButton("Command10", "START OVER", &Form1::Command10_Click));
    frameLayout->addWidget(CommandButton("Command11", "SIMULATE", &Form1::Command11_Click));
    frameLayout->addWidget(CommandButton("Command28", "Show Path", &Form1::Command28_Click));
    frameLayout->addStretch();
    layout->addWidget(frame);
    return page;
}

void MainWindow::Pull() {
    for (const auto& [box, text] : textBoxes_) (*form_).*text = S(box->text());
    for (const auto& [sync, list] : lists_) sync.Pull((*form_).*list);
    form_->OptionOn = static_cast<Tool>(std::max(0, options_->checkedId()));
    form_->SSTab1Tab = static_cast<Tab>(tabs_->currentIndex());
    form_->Drive1 = S(drive1_->currentText());
    form_->SheetMode = sheetMode_->isChecked();
    form_->KerfInProgram = kerfInProgram_->isChecked();
    form_->OutlineLeadIn = static_cast<LeadInStyle>(outlineLeadIn_->currentIndex());
    form_->HoleLeadIn = static_cast<LeadInStyle>(holeLeadIn_->currentIndex());
    form_->LeadOut = static_cast<LeadOutStyle>(leadOut_->currentIndex());
    PullNest();
}

void MainWindow::Refresh() {
    for (const auto& [box, text] : textBoxes_) {
        const QString shown = Q((*form_).*text);
        if (box->text() != shown) box->setText(shown);
    }
    for (auto& [sync, list] : lists_) sync.Push((*form_).*list);
    if (QAbstractButton* option = options_->button(static_cast<int>(form_->OptionOn))) option->setChecked(true);
    tabs_->setCurrentIndex(static_cast<int>(form_->SSTab1Tab));
    if (sheetMode_->isChecked() != form_->SheetMode) {
        const QSignalBlocker block(sheetMode_);
        sheetMode_->setChecked(form_->SheetMode);
    }
    if (kerfInProgram_->isChecked() != form_->KerfInProgram) kerfInProgram_->setChecked(form_->KerfInProgram);
    // The boxes list the styles in the order of their enumerations.
    outlineLeadIn_->setCurrentIndex(static_cast<int>(form_->OutlineLeadIn));
    holeLeadIn_->setCurrentIndex(static_cast<int>(form_->HoleLeadIn));
    leadOut_->setCurrentIndex(static_cast<int>(form_->LeadOut));
    ShowCutQualityState();
    ShowStatusLine();
    setWindowTitle(Q(form_->Caption));
    RefreshNest();
    ShowPictureForTab();
}

void MainWindow::Run(const std::function<void()>& command) {
    Pull();
    command();
    Refresh();
    RememberSettings();
}

void MainWindow::OpenWindow(ModalWindow window) {
    switch (window) {
        case ModalWindow::GCode: {
            GCodeWindow gcode(program_, toolkit_, form_->cutCount, this);
            gcode.exec();
            if (!gcode.form().SavedNote.empty()) form_->NoteSaved(gcode.form().SavedNote);
            return;
        }
        case ModalWindow::GCodeSetup: SetupWindow(program_, toolkit_, this, presetsFolder_).exec(); return;
        case ModalWindow::DirectGCode: {
            DirectGCodeWindow listing(program_, toolkit_, form_->List11, this);
            listing.exec();
            if (!listing.form().SavedNote.empty()) form_->NoteSaved(listing.form().SavedNote);
            return;
        }
        case ModalWindow::Edit: EditWindow(program_, form_->editPartIndex, this).exec(); return;
        case ModalWindow::About: AboutWindow(this).exec(); return;
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const auto px = [](double twips) { return static_cast<int>(twips / kTwipsPerPixel); };
    const double tabTop = 100;
    const MainWindowLayout layout =
        LayOutMainWindow(width() * kTwipsPerPixel, height() * kTwipsPerPixel, tabTop, kBandHeight * kTwipsPerPixel);
    band_->setGeometry(px(layout.tabLeft), px(tabTop), std::max(1, px(layout.tabWidth)), kBandHeight);
    // A window too small for the picture keeps the picture as it was.
    if (layout.pictureWidth <= 0 || layout.pictureHeight <= 0) return;
    picture_->setGeometry(px(layout.pictureLeft), px(layout.pictureTop), px(layout.pictureWidth),
                          px(layout.pictureHeight));
    // The status line in the margin under the picture, the pointer's position at its right end.
    const int statusTop = px(layout.pictureTop + layout.pictureHeight) + 2;
    constexpr int kPositionWidth = 220;
    const int statusWidth = std::max(1, px(layout.pictureWidth) - kPositionWidth);
    const int lineHeight = statusLine_->fontMetrics().height() + 4;
    statusLine_->setGeometry(px(layout.pictureLeft), statusTop, statusWidth, lineHeight);
    position_->setGeometry(px(layout.pictureLeft) + statusWidth, statusTop, kPositionWidth, lineHeight);
    ShowStatusLine();
}

void MainWindow::ShowStatusLine() {
    const QString full = Q(form_->StatusLine);
    const QString shown = statusLine_->fontMetrics().elidedText(full, Qt::ElideRight, std::max(1, statusLine_->width() - 4));
    if (statusLine_->text() != shown) statusLine_->setText(shown);
    statusLine_->setToolTip(full);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    Pull();
    if (!nest_->ConfirmDropNest("Closing the window", "Close anyway?")) {
        event->ignore();
        return;
    }
    const bool closing = form_->Form_QueryUnload();
    Refresh();
    if (!closing) {
        event->ignore();
        return;
    }
    settings_->setValue("geometry", saveGeometry());
    RememberSettings();
    // A nest under way is stopped; its thread is joined when the window goes.
    nestTimer_->stop();
    nest_->Stop_Click();
    event->accept();
}

}  // namespace zorvan::qt
