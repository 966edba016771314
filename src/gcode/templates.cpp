// Template files and slots.
#include "gcode/templates.h"

#include <cctype>
#include <cstdio>
#include <filesystem>

#include "model/record_text.h"
#include "model/text_file.h"

namespace zorvan {

namespace {

// The line, counted from 1, that holds the byte at `at` (lines end at CR LF, CR or LF).
size_t LineOf(std::string_view bytes, size_t at) {
    size_t line = 1;
    for (size_t i = 0; i < at; ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) ++line;
    }
    return line;
}

// What is wrong with one template file that is there; nothing when it reads as text.
std::optional<std::string> TemplateFileProblem(const std::string& path) {
    if (const auto problem = WhyFileCannotBeRead(path)) return "the template file cannot be read: " + problem->reason;
    const std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) return std::string("the template file cannot be read");
    const std::optional<size_t> at = FirstNonTextByte(*bytes);
    if (!at) return std::nullopt;
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned>(static_cast<unsigned char>((*bytes)[*at])));
    return "the template file holds bytes that are not text (the first, " + std::string(byte) + ", on line " +
           std::to_string(LineOf(*bytes, *at)) + "); is it a template file?";
}

}  // namespace

TemplateFolderCheck CheckTemplateFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    TemplateFolderCheck check;
    std::error_code error;
    if (!fs::exists(folder, error)) {
        check.refusal = "the template folder does not exist";
        return check;
    }
    if (!fs::is_directory(folder, error)) {
        check.refusal = "the template folder is not a folder";
        return check;
    }
    int present = 0;
    for (const std::string_view name : {kHeaderFile, kFooterFile, kTemplateFile}) {
        const std::string path = (fs::path(folder) / name).string();
        if (!fs::exists(path, error)) {
            check.warnings.emplace_back(path, "the template file is missing; it counts as empty");
            continue;
        }
        ++present;
        if (auto problem = TemplateFileProblem(path)) check.warnings.emplace_back(path, std::move(*problem));
    }
    if (present == 0) {
        check.refusal = "the template folder holds none of " + std::string(kHeaderFile) + ", " +
                        std::string(kFooterFile) + ", " + std::string(kTemplateFile);
        check.warnings.clear();
    }
    return check;
}

std::string TemplatePath(const Program& program, std::string_view file) {
    return (std::filesystem::path(program.templateFolder) / file).string();
}

void LoadTemplates(Program& program) {
    for (std::string& line : program.templateLines) line.clear();
    const auto lines = ReadTextLines(TemplatePath(program, kTemplateFile));
    if (lines) {
        for (size_t i = 0; i < lines->size() && i < program.templateLines.size(); ++i) {
            program.templateLines[i] = (*lines)[i];
        }
    }
    program.templateLineCount = 30;
    program.arcCentres = ReadTemplateExpectations(program).arcCentres.value_or(ArcCentres::Absolute);
}

void EmitSlot(const Program& program, std::string_view slot, std::vector<std::string>& listing) {
    for (int32_t k = 0; k < program.templateLineCount; ++k) {
        const std::string_view line = program.templateLines[static_cast<size_t>(k)];
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) continue;  // no key: the line is unusable
        const std::string_view key = line.substr(0, colon);
        const std::string_view rest = line.substr(colon + 1);
        const std::string_view value = rest.substr(0, rest.find(':'));
        const std::string emitted = ReplaceAll(std::string(slot), key, value);
        if (emitted.substr(0, 4) != "LINE" && !TrimBlanks(emitted).empty()) listing.push_back(emitted);
    }
}

namespace {

// The value of every line of GCODES.TXT whose key is `name`, in file order.
template <typename Visit>
void ForNamedSlot(const Program& program, std::string_view name, Visit visit) {
    for (const std::string& line : program.templateLines) {
        if (line.size() > name.size() && line.starts_with(name) && line[name.size()] == ':') {
            visit(std::string_view(line).substr(name.size() + 1));
        }
    }
}

}  // namespace

TemplateExpectations ReadTemplateExpectations(const Program& program) {
    return ExpectationsOfHeader(ReadTemplateFileLines(program, kHeaderFile));
}

