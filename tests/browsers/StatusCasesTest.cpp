// The works a careful legal reading found answered "public domain" although
// still protected, each for every region at two clocks; the rule that an
// answer left certain holds for every value of the facts left open; the
// chart against the status check; and the batch command.
#include "browsers/ChartPage.h"
#include "browsers/StatusCommand.h"
#include "browsers/StatusRules.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

using namespace browsers;

namespace {

constexpr Status PD = Status::PublicDomain, P = Status::Protected, U = Status::Unknown;
constexpr Region US = Region::UnitedStates, L70 = Region::LifePlus70, L50 = Region::LifePlus50,
                 CA = Region::Canada;

struct W {
    Work w;
    W(FirstPublished where, int year) {
        w.published = where;
        w.year = year;
    }
    W& created(int y) { return w.created = y, *this; }
    W& died(int y) { return w.authorDied = y, *this; }
    W& notice(Known k) { return w.notice = k, *this; }
    W& month(int m) { return w.month = m, *this; }
    W& hire() { return w.author = AuthorKind::ForHire, *this; }
    W& anonymous() { return w.author = AuthorKind::Anonymous, *this; }
    W& recording() { return w.soundRecording = true, *this; }
    W& usAuthor(Known k) { return w.usAuthor = k, *this; }
    W& home(HomeTerm t) { return w.homeTerm = t, *this; }
    operator Work() const { return w; }
};
W us(int y) {
    return W(FirstPublished::UnitedStates, y);
}
W abroad(int y) {
    return W(FirstPublished::Elsewhere, y);
}
W never(int y) {
    return W(FirstPublished::Never, y);
}

struct Case {
    const char* what;
    Work work;
    Region region;
    Status in2026, in2027;
    int freeFrom;        // the year it is free from; 0: no day named
    const char* decides; // for an unknown answer or day: words of the deciding fact
};

const Case kCases[] = {
    // Created before 1978, first published 1978 to 2002: 17 U.S.C. 303(a).
    {"published 1990, author died 1940", us(1990).died(1940), US, P, P, 2048, ""},
    {"published 1990, created 1970, died 1975", us(1990).created(1970).died(1975), US, P, P, 2048,
     ""},
    {"published 1990, died 1990: life + 70", us(1990).died(1990), US, P, P, 2061, ""},
    {"published 1995 anonymously, created 1900", us(1995).created(1900).anonymous(), US, P, P, 2048,
     ""},
    {"published 1990 for hire, created unknown", us(1990).hire(), US, P, P, 0, "year of creation"},
    {"published 1990, no death year, created before 1978", us(1990).created(1960), US, P, P, 0,
     "year of death"},
    // Unpublished recordings made before 15 February 1972: 17 U.S.C. 1401(a)(2).
    {"unpublished recording of 1915", never(1915).recording(), US, P, P, 2067, ""},
    {"unpublished recording of 1915, EU", never(1915).recording(), L70, PD, PD, 1966, ""},
    {"recording published 1915", us(1915).recording(), US, PD, PD, 2022, ""},
    // Foreign works: restoration depends on the home country and nationality.
    {"abroad 1950, died 1925, home term unknown",
     abroad(1950).died(1925).notice(Known::No).usAuthor(Known::No), US, U, U, 2046, "home country"},
    {"abroad 1950, died 1910, home term unknown",
     abroad(1950).died(1910).notice(Known::No).usAuthor(Known::No), US, U, U, 0, "home country"},
    {"abroad 1950, died 1925, life + 80 at home",
     abroad(1950).died(1925).notice(Known::No).usAuthor(Known::No).home(HomeTerm::Life80), US, P, P,
     2046, ""},
    {"abroad 1950, died 1925, life + 70 at home",
     abroad(1950).died(1925).notice(Known::No).usAuthor(Known::No).home(HomeTerm::Life70), US, PD,
     PD, 0, ""},
    {"abroad 1950, died 1925, US author",
     abroad(1950).died(1925).notice(Known::No).usAuthor(Known::Yes), US, PD, PD, 0, ""},
    {"abroad 1950, died 1960, nationality unknown", abroad(1950).died(1960).notice(Known::No), US,
     U, U, 2046, "nationality"},
    {"abroad 1950, died 1960, foreign author",
     abroad(1950).died(1960).notice(Known::No).usAuthor(Known::No), US, P, P, 2046, ""},
    {"abroad 1930, anything", abroad(1930), US, PD, PD, 2026, ""},
    // Works made for hire outside the United States: the author's life.
    {"hire 1950, no death, life + 70", abroad(1950).created(1950).hire(), L70, U, U, 0,
     "year of death"},
    {"hire 1950, no death, life + 50", abroad(1950).created(1950).hire(), L50, U, U, 0,
     "year of death"},
    {"hire 1950, no death, Canada", abroad(1950).created(1950).hire(), CA, U, U, 0,
     "year of death"},
    {"hire 1950, died 1955, life + 70", abroad(1950).created(1950).hire().died(1955), L70, PD, PD,
     2026, ""},
    {"hire 1950, died 1956, life + 70", abroad(1950).created(1950).hire().died(1956), L70, P, PD,
     2027, ""},
    {"hire 1964 in the US", us(1964).created(1964).hire().notice(Known::Yes), US, P, P, 2060, ""},
    {"hire 1990, no death, life + 70", abroad(1990).created(1990).hire(), L70, P, P, 0,
     "year of death"},
    // Canada: anonymous works from 1 July 2020, unpublished works to 2048.
    {"Canada, anonymous 1971", abroad(1971).created(1971).anonymous(), CA, P, P, 2047, ""},
    {"Canada, anonymous 1970", abroad(1970).created(1970).anonymous(), CA, P, P, 2046, ""},
    {"Canada, anonymous 1969", abroad(1969).created(1969).anonymous(), CA, PD, PD, 2020, ""},
    {"Canada, anonymous 1971, made 1900", abroad(1971).created(1900).anonymous(), CA, PD, PD, 1976,
     ""},
    {"Canada, unpublished, died 1960", never(1950).died(1960), CA, P, P, 2049, ""},
    {"Canada, unpublished, died 1998", never(1990).died(1998), CA, P, P, 2069, ""},
    {"Canada, unpublished, died 1940", never(1930).died(1940), CA, PD, PD, 2004, ""},
    {"Canada, published, died 1960", abroad(1950).created(1950).died(1960), CA, PD, PD, 2011, ""},
    // Recordings never published or published late: counted from fixation.
    {"EU recording fixed 1970, never published", never(1970).recording(), L70, PD, PD, 2021, ""},
    {"EU recording fixed 1980, never published", never(1980).recording(), L70, P, P, 2031, ""},
    {"EU recording fixed 1930, published 1990", abroad(1990).created(1930).recording(), L70, PD, PD,
     1981, ""},
    {"EU recording published 1990", abroad(1990).created(1990).recording(), L70, P, P, 2061, ""},
    {"life + 50 recording fixed 1976, never published", never(1976).recording(), L50, P, PD, 2027,
     ""},
    // The notice rules: recordings from 15 February 1972, and 1989.
    {"recording 1975 without notice", us(1975).created(1975).recording().notice(Known::No), US, PD,
     PD, 0, ""},
    {"recording 1975 with notice", us(1975).created(1975).recording().notice(Known::Yes), US, P, P,
     2071, ""},
    {"recording 1975 without notice, fixation unknown", us(1975).recording().notice(Known::No), US,
     U, U, 0, "creation"},
    {"recording 1972, fixation day unknown", us(1972).created(1972).recording().notice(Known::Yes),
     US, P, P, 0, "fixation"},
    {"1989 without notice, month unknown", us(1989).died(2000).notice(Known::No), US, U, U, 0,
     "month"},
    {"1989 without notice, February", us(1989).died(2000).notice(Known::No).month(2), US, U, U,
     2071, "registered"},
    {"1989 without notice, May", us(1989).died(2000).notice(Known::No).month(5), US, P, P, 2071,
     ""},
    {"1985 without notice", us(1985).died(2000).notice(Known::No), US, U, U, 2071, "registered"},
};

} // namespace

