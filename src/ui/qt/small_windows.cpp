// The setup, direct G-code, edit and About windows.
#include "ui/qt/small_windows.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/form5.h"

namespace zorvan::qt {

SetupWindow::SetupWindow(Program& program, Toolkit& toolkit, QWidget* parent, const std::string& presetsFolder)
    : QDialog(parent), form_(program, toolkit) {
    form_.presetsFolder = presetsFolder;
    setWindowTitle("GCODE SETUP");
    auto* tabs = Named<QTabWidget>("SSTab1");
    const char* names[] = {"Text1", "Text2", "Text3"};
    const char* captions[] = {"HEADER FILE", "FOOTER FILE", "GCODE FILE"};
    for (int i = 0; i < 3; ++i) {
        text_[i] = Named<QPlainTextEdit>(names[i]);
        text_[i]->setLineWrapMode(QPlainTextEdit::NoWrap);
        tabs->addTab(text_[i], captions[i]);
    }
    auto* legend = new QVBoxLayout;
    for (const char* caption : {"HEADER FILE", "LINE001 - LINE010", "G0 (move to start point)", "LINE011 - LINE020",
                                "G1 (cut)", "LINE021 - LINE030", "G1 (cut)", "FOOTER FILE"}) {
        legend->addWidget(new QLabel(caption));
    }
    legend->addStretch();
    auto* preset = Button("LoadPreset", "Load preset...");
    preset->setToolTip("Fill the three texts from a preset folder (the shipped presets are offered first); "
                       "nothing is saved until SAVE");
    auto* save = Button("Command1", "SAVE");
    save->setToolTip("Write the three texts to the template files and use them from now on");
    auto* close = Button("Command2", "CLOSE");
    close->setToolTip("Close; changed texts are not dropped without a question");
    auto* where = Named<QLabel>("SaveFolder", Q(form_.SaveFolderNote()));
    where->setWordWrap(true);
    where->setMaximumWidth(180);
    legend->addWidget(where);
    // The arc-centre mode and compensation the header box asks for, kept up to date as it is edited.
    mode_ = Named<QLabel>("ArcCentres", "");
    mode_->setWordWrap(true);
    mode_->setMaximumWidth(180);
    mode_->setToolTip("How the program writes arc centres (I, J) and who allows for the kerf, as the header says: "
                      "a G90.1 or G91.1 word, or the comment lines \"(arc centres: relative)\" and "
                      "\"(compensation: program)\"");
    legend->addWidget(mode_);
    connect(text_[0], &QPlainTextEdit::textChanged, this, [this] { ShowMode(); });
    legend->addWidget(preset);
    legend->addWidget(save);
    legend->addWidget(close);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addLayout(legend);

    connect(save, &QPushButton::clicked, this, [this] {
        PullTexts();
        form_.Command1_Click();
    });
    connect(preset, &QPushButton::clicked, this, [this] {
        PullTexts();
        form_.LoadPreset_Click();
        const std::string* texts[] = {&form_.Text1, &form_.Text2, &form_.Text3};
        for (int i = 0; i < 3; ++i) text_[i]->setPlainText(FromCrLf(*texts[i]));
    });
    connect(close, &QPushButton::clicked, this, [this] { reject(); });
    resize(760, 520);
}

void SetupWindow::ShowMode() {
    form_.Text1 = ToCrLf(text_[0]->toPlainText());
    mode_->setText(Q(form_.ModeNote()));
}

void SetupWindow::PullTexts() {
    std::string* texts[] = {&form_.Text1, &form_.Text2, &form_.Text3};
    for (int i = 0; i < 3; ++i) *texts[i] = ToCrLf(text_[i]->toPlainText());
}

void SetupWindow::reject() {
    PullTexts();
    form_.Command2_Click();
    if (form_.closed) QDialog::reject();
}

void SetupWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    form_.Form_Activate();
    const std::string* texts[] = {&form_.Text1, &form_.Text2, &form_.Text3};
    for (int i = 0; i < 3; ++i) text_[i]->setPlainText(FromCrLf(*texts[i]));
}

