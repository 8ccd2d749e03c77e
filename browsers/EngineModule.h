// Where the web engine module lies. The program does not link the engine; it
// loads the module when a browser window first needs it, and looks for it in
// these places, in this order:
//   1. beside the executable (a portable copy);
//   2. ../lib/quillmere/ from the executable's folder (an installed copy);
//   3. ../lib/ from the executable's folder (the build folder);
//   4. the folder the module was installed to, as an absolute path, so that a
//      copy of the executable moved elsewhere (by a user, or by the start-up
//      routine for a read-only medium) still finds the installed module.
#pragma once

#include <string>
#include <vector>

namespace browsers {

// The places to try, in order, for `fileName` (the module's file name).
// `programFolder` ends with a separator; `installFolder` may be empty.
std::vector<std::string> EngineModuleCandidates(const std::string& programFolder,
                                                const std::string& installFolder,
                                                const std::string& fileName);

// The first of `candidates` that is an existing file, or empty.
std::string FindEngineModule(const std::vector<std::string>& candidates);

} // namespace browsers
