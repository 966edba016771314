// Cut ordering: each contour's records head to tail, the contour of largest area found, moved to the end of
// the cutting order and made the single outside cut.
#pragma once

#include <cstdint>
#include <string>

#include "model/program.h"

namespace zorvan {

// Two end points meet for ordering when both |dx| and |dy| are at most 0.001.
inline constexpr double kOrderTolerance = 0.001;

// The record list of part entry `i` with records turned where needed so each starts where the one before it
// ends. The first record is turned when its end meets neither end of the second; every later record is turned
// when its start misses the end of the one before. Records are never reordered. Stores nothing.
std::string SLOZISVE(const Program& program, int16_t i);

// Puts every part head to tail and stores its area, PartArea in the program's mode ("marker start
// start:records:NOTS NOTD area"; circles keep header and records). Returns the row of the largest absolute
// area, the earliest on ties.
int16_t SLOZIBASSVE(Program& program);

// Moves the entry at `pozicijanajveceg` to the end of the list and marks it as the outside cut "OO". An empty
// list or a row outside 0..1000 changes nothing.
void GURNINAJVECINAKRAJ(Program& program, int16_t pozicijanajveceg);

}  // namespace zorvan
