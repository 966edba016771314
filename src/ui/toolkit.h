// Everything the window logic asks of the toolkit besides drawing: messages, questions, file dialogs, the
// beep and the busy cursor. The window binds it to real dialogs, the command line to plain text, tests to a
// scripted fake.
#pragma once

#include <optional>
#include <string>

namespace zorvan {

// The answers to "the plan has changed: save it first?".
enum class SaveChoice { Save, Discard, Cancel };

// The windows a command opens modally.
enum class ModalWindow { GCode, GCodeSetup, DirectGCode, Edit, About };

class Toolkit {
public:
    virtual ~Toolkit() = default;

    // A message box with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // A Yes/No question under `title`; true for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
    // A question with three buttons: save first (the button named `saveCaption`), go on without saving, or
    // cancel what was about to happen. Closing the dialog cancels.
    virtual SaveChoice AskSaveDiscardCancel(const std::string& text, const std::string& title,
                                            const std::string& saveCaption) = 0;
    // A file-open dialog with a filter such as "DXF |*.DXF"; nothing when cancelled.
    virtual std::optional<std::string> ChooseFileToOpen(const std::string& filter) = 0;
    // A file-save dialog pre-filled with `proposedName`; nothing when cancelled.
    virtual std::optional<std::string> ChooseFileToSave(const std::string& proposedName) = 0;
    // A folder dialog opening at `start` (the dialog's own choice when empty); nothing when cancelled.
    virtual std::optional<std::string> ChooseFolder(const std::string& title, const std::string& start) = 0;
    virtual void Beep() = 0;
    // The hourglass while a long command runs.
    virtual void SetBusyCursor(bool busy) = 0;
    // Opens `window` and returns when the operator has closed it.
    virtual void ShowModal(ModalWindow window) = 0;
};

// Shows the busy cursor for the lifetime of the guard, so every way out of a command restores it.
class BusyCursor {
public:
    explicit BusyCursor(Toolkit& toolkit) : toolkit_(toolkit) { toolkit_.SetBusyCursor(true); }
    ~BusyCursor() { toolkit_.SetBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    Toolkit& toolkit_;
};

}  // namespace zorvan
