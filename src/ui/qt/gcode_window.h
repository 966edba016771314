// The "G CODE" window: the program listing beside its own picture of the parts, REFRESH and SAVE.
#pragma once

#include <QDialog>
#include <memory>

#include "model/program.h"
#include "ui/form4.h"
#include "ui/qt/picture_box.h"
#include "ui/qt/widgets.h"

namespace zorvan::qt {

class GCodeWindow : public QDialog {
public:
    GCodeWindow(Program& program, Toolkit& toolkit, int32_t cutCount, QWidget* parent);

    Form4& form() { return *form_; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Refresh();

    PictureBox* picture_;
    std::unique_ptr<Form4> form_;
    ListSync list1_;
    QLabel* label1_;
    QGroupBox* footFrame_;
    bool activated_ = false;
};

}  // namespace zorvan::qt
