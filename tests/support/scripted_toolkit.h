// A toolkit for tests: records every message and answers dialogs from a script.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/toolkit.h"

namespace zorvan::testing {

class ScriptedToolkit : public Toolkit {
public:
    // What the next dialogs answer, in order; a dialog with no answer left is cancelled.
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<std::string>> fileAnswers;
    std::deque<SaveChoice> saveAnswers;

    // What the program did, in order: "message TEXT", "question TITLE: TEXT" (also for the
    // save-discard-cancel question), "open FILTER", "save NAME", "beep",
    // "busy on", "busy off", "show GCode" (and the other windows by name).
    std::vector<std::string> events;

    // The texts of the message boxes shown.
    std::vector<std::string> Messages() const;

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
    std::optional<std::string> NextFile();
};

}  // namespace zorvan::testing