TEST(StatusCases, EveryCaseForEachRegionAtTwoClocks) {
    for (const Case& c : kCases) {
        for (int clock : {2026, 2027}) {
            SCOPED_TRACE(std::string(c.what) + " in " + std::to_string(clock));
            ASSERT_EQ(CheckWork(c.work, clock), "");
            const Verdict v = Judge(c.work, c.region, clock);
            const std::string text = Describe(v, clock);
            EXPECT_EQ(v.status, clock == 2026 ? c.in2026 : c.in2027) << text;
            if (c.freeFrom) {
                EXPECT_EQ(v.freeFrom ? v.freeFrom->year : 0, c.freeFrom) << text;
            } else if (v.status != Status::Unknown) {
                EXPECT_FALSE(v.freeFrom) << text;
            }
            if (*c.decides) {
                EXPECT_NE(v.decidedBy.find(c.decides) == std::string::npos ? v.note.find(c.decides)
                                                                           : 0,
                          std::string::npos)
                    << text;
            }
            EXPECT_FALSE(v.caveat.empty());
        }
    }
}

TEST(StatusCases, PublicDomainIsSaidOnlyForTheRegionAndTheFactsGiven) {
    for (const Case& c : kCases)
        for (const Verdict& v : JudgeAll(c.work, 2026)) {
            const std::string text = Describe(v, 2026);
            const std::string claim =
                "public domain in " + RegionShortName(v.region) + " for the facts given";
            size_t count = 0;
            for (size_t at = text.find("public domain"); at != std::string::npos;
                 at = text.find("public domain", at + 1))
                ++count;
            EXPECT_EQ(count, v.status == Status::PublicDomain ? 1u : 0u) << text;
            if (v.status == Status::PublicDomain) {
                EXPECT_NE(text.find(claim), std::string::npos) << text;
            }
            // Each answer ends with its own one-line caveat.
            EXPECT_TRUE(text.ends_with(v.caveat)) << text;
            EXPECT_EQ(v.caveat.find('\n'), std::string::npos);
            if (v.status == Status::Unknown) {
                EXPECT_NE(v.note.find("if "), std::string::npos) << text;
            }
        }
    EXPECT_NE(RegionName(Region::LifePlus70).find("European Union"), std::string::npos);
    EXPECT_NE(RegionName(Region::LifePlus50).find("New Zealand"), std::string::npos);
}

