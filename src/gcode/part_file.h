// Part files: the planned parts of a drawing in one line, "header:records#" per part in cutting order.
#pragma once

#include <cstdint>
#include <string>

#include "model/program.h"

namespace zorvan {

// The part file's line (without its line end) for parts 0..partCount-1; marks are not written, deleted
// parts are. No parts give the empty line.
std::string PartFileLine(const Program& program, int32_t partCount);

// How many of parts 0..partCount-1 are outside cuts (their entry starts with "OO").
int32_t CountOutsideCuts(const Program& program, int32_t partCount);

}  // namespace zorvan
