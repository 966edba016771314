// Where the template presets that come with the program lie, seen from the folder that holds the program.
#pragma once

#include <string>

namespace zorvan {

// The first of these folders that exists, as an absolute path with links resolved, or "" when none does
// (and for an empty `programFolder`):
//   programFolder/../share/zorvan/presets   installed (bin/ beside share/, any prefix)
//   programFolder/../../presets             built in a folder inside the sources (build/app/zorvan)
//   programFolder/presets                   the presets unpacked beside the program
// The installed folder comes first so that an installed program never picks up a stray folder elsewhere.
std::string ShippedPresetsFolder(const std::string& programFolder);

}  // namespace zorvan
