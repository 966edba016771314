// The main window's "Nest" tab: its controls, how they reach the nest form, the poll of a nest under way, and
// the picture's turn between the plan and the nest's sheets.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/qt/main_window.h"

namespace zorvan::qt {

namespace {

// The Nest tab's boxes kept between runs, by their keys in the settings.
const std::pair<const char*, std::string NestForm::*> kNestSettings[] = {
    {"nest/sheetWidth", &NestForm::SheetWidthBox}, {"nest/sheetHeight", &NestForm::SheetHeightBox},
    {"nest/spacing", &NestForm::SpacingBox},       {"nest/rotations", &NestForm::RotationsBox},
    {"nest/seconds", &NestForm::SecondsBox}};

// A wrapped text that takes the room the tab gives it. Its height does not follow its width: the band would
// then grow taller than it is shown and cut the tab's lower controls off.
class WrappedText : public QLabel {
public:
    WrappedText() {
        setWordWrap(true);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    }
    bool hasHeightForWidth() const override { return false; }
};

// How often a nest under way is looked at.
constexpr int kPollMilliseconds = 100;

}  // namespace

QLineEdit* MainWindow::NestBox(const char* name, std::string NestForm::*text, int width) {
    auto* box = Named<QLineEdit>(name);
    box->setMaximumWidth(width);
    nestBoxes_.emplace_back(box, text);
    return box;
}

QWidget* MainWindow::BuildNestTab() {
    constexpr int kBoxWidth = 56;
    const auto nestButton = [this](const char* name, const char* caption, const std::function<void()>& command) {
        auto* button = Button(name, caption);
        connect(button, &QPushButton::clicked, this, [this, command] { Run(command); });
        return button;
    };
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);

    auto* orderFrame = Named<QGroupBox>("NestOrder", "Order");
    auto* orderLayout = new QGridLayout(orderFrame);
    auto* drawings = Named<QListWidget>("NestDrawings");
    nestDrawings_ = std::make_unique<ListSync>(drawings);
    // The wide texts take the width the tab has, without widening it (the band would scroll sideways).
    drawings->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    drawings->setMinimumHeight(48);
    drawings->setMinimumWidth(150);
    connect(drawings, &QListWidget::itemClicked, this, [this] { Run([this] { nest_->Drawings_Click(); }); });
    orderLayout->setVerticalSpacing(2);
    // The buttons and the count above the list, which takes the height left.
    orderLayout->addWidget(nestButton("NestAdd", "Add...", [this] { nest_->Add_Click(); }), 0, 0);
    orderLayout->addWidget(nestButton("NestRemove", "Remove", [this] { nest_->Remove_Click(); }), 0, 1);
    auto* countRow = new QHBoxLayout;
    countRow->addStretch();
    countRow->addWidget(new QLabel("count"));
    auto* count = NestBox("NestCount", &NestForm::CountBox, 56);
    connect(count, &QLineEdit::editingFinished, this, [this] { Run([this] { nest_->Count_Change(); }); });
    countRow->addWidget(count);
    orderLayout->addLayout(countRow, 1, 0, 1, 2);
    orderLayout->addWidget(drawings, 2, 0, 1, 2);
    layout->addWidget(orderFrame, 1);

