// Entity records: the one-line texts that hold every piece of geometry, and the small readers that take them
// apart by position.
//
// A record is blank-separated fields ending in its type letter:
//   line   "x1 y1 z1 x2 y2 z2 D"
//   arc    "cx cy 0 r startDeg endDeg sense x1 y1 x2 y2 A"   (sense "+" counter-clockwise, "-" clockwise)
//   circle "cx cy 0 r + sx sy K"                             (start = end = the leftmost point, cx - r)
// Numbers never contain the letters A, D or K, so a record's type is found by the letter it contains.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/record.h"

namespace zorvan {

// Splits `text` on every single `separator`, keeping empty fields (two separators in a row give one).
//   SplitFields("1 2  3", ' ') == {"1", "2", "", "3"}    SplitFields("", ' ') == {""}
std::vector<std::string_view> SplitFields(std::string_view text, char separator = ' ');

// Field `index` of `fields`, or the empty text when the record has fewer fields (so it reads as 0).
std::string_view FieldAt(const std::vector<std::string_view>& fields, size_t index);

// `text` without the blanks at either end.
std::string_view TrimBlanks(std::string_view text);

// Whether the record text holds the type letter, tested as every reader tests it: anywhere in the text.
bool IsArcRecord(std::string_view record);
bool IsLineRecord(std::string_view record);
bool IsCircleRecord(std::string_view record);

// The fields joined with single blanks.
std::string JoinFields(const std::vector<std::string>& fields);

// `text` with every occurrence of `from` replaced by `to`, left to right, replacements not scanned again.
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);

// Whether `letter` occurs after the first character of the record (the test the listings and the extents
// use, where the other readers look anywhere).
bool ContainsAfterFirst(std::string_view record, char letter);

// Record builders; every number is written in the invariant number form. The Append forms add the text to
// `out` and return the numbers it reads as.
RecordValues AppendLineRecord(std::string& out, double x1, double y1, double z1, double x2, double y2, double z2);
RecordValues AppendArcRecord(std::string& out, double cx, double cy, double r, double startDeg, double endDeg,
                             char sense, double x1, double y1, double x2, double y2);
RecordValues AppendCircleRecord(std::string& out, double cx, double cy, double r);
//   MakeLineRecord(0, 0, 0, 10, 0, 0) == "0 0 0 10 0 0 D"
//   MakeCircleRecord(5, 5, 2.5) == "5 5 0 2.5 + 2.5 5 K"
std::string MakeLineRecord(double x1, double y1, double z1, double x2, double y2, double z2);
std::string MakeArcRecord(double cx, double cy, double r, double startDeg, double endDeg, char sense, double x1,
                          double y1, double x2, double y2);
std::string MakeCircleRecord(double cx, double cy, double r);

}  // namespace zorvan
