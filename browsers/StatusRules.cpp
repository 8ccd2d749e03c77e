// The framework of the status rules: facts left open are tried with each of
// their values and the answers combined; the terms themselves are in
// StatusTerms.cpp.
#include "StatusRules.h"

#include "StatusTerms.h"

#include <algorithm>
#include <cstdio>

namespace browsers {

namespace detail {

bool Reached(const Date& d, int currentYear) {
    return d.year < currentYear || (d.year == currentYear && d.month == 1 && d.day == 1);
}

Verdict Term(Region region, Date from, int currentYear, std::string rule, std::string note) {
    Verdict v;
    v.region = region;
    v.status = Reached(from, currentYear) ? Status::PublicDomain : Status::Protected;
    v.freeFrom = from;
    v.rule = std::move(rule);
    v.note = std::move(note);
    return v;
}

Verdict Term(Region region, int fromYear, int currentYear, std::string rule, std::string note) {
    return Term(region, Date{fromYear, 1, 1}, currentYear, std::move(rule), std::move(note));
}

Verdict FreeWork(Region region, std::string rule) {
    Verdict v;
    v.region = region;
    v.status = Status::PublicDomain;
    v.rule = std::move(rule);
    return v;
}

Verdict UnknownFact(Region region, std::string decidedBy, std::string rule, std::string note) {
    Verdict v;
    v.region = region;
    v.status = Status::Unknown;
    v.decidedBy = std::move(decidedBy);
    v.rule = std::move(rule);
    v.note = std::move(note);
    return v;
}

const char* const kDeathFact = "the author's year of death";

Verdict DeathUnknown(Region region, const std::string& rule) {
    return UnknownFact(region, kDeathFact, rule,
                       "Unknown: the year of death of the author (the last surviving author of a "
                       "joint work) decides: enter it for an answer.");
}

namespace {

std::string summary(const Verdict& v) {
    switch (v.status) {
    case Status::PublicDomain:
        return "free now";
    case Status::Protected:
        return v.freeFrom ? "protected, free from " + DateText(*v.freeFrom)
                          : "protected (" + v.decidedBy + " decides until when)";
    case Status::Unknown:
        break;
    }
    return "unknown (" + v.decidedBy + " decides)";
}

bool sameAnswer(const Verdict& a, const Verdict& b) {
    return a.status == b.status && a.freeFrom == b.freeFrom &&
           (a.status != Status::Unknown || (a.decidedBy == b.decidedBy && a.note == b.note));
}

std::string joined(const std::vector<std::string>& parts, const char* between) {
    std::string text;
    for (const std::string& p : parts)
        text += (text.empty() ? "" : between) + p;
    return text;
}

} // namespace

Verdict Combine(Region region, const std::string& fact, const std::vector<Alternative>& alts,
                size_t listed) {
    struct Group {
        std::vector<std::string> labels, rules;
        Verdict verdict;
    };
    std::vector<Group> groups;
    for (const Alternative& a : alts) {
        auto g = std::find_if(groups.begin(), groups.end(),
                              [&](const Group& g) { return sameAnswer(g.verdict, a.verdict); });
        if (g == groups.end()) {
            groups.push_back({{a.label}, {a.verdict.rule}, a.verdict});
            continue;
        }
        g->labels.push_back(a.label);
        if (std::find(g->rules.begin(), g->rules.end(), a.verdict.rule) == g->rules.end())
            g->rules.push_back(a.verdict.rule);
    }
    if (groups.size() == 1) {
        Verdict v = groups[0].verdict;
        if (groups[0].rules.size() <= 3)
            v.rule = joined(groups[0].rules, ", or ");
        return v;
    }

    std::vector<std::string> cases;
    for (size_t i = 0; i < groups.size() && i < listed; ++i)
        cases.push_back("if " + joined(groups[i].labels, " or ") + ", " +
                        summary(groups[i].verdict));
    if (groups.size() > listed)
        cases.push_back("and other days for the other values");

    bool anyUnknown = false, allProtected = true, allFree = true;
    std::vector<Date> days;
    for (const Group& g : groups) {
        anyUnknown |= g.verdict.status == Status::Unknown;
        allProtected &= g.verdict.status == Status::Protected;
        allFree &= g.verdict.status == Status::PublicDomain;
        if (g.verdict.status == Status::Protected && g.verdict.freeFrom &&
            std::find(days.begin(), days.end(), *g.verdict.freeFrom) == days.end())
            days.push_back(*g.verdict.freeFrom);
    }
    Verdict v;
    v.region = region;
    v.decidedBy = fact;
    if (allProtected || allFree) {
        v.status = allFree ? Status::PublicDomain : Status::Protected;
        v.rule = allFree ? joined(groups[0].rules, ", or ")
                         : "protected either way; " + fact + " decides until when";
        if (allProtected)
            v.note = "The day depends on " + fact + ": " + joined(cases, "; ") + ".";
        return v;
    }
    v.status = Status::Unknown;
    if (!anyUnknown && days.size() == 1)
        v.freeFrom = days[0];
    v.rule = fact + " decides";
    v.note = "Unknown: " + fact + " decides: " + joined(cases, "; ") + ".";
    return v;
}

namespace {

Verdict splitCreated(const Work& w, Region region, int currentYear) {
    int hi = w.year;
    if (w.authorDied)
        hi = std::min(hi, *w.authorDied);
    const int lo = hi - 200;
    std::vector<Alternative> alts;
    int rangeTop = hi;
    Verdict previous;
    for (int c = hi; c >= lo; --c) {
        Work known = w;
        known.created = c;
        Verdict v = JudgeRegion(known, region, currentYear);
        // Years that leave the work free count as one range, whatever day
        // it became free: that day is then not named.
        const bool bothFree =
            v.status == Status::PublicDomain && previous.status == Status::PublicDomain;
        if (c != hi && bothFree && !sameAnswer(v, previous)) {
            previous.freeFrom.reset();
            continue;
        }
        if (c != hi && !sameAnswer(v, previous)) {
            alts.push_back({rangeTop == c + 1 ? "created in " + std::to_string(rangeTop)
                                              : "created " + std::to_string(c + 1) + " to " +
                                                    std::to_string(rangeTop),
                            previous});
            rangeTop = c;
        }
        previous = v;
    }
    alts.push_back({"created in " + std::to_string(rangeTop) + " or earlier", previous});
    return Combine(region, "the year of creation", alts, 3);
}

} // namespace

Verdict SplitOn(const Work& w, Fact fact, Region region, int currentYear) {
    auto with = [&](auto change) {
        Work known = w;
        change(known);
        return JudgeRegion(known, region, currentYear);
    };
    switch (fact) {
    case Fact::Notice:
        return Combine(region, "the copyright notice",
                       {{"it carried a notice", with([](Work& k) { k.notice = Known::Yes; })},
                        {"it carried none", with([](Work& k) { k.notice = Known::No; })}});
    case Fact::Renewal:
        return Combine(
            region, "the renewal",
            {{"the copyright was renewed", with([](Work& k) { k.renewed = Known::Yes; })},
             {"it was not renewed", with([](Work& k) { k.renewed = Known::No; })}});
    case Fact::Month:
        return Combine(
            region, "the month of publication",
            {{"published in January or February 1989", with([](Work& k) { k.month = 2; })},
             {"published from March 1989 on", with([](Work& k) { k.month = 3; })}});
    case Fact::UsAuthor:
        return Combine(region, "the author's nationality",
                       {{"the author was a United States national",
                         with([](Work& k) { k.usAuthor = Known::Yes; })},
                        {"the author was not", with([](Work& k) { k.usAuthor = Known::No; })}});
    case Fact::HomeTerm:
        return Combine(
            region, "the home country's term in 1996",
            {{"it was life + 50 years", with([](Work& k) { k.homeTerm = HomeTerm::Life50; })},
             {"life + 70 years", with([](Work& k) { k.homeTerm = HomeTerm::Life70; })},
             {"life + 80 years", with([](Work& k) { k.homeTerm = HomeTerm::Life80; })}});
    case Fact::Created:
        return splitCreated(w, region, currentYear);
    }
    return {};
}

namespace {

// The year of death left open: a later death never frees a work sooner, so
// the answers for the earliest death (the year of creation) and for this
// year bound all others, and the last year of death that leaves the work
// free is found by halving.
Verdict splitDeath(const Work& w, Region region, int currentYear) {
    auto judgeDied = [&](int died) {
        Work known = w;
        known.authorDied = died;
        return JudgeRegion(known, region, currentYear);
    };
    const int first = w.published == FirstPublished::Never ? w.year : *w.created;
    const Verdict earliest = judgeDied(first), latest = judgeDied(currentYear);
    if (sameAnswer(earliest, latest))
        return earliest;
    const std::string fact = kDeathFact;
    const std::string which = "the year of death of the author (the last surviving author of a "
                              "joint work)";
    if (earliest.status == Status::Protected) {
        Verdict v = earliest;
        v.freeFrom.reset();
        v.decidedBy = fact;
        v.note = "The day depends on " + which + ": if the author died in " +
                 std::to_string(first) + ", " + summary(earliest) + "; later deaths, later.";
        return v;
    }
    if (earliest.status != Status::PublicDomain)
        return UnknownFact(region, fact, earliest.rule,
                           "Unknown: " + which + " decides: if the author died in " +
                               std::to_string(first) + ", " + summary(earliest) +
                               "; enter it for an answer.");
    int freeUpTo = first, protectedFrom = currentYear;
    while (protectedFrom - freeUpTo > 1) {
        const int mid = freeUpTo + (protectedFrom - freeUpTo) / 2;
        (judgeDied(mid).status == Status::PublicDomain ? freeUpTo : protectedFrom) = mid;
    }
    const Verdict next = judgeDied(freeUpTo + 1);
    return UnknownFact(region, fact, next.rule,
                       "Unknown: " + which + " decides: if the author died in " +
                           std::to_string(freeUpTo) + " or earlier, free now; if in " +
                           std::to_string(freeUpTo + 1) + ", " + summary(next) +
                           "; later deaths, later.");
}

} // namespace

Verdict JudgeRegion(const Work& w, Region region, int currentYear) {
    if (w.published != FirstPublished::Never && !w.created)
        return SplitOn(w, Fact::Created, region, currentYear);
    if (!w.authorDied && w.author != AuthorKind::Anonymous)
        return splitDeath(w, region, currentYear);
    switch (region) {
    case Region::UnitedStates:
        return JudgeUs(w, currentYear);
    case Region::LifePlus70:
        return JudgeLifeTerm(w, region, 70, currentYear);
    case Region::LifePlus50:
        return JudgeLifeTerm(w, region, 50, currentYear);
    case Region::Canada:
        return JudgeCanada(w, currentYear);
    }
    return {};
}

} // namespace detail

using namespace detail;

Verdict Judge(const Work& w, Region region, int currentYear) {
    Verdict v = JudgeRegion(w, region, currentYear);
    AddExceptionNotes(w, v, currentYear);
    if (w.soundRecording)
        v.note += std::string(v.note.empty() ? "" : " ") +
                  "The music and words on the recording have rights of their own.";
    v.caveat = Caveat(region);
    return v;
}

std::vector<Verdict> JudgeAll(const Work& w, int currentYear) {
    std::vector<Verdict> all;
    for (Region r : {Region::UnitedStates, Region::LifePlus70, Region::LifePlus50, Region::Canada})
        all.push_back(Judge(w, r, currentYear));
    return all;
}

bool FactMatters(const Work& w, Fact fact, int currentYear) {
    if (w.year <= 0 || !CheckWork(w, currentYear).empty())
        return false;
    std::vector<Work> variants;
    auto add = [&](auto change) {
        Work v = w;
        change(v);
        variants.push_back(v);
    };
    switch (fact) {
    case Fact::Notice:
        add([](Work& k) { k.notice = Known::Yes; });
        add([](Work& k) { k.notice = Known::No; });
        break;
    case Fact::Renewal:
        add([](Work& k) { k.renewed = Known::Yes; });
        add([](Work& k) { k.renewed = Known::No; });
        break;
    case Fact::Month:
        add([](Work& k) { k.month = 2; });
        add([](Work& k) { k.month = 3; });
        break;
    case Fact::UsAuthor:
        add([](Work& k) { k.usAuthor = Known::Yes; });
        add([](Work& k) { k.usAuthor = Known::No; });
        break;
    case Fact::HomeTerm:
        for (HomeTerm t : {HomeTerm::Life50, HomeTerm::Life70, HomeTerm::Life80})
            add([t](Work& k) { k.homeTerm = t; });
        break;
    case Fact::Created:
        if (w.published == FirstPublished::Never)
            return false;
        for (int c = w.year; c >= w.year - 200; c -= 1)
            if (!w.authorDied || c <= *w.authorDied)
                add([c](Work& k) { k.created = c; });
        break;
    }
    std::vector<Verdict> first;
    for (const Work& v : variants) {
        for (Region r :
             {Region::UnitedStates, Region::LifePlus70, Region::LifePlus50, Region::Canada}) {
            const Verdict answer = JudgeRegion(v, r, currentYear);
            if (first.size() < 4) {
                first.push_back(answer);
            } else {
                const Verdict& f = first[static_cast<size_t>(r)];
                if (f.status != answer.status || f.freeFrom != answer.freeFrom ||
                    f.decidedBy != answer.decidedBy)
                    return true;
            }
        }
    }
    return false;
}

bool NoticeMatters(const Work& w, int currentYear) {
    return FactMatters(w, Fact::Notice, currentYear);
}

bool RenewalMatters(const Work& w, int currentYear) {
    return FactMatters(w, Fact::Renewal, currentYear);
}

std::string RegionName(Region region) {
    switch (region) {
    case Region::UnitedStates:
        return "In the United States";
    case Region::LifePlus70:
        return "In countries of life + 70 years (the European Union, Iceland, Liechtenstein, "
               "Norway, Switzerland, the United Kingdom, Australia and others)";
    case Region::LifePlus50:
        return "In countries of life + 50 years (such as New Zealand, South Africa, China and "
               "Egypt)";
    case Region::Canada:
        return "In Canada";
    }
    return {};
}

std::string RegionShortName(Region region) {
    switch (region) {
    case Region::UnitedStates:
        return "the United States";
    case Region::LifePlus70:
        return "countries of life + 70 years";
    case Region::LifePlus50:
        return "countries of life + 50 years";
    case Region::Canada:
        return "Canada";
    }
    return {};
}

std::string RegionKey(Region region) {
    switch (region) {
    case Region::UnitedStates:
        return "us";
    case Region::LifePlus70:
        return "life70";
    case Region::LifePlus50:
        return "life50";
    case Region::Canada:
        return "canada";
    }
    return {};
}

std::string DateText(const Date& d) {
    static const char* const months[] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};
    const int m = d.month >= 1 && d.month <= 12 ? d.month : 1;
    return std::to_string(d.day) + " " + months[m - 1] + " " + std::to_string(d.year);
}