    // The sheet and search boxes two by two, so the tab fits the band's height.
    auto* sheetFrame = Named<QGroupBox>("NestSheet", "Sheet and search");
    auto* sheetLayout = new QGridLayout(sheetFrame);
    sheetLayout->setVerticalSpacing(2);
    const auto label = [](const char* text) {
        auto* shown = new QLabel(text);
        shown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return shown;
    };
    sheetLayout->addWidget(label("width"), 0, 0);
    sheetLayout->addWidget(NestBox("SheetWidth", &NestForm::SheetWidthBox, kBoxWidth), 0, 1);
    sheetLayout->addWidget(label("height"), 0, 2);
    sheetLayout->addWidget(NestBox("SheetHeight", &NestForm::SheetHeightBox, kBoxWidth), 0, 3);
    sheetLayout->addWidget(label("spacing"), 1, 0);
    sheetLayout->addWidget(NestBox("NestSpacing", &NestForm::SpacingBox, kBoxWidth), 1, 1);
    sheetLayout->addWidget(label("time (s)"), 1, 2);
    sheetLayout->addWidget(NestBox("NestSeconds", &NestForm::SecondsBox, kBoxWidth), 1, 3);
    sheetLayout->addWidget(label("rotations"), 2, 0);
    sheetLayout->addWidget(NestBox("NestRotations", &NestForm::RotationsBox, kBoxWidth), 2, 1);
    anyAngle_ = Named<QCheckBox>("AnyAngle", "any angle");
    sheetLayout->addWidget(anyAngle_, 2, 2, 1, 2);
    mirror_ = Named<QCheckBox>("NestMirror", "mirror");
    sheetLayout->addWidget(mirror_, 3, 1, 1, 2);
    sheetLayout->setRowStretch(4, 1);
    for (auto& [box, text] : nestBoxes_) {
        if (box->objectName() == "NestCount") continue;
        connect(box, &QLineEdit::editingFinished, this, [this] { Run([this] { nest_->Box_Change(); }); });
    }
    for (QCheckBox* box : {anyAngle_, mirror_}) {
        connect(box, &QCheckBox::toggled, this, [this] { Run([this] { nest_->Box_Change(); }); });
    }
    layout->addWidget(sheetFrame);

    auto* runFrame = Named<QGroupBox>("NestRun", "Nest");
    auto* runLayout = new QGridLayout(runFrame);
    runLayout->setVerticalSpacing(2);
    nestTimer_ = new QTimer(this);
    nestTimer_->setInterval(kPollMilliseconds);
    connect(nestTimer_, &QTimer::timeout, this, [this] {
        if (nest_->State() != NestState::Nesting) nestTimer_->stop();
        if (nest_->Poll()) Refresh();
    });
    runLayout->addWidget(nestButton("Nest", "NEST",
                                    [this] {
                                        nest_->Nest_Click();
                                        if (nest_->State() == NestState::Nesting) nestTimer_->start();
                                    }),
                         0, 0);
    runLayout->addWidget(nestButton("NestStop", "Stop", [this] { nest_->Stop_Click(); }), 0, 1);
    nestProgress_ = Named<QProgressBar>("NestProgress");
    nestProgress_->setRange(0, 100);
    runLayout->addWidget(nestProgress_, 1, 0, 1, 2);
    nestStatus_ = Named<WrappedText>("NestStatus");
    nestStatus_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    nestStatus_->setMinimumWidth(200);
    runLayout->addWidget(nestStatus_, 2, 0, 1, 2);
    runLayout->setRowStretch(2, 1);
    layout->addWidget(runFrame, 1);

    auto* sheetsFrame = Named<QGroupBox>("NestSheets", "Sheets");
    auto* sheetsLayout = new QGridLayout(sheetsFrame);
    sheetsLayout->setVerticalSpacing(2);
    sheetsLayout->addWidget(nestButton("SheetPrevious", "<", [this] { nest_->Previous_Click(); }), 0, 0);
    sheetLabel_ = Named<QLabel>("SheetLabel");
    sheetLabel_->setAlignment(Qt::AlignCenter);
    sheetLabel_->setMinimumWidth(90);
    sheetsLayout->addWidget(sheetLabel_, 0, 1);
    sheetsLayout->addWidget(nestButton("SheetNext", ">", [this] { nest_->Next_Click(); }), 0, 2);
    for (const char* name : {"SheetPrevious", "SheetNext"}) sheetsFrame->findChild<QPushButton*>(name)->setFixedWidth(30);
    sheetsLayout->addWidget(nestButton("SendToGCode", "Send to G CODE", [this] { nest_->SendToGCode_Click(); }), 1, 0, 1, 3);
    sheetsLayout->addWidget(nestButton("SaveSheet", "Save sheet...", [this] { nest_->SaveSheet_Click(); }), 2, 0, 1, 3);
    sheetInfo_ = Named<WrappedText>("SheetInfo");
    sheetInfo_->setMinimumWidth(160);
    sheetsLayout->addWidget(sheetInfo_, 3, 0, 1, 3);
    sheetsLayout->setRowStretch(3, 1);
    layout->addWidget(sheetsFrame);
    return page;
}

