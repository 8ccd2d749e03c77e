// Inside the status rules: the terms of each region, and the helpers that
// try a fact left open with each of its values.
#pragma once

#include "StatusRules.h"

namespace browsers::detail {

bool Reached(const Date& d, int currentYear);

// The name of the fact "the author's year of death".
extern const char* const kDeathFact;

// A term that ends: free from `from`, protected until then.
Verdict Term(Region region, Date from, int currentYear, std::string rule, std::string note = {});
Verdict Term(Region region, int fromYear, int currentYear, std::string rule, std::string note = {});
// Never protected, or protection lost long ago: free, with no day to name.
Verdict FreeWork(Region region, std::string rule);
Verdict UnknownFact(Region region, std::string decidedBy, std::string rule, std::string note);
// The life term cannot be told without the year of death.
Verdict DeathUnknown(Region region, const std::string& rule);

struct Alternative {
    std::string label; // the condition, e.g. "it carried a notice"
    Verdict verdict;
};

// One answer from the answers for each value of `fact`: the shared answer
// when they agree, "protected" (or "public domain") without a day when only
// the day differs, otherwise "unknown" listing (up to `listed` of) them.
Verdict Combine(Region region, const std::string& fact, const std::vector<Alternative>& alts,
                size_t listed = 4);

// The answer with the open `fact` tried for each value it can take.
Verdict SplitOn(const Work& w, Fact fact, Region region, int currentYear);

// The answer for the region, trying the open facts where they matter.
Verdict JudgeRegion(const Work& w, Region region, int currentYear);

// The regions' terms, for a published work whose year of creation is set.
Verdict JudgeUs(const Work& w, int currentYear);
Verdict JudgeLifeTerm(const Work& w, Region region, int years, int currentYear);
Verdict JudgeCanada(const Work& w, int currentYear);

// The exceptions of single countries that change the answer, as notes.
void AddExceptionNotes(const Work& w, Verdict& v, int currentYear);
// The region's one-line caveat.
std::string Caveat(Region region);

} // namespace browsers::detail
