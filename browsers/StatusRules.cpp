#include "StatusRules.h"

namespace browsers {

namespace {

// Days the law fixed once and for all (not cut-offs that move with the years).
constexpr int kRestorationYear = 1996;       // foreign works restored in the United States
constexpr int kOldRecordingsFreeYear = 2022; // US recordings published before 1923
constexpr Date kPre1972RecordingsEnd{2067, 2, 15};
constexpr int kCanadaLife70Year = 2022;       // life + 70 from 30 December 2022
constexpr int kCanadaRecordings70Year = 2015; // recordings: 70 years from 23 June 2015
constexpr int kLife70RecordingsYear = 2013;   // recordings: 70 years from 1 November 2013

bool reached(const Date& d, int currentYear) {
    return d.year < currentYear || (d.year == currentYear && d.month == 1 && d.day == 1);
}

std::string yearText(int y) {
    return std::to_string(y);
}

std::string dateText(const Date& d) {
    static const char* const months[] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};
    const int m = d.month >= 1 && d.month <= 12 ? d.month : 1;
    return std::to_string(d.day) + " " + months[m - 1] + " " + yearText(d.year);
}

// A term that ends: free from `from`, protected until then.
Verdict term(Region region, Date from, int currentYear, std::string rule, std::string note = {}) {
    Verdict v;
    v.region = region;
    v.status = reached(from, currentYear) ? Status::PublicDomain : Status::Protected;
    v.freeFrom = from;
    v.rule = std::move(rule);
    v.note = std::move(note);
    return v;
}

Verdict term(Region region, int fromYear, int currentYear, std::string rule,
             std::string note = {}) {
    return term(region, Date{fromYear, 1, 1}, currentYear, std::move(rule), std::move(note));
}

// Never protected, or protection lost long ago: free, with no day to name.
Verdict freeWork(Region region, std::string rule) {
    Verdict v;
    v.region = region;
    v.status = Status::PublicDomain;
    v.rule = std::move(rule);
    return v;
}

Verdict unknown(Region region, std::string rule, std::string note,
                std::optional<Date> latest = std::nullopt) {
    Verdict v;
    v.region = region;
    v.status = Status::Unknown;
    v.freeFrom = latest;
    v.rule = std::move(rule);
    v.note = std::move(note);
    return v;
}

// An answer that hangs on an unknown fact: free now one way, free from
// `protectedTerm`'s day the other way. When that day has come, it does not
// matter.
Verdict eitherFreeOr(const Verdict& protectedTerm, std::string rule, std::string note) {
    if (protectedTerm.status == Status::PublicDomain)
        return protectedTerm;
    return unknown(protectedTerm.region, std::move(rule), std::move(note), protectedTerm.freeFrom);
}

const char* kDeathDecides = "The author's year of death decides: enter it for an answer.";

// The author's life + `years`; without a person's year of death, the
// anonymous rule counts from publication (or creation).
Verdict lifeTerm(const Work& w, Region region, int years, int currentYear) {
    const std::string n = std::to_string(years);
    if (w.authorDied)
        return term(region, *w.authorDied + years + 1, currentYear, "life + " + n + " years");
    if (w.author == AuthorKind::Person)
        return unknown(region, "life + " + n + " years", kDeathDecides);
    const bool published = w.published != FirstPublished::Never;
    const std::string from = published ? " years from publication" : " years from creation";
    if (w.author == AuthorKind::Anonymous)
        return term(region, w.year + years + 1, currentYear,
                    "anonymous or pseudonymous work: " + n + from);
    return term(region, w.year + years + 1, currentYear, "made for hire: " + n + from,
                "Where the law counts from the death of the people who made it, enter the year "
                "the last of them died.");
}

// United States, works published from 1978 on and works never published.
Verdict usModernTerm(const Work& w, int currentYear) {
    const Region r = Region::UnitedStates;
    if (w.author == AuthorKind::Person) {
        if (w.authorDied)
            return term(r, *w.authorDied + 71, currentYear, "life + 70 years");
        return unknown(r, "life + 70 years", kDeathDecides);
    }
    if (w.published == FirstPublished::Never)
        return term(r, w.year + 121, currentYear,
                    "anonymous, pseudonymous or made for hire, never published: 120 years "
                    "from creation");
    return term(r, w.year + 96, currentYear,
                "anonymous, pseudonymous or made for hire: 95 years from publication",
                "If it was made more than 25 years before it was published, 120 years from "
                "creation ends first.");
}

Verdict usRecording(const Work& w, int currentYear) {
    const Region r = Region::UnitedStates;
    const int y = w.year;
    if (y < 1923)
        return term(r, kOldRecordingsFreeYear, currentYear,
                    "sound recordings published before 1923: free since 1 January 2022");
    if (y <= 1946)
        return term(r, y + 101, currentYear,
                    "sound recordings published 1923 to 1946: 100 years from publication");
    if (y <= 1956)
        return term(r, y + 111, currentYear,
                    "sound recordings published 1947 to 1956: 110 years from publication");
    if (y <= 1972)
        return term(r, kPre1972RecordingsEnd, currentYear,
                    "sound recordings made before 15 February 1972 and published from 1957: "
                    "protected until 15 February 2067",
                    "A recording made from 15 February 1972 on follows the rules for other works.");
    if (y <= 1977)
        return term(r, y + 96, currentYear,
                    "sound recordings published 1973 to 1977: 95 years "
                    "from publication");
    return usModernTerm(w, currentYear);
}

// A work first published outside the United States before 1978 whose 95
// years have not yet passed.
Verdict usForeignOld(const Work& w, int currentYear) {
    const Region r = Region::UnitedStates;
    const int y = w.year;
    const Verdict full = term(r, y + 96, currentYear, "");
    const bool formalities = w.notice == Known::Yes && (y >= 1964 || w.renewed == Known::Yes);
    if (formalities)
        return term(r, y + 96, currentYear,
                    "published abroad with the United States formalities: 95 years from "
                    "publication");
    if (w.author == AuthorKind::Person && w.authorDied) {
        const int died = *w.authorDied;
        if (died + 71 <= kRestorationYear)
            return freeWork(r, "published abroad without the United States formalities and "
                               "already free in its home country on 1 January 1996: never "
                               "restored");
        if (died + 51 <= kRestorationYear)
            return eitherFreeOr(
                full, "restored foreign work: 95 years from publication",
                "Unknown: if its home country protected works for life + 50 years in 1996, it "
                "was free there and was never restored, so it is free now; under a longer "
                "term it was restored and is free from 1 January " +
                    yearText(y + 96) + ".");
    }
    return term(r, y + 96, currentYear, "restored foreign work: 95 years from publication",
                "If it was already free in its home country on 1 January 1996 (or on the day "
                "that country joined the copyright treaties), it stays free.");
}

Verdict judgeUs(const Work& w, int currentYear) {
    const Region r = Region::UnitedStates;
    if (w.soundRecording)
        return usRecording(w, currentYear);
    const int y = w.year;
    if (w.published == FirstPublished::Never)
        return usModernTerm(w, currentYear);
    if (y + 96 <= currentYear)
        return term(r, y + 96, currentYear, "published more than 95 years ago");
    if (w.published == FirstPublished::Elsewhere)
        return y <= 1977 ? usForeignOld(w, currentYear) : usModernTerm(w, currentYear);

    const Verdict full = term(r, y + 96, currentYear, "");
    if (y <= 1977) {
        if (w.notice == Known::No)
            return freeWork(r, "published before 1978 without a copyright notice");
        if (y >= 1964) {
            if (w.notice == Known::Unknown)
                return eitherFreeOr(full, "published 1964 to 1977: the copyright notice decides",
                                    "Unknown: with a notice it is protected until 1 January " +
                                        yearText(y + 96) + "; without one it is free now.");
            return term(r, y + 96, currentYear,
                        "published 1964 to 1977 with a notice: 95 years from publication (the "
                        "renewal came by itself)");
        }
        if (w.notice == Known::Unknown)
            return eitherFreeOr(full, "published before 1964: the notice and its renewal decide",
                                "Unknown: with a notice and a renewal it is protected until 1 "
                                "January " +
                                    yearText(y + 96) +
                                    "; without a notice, or without a renewal, it is free now.");
        if (w.renewed == Known::No)
            return freeWork(r, "published before 1964 with a notice, not renewed: the first "
                               "term of 28 years ran out");
        if (w.renewed == Known::Unknown)
            return eitherFreeOr(full, "published before 1964 with a notice: the renewal decides",
                                "Unknown: if the copyright was renewed it is protected until 1 "
                                "January " +
                                    yearText(y + 96) +
                                    "; if not, it is free now. The renewal records tell.");
        return term(r, y + 96, currentYear,
                    "published before 1964 with a notice and renewed: 95 years from publication");
    }
    const Verdict modern = usModernTerm(w, currentYear);
    if (y <= 1988 && w.notice != Known::Yes && modern.status != Status::PublicDomain) {
        Verdict v = modern;
        v.status = Status::Unknown;
        v.rule =
            "published 1978 to 1 March 1989 " +
            std::string(w.notice == Known::No ? "without a notice" : "with or without a notice");
        v.note =
            "Unknown: without a notice, and not registered within five years of "
            "publication, it is free now; otherwise " +
            modern.rule + " applies" +
            (modern.freeFrom ? ", free from 1 January " + yearText(modern.freeFrom->year) : "") +
            ".";
        return v;
    }
    return modern;
}

Verdict recordingAbroad(const Work& w, Region region, int currentYear) {
    const int y = w.year;
    if (region == Region::LifePlus50)
        return term(region, y + 51, currentYear, "sound recordings: 50 years from publication");
    const int extendedFrom =
        region == Region::Canada ? kCanadaRecordings70Year : kLife70RecordingsYear;
    if (y + 50 < extendedFrom)
        return term(region, y + 51, currentYear,
                    "sound recordings: 50 years from publication, over before the term became "
                    "70 years in " +
                        yearText(extendedFrom));
    return term(region, y + 71, currentYear, "sound recordings: 70 years from publication");
}

Verdict judgeCanada(const Work& w, int currentYear) {
    const Region r = Region::Canada;
    const bool person = w.author == AuthorKind::Person || w.authorDied;
    if (person) {
        if (!w.authorDied)
            return unknown(r, "life + 70 years since 30 December 2022, not for terms over before",
                           kDeathDecides);
        const int died = *w.authorDied;
        if (died + 51 <= kCanadaLife70Year)
            return term(r, died + 51, currentYear,
                        "life + 50 years, over before life + 70 came in on 30 December 2022");
        return term(r, died + 71, currentYear, "life + 70 years (since 30 December 2022)");
    }
    const bool published = w.published != FirstPublished::Never;
    const int oldEnd = w.year + (published ? 51 : 76);
    if (oldEnd <= kCanadaLife70Year)
        return term(r, oldEnd, currentYear,
                    published ? "author unknown: 50 years from publication, over before 2023"
                              : "author unknown, never published: 75 years from creation, over "
                                "before 2023");
    return term(r, w.year + (published ? 76 : 101), currentYear,
                published ? "author unknown: 75 years from publication (or 100 from creation, "
                            "if that ends first)"
                          : "author unknown, never published: 100 years from creation");
}

} // namespace

