// Part files: the planned parts of a drawing in one line, "header:records#" per part in cutting order.
#pragma once

#include <cstdint>
#include <string>

#include "model/program.h"

namespace zorvan {

// The part file's line (without its line end) for the parts among 0..partCount-1 that are not deleted; marks
// are not written. No parts give the empty line.
std::string PartFileLine(const Program& program, int32_t partCount);

// How many of the parts among 0..partCount-1 that are cut (not deleted) are outside cuts (their entry starts
// with "OO").
int32_t CountOutsideCuts(const Program& program, int32_t partCount);

// How many of parts 0..partCount-1 carry the delete mark and so are left out of programs and part files.
int32_t CountDeletedParts(const Program& program, int32_t partCount);

}  // namespace zorvan
