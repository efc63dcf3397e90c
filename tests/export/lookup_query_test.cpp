#include "export/lookup_query.h"

#include <gtest/gtest.h>

#include "shell/local_texts.h"
#include "shell/path_variables.h"
#include "support/engine_fakes.h"

namespace veltrano {
namespace {

class FakeSystemInfo : public SystemInfo {
  public:
    uint16_t UserDefaultLanguage() override { return language; }
    WindowsVersion Version() override { return {6, 1}; }
    std::optional<uint32_t> VolumeSerial(TextView root) override {
        queriedRoot = Text(root);
        return serial;
    }
    uint16_t language = 0x407;
    std::optional<uint32_t> serial = 3735928559u;
    Text queriedRoot;
};

std::vector<Text> Fields(const Text& query) {
    std::vector<Text> fields(1);
    for (char16_t c : query) {
        if (c == u'|') {
            fields.emplace_back();
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

class LookupQueryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitLocalTexts(0x409, u"");
        testing::FakeEnvironment environment;
        environment.variables = {{u"%LOCALAPPDATA%", u"C:\\Users\\ann\\AppData\\Local"}};
        BuildPathVariables(environment);
        catalogue.TotalErrors = 12;
        catalogue.MaxAgeDays = 40;
    }
    void TearDown() override {
        testing::FakeEnvironment none;
        none.variables.clear();
        BuildPathVariables(none);
    }

    ErrorEntry& Add(Text app, Text error, int32_t category) {
        ErrorEntry e;
        e.AppName = std::move(app);
        e.ErrorName = std::move(error);
        e.Category = category;
        e.LastErrorDateTime = 1;
        const Text key = EntryKey(e);
        catalogue.Add(std::move(e));
        return *catalogue.Find(key);
    }
    static LookupRow Row(Text app, Text error, int category) {
        LookupRow row;
        row.imageIndex = category - 1;
        row.columns[0] = std::move(app);
        row.columns[1] = std::move(error);
        row.columns[2] = u"7";
        row.columns[3] = u"2026-12-08 11:00:00";
        row.columns[4] = u"C:\\Users\\ann\\AppData\\Local\\App\\app.exe";
        return row;
    }
    std::vector<Text> Query(const LookupRow& row, bool debug = false) {
        return Fields(BuildLookupQuery(row, context, catalogue, system, debug));
    }

    ErrorCatalogue catalogue;
    FakeSystemInfo system;
    LookupContext context{u"2.0.0.0", 5, 9};
};

TEST_F(LookupQueryTest, ApplicationErrorRowGivesAllSixteenFields) {
    ErrorEntry& e = Add(u"My App (x86)", u"1000", CategoryApplicationError);
    e.ExceptionCode = u"c0000005";
    e.ErrorSummary = u"Faulting module ntdll.dll";
    e.ErrorText = u"Fault\r\nUI[3]=My App stopped\r\nEventType=APPCRASH\r\n";

    EXPECT_EQ(BuildLookupQuery(Row(u"My App (x86)", u"1000", 4), context, catalogue, system, false),
              u"24|My%20App%20%28x86%29|1000|7|2026%2D12%2D08%2011%3A00%3A00|0x8d9e2d54|"
              u"Faulting%20module%20ntdll%2Edll|%25LOCALAPPDATA%25%5CApp%5Capp%2Eexe|6.1.407|"
              u"c0000005|My%20App%20stopped|APPCRASH|5.9.12.40|3735928559|0x0d1cc11e|");
    EXPECT_EQ(system.queriedRoot, u"C:\\");
}

TEST_F(LookupQueryTest, RowWithoutEntryStillHasFifteenSeparators) {
    context.fileVersion.clear();
    system.serial.reset();
    system.language = 0x409;
    LookupRow row = Row(u"", u"", 1);
    row.columns[2].clear();
    row.columns[3].clear();
    const Text query = BuildLookupQuery(row, context, catalogue, system, false);
    EXPECT_EQ(std::count(query.begin(), query.end(), u'|'), 15);
    const auto f = Fields(query);
    EXPECT_EQ(f[0], u"1");
    for (int i : {1, 2, 3, 4, 6, 9, 10, 11, 15})
        EXPECT_EQ(f[i], u"") << i;
    EXPECT_EQ(f[8], u"6.1.409");
    EXPECT_EQ(f[13], u"0");
    // The checksum of nothing.
    EXPECT_EQ(f[14], u"0x00000000");
    EXPECT_EQ(TextCrc32(u""), 0u);
}

TEST_F(LookupQueryTest, DebugFlagAppendsTheMarker) {
    const Text plain = BuildLookupQuery(Row(u"a", u"b", 2), context, catalogue, system, false);
    const Text debug = BuildLookupQuery(Row(u"a", u"b", 2), context, catalogue, system, true);
    EXPECT_EQ(debug, plain + u"|-DEBUG");
    EXPECT_EQ(std::count(plain.begin(), plain.end(), u'|'), 15);
}

TEST_F(LookupQueryTest, EventLogEntrySendsTemplateAndParameters) {
    ErrorEntry& e = Add(u"Disk", u"7", CategoryEventLog);
    e.MessageTemplate = u"The device %1 has a bad block.";
    e.ErrorTextParams = u"\\Device\\Harddisk0|x";
    e.ErrorText = u"The device \\Device\\Harddisk0 has a bad block.";
    auto f = Query(Row(u"Disk", u"7", 2));
    EXPECT_EQ(f[6], u"The%20device%20%251%20has%20a%20bad%20block%2E");
    EXPECT_EQ(f[15], u"%5CDevice%5CHarddisk0%7Cx");

    e.MessageTemplate.reset();
    f = Query(Row(u"Disk", u"7", 2));
    EXPECT_EQ(f[6], u"The%20device%20%5CDevice%5CHarddisk0%20has%20a%20bad%20block%2E");
    EXPECT_EQ(f[15], u"");
}

TEST_F(LookupQueryTest, ApplicationHangSendsTheTemplatesFirstLine) {
    ErrorEntry& e = Add(u"app.exe", u"1002", CategoryApplicationHang);
    e.MessageTemplate = u"\r\n  The program %1 stopped interacting.  \r\nMore\r\n";
    e.ErrorTextParams = u"app.exe";
    e.ErrorSummary = u"Hang summary";
    auto f = Query(Row(u"app.exe", u"1002", 3));
    EXPECT_EQ(f[6], u"The%20program%20%251%20stopped%20interacting%2E");
    EXPECT_EQ(f[15], u"app%2Eexe");

    e.MessageTemplate.reset();
    f = Query(Row(u"app.exe", u"1002", 3));
    EXPECT_EQ(f[6], u"Hang%20summary");
    EXPECT_EQ(f[15], u"");
}

TEST_F(LookupQueryTest, ReportFileWithTheStandardSummarySendsItsUiText) {
    ErrorEntry& e = Add(u"app.exe", u"APPCRASH", CategoryReportFile);
    e.ErrorSummary = LocalText(LT_LOGGED_BY_WER);
    e.ErrorText = u"Version=1\r\nUI[3]=app.exe has stopped working\r\nEventType=APPCRASH";
    auto f = Query(Row(u"app.exe", u"APPCRASH", 1));
    EXPECT_EQ(f[6], u"app%2Eexe%20has%20stopped%20working");
    EXPECT_EQ(f[10], f[6]);
    EXPECT_EQ(f[11], u"") << "no line break after the EventType value";

    // No UI[3] value: the first two lines of the text.
    e.ErrorText = u"\r\n Version=1 \r\n\r\nEventType=BEX\r\nThird";
    f = Query(Row(u"app.exe", u"APPCRASH", 1));
    EXPECT_EQ(f[6], u"Version%3D1%20%20EventType%3DBEX");
    EXPECT_EQ(f[11], u"BEX");

    e.ErrorSummary = u"Own summary";
    EXPECT_EQ(Query(Row(u"app.exe", u"APPCRASH", 1))[6], u"Own%20summary");
}

TEST_F(LookupQueryTest, ApplicationErrorWithTheStandardSummarySendsTheFirstTwoLines) {
    ErrorEntry& e = Add(u"a.exe", u"1000", CategoryApplicationError);
    e.ErrorSummary = LocalText(LT_APP_STOPPED);
    e.ErrorText = u"Faulting application a.exe\r\nFaulting module b.dll\r\nException code";
    EXPECT_EQ(Query(Row(u"a.exe", u"1000", 4))[6],
              u"Faulting%20application%20a%2Eexe%20Faulting%20module%20b%2Edll");
}

TEST_F(LookupQueryTest, TextsAreMaskedAndCutBeforeEncoding) {
    ErrorEntry& e = Add(u"x", u"1", CategoryEventLog);
    e.ErrorText = u"C:\\Users\\ann\\AppData\\Local\\" + Text(1500, u'\u00e9');
    const auto f = Query(Row(u"x", u"1", 2));
    Text expected = u"%25LOCALAPPDATA%25%5C";
    for (int i = 0; i < 1000 - 15; ++i)
        expected += u"%C3%A9";
    EXPECT_EQ(f[6], expected);
}

}  // namespace
}  // namespace veltrano
