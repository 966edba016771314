// How the command-line programs report a drawing that was not read: the exit status and one line of text.
#pragma once

#include <string>
#include <string_view>

#include "import/dxf_reader.h"

namespace zorvan {

// Exit statuses shared by zorvan-cli and zorvan-dump.
enum ExitStatus : int {
    kDone = 0,
    kUsage = 1,
    kCannotRead = 2,
    kNotDxf = 3,
    kHasSpline = 4,
    kTooLarge = 5,
    kCannotWrite = 6,
};

inline int ReadFailureStatus(DxfReadOutcome outcome) {
    switch (outcome) {
        case DxfReadOutcome::Loaded: return kDone;
        case DxfReadOutcome::HasSpline: return kHasSpline;
        case DxfReadOutcome::TooLarge: return kTooLarge;
        case DxfReadOutcome::CannotRead:
        case DxfReadOutcome::Binary:
        case DxfReadOutcome::Empty:
        case DxfReadOutcome::OutOfRange:
        case DxfReadOutcome::BadBlocks: return kCannotRead;
    }
    return kCannotRead;
}

// The refusal in words.
inline std::string ReadFailureText(const DxfReadResult& result) {
    if (result.outcome == DxfReadOutcome::CannotRead) return "cannot be read";
    return ReadOutcomeMessage(result) + (result.openContours > 0 ? " --cut-open cuts open contours." : "");
}

}  // namespace zorvan
