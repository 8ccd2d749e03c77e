// Where the web engine module lies. The program does not link the engine; it
// loads the module when a browser window first needs it, and only from places
// no other user can write to:
//   - the installed program (its folder is the configured install folder of
//     programs, or /usr/bin) loads only the installed module;
//   - any other copy (a portable one, the build folder) loads its own module,
//     beside the executable or in ../lib/quillmere/ from it, and else the
//     installed one, so that a copy moved elsewhere (by a user, or by the
//     start-up routine for a read-only medium) still finds it.
// A module file is loaded only when it and its folder belong to the user who
// runs the program or to root and neither group nor others may write them.
#pragma once

#include <string>
#include <vector>

namespace browsers {

// The places to try, in order, for `fileName` (the module's file name).
// `programFolder` is the running executable's folder; `installBinFolder` the
// folder the program is installed to and `installFolder` the module's
// installed folder (either may be empty).
std::vector<std::string> EngineModuleCandidates(const std::string& programFolder,
                                                const std::string& installBinFolder,
                                                const std::string& installFolder,
                                                const std::string& fileName);

// Empty when `file` may be loaded; otherwise why not ("it belongs to another
// user", "its folder ... may be written by others").
std::string UntrustedModuleReason(const std::string& file);

struct EngineModuleChoice {
    std::string file;                 // the module to load, or empty
    std::vector<std::string> refused; // "<path>: <reason>" of each file refused
};

// The first of `candidates` that is an existing, trusted file; the files that
// exist but may not be loaded are listed.
EngineModuleChoice FindEngineModule(const std::vector<std::string>& candidates);

} // namespace browsers
