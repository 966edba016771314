// The template setup window's commands.
#include "ui/form6.h"

#include <filesystem>

#include "gcode/templates.h"
#include "model/text_file.h"

namespace zorvan {

namespace {

// The box's text as it is shown, with a line end after its last line where the operator left none.
std::string FileBytes(const std::string& text) {
    if (text.empty() || text.ends_with('\n') || text.ends_with('\r')) return text;
    return text + "\r\n";
}

}  // namespace

void Form6::Form_Activate() {
    Text1 = JoinCrLf(ReadTemplateFileLines(program_, kHeaderFile));
    Text2 = JoinCrLf(ReadTemplateFileLines(program_, kFooterFile));
    Text3 = JoinCrLf(ReadTemplateFileLines(program_, kTemplateFile));
}

void Form6::LoadPreset_Click() {
    const std::optional<std::string> folder = toolkit_.ChooseFolder("Load preset", presetsFolder);
    if (!folder) return;
    std::string* texts[] = {&Text1, &Text2, &Text3};
    const std::string_view files[] = {kHeaderFile, kFooterFile, kTemplateFile};
    std::string loaded[3];
    bool any = false;
    for (int i = 0; i < 3; ++i) {
        const auto lines = ReadTextLines((std::filesystem::path(*folder) / files[i]).string());
        any = any || lines.has_value();
        loaded[i] = JoinCrLf(lines.value_or(std::vector<std::string>{}));
    }
    if (!any) {
        toolkit_.ShowMessage(*folder + " holds none of " + std::string(kHeaderFile) + ", " + std::string(kFooterFile) +
                             " and " + std::string(kTemplateFile) + ": nothing was loaded.");
        return;
    }
    for (int i = 0; i < 3; ++i) *texts[i] = std::move(loaded[i]);
}

bool Form6::Command1_Click() {
    const std::pair<std::string_view, const std::string*> files[] = {
        {kHeaderFile, &Text1}, {kFooterFile, &Text2}, {kTemplateFile, &Text3}};
    bool saved = true;
    for (const auto& [file, text] : files) {
        const std::string path = TemplatePath(program_, file);
        if (const auto failure = SaveTextFile(path, FileBytes(*text))) {
            toolkit_.ShowMessage(SaveFailedMessage(path, *failure));
            saved = false;
        }
    }
    LoadTemplates(program_);
    return saved;
}

bool Form6::Unsaved() const {
    return Text1 != JoinCrLf(ReadTemplateFileLines(program_, kHeaderFile)) ||
           Text2 != JoinCrLf(ReadTemplateFileLines(program_, kFooterFile)) ||
           Text3 != JoinCrLf(ReadTemplateFileLines(program_, kTemplateFile));
}

std::string Form6::ModeNote() const {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = Text1.find('\n'); start < Text1.size(); end = Text1.find('\n', start)) {
        std::string line = Text1.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return ExpectationsNote(ExpectationsOfHeader(lines));
}

std::string Form6::SaveFolderNote() const {
    return "Saves to " + program_.templateFolder + " (" + std::string(kHeaderFile) + ", " + std::string(kFooterFile) +
           ", " + std::string(kTemplateFile) + ")";
}

void Form6::Command2_Click() {
    if (!Unsaved()) {
        closed = true;
        return;
    }
    switch (toolkit_.AskSaveDiscardCancel("The header, footer or template texts have changed. Save them to " +
                                              program_.templateFolder + " before closing?",
                                          "GCODE SETUP", "Save")) {
        case SaveChoice::Save: closed = Command1_Click(); return;
        case SaveChoice::Discard: closed = true; return;
        case SaveChoice::Cancel: return;
    }
}

}  // namespace zorvan