bool NoticeMatters(const Work& w, int currentYear) {
    if (w.published == FirstPublished::Never || w.year + 96 <= currentYear)
        return false;
    if (w.soundRecording)
        return false;
    // Abroad, the formalities count only before 1978 (restoration).
    return w.year <= (w.published == FirstPublished::Elsewhere ? 1977 : 1988);
}

bool RenewalMatters(const Work& w, int currentYear) {
    return NoticeMatters(w, currentYear) && w.year <= 1963 && w.notice != Known::No;
}

namespace {

Verdict judgeRegion(const Work& w, Region region, int currentYear) {
    switch (region) {
    case Region::UnitedStates:
        return judgeUs(w, currentYear);
    case Region::LifePlus70:
        return w.soundRecording ? recordingAbroad(w, region, currentYear)
                                : lifeTerm(w, region, 70, currentYear);
    case Region::LifePlus50:
        return w.soundRecording ? recordingAbroad(w, region, currentYear)
                                : lifeTerm(w, region, 50, currentYear);
    case Region::Canada:
        return w.soundRecording ? recordingAbroad(w, region, currentYear)
                                : judgeCanada(w, currentYear);
    }
    return {};
}

} // namespace

Verdict Judge(const Work& w, Region region, int currentYear) {
    Verdict v = judgeRegion(w, region, currentYear);
    if (w.soundRecording)
        v.note += std::string(v.note.empty() ? "" : " ") +
                  "The music and words on the recording have rights of their own.";
    return v;
}

