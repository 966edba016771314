// What must hold after any input, whatever it holds: shared by the fuzz targets (which abort on a broken
// rule) and by the regression test over the inputs they found (which reports it).
//
// Each check returns a description of the first rule it finds broken, or nothing when all hold.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gcode/main_job.h"
#include "import/dxf_reader.h"
#include "model/number_text.h"
#include "model/program.h"
#include "model/record_text.h"
#include "model/text_file.h"

namespace zorvan::fuzz {

// A number text: it reads as a finite value and never as -0, the record number parse runs on it (the
// sanitizers watch its rounding and conversion), its default form made from the text equals the one made
// from its value, and the 15-digit invariant text of the value reads back to a value with the same text.
// The round trip is checked up to 1E+307, the largest magnitude a drawing may hold: the 15-digit text of a
// value within 1.797693134862315E+308 of the largest double lies beyond the doubles and reads back as 0, as
// every number too large for a double does.
inline std::optional<std::string> CheckNumberText(std::string_view text) {
    const double value = LenientParse(text);
    if (!std::isfinite(value)) return "non-finite value " + DefaultNumber(value);
    if (value == 0 && std::signbit(value)) return "negative zero";
    (void)RecordNumberParse(text);
    std::string converted;
    AppendDefaultOfText(converted, text);
    if (converted != DefaultNumber(value)) return "default form of the text " + converted + " is not " + DefaultNumber(value);
    if (RoundedTo15Digits(value) != LenientParse(DefaultNumber(value))) return "15-digit value of " + DefaultNumber(value);
    if (std::fabs(value) > 1e307) return std::nullopt;
    const std::string written = InvariantNumber(value);
    const double reread = LenientParse(written);
    if (!std::isfinite(reread)) return "invariant text " + written + " reads back non-finite";
    const std::string rewritten = InvariantNumber(reread);
    if (rewritten != written) return "invariant text not stable: " + written + " became " + rewritten;
    return std::nullopt;
}

// A loaded drawing: every record 0..n is in some contour of contourChain, the chain names no other record,
// and no record holds a number that could not be written (an infinity or a NaN).
inline std::optional<std::string> CheckLoadedDrawing(const Program& program) {
    const int32_t n = program.store.n;
    if (n < -1 || n >= kMaxRecords) return "record count out of range: n = " + std::to_string(n);
    std::vector<bool> seen(static_cast<size_t>(n + 1), false);
    for (std::string_view element : SplitFields(program.contourChain, '|')) {
        if (element.starts_with(":")) element.remove_prefix(1);
        if (element.empty()) continue;
        int32_t record = -1;
        const auto [end, error] = std::from_chars(element.data(), element.data() + element.size(), record);
        if (error != std::errc{} || end != element.data() + element.size()) {
            return "contourChain holds a non-number \"" + std::string(element) + "\"";
        }
        if (record < 0 || record > n) {
            return "contourChain names record " + std::to_string(record) + " of 0.." + std::to_string(n);
        }
        seen[static_cast<size_t>(record)] = true;
    }
    for (int32_t record = 0; record <= n; ++record) {
        if (!seen[static_cast<size_t>(record)]) return "record " + std::to_string(record) + " is in no contour";
    }
    const auto records = program.store.Records();
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].find("inf") != std::string::npos || records[i].find("nan") != std::string::npos) {
            return "record " + std::to_string(i) + " holds a non-finite number: " + std::string(records[i]);
        }
    }
    return std::nullopt;
}

// A written program: no infinity or NaN anywhere in it or in the part entries it was written from, no
// exponent in a move row; and when there are parts, every one an outside cut or a hole, and exactly one the
// outside cut in the default planning, at least one in a sheet's (the contours no other holds).
inline std::optional<std::string> CheckProgram(const Program& program, int32_t partCount,
                                               const std::vector<std::string>& listing) {
    for (const std::string& row : listing) {
        if (row.find("inf") != std::string::npos || row.find("nan") != std::string::npos) {
            return "non-finite number in row: " + row;
        }
        const bool move = row.starts_with("G0 ") || row.starts_with("G1 ") || row.starts_with("G2 ") ||
                          row.starts_with("G3 ");
        if (move) {
            for (const std::string_view exponent : {"e+", "e-", "E+", "E-"}) {
                if (row.find(exponent) != std::string::npos) return "exponent in move row: " + row;
            }
        }
    }
    if (partCount > 0) {
        int32_t outside = 0;
        for (int32_t i = 0; i < partCount && i < kMaxContours; ++i) {
            const std::string& entry = program.partList[static_cast<size_t>(i)];
            if (entry.starts_with("OO")) ++outside;
            if (!entry.starts_with("OO") && !entry.starts_with("II")) return "part " + std::to_string(i) + " is neither cut";
            // the part file is written from these entries, and the rapid move reads its point from them
            if (entry.find("inf") != std::string::npos || entry.find("nan") != std::string::npos) {
                return "non-finite number in part entry " + std::to_string(i) + ": " + entry;
            }
        }
        const bool sheet = program.readMode == ReadMode::Sheet;
        if (sheet ? outside < 1 : outside != 1) {
            return std::to_string(outside) + " outside cuts among " + std::to_string(partCount) + " parts";
        }
    }
    return std::nullopt;
}

// The main job in memory, as the command line runs it on a drawing: read, contour list, part preparation,
// lead-ins at 0.25, and the program, in either reading mode. `program.templateFolder` decides which template files take part.
struct MainJobOutcome {
    DxfReadOutcome read = DxfReadOutcome::CannotRead;
    int32_t partCount = 0;
    std::vector<std::string> listing;
    std::optional<std::string> failure;  // the first broken rule
};

inline MainJobOutcome RunMainJob(Program& program, std::string_view dxfText, ReadMode mode = ReadMode::Default) {
    MainJobOutcome outcome;
    JobOptions options;
    options.leadIn = "0.25";
    options.partFile = true;
    options.read.mode = mode;
    const JobResult job = zorvan::RunMainJob(program, std::string(dxfText), options);
    outcome.read = job.read.outcome;
    if (outcome.read != DxfReadOutcome::Loaded) return outcome;
    if ((outcome.failure = CheckLoadedDrawing(program))) return outcome;
    outcome.partCount = job.partCount;
    LineReader lines(job.programText);
    while (const auto line = lines.ReadLine()) outcome.listing.emplace_back(*line);
    outcome.failure = CheckProgram(program, outcome.partCount, outcome.listing);
    return outcome;
}

}  // namespace zorvan::fuzz
