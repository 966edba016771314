// Where a record starts and ends, and the same record run the other way.
//
// A record's layout is decided by the letters it contains, tested "A", then "D", then "K", each on its own,
// so a text holding two of them is read by the last one found. Fields are split on single blanks and read
// with the lenient parse; a field the record lacks reads as 0. Every number written here is in the default
// number form, so a reversed record comes back normalised ("0.5" where the reader wrote ".5").
#pragma once

#include <string>
#include <string_view>

#include "model/record.h"

namespace zorvan {

// End points of one record: an arc's fields 7, 8 (start) and 9, 10 (end); a line's 0, 1 and 3, 4; a circle's
// 5, 6 for both; 0 for a text with none of the letters.
double startX(std::string_view record);
double startY(std::string_view record);
double endX(std::string_view record);
double endY(std::string_view record);

// All four at once, the record split a single time.
struct RecordEnds {
    double startX = 0, startY = 0, endX = 0, endY = 0;
};
RecordEnds EndsOf(std::string_view record);

// "x1 y1 z1 x2 y2 z2 D" -> "x2 y2 z2 x1 y1 z1 D".
std::string INVERT_D(std::string_view record);
// Angles and end points change places, the sense turns:
//   INVERT_A("0 0 0 1 0 90 + 1 0 0 1 A") == "0 0 0 1 90 0 - 0 1 1 0 A"
std::string INVERT_A(std::string_view record);
// Only the sense turns: "-" for "+", "+" for anything else.
std::string INVERT_K(std::string_view record);

// The record reversed by the method of its type; the empty text for a text with none of the letters.
std::string invert_IT(std::string_view record);
// The record reversed as a record of `kind` (INVERT_D, INVERT_A, INVERT_K), appended to `out`, which must not
// hold `record`.
void AppendInverted(std::string& out, std::string_view record, RecordKind kind);

// The start point of a record list's first record written twice, "x y x y":
//   startPoints("5 5 0 2 + 3 5 K|") == "3 5 3 5"
std::string startPoints(std::string_view recordList);
void AppendStartPoints(std::string& out, std::string_view recordList);

}  // namespace zorvan
