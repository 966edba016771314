// What zorvan-cli --nest tells: the progress line while it searches, and the summary of the nest written
// (as text or JSON).
#pragma once

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "gcode/job_summary.h"
#include "nesting/nest.h"

namespace zorvan {

// One line on standard error, rewritten in place on a terminal (at most twice a second) and written anew
// every few seconds elsewhere; Finish writes the last state and ends it.
class NestProgressLine : public NestProgress {
public:
    NestProgressLine(bool shown, bool strip);
    void Report(const NestStatus& status) override;
    void Finish();

private:
    bool shown_, strip_, terminal_;
    bool written_ = false;
    std::optional<NestStatus> unwritten_;  // the last state, when it was not written
    std::chrono::steady_clock::time_point last_{};

    void Write(const NestStatus& status);
};

struct SheetSummary {
    int32_t sheet = 0;  // from 1
    std::string program, preview, drawing;
    std::vector<std::pair<std::string, int32_t>> parts;  // per drawing of the order: copies on the sheet
    double utilisation = 0;
    JobSummary job;
};

struct NotPlaced {
    std::string part;
    int32_t copies = 0;
    std::string reason;  // "fits no sheet", "beyond --sheets 2"
};

struct NestSummary {
    double width = 0, height = 0, spacing = 0;
    std::string units;
    uint64_t seed = 0;
    int64_t evaluations = 0;
    double seconds = 0;
    bool stopped = false;
    std::vector<SheetSummary> sheets;
    std::vector<NotPlaced> notPlaced;
};

std::string NestSummaryText(const NestSummary& summary);
std::string NestSummaryJson(const NestSummary& summary);

// A strip-packing instance's nest: its length and utilisation.
struct StripSummary {
    std::string name;
    double height = 0, length = 0, utilisation = 0;
    int64_t placed = 0, copies = 0, evaluations = 0;
    double seconds = 0;
    uint64_t seed = 0;
    bool stopped = false;
};
std::string StripSummaryText(const StripSummary& summary);
std::string StripSummaryJson(const StripSummary& summary);

}  // namespace zorvan
