// Names proposed in the save dialogs for a drawing's program and part file.
#pragma once

#include <string>
#include <string_view>

namespace zorvan {

// The drawing's path with its file name upper-cased and a ".DXF" ending replaced by `ending`. The folder keeps
// its case, so on a file system that tells cases apart the file lands beside the drawing:
//   ProposedName("/home/ann/parts/plate.dxf", ".nc") == "/home/ann/parts/PLATE.nc"
//   ProposedName("c:\\parts\\plate.dxf", ".PAR") == "c:\\parts\\PLATE.PAR"     (either slash ends the folder)
// A name without the ".DXF" ending is only upper-cased.
std::string ProposedName(std::string_view drawingPath, std::string_view ending);

}  // namespace zorvan