TEST(StatusCases, ACertainAnswerHoldsForEveryValueOfTheFactsLeftOpen) {
    // Every combination of open facts over a grid of works: whatever the
    // answer says for certain must be what each filled-in work gets.
    const Known knowns[] = {Known::Yes, Known::No};
    const HomeTerm terms[] = {HomeTerm::Life50, HomeTerm::Life70, HomeTerm::Life80};
    int checked = 0;
    for (FirstPublished where :
         {FirstPublished::UnitedStates, FirstPublished::Elsewhere, FirstPublished::Never})
        for (int year = 1905; year <= 2005; year += 12)
            for (AuthorKind author :
                 {AuthorKind::Person, AuthorKind::Anonymous, AuthorKind::ForHire})
                for (bool recording : {false, true})
                    for (int died : {0, 1912, 1930, 1950, 1975, 2001}) {
                        Work open;
                        open.published = where;
                        open.year = year;
                        open.author = author;
                        open.soundRecording = recording;
                        if (died)
                            open.authorDied = died;
                        if (!CheckWork(open, 2026).empty())
                            continue;
                        const std::vector<Verdict> answers = JudgeAll(open, 2026);
                        for (Known notice : knowns)
                            for (Known renewed : knowns)
                                for (Known usAuthor : knowns)
                                    for (HomeTerm term : terms)
                                        for (int created : {year, year - 30}) {
                                            Work known = open;
                                            known.notice = notice;
                                            known.renewed = renewed;
                                            known.usAuthor = usAuthor;
                                            known.homeTerm = term;
                                            known.month = 5;
                                            if (where != FirstPublished::Never)
                                                known.created = created;
                                            if (!CheckWork(known, 2026).empty())
                                                continue;
                                            for (const Verdict& a : answers) {
                                                if (a.status == Status::Unknown)
                                                    continue;
                                                const Verdict k = Judge(known, a.region, 2026);
                                                ++checked;
                                                ASSERT_EQ(k.status, a.status)
                                                    << Describe(a, 2026) << "\n"
                                                    << Describe(k, 2026);
                                                if (a.freeFrom) {
                                                    ASSERT_EQ(k.freeFrom, a.freeFrom)
                                                        << Describe(k, 2026);
                                                }
                                            }
                                        }
                    }
    EXPECT_GT(checked, 10000);
}

