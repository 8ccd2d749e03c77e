// The public-domain status rules over known cases, as of 1 January 2026 and
// again a year later: the answers move on with the clock, and a fact the user
// does not know gives "unknown" exactly where it decides.
#include "browsers/StatusRules.h"

#include <gtest/gtest.h>

using namespace browsers;

namespace {

Work published(FirstPublished where, int year, Known notice = Known::Yes,
               Known renewed = Known::Yes) {
    Work w;
    w.published = where;
    w.year = year;
    // Created in the year of publication: an unknown year of creation may
    // change the day (see StatusCasesTest).
    if (where != FirstPublished::Never)
        w.created = year;
    w.notice = notice;
    w.renewed = renewed;
    return w;
}

// A foreign author whose home country gave life + 70 years in 1996.
Work foreignAuthor(Work w) {
    w.usAuthor = Known::No;
    w.homeTerm = HomeTerm::Life70;
    return w;
}

Work us(int year, Known notice = Known::Yes, Known renewed = Known::Yes) {
    return published(FirstPublished::UnitedStates, year, notice, renewed);
}

Work died(Work w, int year) {
    w.authorDied = year;
    return w;
}

Work recording(int year) {
    Work w = us(year);
    w.soundRecording = true;
    return w;
}

Work unpublishedBy(int diedYear) {
    Work w = published(FirstPublished::Never, 1940, Known::Unknown, Known::Unknown);
    w.authorDied = diedYear;
    return w;
}

struct Case {
    const char* what;
    Work work;
    Region region;
    // The expected answer with the clock at 2026 and at 2027; freeFrom is the
    // year the work is free from (0: no day is named).
    Status in2026, in2027;
    int freeFrom;
};

const Case kCases[] = {
    {"US 1930", us(1930), Region::UnitedStates, Status::PublicDomain, Status::PublicDomain, 2026},
    {"US 1931, notice and renewal", us(1931), Region::UnitedStates, Status::Protected,
     Status::PublicDomain, 2027},
    {"US 1931, not renewed", us(1931, Known::Yes, Known::No), Region::UnitedStates,
     Status::PublicDomain, Status::PublicDomain, 0},
    {"US 1963, not renewed", us(1963, Known::Yes, Known::No), Region::UnitedStates,
     Status::PublicDomain, Status::PublicDomain, 0},
    {"US 1950, no notice", us(1950, Known::No, Known::Unknown), Region::UnitedStates,
     Status::PublicDomain, Status::PublicDomain, 0},
    {"US 1964", us(1964, Known::Yes, Known::Unknown), Region::UnitedStates, Status::Protected,
     Status::Protected, 2060},
    {"US 1977", us(1977), Region::UnitedStates, Status::Protected, Status::Protected, 2073},
    {"US 1990, author died 1990", died(us(1990), 1990), Region::UnitedStates, Status::Protected,
     Status::Protected, 2061},
    {"US unpublished, author died 1955", unpublishedBy(1955), Region::UnitedStates,
     Status::PublicDomain, Status::PublicDomain, 2026},
    {"US unpublished, author died 1956", unpublishedBy(1956), Region::UnitedStates,
     Status::Protected, Status::PublicDomain, 2027},
    {"recording 1922", recording(1922), Region::UnitedStates, Status::PublicDomain,
     Status::PublicDomain, 2022},
    {"recording 1925", recording(1925), Region::UnitedStates, Status::PublicDomain,
     Status::PublicDomain, 2026},
    {"recording 1926", recording(1926), Region::UnitedStates, Status::Protected,
     Status::PublicDomain, 2027},
    {"recording 1950", recording(1950), Region::UnitedStates, Status::Protected, Status::Protected,
     2061},
    {"recording 1960", recording(1960), Region::UnitedStates, Status::Protected, Status::Protected,
     2067},
    {"abroad, died 1955, life + 70", died(published(FirstPublished::Elsewhere, 1950), 1955),
     Region::LifePlus70, Status::PublicDomain, Status::PublicDomain, 2026},
    {"abroad, died 1956, life + 70", died(published(FirstPublished::Elsewhere, 1950), 1956),
     Region::LifePlus70, Status::Protected, Status::PublicDomain, 2027},
    {"abroad, died 1975, life + 50", died(published(FirstPublished::Elsewhere, 1950), 1975),
     Region::LifePlus50, Status::PublicDomain, Status::PublicDomain, 2026},
    {"abroad, died 1976, life + 50", died(published(FirstPublished::Elsewhere, 1950), 1976),
     Region::LifePlus50, Status::Protected, Status::PublicDomain, 2027},
    {"Canada, died 1971", died(published(FirstPublished::Elsewhere, 1950), 1971), Region::Canada,
     Status::PublicDomain, Status::PublicDomain, 2022},
    {"Canada, died 1972", died(published(FirstPublished::Elsewhere, 1950), 1972), Region::Canada,
     Status::Protected, Status::Protected, 2043},
    {"abroad 1931 with formalities", published(FirstPublished::Elsewhere, 1931),
     Region::UnitedStates, Status::Protected, Status::PublicDomain, 2027},
    {"abroad 1950, author died 1920, never restored",
     foreignAuthor(died(published(FirstPublished::Elsewhere, 1950, Known::No, Known::No), 1920)),
     Region::UnitedStates, Status::PublicDomain, Status::PublicDomain, 0},
    {"abroad 1950 without formalities, died 1960: restored",
     foreignAuthor(died(published(FirstPublished::Elsewhere, 1950, Known::No, Known::No), 1960)),
     Region::UnitedStates, Status::Protected, Status::Protected, 2046},
};

} // namespace

