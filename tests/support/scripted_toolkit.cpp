// The scripted toolkit.
#include "support/scripted_toolkit.h"

namespace zorvan::testing {

std::vector<std::string> ScriptedToolkit::Messages() const {
    std::vector<std::string> messages;
    for (const std::string& event : events) {
        if (event.starts_with("message ")) messages.push_back(event.substr(8));
    }
    return messages;
}

void ScriptedToolkit::ShowMessage(const std::string& text) { events.push_back("message " + text); }

bool ScriptedToolkit::AskYesNo(const std::string& text, const std::string& title) {
    events.push_back("question " + title + ": " + text);
    if (yesNoAnswers.empty()) return false;
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

SaveChoice ScriptedToolkit::AskSaveDiscardCancel(const std::string& text, const std::string& title,
                                                 const std::string&) {
    events.push_back("question " + title + ": " + text);
    if (saveAnswers.empty()) return SaveChoice::Cancel;
    const SaveChoice answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedToolkit::NextFile() {
    if (fileAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedToolkit::ChooseFileToOpen(const std::string& filter) {
    events.push_back("open " + filter);
    return NextFile();
}

std::optional<std::string> ScriptedToolkit::ChooseFolder(const std::string& title, const std::string& start) {
    events.push_back("folder " + title + " " + start);
    return NextFile();
}

std::optional<std::string> ScriptedToolkit::ChooseFileToSave(const std::string& proposedName) {
    events.push_back("save " + proposedName);
    return NextFile();
}

void ScriptedToolkit::Beep() { events.push_back("beep"); }

void ScriptedToolkit::SetBusyCursor(bool busy) { events.push_back(busy ? "busy on" : "busy off"); }

void ScriptedToolkit::ShowModal(ModalWindow window) {
    switch (window) {
        case ModalWindow::GCode: events.push_back("show GCode"); return;
        case ModalWindow::GCodeSetup: events.push_back("show GCodeSetup"); return;
        case ModalWindow::DirectGCode: events.push_back("show DirectGCode"); return;
        case ModalWindow::Edit: events.push_back("show Edit"); return;
        case ModalWindow::About: events.push_back("show About"); return;
    }
}

}  // namespace zorvan::testing
