// Cut ordering.
#include "planning/cut_order.h"

#include <cmath>
#include <string_view>
#include <vector>

#include "geometry/area.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_ends.h"
#include "model/record_text.h"

namespace zorvan {

namespace {

bool PointsMeet(double ax, double ay, double bx, double by) {
    return std::fabs(ax - bx) <= kOrderTolerance && std::fabs(ay - by) <= kOrderTolerance;
}

bool EndMeetsStart(const RecordValues& from, const RecordValues& to) {
    return PointsMeet(from.EndX(), from.EndY(), to.StartX(), to.StartY());
}

bool EndMeetsEnd(const RecordValues& from, const RecordValues& to) {
    return PointsMeet(from.EndX(), from.EndY(), to.EndX(), to.EndY());
}

struct Contour {
    std::string records;
    RecordList values;
};

// The records of entry `i` head to tail, with their numbers.
Contour HeadToTail(const PartEntry& entry) {
    const std::string_view field = PartFields(entry).records;
    const size_t lastBar = field.rfind('|');
    if (lastBar == std::string_view::npos) return {};
    const RecordList& values = entry.Records();
    std::vector<std::string_view> texts;
    texts.reserve(values.size());
    ForEachRecord(field, [&texts](std::string_view record) { texts.push_back(record); });
    const size_t n = texts.size();
    // The text after the last "|" stands in for the next record where the first has no other.
    const RecordValues tail(field.substr(lastBar + 1));

    // The first record is turned only when the second record meets it at neither of its ends; turning it on
    // the second's stored start alone would leave a jump where the second record is stored backwards.
    std::vector<char> turned(n, 0);
    RecordValues current = values[0];
    RecordValues next = n >= 2 ? values[1] : tail;
    if (!EndMeetsStart(current, next) && !EndMeetsEnd(current, next)) {
        turned[0] = 1;
        current = current.Reversed();
    }
    for (size_t f = 0; f + 1 < n; ++f) {
        if (!EndMeetsStart(current, next)) {
            turned[f + 1] = 1;
            next = next.Reversed();
        }
        current = next;
        next = f + 2 < n ? values[f + 2] : tail;
    }

    Contour contour;
    contour.records.reserve(field.size() + field.size() / 8);
    contour.values.reserve(n);
    for (size_t k = 0; k < n; ++k) {
        if (turned[k]) {
            AppendInverted(contour.records, texts[k], values[k].kind());
            contour.values.push_back(values[k].Reversed());
        } else {
            contour.records += texts[k];
            contour.values.push_back(values[k]);
        }
        contour.records += '|';
    }
    return contour;
}

}  // namespace

std::string SLOZISVE(const Program& program, int16_t i) {
    return HeadToTail(program.partList[static_cast<size_t>(i)]).records;
}

int16_t SLOZIBASSVE(Program& program) {
    double best = -10000000;
    int16_t bestRow = 0;
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        PartEntry& entry = program.partList[static_cast<size_t>(i)];
        const PartFields part(entry);
        std::string text;
        RecordList values;
        if (IsCircleRecord(part.records)) {  // a circle is closed on itself and is never turned here
            const double area = PartArea(program, entry.Records());
            if (std::fabs(area) > best) {
                best = std::fabs(area);
                bestRow = static_cast<int16_t>(i);
            }
            text.reserve(entry.size() + 32);
            text.append(part.header).append(":").append(part.records).append(":NOTS NOTD ");
            AppendDefaultNumber(text, area);
            entry = std::move(text);
            continue;
        }
        Contour contour = HeadToTail(entry);
        const double area = PartArea(program, contour.values);
        if (std::fabs(area) > best) {
            best = std::fabs(area);
            bestRow = static_cast<int16_t>(i);
        }
        text.reserve(contour.records.size() + 128);
        text.append(part.Marker()).append(" ");
        AppendStartPoints(text, contour.records);
        text.append(":").append(contour.records).append(":NOTS NOTD ");
        AppendDefaultNumber(text, area);
        entry.Set(std::move(text), std::move(contour.values));
    }
    return bestRow;
}

void GURNINAJVECINAKRAJ(Program& program, int16_t pozicijanajveceg) {
    const int32_t last = PartRowCount(program) - 1;
    if (last < 0 || pozicijanajveceg < 0 || pozicijanajveceg >= kMaxContours) return;
    std::vector<PartEntry>& scratch = program.partListScratch;
    std::vector<PartEntry>& parts = program.partList;
    scratch[static_cast<size_t>(last)] = parts[static_cast<size_t>(pozicijanajveceg)];
    int32_t k = 0;
    for (int32_t i = 0; i <= last; ++i) {
        if (i != pozicijanajveceg) scratch[static_cast<size_t>(k++)] = std::move(parts[static_cast<size_t>(i)]);
    }
    for (int32_t i = 0; i <= last; ++i) parts[static_cast<size_t>(i)] = std::move(scratch[static_cast<size_t>(i)]);
    PartEntry& outside = parts[static_cast<size_t>(last)];
    outside = ReplaceAll(outside.Text(), "II", "OO");
}

}  // namespace zorvan
