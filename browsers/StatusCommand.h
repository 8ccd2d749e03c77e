// The batch command quillmere-status: the status rules for one work given
// as options, for a catalogue given as a CSV file, or the date chart of a
// year, without any window.
#pragma once

#include "StatusRules.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace browsers {

// Sets the fact named by the long option `name` (without "--": "published",
// "year", "home-term"...) from `value`. Returns the reason when the value is
// not one the fact takes or the name is no fact, else empty. "title" is
// accepted and ignored.
std::string SetFact(Work& work, const std::string& name, const std::string& value);

// The four answers as one JSON object {"us": {...}, "life70": ...}.
std::string AnswersJson(const std::vector<Verdict>& answers);
// "public-domain", "protected" or "unknown".
std::string StatusKey(Status status);

// Reads the CSV text `input` (a header row of option names, one work a row)
// and writes it back to `out` with the answers as of `currentYear` added in
// the columns us, us_free_from, life70, ... A bad row is reported on `err`
// as "<source>:<line>: <reason>" and written back without answers. Returns
// 0, or 2 when a row (or the header) was bad.
int AnswerCsv(const std::string& input, const std::string& source, int currentYear,
              std::ostream& out, std::ostream& err);

// The whole command: `args` without the program name. Returns the exit
// status: 0 done, 1 a file could not be read, 2 bad input.
int RunStatusCommand(const std::vector<std::string>& args, int currentYear, std::ostream& out,
                     std::ostream& err);

} // namespace browsers
