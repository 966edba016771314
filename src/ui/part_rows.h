// What the lists and captions say of a part or a record, in words and rounded numbers rather than as the
// stored texts:
//   "3  hole  Ø 6  lead-in 2.5"       "12  outside  40 x 30  no lead-in  deleted"
//   "line  (0, 0) to (10, 0)"         "arc  centre (5, 5)  r 2  counter-clockwise"
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/program.h"
#include "model/record.h"

namespace zorvan {

// A number rounded to three decimals, without trailing zeros: 2.5, 40, -0.125.
std::string ShortNumber(double value);

// The row of part `row` in the cutting-order list: its number, outside or hole, its size (a diameter for a
// round hole), its lead-in length, and its marks.
std::string PartRow(const Program& program, int32_t row);

// The part named for a caption: "part 3: hole, Ø 6".
std::string PartCaption(const Program& program, int32_t row);

// One record in words.
std::string RecordRow(const RecordValues& record);
std::string RecordRow(std::string_view record);

}  // namespace zorvan
