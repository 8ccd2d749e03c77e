// Whether a work is in the public domain: the rules of the date chart worked
// out for one work, for the United States, for countries that protect works
// for the author's life + 70 years, for those of life + 50 years, and for
// Canada. Every date is computed from the current year the caller passes in,
// so the answers move on by themselves each 1 January.
//
// An answer is either right for every work that fits the facts given, or
// "unknown", naming the fact that would decide it and what each of its values
// gives: a fact the user left open is tried with each value it can take, and
// only an answer they all share is given as certain. "Public domain" is said
// only as "public domain in <region> for the facts given", and each answer
// carries a one-line caveat: these are a quick guide, never legal advice.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace browsers {

enum class FirstPublished { UnitedStates, Elsewhere, Never };
enum class Known { Yes, No, Unknown };
enum class AuthorKind { Person, Anonymous, ForHire };
// The term the work's home country gave it on 1 January 1996.
enum class HomeTerm { Life50, Life70, Life80, Unknown };

struct Work {
    FirstPublished published = FirstPublished::UnitedStates;
    int year = 0; // of first publication; of creation (fixation) when never published
    // The year of creation (of fixation for a recording) when it is known and
    // the work was published; unknown, every earlier year is tried.
    std::optional<int> created;
    int month = 0;                 // of first publication, 1 to 12; 0 when unknown
    Known notice = Known::Unknown; // carried a copyright notice
    Known renewed = Known::Unknown;
    std::optional<int> authorDied; // the last surviving author's year of death
    AuthorKind author = AuthorKind::Person;
    bool soundRecording = false;
    Known usAuthor = Known::Unknown; // an author who was a United States national
    HomeTerm homeTerm = HomeTerm::Unknown;
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
    // The day the work is (or was) free: set for PublicDomain and Protected
    // when the facts fix it, and for Unknown when the unknown fact only
    // decides between free now and free from that day. Usually a 1 January.
    std::optional<Date> freeFrom;
    std::string rule;      // the rule applied, in a few words
    std::string note;      // what the unknown would decide, or exceptions; may be empty
    std::string decidedBy; // the fact that would decide an unknown answer (or its day)
    std::string caveat;    // one short line of warning, always set
};

// The facts the form asks about only when they can change an answer.
enum class Fact { Notice, Renewal, Month, Created, UsAuthor, HomeTerm };

// Whether `fact` can change any of the four answers for `work` in
// `currentYear`: the answers differ for some of the values it can take.
bool FactMatters(const Work& work, Fact fact, int currentYear);
bool NoticeMatters(const Work& work, int currentYear);
bool RenewalMatters(const Work& work, int currentYear);

// The answer for one region as of 1 January of `currentYear`.
Verdict Judge(const Work& work, Region region, int currentYear);

// The four answers, in the order of Region.
std::vector<Verdict> JudgeAll(const Work& work, int currentYear);

// The region's name as the answers say it, with the countries it stands for,
// e.g. "In the United States".
std::string RegionName(Region region);
// The short name: "the United States", "countries of life + 70 years"...
std::string RegionShortName(Region region);
// The key of the region in the batch command's output: "us", "life70"...
std::string RegionKey(Region region);

// The answer in plain words, one paragraph: the verdict, the rule, the note
// and the caveat.
std::string Describe(const Verdict& verdict, int currentYear);

// The day as "1 January 2027" and as "2027-01-01".
std::string DateText(const Date& date);
std::string IsoDate(const Date& date);

// Why the work cannot be judged at all (no year, a year in the future, death
// before creation...), or empty when it can.
std::string CheckWork(const Work& work, int currentYear);

} // namespace browsers