TEST(StatusRules, KnownCasesAsOf2026AndAYearLater) {
    for (const Case& c : kCases) {
        for (int clock : {2026, 2027}) {
            SCOPED_TRACE(std::string(c.what) + " in " + std::to_string(clock));
            const Verdict v = Judge(c.work, c.region, clock);
            EXPECT_EQ(v.region, c.region);
            EXPECT_EQ(v.status, clock == 2026 ? c.in2026 : c.in2027) << Describe(v, clock);
            if (c.freeFrom) {
                EXPECT_EQ(v.freeFrom ? v.freeFrom->year : 0, c.freeFrom) << Describe(v, clock);
            } else if (clock == 2026) {
                EXPECT_FALSE(v.freeFrom) << Describe(v, clock);
            }
            EXPECT_FALSE(v.rule.empty());
        }
    }
}

TEST(StatusRules, ThePre1972RecordingsEndOn15February2067) {
    const Verdict v = Judge(recording(1965), Region::UnitedStates, 2067);
    EXPECT_EQ(v.status, Status::Protected);
    ASSERT_TRUE(v.freeFrom);
    EXPECT_EQ(*v.freeFrom, (Date{2067, 2, 15}));
    EXPECT_EQ(Judge(recording(1965), Region::UnitedStates, 2068).status, Status::PublicDomain);
    EXPECT_NE(Describe(v, 2067).find("15 February 2067"), std::string::npos);
}

TEST(StatusRules, TheRollingNinetyFiveYearsNeedNoNoticeOrRenewal) {
    // Whatever the user knows of notice and renewal, a work published more
    // than 95 years ago is free, and the form does not ask.
    const Work old = us(1935, Known::Unknown, Known::Unknown);
    EXPECT_EQ(Judge(old, Region::UnitedStates, 2031).status, Status::PublicDomain);
    EXPECT_FALSE(NoticeMatters(old, 2031));
    EXPECT_TRUE(NoticeMatters(old, 2030));
    EXPECT_TRUE(RenewalMatters(old, 2030));
    EXPECT_FALSE(RenewalMatters(us(1935, Known::No), 2030));
    EXPECT_FALSE(RenewalMatters(us(1970), 2026));
    EXPECT_FALSE(NoticeMatters(published(FirstPublished::Never, 1950), 2026));
    EXPECT_FALSE(NoticeMatters(us(1995), 2026));
}

TEST(StatusRules, AnUnknownThatDecidesGivesUnknownAndSaysWhatEachWayMeans) {
    // Renewal unknown, 1931 with notice: free now or from 2027.
    Verdict v = Judge(us(1931, Known::Yes, Known::Unknown), Region::UnitedStates, 2026);
    EXPECT_EQ(v.status, Status::Unknown);
    ASSERT_TRUE(v.freeFrom);
    EXPECT_EQ(v.freeFrom->year, 2027);
    std::string text = Describe(v, 2026);
    EXPECT_NE(text.find("unknown"), std::string::npos) << text;
    EXPECT_NE(text.find("renewed"), std::string::npos) << text;
    // A year later the 95 years are over: the unknown no longer decides.
    EXPECT_EQ(Judge(us(1931, Known::Yes, Known::Unknown), Region::UnitedStates, 2027).status,
              Status::PublicDomain);

    // Notice unknown, 1964: free now without a notice, else from 2060.
    v = Judge(us(1964, Known::Unknown, Known::Unknown), Region::UnitedStates, 2026);
    EXPECT_EQ(v.status, Status::Unknown);
    EXPECT_EQ(v.freeFrom->year, 2060);

    // No year of death: the life terms cannot be told (for a work of 1950;
    // one of 1990 is protected whenever its author died, which the answer
    // now says).
    const Work person = published(FirstPublished::Elsewhere, 1950);
    for (Region r : {Region::LifePlus70, Region::LifePlus50, Region::Canada}) {
        v = Judge(person, r, 2026);
        EXPECT_EQ(v.status, Status::Unknown) << Describe(v, 2026);
        EXPECT_NE(v.note.find("year of death"), std::string::npos);
    }

    // A known notice and renewal never give "unknown" for an old US work.
    for (Known notice : {Known::Yes, Known::No})
        for (Known renewed : {Known::Yes, Known::No})
            EXPECT_NE(Judge(us(1950, notice, renewed), Region::UnitedStates, 2026).status,
                      Status::Unknown);
}

