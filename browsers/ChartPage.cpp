#include "ChartPage.h"

#include "archive/ExeMod.h"
#include "ChartFolder.h"
#include "StatusRules.h"

namespace browsers {

namespace {

Work sample(FirstPublished where, int year) {
    Work w;
    w.published = where;
    w.year = year;
    w.created = year;
    w.notice = Known::Yes;
    w.renewed = Known::Yes;
    return w;
}

Work recording(FirstPublished where, int year) {
    Work w = sample(where, year);
    w.soundRecording = true;
    return w;
}

Work diedIn(int year) {
    Work w = sample(FirstPublished::Elsewhere, 1850);
    w.authorDied = year;
    return w;
}

bool isFree(const Work& w, Region r, int year) {
    return Judge(w, r, year).status == Status::PublicDomain;
}

// The first year from `from` on for which `work(y)` is not free.
template <class Make> int firstProtected(int from, Region r, int year, Make work) {
    int y = from;
    while (y <= year && isFree(work(y), r, year))
        ++y;
    return y;
}

std::string freeYear(const Work& w, Region r, int year) {
    const Verdict v = Judge(w, r, year);
    return v.freeFrom ? std::to_string(v.freeFrom->year) : "?";
}

} // namespace

std::vector<std::pair<std::string, std::string>> ChartDates(int year) {
    const Region us = Region::UnitedStates;
    const auto usWork = [](int y) { return sample(FirstPublished::UnitedStates, y); };
    const int open = firstProtected(1800, us, year, usWork);
    const int recOpen = firstProtected(
        1880, us, year, [](int y) { return recording(FirstPublished::UnitedStates, y); });
    const auto lastFree = [year](Region r) { return firstProtected(1850, r, year, diedIn) - 1; };
    const int caLast = lastFree(Region::Canada);
    const auto recOpenIn = [year](Region r) {
        return firstProtected(1880, r, year,
                              [](int y) { return recording(FirstPublished::Elsewhere, y); });
    };
    const auto text = [](int y) { return std::to_string(y); };
    return {
        {"YEAR", text(year)},
        {"US_OPEN", text(open)},
        {"US_LAST_FREE", text(open - 1)},
        {"US_LAST_FREE_END", text(open - 1 + 95)},
        {"US_FREE_OPEN", freeYear(usWork(open), us, year)},
        {"US_FREE_1963", freeYear(usWork(1963), us, year)},
        {"US_FREE_1964", freeYear(usWork(1964), us, year)},
        {"US_FREE_1977", freeYear(usWork(1977), us, year)},
        {"US_REC_OPEN", text(recOpen)},
        {"ABROAD_FREE_OPEN", freeYear(sample(FirstPublished::Elsewhere, open), us, year)},
        {"LIFE70_LAST", text(lastFree(Region::LifePlus70))},
        {"LIFE50_LAST", text(lastFree(Region::LifePlus50))},
        {"CANADA_LAST", text(caLast)},
        {"CANADA_NEXT", text(caLast + 1)},
        {"CANADA_FREE_NEXT", freeYear(diedIn(caLast + 1), Region::Canada, year)},
        {"LIFE70_REC_OPEN", text(recOpenIn(Region::LifePlus70))},
        {"CANADA_REC_OPEN", text(recOpenIn(Region::Canada))},
    };
}

std::string FillChart(const std::string& pattern, int year) {
    const auto dates = ChartDates(year);
    std::string page;
    page.reserve(pattern.size());
    size_t at = 0;
    while (true) {
        const size_t open = pattern.find("{{", at);
        const size_t close = open == std::string::npos ? open : pattern.find("}}", open + 2);
        if (close == std::string::npos) {
            page.append(pattern, at, std::string::npos);
            return page;
        }
        const std::string name = pattern.substr(open + 2, close - open - 2);
        page.append(pattern, at, open - at);
        bool found = false;
        for (const auto& [key, value] : dates)
            if (key == name) {
                page += value;
                found = true;
            }
        if (!found)
            page.append(pattern, open, close + 2 - open);
        at = close + 2;
    }
}

std::string ChartPage(int year) {
    const std::string pattern = ExeMod::GetDocument(kChartName);
    return pattern.empty() ? std::string() : FillChart(pattern, year);
}

} // namespace browsers
