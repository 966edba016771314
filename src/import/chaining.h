// Contour chaining: records whose ends lie within 0.001 of each other (strictly, in X and in Y separately)
// are joined into contours, written into contourChain as record numbers in walking order.
//
//   four lines of a square, numbered 0 (bottom, to the right), 1 (right side, up), 2 (top, to the left) and
//   3 (left side, down), and an unconnected line 4:  contourChain == "0|3|2|1|:4|:"
//
// Where several ends meet at one point, each record's link there names the highest-numbered other record
// touching it. Every record ends up in at least one contour. Records are not reversed and contours are
// neither closed nor ordered here. A circle ("K") links to no record and no record links to it, so every
// circle is a contour of its own.
#pragma once

#include <cmath>
#include <cstdint>
#include <span>
#include <string>

#include "model/program.h"
#include "model/record.h"

namespace zorvan {

inline constexpr double kChainTolerance = 0.001;

// Chains records 0..n of the program's store into its chain tables and contourChain.
void ChainRecords(Program& program);

// Chains the records whose numbers are `records` (record i at index i) into `tables`, which must have room for
// all of them, and returns the contourChain text. What ChainRecords does, for records not in a store yet.
std::string ChainRecordValues(const RecordList& records, ChainTables& tables);
// The same for record texts, each read first.
std::string ChainRecordTexts(std::span<const std::string> records, ChainTables& tables);

// Step 2 of the chaining: the start and end point of every record into the tables (a circle's start and end
// are its leftmost point, centre x minus radius), with every `chained` flag cleared.
void ReadRecordEnds(const RecordList& records, ChainTables& tables);

// Step 3: linkAtStart and linkAtEnd of records 0..count-1 from the end points in the tables, through a hash
// grid of 0.001-unit cells.
void LinkRecordEnds(ChainTables& tables, int32_t count, const RecordList& records);

// Steps 4 and 5: the walks from every record, then every record left out of all walks as a contour of its own.
std::string WalkContours(ChainTables& tables, int32_t count);

// Marks record i chained and returns the next record of the walk: its start link when that record is not yet
// chained, else its end link when that one is not, else -2.
int32_t NextInChain(ChainTables& tables, int32_t i);

// Whether two end points are close enough to join: strictly below 0.001 apart in X and in Y.
inline bool EndsMeet(double ax, double ay, double bx, double by) {
    return std::fabs(ax - bx) < kChainTolerance && std::fabs(ay - by) < kChainTolerance;
}

}  // namespace zorvan
