// The sample's description: the same now gives the same machine and every time moves with now;
// errors keep clear of the interval boundaries, so that a program started a little later (the
// window under Wine reads the real clock) still sees each error in the same interval; the
// report files carry the keys the program reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "sample_machine/sample_content.h"
#include "sample_machine/sample_writer.h"

namespace veltrano::sample {
namespace {

constexpr FileTime kNow = 134168400000000000;  // 2026-03-01 12:00 UTC

bool IsError(const SampleEvent& e) {
    return e.level == 1 || e.level == 2;
}

TEST(SampleContent, TheSameNowDescribesTheSameMachine) {
    EXPECT_EQ(SampleDescriptionJson(DescribeSampleMachine(kNow)),
              SampleDescriptionJson(DescribeSampleMachine(kNow)));
}

TEST(SampleContent, EveryTimeMovesWithNow) {
    const FileTime later = kNow + 3 * kTicksPerDay + 1234567;
    const SampleMachine a = DescribeSampleMachine(kNow);
    const SampleMachine b = DescribeSampleMachine(later);
    ASSERT_EQ(a.events.size(), b.events.size());
    ASSERT_EQ(a.reports.size(), b.reports.size());
    for (size_t i = 0; i < a.events.size(); ++i) {
        EXPECT_EQ(b.events[i].time - a.events[i].time, later - kNow) << i;
        EXPECT_EQ(b.events[i].eventId, a.events[i].eventId) << i;
    }
    for (size_t i = 0; i < a.reports.size(); ++i)
        EXPECT_EQ(b.reports[i].time - a.reports[i].time, later - kNow) << i;
}

Text ValueOf(const Text& reportText, TextView key) {
    const size_t at = reportText.find(u"\r\n" + Text(key) + u"=");
    if (at == Text::npos)
        return {};
    const size_t start = at + key.size() + 3;
    return reportText.substr(start, reportText.find(u"\r\n", start) - start);
}

Text KindOf(const SampleEvent& e) {
    const Text first = e.strings.empty() ? Text() : e.strings[0];
    return e.provider + u"/" + UnsignedText(e.eventId) + u"/" + first;
}

TEST(SampleContent, ErrorsKeepClearOfTheIntervalBoundaries) {
    // An error last seen just inside a boundary would leave its interval while the program
    // starts; the month boundaries lie 28 to 31 days back, the six-month ones 181 to 184, a day
    // more either way for the time zone.
    struct Zone {
        int from, to;
    };
    const Zone kUnsafe[] = {{6, 8}, {27, 33}, {179, 186}};
    const SampleMachine m = DescribeSampleMachine(kNow);
    std::map<Text, FileTime> latest;
    for (const SampleEvent& e : m.events) {
        if (IsError(e))
            latest[KindOf(e)] = std::max(latest[KindOf(e)], e.time);
    }
    for (const SampleReport& r : m.reports) {
        const Text kind =
            ValueOf(r.text, u"AppName") + u"_" + ValueOf(r.text, u"FriendlyEventName");
        latest[kind] = std::max(latest[kind], r.time);
    }
    for (const auto& [kind, time] : latest) {
        const double days = static_cast<double>(kNow - time) / kTicksPerDay;
        for (const Zone& z : kUnsafe)
            EXPECT_FALSE(days > z.from && days < z.to) << Utf16ToUtf8(kind) << ": " << days;
    }
}

TEST(SampleContent, SomeErrorsComeInBurstsOfOneSecond) {
    // Real machines write one error many times a second; the counts must hold every record. The
    // sample has such a burst at an error's latest second and at an older one.
    std::map<Text, std::map<FileTime, int>> perSecond;
    for (const SampleEvent& e : DescribeSampleMachine(kNow).events) {
        if (IsError(e))
            ++perSecond[KindOf(e)][e.time / kTicksPerSecond];
    }
    int latestBursts = 0;
    int olderBursts = 0;
    for (const auto& [kind, seconds] : perSecond) {
        for (const auto& [second, records] : seconds) {
            if (records > 1)
                ++(second == seconds.rbegin()->first ? latestBursts : olderBursts);
        }
    }
    EXPECT_GE(latestBursts, 1);
    EXPECT_GE(olderBursts, 1);
}

TEST(SampleContent, ReportFilesCarryTheKeysTheProgramReads) {
    for (const SampleReport& r : DescribeSampleMachine(kNow).reports) {
        SCOPED_TRACE(Utf16ToUtf8(r.folder));
        // A blank line would end the program's reading of the file.
        EXPECT_EQ(r.text.find(u"\r\n\r\n"), Text::npos);
        EXPECT_EQ(r.text.find(u'\n'), r.text.find(u"\r\n") + 1);
        EXPECT_NE(r.text.find(u"\r\nEventTime=" + UnsignedText(r.time) + u"\r\n"), Text::npos);
        for (const TextView key : {u"EventType=", u"IntegratorReportIdentifier=",
                                   u"FriendlyEventName=", u"AppName=", u"AppPath="}) {
            EXPECT_NE(r.text.find(u"\r\n" + Text(key)), Text::npos) << Utf16ToUtf8(key);
        }
        if (r.folder.starts_with(u"App")) {
            EXPECT_NE(r.text.find(u"\r\nUI[3]="), Text::npos);
        }
    }
}

TEST(SampleContent, MostReportsBelongToALoggedCrashAndSomeDoNot) {
    const SampleMachine m = DescribeSampleMachine(kNow);
    std::set<Text> logged;
    for (const SampleEvent& e : m.events) {
        if ((e.provider == u"Application Error" || e.provider == u"Application Hang") &&
            !e.strings.empty())
            logged.insert(e.strings.back());
    }
    size_t joined = 0, alone = 0;
    for (const SampleReport& r : m.reports) {
        ++(logged.count(ValueOf(r.text, u"IntegratorReportIdentifier")) ? joined : alone);
    }
    EXPECT_GE(joined, 15u);
    EXPECT_GE(alone, 2u);
}

}  // namespace
}  // namespace veltrano::sample
