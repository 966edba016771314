// The template files: the header and footer copied around every program, and the thirty slots LINE001 to
// LINE030 that put machine-specific lines around each cut.
//
// A template line is "KEY:VALUE". A slot emits, for every template line in file order, the slot name with
// KEY replaced by VALUE, unless the result starts with "LINE" or is blank; so "LINE012:M03" makes slot
// LINE012 emit "M03", and "LINE005:" emits nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/program.h"

namespace zorvan {

inline constexpr std::string_view kHeaderFile = "0_HEADER.TXT";
inline constexpr std::string_view kFooterFile = "0_FOOTER.TXT";
inline constexpr std::string_view kTemplateFile = "GCODES.TXT";

// What stands against a template folder before a job uses it.
struct TemplateFolderCheck {
    // Why the folder cannot serve: "the template folder does not exist", "... is not a folder", "... holds none
    // of 0_HEADER.TXT, 0_FOOTER.TXT, GCODES.TXT". Nothing when it can.
    std::optional<std::string> refusal;
    // A file of the three that is missing, cannot be read or holds bytes that are not text, with what is wrong:
    //   {"/t/0_FOOTER.TXT", "the template file is missing; it counts as empty"}
    std::vector<std::pair<std::string, std::string>> warnings;
};

// Looks at the three files in `folder` (none is changed). A missing file counts as empty when the job runs,
// which is what the operator may not have meant; a folder without any of them is most likely a mistyped name.
TemplateFolderCheck CheckTemplateFolder(const std::string& folder);

// The path of a template file in the program's template folder.
std::string TemplatePath(const Program& program, std::string_view file);

// Reads GCODES.TXT into templateLines (at most 101 lines) and consults the first 30. Lines the file does not
// have are empty, so a slot deleted from the file stops emitting; a missing file gives no template at all.
// The arc centres are written as the header asks (ReadTemplateExpectations; absolute where it says nothing).
void LoadTemplates(Program& program);

// Appends the lines the templates give for `slot` ("LINE001" .. "LINE030") to `listing`. A line without ":"
// or with an empty key emits nothing.
void EmitSlot(const Program& program, std::string_view slot, std::vector<std::string>& listing);

// The named slots round a small hole's cut: the rows GCODES.TXT gives after "small hole start:" and
// "small hole end:" (any of its lines, each key matched whole). In a row, "{percent}" stands for the small
// holes' share of the feed in per cent and "{feed}" for their F value, where those are known.
inline constexpr std::string_view kSmallHoleStart = "small hole start";
inline constexpr std::string_view kSmallHoleEnd = "small hole end";
std::vector<std::string> NamedSlotRows(const Program& program, std::string_view name);
// Whether GCODES.TXT names the slot at all (an empty value counts: the operator wants nothing there).
bool HasNamedSlot(const Program& program, std::string_view name);

// What the header file says of the controller it is for. A comment line "(compensation: program)" or
// "(compensation: controller)" says who is to allow for the kerf; "(arc centres: relative)" or
// "(arc centres: absolute)" how the controller takes I and J, for one that knows no word to set it. A G90.1
// or G91.1 word in the header sets it, and outweighs the comment.
struct TemplateExpectations {
    std::optional<bool> compensationInProgram;
    std::optional<ArcCentres> arcCentres;      // what the header asks for, by word or comment
    std::optional<ArcCentres> arcCentresWord;  // what a G90.1 or G91.1 word in it switches the controller to
};
TemplateExpectations ReadTemplateExpectations(const Program& program);
// The same from a header's lines.
TemplateExpectations ExpectationsOfHeader(const std::vector<std::string>& lines);
// For the operator: "Arc centres: absolute (G90.1); compensation: by the controller (G41/G42)".
std::string ExpectationsNote(const TemplateExpectations& expects);

// Templates made for a controller without cutter compensation, and a program that leaves the kerf to it:
//   "The templates expect the program to allow for the kerf (compensation: program), but this program leaves
//    it to the controller's G41/G42: HINT."  Empty otherwise.
std::string CompensationExpectationWarning(const Program& program, std::string_view hint);

// "absolute" or "relative".
std::string_view ArcCentresName(ArcCentres centres);

// The lines of a header or footer file; none when it is missing.
std::vector<std::string> ReadTemplateFileLines(const Program& program, std::string_view file);

// The plain default GCODES.TXT: "LINE001:" .. "LINE030:".
std::vector<std::string> DefaultTemplateLines();

// Creates whichever of the three files is missing in `folder`: GCODES.TXT with the plain defaults and two
// empty files. Every missing file is tried; returns the messages, one a line, for those that could not be made.
std::optional<std::string> CreateMissingTemplateFiles(const std::string& folder);

}  // namespace zorvan