TEST(StatusCases, TheFormAsksForAFactOnlyWhereItMatters) {
    EXPECT_TRUE(FactMatters(us(1990).died(1940), Fact::Created, 2026) == false);
    EXPECT_TRUE(FactMatters(us(1990).hire(), Fact::Created, 2026));
    EXPECT_TRUE(FactMatters(us(1989).died(2000).notice(Known::No), Fact::Month, 2026));
    EXPECT_FALSE(FactMatters(us(1989).died(2000).notice(Known::Yes), Fact::Month, 2026));
    EXPECT_FALSE(FactMatters(us(1990).died(2000), Fact::Month, 2026));
    EXPECT_TRUE(FactMatters(abroad(1950).died(1925).notice(Known::No), Fact::HomeTerm, 2026));
    EXPECT_TRUE(FactMatters(abroad(1950).died(1925).notice(Known::No), Fact::UsAuthor, 2026));
    EXPECT_FALSE(FactMatters(abroad(1950).died(1925).notice(Known::Yes).created(1950),
                             Fact::HomeTerm, 2026));
    EXPECT_FALSE(FactMatters(us(1950).died(1925), Fact::HomeTerm, 2026));
    EXPECT_FALSE(FactMatters(abroad(1920), Fact::UsAuthor, 2026));
}

TEST(StatusCases, TheExceptionsOfSingleCountriesAreNamedWhereTheyChangeTheAnswer) {
    const std::string spain = Judge(abroad(1950).created(1950).died(1950), L70, 2026).note;
    EXPECT_NE(spain.find("Spain"), std::string::npos) << spain;
    EXPECT_NE(spain.find("2031"), std::string::npos) << spain;
    EXPECT_EQ(Judge(abroad(1950).created(1950).died(1990), L70, 2026).note.find("Spain"),
              std::string::npos);
    const std::string france = Judge(abroad(1930).created(1930).died(1940), L70, 2026).note;
    EXPECT_NE(france.find("France"), std::string::npos) << france;
    const std::string uk = Judge(never(1940).died(1960), L70, 2026).note;
    EXPECT_NE(uk.find("2039"), std::string::npos) << uk;
    EXPECT_EQ(Judge(never(1940).died(1960), L70, 2040).note.find("2039"), std::string::npos);
    const std::string shorter = Judge(us(1990).died(1990), L70, 2026).note;
    EXPECT_NE(shorter.find("shorter term"), std::string::npos) << shorter;
    const std::string home = Describe(
        Judge(abroad(1950).died(1910).notice(Known::No).usAuthor(Known::No), US, 2026), 2026);
    EXPECT_NE(home.find("Spain life + 80"), std::string::npos) << home;
    EXPECT_NE(home.find("France"), std::string::npos) << home;
}

