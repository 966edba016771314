// The toolkit on Qt: message boxes, file dialogs, the beep, the busy cursor, and the modal windows, which
// the main window opens through `openWindow`.
#pragma once

#include <QWidget>
#include <functional>

#include "ui/toolkit.h"

namespace zorvan::qt {

class QtToolkit : public Toolkit {
public:
    // Dialogs are centred over `parent` once it is set.
    void SetParent(QWidget* parent) { parent_ = parent; }
    std::function<void(ModalWindow)> openWindow;

    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    SaveChoice AskSaveDiscardCancel(const std::string& text, const std::string& title,
                                    const std::string& saveCaption) override;
    std::optional<std::string> ChooseFileToOpen(const std::string& filter) override;
    std::optional<std::string> ChooseFileToSave(const std::string& proposedName) override;
    std::optional<std::string> ChooseFolder(const std::string& title, const std::string& start) override;
    void Beep() override;
    void SetBusyCursor(bool busy) override;
    void ShowModal(ModalWindow window) override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace zorvan::qt
