// The "G CODE" window.
#include "ui/qt/gcode_window.h"

#include <QHBoxLayout>

#include "draw/view.h"
#include "ui/window_layout.h"

namespace zorvan::qt {

namespace {

// The layouts are given in twips; the windows measure pixels.
constexpr double kTwipsPerPixel = 15;

}  // namespace

GCodeWindow::GCodeWindow(Program& program, Toolkit& toolkit, int32_t cutCount, QWidget* parent)
    : QDialog(parent),
      picture_(Named<PictureBox>("Picture1", this)),
      form_(std::make_unique<Form4>(program, toolkit, picture_->surface(), cutCount)),
      list1_(Named<QListWidget>("List1", this)),
      label1_(Named<QLabel>("Label1")),
      footFrame_(Named<QGroupBox>("Frame1", this)) {
    setWindowTitle("G CODE");
    auto* buttons = Named<QGroupBox>("Frame2");
    auto* refresh = Button("Command1", "REFRESH");
    refresh->setToolTip("Write the program again in place of the listing");
    auto* save = Button("Command2", "SAVE");
    save->setToolTip("Save the program to a file you choose");
    auto* buttonRow = new QHBoxLayout(buttons);
    buttonRow->addWidget(refresh);
    buttonRow->addWidget(save);
    auto* foot = new QHBoxLayout(footFrame_);
    foot->addWidget(label1_, 1);
    foot->addWidget(buttons);

    picture_->onResize = [this] {
        if (activated_) form_->Form_Resize();
    };
    connect(refresh, &QPushButton::clicked, this, [this] {
        form_->Command1_Click();
        Refresh();
    });
    connect(save, &QPushButton::clicked, this, [this] { form_->Command2_Click(); });
    connect(list1_.widget(), &QListWidget::itemClicked, this, [this] {
        list1_.Pull(form_->List1);
        form_->List1_Click();
        picture_->update();
    });
    resize(1100, 700);
}

void GCodeWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (activated_) return;
    activated_ = true;
    form_->Form_Activate();
    Refresh();
}

void GCodeWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const double frameHeight = footFrame_->sizeHint().height() * kTwipsPerPixel;
    const GCodeWindowLayout layout = LayOutGCodeWindow(width() * kTwipsPerPixel, height() * kTwipsPerPixel, frameHeight);
    const auto px = [](double twips) { return static_cast<int>(twips / kTwipsPerPixel); };
    const int top = 7;
    list1_.widget()->setGeometry(7, top, px(layout.listWidth), std::max(1, px(layout.listHeight)));
    picture_->setGeometry(px(layout.pictureLeft), top, std::max(1, px(layout.pictureWidth)),
                          std::max(1, px(layout.pictureHeight)));
    footFrame_->setGeometry(7, px(layout.frameTop), width() - 14, px(frameHeight));
}

void GCodeWindow::Refresh() {
    label1_->setText(Q(form_->Label1));
    list1_.Push(form_->List1);
    picture_->update();
}

}  // namespace zorvan::qt
