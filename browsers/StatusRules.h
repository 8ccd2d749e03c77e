// Whether a work is in the public domain: the rules of the date chart worked
// out for one work, for the United States, for countries that protect works
// for the author's life + 70 years, for those of life + 50 years, and for
// Canada. Every date is computed from the current year the caller passes in,
// so the answers move on by themselves each 1 January.
//
// The answers are a quick guide, never legal advice: each names the rule it
// applied, and says "unknown" when a fact the user did not know decides it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace browsers {

enum class FirstPublished { UnitedStates, Elsewhere, Never };
enum class Known { Yes, No, Unknown };
enum class AuthorKind { Person, Anonymous, ForHire };

struct Work {
    FirstPublished published = FirstPublished::UnitedStates;
    int year = 0;                  // of first publication; of creation when never published
    Known notice = Known::Unknown; // carried a copyright notice
    Known renewed = Known::Unknown;
    std::optional<int> authorDied; // the author's (the last surviving author's) year of death
    AuthorKind author = AuthorKind::Person;
    bool soundRecording = false;
};

enum class Region { UnitedStates, LifePlus70, LifePlus50, Canada };
enum class Status { PublicDomain, Protected, Unknown };

struct Date {
    int year = 0, month = 1, day = 1;
    friend bool operator==(const Date&, const Date&) = default;
};

struct Verdict {
    Region region = Region::UnitedStates;
    Status status = Status::Unknown;
    // The day the work is (or was) free: set for PublicDomain and Protected,
    // and for Unknown when the unknown fact only decides between free now
    // and free from that day. Usually a 1 January.
    std::optional<Date> freeFrom;
    std::string rule; // the rule applied, in a few words
    std::string note; // what the unknown would decide, or a caveat; may be empty
};

// Whether the copyright notice, and then its renewal, can change the United
// States answer for `work` in `currentYear` (the form asks only then).
bool NoticeMatters(const Work& work, int currentYear);
bool RenewalMatters(const Work& work, int currentYear);

// The answer for one region as of 1 January of `currentYear`.
Verdict Judge(const Work& work, Region region, int currentYear);

// The four answers, in the order of Region.
std::vector<Verdict> JudgeAll(const Work& work, int currentYear);

// The region's name as the answers say it, e.g. "In the United States".
std::string RegionName(Region region);

// The answer in plain words, one paragraph: the verdict, the rule and the note.
std::string Describe(const Verdict& verdict, int currentYear);

// Why the work cannot be judged at all (no year, a year in the future, death
// before creation...), or empty when it can.
std::string CheckWork(const Work& work, int currentYear);

} // namespace browsers
