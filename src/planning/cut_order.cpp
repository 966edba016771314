// Cut ordering.
#include "planning/cut_order.h"

#include <cmath>
#include <string_view>
#include <vector>

#include "geometry/area.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "model/record_ends.h"

namespace zorvan {

namespace {

bool PointsMeet(double ax, double ay, double bx, double by) {
    return std::fabs(ax - bx) <= kOrderTolerance && std::fabs(ay - by) <= kOrderTolerance;
}

bool EndMeetsStart(const RecordEnds& from, const RecordEnds& to) {
    return PointsMeet(from.endX, from.endY, to.startX, to.startY);
}

bool EndMeetsEnd(const RecordEnds& from, const RecordEnds& to) {
    return PointsMeet(from.endX, from.endY, to.endX, to.endY);
}

}  // namespace

std::string SLOZISVE(const Program& program, int16_t i) {
    const PartFields part(program.partList[static_cast<size_t>(i)]);
    const auto fields = SplitFields(part.records, '|');
    std::vector<std::string> r(fields.begin(), fields.end());  // r.back() is the tail after the last "|"
    if (r.size() < 2) return {};

    // The first record is turned only when the second record meets it at neither of its ends; turning it on
    // the second's stored start alone would leave a jump where the second record is stored backwards.
    RecordEnds current = EndsOf(r[0]);
    RecordEnds next = EndsOf(r[1]);
    if (!EndMeetsStart(current, next) && !EndMeetsEnd(current, next)) {
        r[0] = invert_IT(r[0]);
        current = EndsOf(r[0]);
    }
    for (size_t f = 0; f + 2 < r.size(); ++f) {
        if (!EndMeetsStart(current, next)) {
            r[f + 1] = invert_IT(r[f + 1]);
            next = EndsOf(r[f + 1]);
        }
        current = next;
        if (f + 2 < r.size()) next = EndsOf(r[f + 2]);
    }

    std::string records;
    for (size_t k = 0; k + 1 < r.size(); ++k) {
        records += r[k];
        records += '|';
    }
    return records;
}

int16_t SLOZIBASSVE(Program& program) {
    double best = -10000000;
    int16_t bestRow = 0;
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        std::string& entry = program.partList[static_cast<size_t>(i)];
        const PartFields part(entry);
        const bool isCircle = IsCircleRecord(part.records);
        const std::string records = isCircle ? std::string(part.records) : SLOZISVE(program, static_cast<int16_t>(i));
        const double area = CalcArea(program.PI, records);
        if (std::fabs(area) > best) {
            best = std::fabs(area);
            bestRow = static_cast<int16_t>(i);
        }
        const std::string header =
            isCircle ? std::string(part.header) : std::string(part.Marker()) + " " + startPoints(records);
        entry = header + ":" + records + ":NOTS NOTD " + DefaultNumber(area);
    }
    return bestRow;
}

void GURNINAJVECINAKRAJ(Program& program, int16_t pozicijanajveceg) {
    const int32_t last = PartRowCount(program) - 1;
    if (last < 0 || pozicijanajveceg < 0 || pozicijanajveceg >= kMaxContours) return;
    std::vector<std::string>& scratch = program.partListScratch;
    scratch[static_cast<size_t>(last)] = program.partList[static_cast<size_t>(pozicijanajveceg)];
    int32_t k = 0;
    for (int32_t i = 0; i <= last; ++i) {
        if (i != pozicijanajveceg) scratch[static_cast<size_t>(k++)] = program.partList[static_cast<size_t>(i)];
    }
    for (int32_t i = 0; i <= last; ++i) program.partList[static_cast<size_t>(i)] = scratch[static_cast<size_t>(i)];
    std::string& outside = program.partList[static_cast<size_t>(last)];
    outside = ReplaceAll(outside, "II", "OO");
}

}  // namespace zorvan
