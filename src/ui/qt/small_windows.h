// The smaller windows: "GCODE SETUP" (the template files), "GCODE" (the direct listing), "Edit" (one part in
// detail) and "ABOUT".
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <memory>

#include "model/program.h"
#include "ui/form2.h"
#include "ui/form3.h"
#include "ui/form6.h"
#include "ui/qt/picture_box.h"
#include "ui/qt/widgets.h"

namespace zorvan::qt {

class SetupWindow : public QDialog {
public:
    // `presetsFolder`: where "Load preset..." opens its folder dialog (the shipped presets).
    SetupWindow(Program& program, Toolkit& toolkit, QWidget* parent, const std::string& presetsFolder = {});
    Form6& form() { return form_; }
    // Escape and the window's close button go the way of CLOSE: changed texts are asked about.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void PullTexts();
    void ShowMode();

    Form6 form_;
    QPlainTextEdit* text_[3];
    QLabel* mode_ = nullptr;
};

class DirectGCodeWindow : public QDialog {
public:
    DirectGCodeWindow(Program& program, Toolkit& toolkit, const ListBox& List11, QWidget* parent);
    Form2& form() { return form_; }

private:
    void Refresh();

    Form2 form_;
    QPlainTextEdit* text1_;
    ListSync list1_;
};

class EditWindow : public QDialog {
public:
    EditWindow(Program& program, int16_t editPartIndex, QWidget* parent);
    Form3& form() { return *form_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Refresh();

    PictureBox* picture_;
    std::unique_ptr<Form3> form_;
    ListSync list1_;
};

class AboutWindow : public QDialog {
public:
    explicit AboutWindow(QWidget* parent);
};

}  // namespace zorvan::qt