void MainWindow::PullNest() {
    for (const auto& [box, text] : nestBoxes_) (*nest_).*text = S(box->text());
    nestDrawings_->Pull(nest_->Drawings);
    nest_->AnyAngle = anyAngle_->isChecked();
    nest_->Mirror = mirror_->isChecked();
}

void MainWindow::RefreshNest() {
    for (const auto& [box, text] : nestBoxes_) {
        const QString shown = Q((*nest_).*text);
        if (box->text() != shown) box->setText(shown);
    }
    nestDrawings_->Push(nest_->Drawings);
    for (const auto& [box, on] : {std::pair{anyAngle_, nest_->AnyAngle}, std::pair{mirror_, nest_->Mirror}}) {
        if (box->isChecked() != on) {
            const QSignalBlocker block(box);
            box->setChecked(on);
        }
    }
    const bool nesting = nest_->State() == NestState::Nesting;
    const bool sheets = nest_->SheetCount() > 0;
    findChild<QLineEdit*>("NestRotations")->setEnabled(!nest_->AnyAngle);
    findChild<QPushButton*>("Nest")->setEnabled(!nesting);
    findChild<QPushButton*>("NestStop")->setEnabled(nesting);
    findChild<QPushButton*>("SheetPrevious")->setEnabled(sheets && nest_->ShownSheet() > 0);
    findChild<QPushButton*>("SheetNext")->setEnabled(sheets && nest_->ShownSheet() + 1 < nest_->SheetCount());
    findChild<QPushButton*>("SendToGCode")->setEnabled(sheets);
    findChild<QPushButton*>("SaveSheet")->setEnabled(sheets);
    nestProgress_->setValue(nest_->Progress);
    nestStatus_->setText(Q(nest_->StatusLine));
    sheetLabel_->setText(Q(nest_->SheetLabel));
    sheetInfo_->setText(Q(nest_->SheetInfo));
}

void MainWindow::ShowPictureForTab() {
    ImageSurface& surface = picture_->surface();
    if (tabs_->currentIndex() == static_cast<int>(Tab::Nest) && nest_->SheetCount() > 0) {
        nest_->DrawSheet(surface);
        showingSheet_ = true;
    } else if (showingSheet_) {
        // The plan's own view again, as it was before the sheet was shown.
        showingSheet_ = false;
        if (program_.viewRight != program_.viewLeft && program_.viewTop != program_.viewBottom) {
            surface.SetScale(program_.viewLeft, program_.viewTop, program_.viewRight, program_.viewBottom);
            form_->RedrawPicture();
        } else {
            surface.Clear();
        }
    }
    picture_->update();
}

void MainWindow::RestoreNestSettings() {
    for (const auto& [key, text] : kNestSettings) {
        if (settings_->contains(key)) (*nest_).*text = S(settings_->value(key).toString());
    }
    nest_->AnyAngle = settings_->value("nest/anyAngle", false).toBool();
    nest_->Mirror = settings_->value("nest/mirror", false).toBool();
}

void MainWindow::RememberNestSettings() {
    // As for the other boxes, a text the box refuses is not kept for the next run.
    for (const auto& [key, text] : kNestSettings) {
        if (nest_->Refusal(text).empty()) settings_->setValue(key, Q((*nest_).*text));
    }
    settings_->setValue("nest/anyAngle", nest_->AnyAngle);
    settings_->setValue("nest/mirror", nest_->Mirror);
}

}  // namespace zorvan::qt