std::string ExpectationsNote(const TemplateExpectations& expects) {
    std::string note = "Arc centres: ";
    if (!expects.arcCentres || *expects.arcCentres == ArcCentres::Absolute) {
        note += expects.arcCentresWord ? "absolute (G90.1)" : "absolute";
    } else {
        note += expects.arcCentresWord ? "relative (G91.1)" : "relative (offsets from each arc's start)";
    }
    if (!expects.compensationInProgram) return note + "; compensation: not said";
    return note + (*expects.compensationInProgram ? "; compensation: by the program (no G41/G42)"
                                                  : "; compensation: by the controller (G41/G42)");
}

TemplateExpectations ExpectationsOfHeader(const std::vector<std::string>& lines) {
    TemplateExpectations expects;
    for (const std::string& line : lines) {
        const std::string_view text = TrimBlanks(line);
        if (text == "(compensation: program)") expects.compensationInProgram = true;
        if (text == "(compensation: controller)") expects.compensationInProgram = false;
        if (text == "(arc centres: relative)" && !expects.arcCentresWord) expects.arcCentres = ArcCentres::Relative;
        if (text == "(arc centres: absolute)" && !expects.arcCentresWord) expects.arcCentres = ArcCentres::Absolute;
        // The words outside comments, upper case or not: "G90.1", "g91.1".
        std::string code;
        int depth = 0;
        for (const char c : text) {
            if (c == '(') ++depth;
            if (depth == 0 && c != ';') code += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (c == ')' && depth > 0) --depth;
            if (c == ';' && depth == 0) break;
        }
        for (const std::string_view word : SplitFields(code)) {
            if (word == "G90.1") expects.arcCentresWord = ArcCentres::Absolute;
            if (word == "G91.1") expects.arcCentresWord = ArcCentres::Relative;
        }
        if (expects.arcCentresWord) expects.arcCentres = expects.arcCentresWord;
    }
    return expects;
}

std::string CompensationExpectationWarning(const Program& program, std::string_view hint) {
    const bool inProgram = program.kerfInProgram && program.kerf > 0;
    if (!ReadTemplateExpectations(program).compensationInProgram.value_or(false) || inProgram) return {};
    return "The templates expect the program to allow for the kerf (compensation: program), but this program "
           "leaves it to the controller's G41/G42: " + std::string(hint) + ".";
}

std::string_view ArcCentresName(ArcCentres centres) { return centres == ArcCentres::Relative ? "relative" : "absolute"; }

std::vector<std::string> NamedSlotRows(const Program& program, std::string_view name) {
    std::vector<std::string> rows;
    ForNamedSlot(program, name, [&rows](std::string_view value) {
        if (!TrimBlanks(value).empty()) rows.emplace_back(value);
    });
    return rows;
}

bool HasNamedSlot(const Program& program, std::string_view name) {
    bool found = false;
    ForNamedSlot(program, name, [&found](std::string_view) { found = true; });
    return found;
}

std::vector<std::string> ReadTemplateFileLines(const Program& program, std::string_view file) {
    return ReadTextLines(TemplatePath(program, file)).value_or(std::vector<std::string>{});
}

std::vector<std::string> DefaultTemplateLines() {
    std::vector<std::string> lines;
    for (int slot = 1; slot <= 30; ++slot) {
        char name[16];
        std::snprintf(name, sizeof name, "LINE%03d:", slot);
        lines.emplace_back(name);
    }
    return lines;
}

std::optional<std::string> CreateMissingTemplateFiles(const std::string& folder) {
    const std::pair<std::string_view, std::string> files[] = {
        {kHeaderFile, ""}, {kFooterFile, ""}, {kTemplateFile, JoinCrLf(DefaultTemplateLines())}};
    std::optional<std::string> messages;
    for (const auto& [name, content] : files) {
        const std::string path = (std::filesystem::path(folder) / name).string();
        std::error_code error;
        if (std::filesystem::exists(path, error)) continue;
        if (const auto failure = SaveTextFile(path, content)) {
            messages = (messages ? *messages + "\n" : std::string()) + SaveFailedMessage(path, *failure);
        }
    }
    return messages;
}

}  // namespace zorvan