DirectGCodeWindow::DirectGCodeWindow(Program& program, Toolkit& toolkit, const ListBox& List11, QWidget* parent)
    : QDialog(parent),
      form_(program, toolkit, List11),
      text1_(Named<QPlainTextEdit>("Text1")),
      list1_(Named<QListWidget>("List1")) {
    text1_->setReadOnly(true);
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* refresh = Button("Command2", "&Refresh");
    refresh->setToolTip("Write the listing again from the contour list");
    auto* listRecords = Button("Command4", "&Refresh");
    listRecords->setToolTip("List the records of every contour of the main window's contour list");
    auto* standard = Button("Command3", "Command3");
    standard->setToolTip("Command3: the standard header and footer, then the listing written again");
    auto* save = Button("Command1", "Save");
    save->setToolTip("Save the listing to a file you choose");
    auto* layout = new QGridLayout(this);
    layout->addWidget(text1_, 0, 0, 1, 3);
    layout->addWidget(list1_.widget(), 0, 3, 1, 2);
    layout->addWidget(refresh, 1, 0);
    layout->addWidget(standard, 1, 1);
    layout->addWidget(save, 1, 2);
    layout->addWidget(listRecords, 1, 3);

    const auto run = [this](void (Form2::*command)()) {
        return [this, command] {
            (form_.*command)();
            Refresh();
        };
    };
    connect(refresh, &QPushButton::clicked, this, run(&Form2::Command2_Click));
    connect(listRecords, &QPushButton::clicked, this, run(&Form2::Command4_Click));
    connect(standard, &QPushButton::clicked, this, run(&Form2::Command3_Click));
    connect(save, &QPushButton::clicked, this, run(&Form2::Command1_Click));
    connect(list1_.widget(), &QListWidget::itemClicked, this, [this] {
        list1_.Pull(form_.List1);
        form_.List1_Click();
        Refresh();
    });
    form_.Form_Load();
    Refresh();
    resize(900, 600);
}

void DirectGCodeWindow::Refresh() {
    setWindowTitle(Q(form_.Caption));
    const QString text = FromCrLf(form_.Text1);
    if (text1_->toPlainText() != text) text1_->setPlainText(text);
    list1_.Push(form_.List1);
}

EditWindow::EditWindow(Program& program, int16_t editPartIndex, QWidget* parent)
    : QDialog(parent),
      picture_(Named<PictureBox>("Picture1")),
      form_(std::make_unique<Form3>(program, picture_->surface(), editPartIndex)),
      list1_(Named<QListWidget>("List1")) {
    auto* reload = Button("Command2", "Command2");
    reload->setToolTip("Command2: read the part again");
    auto* draw = Button("Command1", "Command1");
    draw->setToolTip("Command1: draw the part again over what is shown");
    auto* layout = new QGridLayout(this);
    layout->addWidget(list1_.widget(), 0, 0);
    layout->addWidget(picture_, 0, 1, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reload);
    buttons->addWidget(draw);
    layout->addLayout(buttons, 1, 0);
    layout->setColumnStretch(1, 1);

    connect(reload, &QPushButton::clicked, this, [this] {
        form_->Command2_Click();
        Refresh();
    });
    connect(draw, &QPushButton::clicked, this, [this] {
        form_->Command1_Click();
        Refresh();
    });
    connect(list1_.widget(), &QListWidget::itemClicked, this, [this] {
        list1_.Pull(form_->List1);
        form_->List1_Click();
        Refresh();
    });
    setWindowTitle(Q(form_->Caption));
    resize(900, 560);
}

void EditWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    form_->Form_Activate();
    Refresh();
}

void EditWindow::Refresh() {
    setWindowTitle(Q(form_->Caption));
    list1_.Push(form_->List1);
    picture_->update();
}

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Q(Form5::kCaption));
    auto* web = Named<QLineEdit>("Text1", Q(Form5::kWebAddress));
    web->setReadOnly(true);
    auto* close = Button("Command1", "Close");
    close->setToolTip("Close this window");
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel("ZORVAN"), 0, 0, 1, 2);
    layout->addWidget(web, 1, 0, 1, 2);
    layout->addWidget(new QLabel(Q(Form5::kEmailLabel)), 2, 0);
    layout->addWidget(Named<QLabel>("Label2", Q(Form5::kEmailAddress)), 2, 1);
    layout->addWidget(close, 3, 1);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace zorvan::qt
