// quillmere-compile --publish TARGET PROJECT [--identity FILE]
//                   [--known-hosts FILE] [--password-env NAME] [--dry-run]
// quillmere-compile --zip FILE PROJECT
#pragma once

// True when argv[1] names one of these modes.
bool IsPublishCommand(const char* firstArgument);
// Runs the mode; returns the exit status (0 only when the host holds the
// page, 1 on failure, 2 on bad arguments).
int RunPublishCommand(int argc, char** argv);
