// The toolkit of the command-line programs: no window to show anything in, so messages are kept for the
// program to report in its own words, dialogs are cancelled and windows are not opened.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/toolkit.h"

namespace zorvan {

class ConsoleToolkit : public Toolkit {
public:
    std::vector<std::string> messages;

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> ChooseFileToOpen(const std::string&) override { return std::nullopt; }
    std::optional<std::string> ChooseFileToSave(const std::string&) override { return std::nullopt; }
    void Beep() override {}
    void SetBusyCursor(bool) override {}
    void ShowModal(ModalWindow) override {}
};

}  // namespace zorvan