TEST(StatusRules, AnonymousAndHiredWorksCountFromPublicationOrCreation) {
    Work w = us(1990);
    w.author = AuthorKind::ForHire;
    EXPECT_EQ(Judge(w, Region::UnitedStates, 2026).freeFrom->year, 2086);
    // Mended: an employee's work lasts its author's life + 70 years outside
    // the United States, so without the year of death it is unknown.
    // A work of 1990 is protected whenever its author died; the year of
    // death decides until when.
    EXPECT_EQ(Judge(w, Region::LifePlus70, 2026).status, Status::Protected);
    EXPECT_FALSE(Judge(w, Region::LifePlus70, 2026).freeFrom);
    EXPECT_NE(Judge(w, Region::LifePlus70, 2026).note.find("year of death"), std::string::npos);
    w.author = AuthorKind::Anonymous;
    w.published = FirstPublished::Never;
    w.created.reset();
    EXPECT_EQ(Judge(w, Region::UnitedStates, 2026).freeFrom->year, 2111);
    // Canada: the 75 years apply to terms still running on 1 July 2020
    // (mended: a 1971 work is protected, not free since 2022).
    Work anon = published(FirstPublished::Elsewhere, 1971);
    anon.author = AuthorKind::Anonymous;
    EXPECT_EQ(Judge(anon, Region::Canada, 2026).status, Status::Protected);
    EXPECT_EQ(Judge(anon, Region::Canada, 2026).freeFrom->year, 2047);
    anon.year = 1972;
    anon.created = 1972;
    EXPECT_EQ(Judge(anon, Region::Canada, 2026).freeFrom->year, 2048);
}

TEST(StatusRules, RecordingsAbroadFollowTheirOwnTerms) {
    Work r = recording(1962);
    r.published = FirstPublished::Elsewhere;
    EXPECT_EQ(Judge(r, Region::LifePlus70, 2026).status, Status::PublicDomain);
    r.year = 1963;
    r.created = 1963;
    EXPECT_EQ(Judge(r, Region::LifePlus70, 2026).freeFrom->year, 2034);
    EXPECT_EQ(Judge(r, Region::LifePlus50, 2026).status, Status::PublicDomain);
    EXPECT_EQ(Judge(r, Region::Canada, 2026).status, Status::PublicDomain);
    r.year = 1965;
    r.created = 1965;
    EXPECT_EQ(Judge(r, Region::Canada, 2026).freeFrom->year, 2036);
}

TEST(StatusRules, WorksThatCannotBeJudgedAreNamed) {
    EXPECT_EQ(CheckWork(us(0), 2026), "Enter the year of first publication.");
    EXPECT_EQ(CheckWork(us(2027), 2026), "The year 2027 has not come yet.");
    EXPECT_EQ(CheckWork(died(us(1950), 2030), 2026), "The year of death 2030 has not come yet.");
    Work late = unpublishedBy(1930);
    EXPECT_EQ(CheckWork(late, 2026), "The author died before the work was created.");
    EXPECT_EQ(CheckWork(us(1950), 2026), "");
    // A work published after the author's death is fine.
    Work posthumous = died(us(1950), 1940);
    posthumous.created.reset();
    EXPECT_EQ(CheckWork(posthumous, 2026), "");
}

TEST(StatusRules, RecordingsRemindThatTheMusicAndWordsHaveRightsOfTheirOwn) {
    for (const Verdict& v : JudgeAll(recording(1925), 2026))
        EXPECT_NE(Describe(v, 2026).find("music and words"), std::string::npos);
    EXPECT_EQ(Judge(us(1925), Region::UnitedStates, 2026).note.find("music"), std::string::npos);
}