std::string IsoDate(const Date& d) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

std::string Describe(const Verdict& v, int currentYear) {
    std::string text = RegionName(v.region) + ": ";
    switch (v.status) {
    case Status::PublicDomain:
        text += "public domain in " + RegionShortName(v.region) + " for the facts given";
        if (v.freeFrom && v.freeFrom->year > 0)
            text += " (since " + DateText(*v.freeFrom) + ")";
        text += ".";
        break;
    case Status::Protected:
        text += v.freeFrom ? "protected; free from " + DateText(*v.freeFrom) + "."
                           : "protected; " + v.decidedBy + " decides until when.";
        break;
    case Status::Unknown:
        text += "unknown";
        if (v.freeFrom && !Reached(*v.freeFrom, currentYear))
            text += ": either free now or from " + DateText(*v.freeFrom);
        text += ".";
        break;
    }
    text += " Rule: " + v.rule + ".";
    if (!v.note.empty())
        text += " " + v.note;
    if (!v.caveat.empty())
        text += " " + v.caveat;
    return text;
}

std::string CheckWork(const Work& w, int currentYear) {
    const bool never = w.published == FirstPublished::Never;
    const char* what = never ? "creation" : "first publication";
    if (w.year <= 0)
        return std::string("Enter the year of ") + what + ".";
    if (w.year > currentYear)
        return "The year " + std::to_string(w.year) + " has not come yet.";
    if (w.authorDied && *w.authorDied > currentYear)
        return "The year of death " + std::to_string(*w.authorDied) + " has not come yet.";
    if (w.month < 0 || w.month > 12)
        return "The month " + std::to_string(w.month) + " is not a month from 1 to 12.";
    const int created = never ? w.year : w.created.value_or(0);
    if (w.created && !never && *w.created > w.year)
        return "The year of creation " + std::to_string(*w.created) +
               " comes after the year of publication " + std::to_string(w.year) + ".";
    if (w.created && *w.created <= 0)
        return "The year of creation " + std::to_string(*w.created) + " is not a year.";
    if (w.authorDied && created > 0 && *w.authorDied < created)
        return "The author died before the work was created.";
    return {};
}

} // namespace browsers