std::vector<Verdict> JudgeAll(const Work& w, int currentYear) {
    std::vector<Verdict> all;
    for (Region r : {Region::UnitedStates, Region::LifePlus70, Region::LifePlus50, Region::Canada})
        all.push_back(Judge(w, r, currentYear));
    return all;
}

std::string RegionName(Region region) {
    switch (region) {
    case Region::UnitedStates:
        return "In the United States";
    case Region::LifePlus70:
        return "In countries of life + 70 years (the European Union, the United Kingdom, "
               "Australia and others)";
    case Region::LifePlus50:
        return "In countries of life + 50 years";
    case Region::Canada:
        return "In Canada";
    }
    return {};
}

std::string Describe(const Verdict& v, int currentYear) {
    std::string text = RegionName(v.region) + ": ";
    switch (v.status) {
    case Status::PublicDomain:
        text += "public domain";
        if (v.freeFrom && v.freeFrom->year > 0)
            text += " (since " + dateText(*v.freeFrom) + ")";
        text += ".";
        break;
    case Status::Protected:
        text += "not yet public domain; it will be from " + dateText(*v.freeFrom) + ".";
        break;
    case Status::Unknown:
        text += "unknown";
        if (v.freeFrom && !reached(*v.freeFrom, currentYear))
            text += ": either public domain now or from " + dateText(*v.freeFrom);
        text += ".";
        break;
    }
    text += " Rule: " + v.rule + ".";
    if (!v.note.empty())
        text += " " + v.note;
    return text;
}

std::string CheckWork(const Work& w, int currentYear) {
    const char* what = w.published == FirstPublished::Never ? "creation" : "first publication";
    if (w.year <= 0)
        return std::string("Enter the year of ") + what + ".";
    if (w.year > currentYear)
        return "The year " + yearText(w.year) + " has not come yet.";
    if (w.authorDied && *w.authorDied > currentYear)
        return "The year of death " + yearText(*w.authorDied) + " has not come yet.";
    if (w.authorDied && w.published == FirstPublished::Never && *w.authorDied < w.year)
        return "The author died before the work was created.";
    return {};
}

} // namespace browsers
