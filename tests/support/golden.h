// Golden files: whole outputs compared byte for byte with a reviewed copy in tests/data/.
//
// On a mismatch the actual output is written beside the golden as NAME.actual (ignored by git) and the first
// differing line is reported. Run the tests with ZORVAN_UPDATE_GOLDEN=1 to write the goldens anew, then read
// the diff before committing it.
#pragma once

#include <string>

namespace zorvan::testing {

// Compares `actual` with tests/data/`name`; fails the current test when they differ.
void ExpectMatchesGolden(const std::string& name, const std::string& actual);

}  // namespace zorvan::testing
