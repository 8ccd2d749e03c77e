// The terms of each region for one work whose year of creation is set (a
// published work's is tried year by year when the user does not know it).
#include "StatusTerms.h"

#include <algorithm>

namespace browsers::detail {

namespace {

constexpr Date kPre1972RecordingsEnd{2067, 2, 15};
constexpr Region kUs = Region::UnitedStates;

std::string yearText(int y) {
    return std::to_string(y);
}

bool isPublished(const Work& w) {
    return w.published != FirstPublished::Never;
}

int createdYear(const Work& w) {
    return isPublished(w) ? w.created.value_or(w.year) : w.year;
}

std::string protectedText(const Verdict& v) {
    if (v.status == Status::PublicDomain)
        return "free now";
    if (v.freeFrom)
        return "protected, free from " + DateText(*v.freeFrom);
    return "protected as " + v.rule;
}

// 17 U.S.C. 303(a): a work created before 1978 and not published by then is
// protected at least until the end of 2002, and when published by the end of
// 2002, at least until the end of 2047.
Verdict with303(Verdict v, const Work& w, int currentYear) {
    if (createdYear(w) >= 1978)
        return v;
    const bool early = isPublished(w) && w.year <= 2002;
    const int floor = early ? 2048 : 2003;
    const std::string rule = early ? "created before 1978 and first published 1978 to 2002: "
                                     "protected at least until 31 December 2047 (17 U.S.C. 303(a))"
                                   : "created before 1978 and not published by 2002: protected at "
                                     "least until 31 December 2002 (17 U.S.C. 303(a))";
    if (v.status == Status::Unknown) {
        if (v.decidedBy != kDeathFact || Reached(Date{floor, 1, 1}, currentYear))
            return v;
        v.status = Status::Protected;
        v.rule = rule;
        v.note = "The year of death of the author (the last surviving author of a joint work) "
                 "decides the day: life + 70 years, but not before 1 January " +
                 yearText(floor) + ".";
        return v;
    }
    if (v.freeFrom && v.freeFrom->year < floor)
        return Term(v.region, floor, currentYear, rule);
    return v;
}

// Works published from 1978 on, and works never published.
Verdict usModern(const Work& w, int currentYear) {
    const int c = createdYear(w);
    Verdict v;
    if (w.author == AuthorKind::Person) {
        v = w.authorDied ? Term(kUs, *w.authorDied + 71, currentYear, "life + 70 years")
                         : DeathUnknown(kUs, "life + 70 years");
    } else if (!isPublished(w)) {
        v = Term(kUs, c + 121, currentYear,
                 "anonymous, pseudonymous or made for hire, never published: 120 years from "
                 "creation");
    } else {
        const int end = std::min(w.year + 96, c + 121);
        v = Term(kUs, end, currentYear,
                 end == w.year + 96
                     ? "anonymous, pseudonymous or made for hire: 95 years from publication"
                     : "anonymous, pseudonymous or made for hire: 120 years from creation, "
                       "which ends before 95 years from publication");
    }
    return with303(v, w, currentYear);
}

// Published from 1978 to 28 February 1989 without a notice: lost unless it
// was registered within five years (or only a few copies lacked the notice).
Verdict withoutNotice(const Verdict& modern) {
    if (modern.status == Status::PublicDomain)
        return modern;
    Verdict v = UnknownFact(
        kUs, "whether it was registered within five years",
        "published 1978 to 28 February 1989 without a copyright notice",
        "Unknown: if it was registered within five years of publication (or only a few copies "
        "lacked the notice), " +
            protectedText(modern) + "; if not, free now.");
    v.freeFrom = modern.freeFrom;
    return v;
}

const char* const kHomeExceptions =
    "Some home countries protected works longer in 1996: Spain life + 80 years, France with "
    "its war extensions, the United Kingdom 50 years from publication for works published "
    "after the author's death.";

// A foreign work that missed the United States formalities was restored on
// 1 January 1996 (17 U.S.C. 104A) when still protected in its home country
// and not only by United States authors.
Verdict restoration(const Work& w, int currentYear, const Verdict& restored,
                    const Verdict& notRestored) {
    if (restored.status == notRestored.status && restored.freeFrom == notRestored.freeFrom)
        return restored;
    if (w.usAuthor == Known::Unknown)
        return SplitOn(w, Fact::UsAuthor, kUs, currentYear);
    if (w.usAuthor == Known::Yes) {
        Verdict v = notRestored;
        v.rule += " (a United States author's work is not restored)";
        return v;
    }
    // Still protected at home on 1 January 1996 under a term of `years`?
    auto protectedIn1996 = [&](int years) -> std::optional<bool> {
        if (w.author == AuthorKind::Anonymous)
            return w.year + years >= 1996;
        if (!w.authorDied)
            return std::nullopt;
        return *w.authorDied + years >= 1996;
    };
    if (w.homeTerm == HomeTerm::Unknown) {
        const std::optional<bool> shortest = protectedIn1996(50);
        if (shortest && *shortest)
            return restored;
        Verdict v = SplitOn(w, Fact::HomeTerm, kUs, currentYear);
        if (v.status != Status::Unknown) {
            // Even where the usual terms agree, a longer one at home restored it.
            v = UnknownFact(
                kUs, "the home country's term in 1996",
                "the home country's term "
                "in 1996 decides",
                "Unknown: its home country's term in 1996 decides: if it was life + 50, "
                "70 or 80 years, it was free there and never restored, so " +
                    protectedText(notRestored) +
                    "; if longer, it was restored: " + protectedText(restored) + ".");
        }
        v.note += std::string(" ") + kHomeExceptions;
        return v;
    }
    const int years = w.homeTerm == HomeTerm::Life50   ? 50
                      : w.homeTerm == HomeTerm::Life70 ? 70
                                                       : 80;
    const std::optional<bool> wasProtected = protectedIn1996(years);
    if (!wasProtected)
        return Combine(kUs, kDeathFact,
                       {{"the author died in " + yearText(1996 - years) + " or later", restored},
                        {"the author died earlier", notRestored}});
    return *wasProtected ? restored : notRestored;
}

// First published abroad before 1978, 95 years not yet over.
Verdict usForeignOld(const Work& w, int currentYear) {
    const int y = w.year;
    if (w.notice == Known::Unknown)
        return SplitOn(w, Fact::Notice, kUs, currentYear);
    if (w.notice == Known::Yes && y <= 1963 && w.renewed == Known::Unknown)
        return SplitOn(w, Fact::Renewal, kUs, currentYear);
    if (w.notice == Known::Yes && (y >= 1964 || w.renewed == Known::Yes))
        return Term(kUs, y + 96, currentYear,
                    "published abroad with the United States formalities: 95 years from "
                    "publication");
    const Verdict restored =
        Term(kUs, y + 96, currentYear,
             "restored foreign work (17 U.S.C. 104A): 95 years from publication",
             "For a home country that joined the copyright treaties after 1995, the day it "
             "joined counts instead of 1 January 1996.");
    const Verdict notRestored =
        FreeWork(kUs, "published abroad without the United States formalities and free in its "
                      "home country on 1 January 1996: not restored (17 U.S.C. 104A)");
    return restoration(w, currentYear, restored, notRestored);
}

Verdict usPublished(const Work& w, int currentYear) {
    const int y = w.year;
    if (y <= 1977) {
        if (y + 96 <= currentYear)
            return Term(kUs, y + 96, currentYear, "published more than 95 years ago");
        if (w.published == FirstPublished::Elsewhere)
            return usForeignOld(w, currentYear);
        if (w.notice == Known::Unknown)
            return SplitOn(w, Fact::Notice, kUs, currentYear);
        if (w.notice == Known::No)
            return FreeWork(kUs, "published before 1978 without a copyright notice");
        if (y >= 1964)
            return Term(kUs, y + 96, currentYear,
                        "published 1964 to 1977 with a notice: 95 years from publication (the "
                        "renewal came by itself)");
        if (w.renewed == Known::Unknown)
            return SplitOn(w, Fact::Renewal, kUs, currentYear);
        if (w.renewed == Known::No)
            return FreeWork(kUs, "published before 1964 with a notice, not renewed: the first "
                                 "term of 28 years ran out");
        return Term(kUs, y + 96, currentYear,
                    "published before 1964 with a notice and renewed: 95 years from publication");
    }
    const Verdict modern = usModern(w, currentYear);
    if (y > 1989 || w.notice == Known::Yes)
        return modern;
    if (w.notice == Known::Unknown)
        return SplitOn(w, Fact::Notice, kUs, currentYear);
    if (y == 1989 && w.month == 0)
        return SplitOn(w, Fact::Month, kUs, currentYear);
    if (y == 1989 && w.month >= 3)
        return modern; // the notice rule ended on 1 March 1989
    if (w.published == FirstPublished::Elsewhere)
        return restoration(w, currentYear, modern, withoutNotice(modern));
    return withoutNotice(modern);
}

// Fixed before 15 February 1972: 17 U.S.C. 1401(a)(2).
Verdict usOldRecording(const Work& w, int currentYear) {
    if (!isPublished(w))
        return Term(kUs, kPre1972RecordingsEnd, currentYear,
                    "sound recordings fixed before 15 February 1972 and never published: "
                    "protected until 15 February 2067 (17 U.S.C. 1401(a)(2))");
    const int y = w.year;
    Verdict v;
    if (y < 1923)
        v = Term(kUs, 2022, currentYear,
                 "sound recordings first published before 1923: free since 1 January 2022 (17 "
                 "U.S.C. 1401(a)(2))");
    else if (y <= 1946)
        v = Term(kUs, y + 101, currentYear,
                 "sound recordings first published 1923 to 1946: 100 years from publication (17 "
                 "U.S.C. 1401(a)(2))");
    else if (y <= 1956)
        v = Term(kUs, y + 111, currentYear,
                 "sound recordings first published 1947 to 1956: 110 years from publication (17 "
                 "U.S.C. 1401(a)(2))");
    else
        v = Term(kUs, kPre1972RecordingsEnd, currentYear,
                 "sound recordings fixed before 15 February 1972 and published from 1957: "
                 "protected until 15 February 2067 (17 U.S.C. 1401(a)(2))");
    if (w.published != FirstPublished::Elsewhere)
        return v;
    return Combine(
        kUs, "whether its copyright was restored as a foreign work (17 U.S.C. 104A)",
        {{"it was restored",
          Term(kUs, y + 96, currentYear, "restored foreign recording: 95 years from publication")},
         {"it was not", v}});
}

Verdict usRecording(const Work& w, int currentYear) {
    const int fixed = createdYear(w);
    // From 15 February 1972 on, recordings follow the rules of other works.
    auto federal = [&] {
        return isPublished(w) ? usPublished(w, currentYear) : usModern(w, currentYear);
    };
    if (fixed < 1972)
        return usOldRecording(w, currentYear);
    if (fixed > 1972)
        return federal();
    return Combine(kUs, "the day of fixation",
                   {{"fixed before 15 February 1972", usOldRecording(w, currentYear)},
                    {"fixed from 15 February 1972 on", federal()}});
}

Verdict recordingAbroad(const Work& w, Region region, int currentYear) {
    const int fixed = createdYear(w);
    if (!isPublished(w))
        return Term(region, fixed + 51, currentYear,
                    std::string("sound recordings never published: 50 years from fixation") +
                        (region == Region::LifePlus70 ? " (art. 3(2) of Directive 2006/116)" : ""));
    const int y = w.year;
    if (y - fixed > 50)
        return Term(region, fixed + 51, currentYear,
                    "sound recordings published more than 50 years after fixation: 50 years "
                    "from fixation");
    if (region == Region::LifePlus50)
        return Term(region, y + 51, currentYear, "sound recordings: 50 years from publication");
    const bool eu = region == Region::LifePlus70;
    const int extendedIn = eu ? 2013 : 2015;
    const std::string day = eu ? "1 November 2013" : "23 June 2015";
    if (y + 50 < extendedIn)
        return Term(region, y + 51, currentYear,
                    "sound recordings: 50 years from publication, over before 70 years came in "
                    "on " +
                        day);
    const int end = eu ? y + 71 : std::min(y + 71, fixed + 101);
    return Term(region, end, currentYear,
                "sound recordings still protected on " + day + ": 70 years from publication");
}

} // namespace

Verdict JudgeUs(const Work& w, int currentYear) {
    if (w.soundRecording)
        return usRecording(w, currentYear);
    return isPublished(w) ? usPublished(w, currentYear) : usModern(w, currentYear);
}

Verdict JudgeLifeTerm(const Work& w, Region region, int years, int currentYear) {
    if (w.soundRecording)
        return recordingAbroad(w, region, currentYear);
    const std::string n = yearText(years);
    const int c = createdYear(w);
    if (w.author == AuthorKind::Anonymous) {
        if (!isPublished(w) || w.year - c > years)
            return Term(region, c + years + 1, currentYear,
                        "anonymous or pseudonymous, not published within " + n +
                            " years of its creation: " + n + " years from creation");
        return Term(region, w.year + years + 1, currentYear,
                    "anonymous or pseudonymous: " + n + " years from publication",
                    "If the author's identity became known in that time, the author's life + " + n +
                        " years applies.");
    }
    // An employee's work lasts its author's life + the term there too.
    const std::string rule = w.author == AuthorKind::ForHire
                                 ? "an employee's work: its author's life + " + n + " years"
                                 : "life + " + n + " years";
    if (!w.authorDied)
        return DeathUnknown(region, rule);
    return Term(region, *w.authorDied + years + 1, currentYear, rule);
}

Verdict JudgeCanada(const Work& w, int currentYear) {
    const Region r = Region::Canada;
    if (w.soundRecording)
        return recordingAbroad(w, r, currentYear);
    const int c = createdYear(w);
    if (w.author == AuthorKind::Anonymous) {
        // Terms still running on 1 July 2020 became 75 years from
        // publication (100 from creation); those over before stayed over.
        const int oldEnd = isPublished(w) ? std::min(w.year + 51, c + 76) : c + 76;
        if (oldEnd <= 2020)
            return Term(r, oldEnd, currentYear,
                        isPublished(w) ? "anonymous or pseudonymous: 50 years from publication "
                                         "(75 from creation), over before 1 July 2020"
                                       : "anonymous or pseudonymous, never published: 75 years "
                                         "from creation, over before 1 July 2020");
        if (!isPublished(w))
            return Term(r, c + 101, currentYear,
                        "anonymous or pseudonymous, never published: 100 years from creation "
                        "(since 1 July 2020)");
        const int end = std::min(w.year + 76, c + 101);
        return Term(r, end, currentYear,
                    end == w.year + 76
                        ? "anonymous or pseudonymous: 75 years from publication (since 1 July "
                          "2020)"
                        : "anonymous or pseudonymous: 100 years from creation, which ends before "
                          "75 years from publication (since 1 July 2020)");
    }
    const std::string rule = w.author == AuthorKind::ForHire
                                 ? "an employee's work: its author's life + 70 years since 30 "
                                   "December 2022, for terms not over by then"
                                 : "life + 70 years since 30 December 2022, for terms not over "
                                   "by then";
    if (!w.authorDied)
        return DeathUnknown(r, rule);
    const int d = *w.authorDied;
    Verdict v = d + 51 <= 2022 ? Term(r, d + 51, currentYear,
                                      "life + 50 years, over before life + 70 came in on 30 "
                                      "December 2022")
                               : Term(r, d + 71, currentYear,
                                      "life + 70 years (since 30 "
                                      "December 2022)");
    if (!isPublished(w)) {
        if (d < 1949 && d + 51 < 2004)
            return Term(r, 2004, currentYear,
                        "unpublished at the death of an author who died before 1949: "
                        "protected until the end of 2003");
        if (d >= 1949 && d <= 1998 && v.freeFrom->year < 2049)
            return Term(r, 2049, currentYear,
                        "never published, author died 1949 to 1998: protected until the end "
                        "of 2048");
        return v;
    }
    if (w.year > d && w.year < 1999)
        return Combine(r, "how Canada counts a work published after its author's death",
                       {{"from the death", v},
                        {"50 years from publication, as before 1999",
                         Term(r, w.year + 51, currentYear,
                              "published after the author's death and before 1999: 50 years "
                              "from publication")}});
    return v;
}

void AddExceptionNotes(const Work& w, Verdict& v, int currentYear) {
    auto add = [&v](const std::string& text) { v.note += (v.note.empty() ? "" : " ") + text; };
    // Named where the home country's term decides, however deep in the answer.
    if (v.region == Region::UnitedStates && v.status == Status::Unknown &&
        v.note.find("home country's term") != std::string::npos &&
        v.note.find(kHomeExceptions) == std::string::npos)
        add(kHomeExceptions);
    if (v.region != Region::LifePlus70 || w.soundRecording)
        return;
    if (v.status != Status::PublicDomain && isPublished(w))
        add("Rule of the shorter term: a work from a country outside these (a United States "
            "work, say) may be protected no longer than at home; its use differs by country "
            "(Germany does not apply it to United States works).");
    if (!w.authorDied || w.author == AuthorKind::Anonymous)
        return;
    const int d = *w.authorDied;
    if (d <= 1987 && d + 81 > currentYear)
        add("Spain: an author who died before 7 December 1987 is protected for life + 80 years "
            "there: free from 1 January " +
            yearText(d + 81) + ".");
    if (isPublished(w) && w.year <= 1947 && d <= 1945 && d + 116 > currentYear)
        add("France: war extensions add years to works published before the World Wars ended, "
            "and 30 years for authors who died for France.");
    const bool unpublishedAtDeath = !isPublished(w) || (w.year > d && w.year >= 1989);
    if (unpublishedAtDeath && d <= 1968 && currentYear <= 2039)
        add("United Kingdom: a work unpublished when its author died and still unpublished on "
            "1 August 1989 is protected there until the end of 2039.");
}

std::string Caveat(Region region) {
    switch (region) {
    case Region::UnitedStates:
        return "A quick guide, not legal advice: check the work's own history before you sell "
               "it.";
    case Region::Canada:
        return "A quick guide, not legal advice: Canada's Copyright Act has further special "
               "cases.";
    default:
        break;
    }
    return "A quick guide, not legal advice: each of these countries has exceptions of its own.";
}

} // namespace browsers::detail