namespace {

int yearAfter(const std::string& page, const std::string& before) {
    const std::regex pattern(before + "\\s+(\\d{4})");
    std::smatch m;
    if (!std::regex_search(page, m, pattern))
        return 0;
    return std::stoi(m[1]);
}

std::string chartPattern() {
    std::ifstream in(std::string(std::getenv("QM_SOURCE_DIR")) + "/resources/chart.html",
                     std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool isFree(const Work& w, Region r, int clock) {
    return Judge(w, r, clock).status == Status::PublicDomain;
}

} // namespace

TEST(StatusCases, TheChartSaysWhatTheStatusCheckSaysForItsYear) {
    for (int clock : {2026, 2027}) {
        SCOPED_TRACE(clock);
        const std::string page = FillChart(chartPattern(), clock);
        EXPECT_EQ(page.find("{{"), std::string::npos);
        EXPECT_NE(page.find("Valid for the year " + std::to_string(clock)), std::string::npos);
        EXPECT_NE(page.find("&quot;Legal Aid&quot;"), std::string::npos);

        const int open = yearAfter(page, "Published before");
        EXPECT_EQ(open, clock - 95);
        const Work renewed = us(open).created(open).notice(Known::Yes);
        Work r = renewed;
        r.renewed = Known::Yes;
        EXPECT_TRUE(isFree(us(open - 1).created(open - 1), US, clock));
        EXPECT_FALSE(isFree(r, US, clock));
        EXPECT_EQ(
            yearAfter(page, "a work of " + std::to_string(open) + " becomes free on 1 January"),
            Judge(r, US, clock).freeFrom->year);
        Work r1963 = us(1963).created(1963).notice(Known::Yes);
        r1963.renewed = Known::Yes;
        EXPECT_EQ(yearAfter(page, "a work of 1963 on 1 January"),
                  Judge(r1963, US, clock).freeFrom->year);
        EXPECT_EQ(yearAfter(page, "renewal came by itself\\): from\\s+1 January"),
                  Judge(us(1964).created(1964).notice(Known::Yes), US, clock).freeFrom->year);

        const int recordings = yearAfter(page, "so only those published before");
        EXPECT_TRUE(isFree(us(recordings - 1).created(recordings - 1).recording(), US, clock));
        EXPECT_FALSE(isFree(us(recordings).created(recordings).recording(), US, clock));

        for (auto [region, words] : {std::pair{L70, "70 years after the author's death: authors "
                                                    "who died in"},
                                     std::pair{L50, "50 years after the author's death: authors "
                                                    "who died in"},
                                     std::pair{CA, "already free then: authors who died in"}}) {
            const int last = yearAfter(page, words);
            ASSERT_NE(last, 0) << words;
            EXPECT_TRUE(isFree(abroad(1900).created(1900).died(last), region, clock)) << words;
            EXPECT_FALSE(isFree(abroad(1900).created(1900).died(last + 1), region, clock)) << words;
        }
        EXPECT_EQ(yearAfter(page, "70 years after the author's death: authors who died in"),
                  clock - 71);
        const int euRecordings = yearAfter(page, "recordings published before");
        EXPECT_TRUE(
            isFree(abroad(euRecordings - 1).created(euRecordings - 1).recording(), L70, clock));
        EXPECT_FALSE(isFree(abroad(euRecordings).created(euRecordings).recording(), L70, clock));
    }
}

TEST(StatusCommand, OneWorkInPlainWordsOrJson) {
    std::ostringstream out, err;
    EXPECT_EQ(RunStatusCommand({"--as-of", "2026", "--published", "us", "--year", "1990", "--died",
                                "1940", "--json"},
                               2026, out, err),
              0)
        << err.str();
    const std::string json = out.str();
    EXPECT_EQ(json.rfind("{\"us\": {\"status\": \"protected\", \"free_from\": \"2048-01-01\", "
                         "\"rule\": ",
                         0),
              0u)
        << json;
    for (const char* key : {"\"life70\": {", "\"life50\": {", "\"canada\": {", "\"note\": "})
        EXPECT_NE(json.find(key), std::string::npos) << key;

    out.str("");
    EXPECT_EQ(
        RunStatusCommand({"--published", "never", "--year", "1915", "--recording"}, 2026, out, err),
        0);
    std::istringstream lines(out.str());
    std::string first;
    std::getline(lines, first);
    EXPECT_EQ(first.rfind("In the United States: protected; free from 15 February 2067.", 0), 0u)
        << first;
}

TEST(StatusCommand, BadInputGetsAMessageAndExitStatusTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {"--published", "us", "--year", "2030"},
        {"--published", "never", "--year", "1950", "--died", "1940"},
        {"--published", "us", "--year", "1950", "--frobnicate", "1"},
        {"--published", "overseas", "--year", "1950"},
        {"--year", "1950"},
        {"--published", "us", "--year", "1990", "--created", "1995"},
        {"--as-of", "next"},
    };
    for (const auto& args : bad) {
        std::ostringstream out, err;
        EXPECT_EQ(RunStatusCommand(args, 2026, out, err), 2) << args[0];
        EXPECT_EQ(err.str().rfind("quillmere-status: ", 0), 0u) << err.str();
        EXPECT_TRUE(out.str().empty());
    }
    std::ostringstream out, err;
    RunStatusCommand({"--published", "us", "--year", "1950", "--frobnicate", "1"}, 2026, out, err);
    EXPECT_NE(err.str().find("Unknown option --frobnicate."), std::string::npos) << err.str();
    // The installed program says the same through its exit status.
    const std::string program = std::string(std::getenv("QM_BIN_DIR")) + "/quillmere-status";
    const int status = std::system((program + " --published us --year 2999 2>/dev/null").c_str());
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

TEST(StatusCommand, ACatalogueIsAnsweredRowByRowAndABadRowIsReportedByLine) {
    const std::string csv = "title,published,year,died,recording,author\n"
                            "Old Songs,us,1920,,yes,\n"
                            "\"Letters, Vol. 2\",us,1990,1940,,\n"
                            "Future,us,2099,,,\n"
                            "Memo,abroad,1971,,,robot\n"
                            "Anon,abroad,1971,,,anonymous\n";
    std::ostringstream out, err;
    EXPECT_EQ(AnswerCsv(csv, "works.csv", 2026, out, err), 2);
    const std::string expected =
        "title,published,year,died,recording,author,us,us_free_from,life70,life70_free_from,"
        "life50,life50_free_from,canada,canada_free_from\r\n"
        "Old Songs,us,1920,,yes,,public-domain,2022-01-01,public-domain,,public-domain,,"
        "public-domain,\r\n"
        "\"Letters, Vol. 2\",us,1990,1940,,,protected,2048-01-01,public-domain,2011-01-01,"
        "public-domain,1991-01-01,unknown,\r\n"
        "Future,us,2099,,,,,,,,,,,\r\n"
        "Memo,abroad,1971,,,robot,,,,,,,,\r\n";
    EXPECT_EQ(out.str().substr(0, expected.size()), expected) << out.str();
    EXPECT_EQ(err.str(), "works.csv:4: The year 2099 has not come yet.\n"
                         "works.csv:5: \"robot\" is not a value of author.\n");
    // The good row after the bad ones is answered.
    EXPECT_NE(out.str().find("Anon,abroad,1971,,,anonymous,"), std::string::npos);

    std::ostringstream out2, err2;
    EXPECT_EQ(AnswerCsv("title,colour\nx,red\n", "bad.csv", 2026, out2, err2), 2);
    EXPECT_EQ(err2.str(), "bad.csv:1: unknown column \"colour\"\n");
}
