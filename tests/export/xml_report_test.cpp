#include "export/xml_report.h"

#include <gtest/gtest.h>

#include "platform/host.h"
#include "shell/path_variables.h"
#include "support/engine_fakes.h"
#include "support/fake_clock.h"
#include "support/temp_tree.h"

namespace veltrano {
namespace {
using testing::At;

constexpr char16_t kDeclaration[] = u"<?xml version=\"1.0\" ?>\r\n";

class XmlReportTest : public ::testing::Test {
  protected:
    void TearDown() override {
        testing::FakeEnvironment none;
        none.variables.clear();
        BuildPathVariables(none);
    }
    ErrorEntry& Add(Text app, Text error, int32_t category, FileTime last) {
        ErrorEntry e;
        e.AppName = std::move(app);
        e.ErrorName = std::move(error);
        e.Category = category;
        e.LastErrorDateTime = last;
        e.OccurrenceTimes = {last, last - kTicksPerDay};
        e.ErrorCount = 2;
        const Text key = EntryKey(e);
        catalogue.Add(std::move(e));
        return *catalogue.Find(key);
    }
    // The report as text, after checking its byte-order mark.
    Text Report() {
        const Text path = tree.RootText() + u"\\report.xml";
        EXPECT_EQ(WriteErrorReport(*files, clock, path, catalogue), kReportWritten);
        const auto bytes = ReadWholeFile(*files, path);
        if (!bytes || bytes->size() < 2 || (*bytes)[0] != 0xFF || (*bytes)[1] != 0xFE) {
            ADD_FAILURE() << "no UTF-16LE byte-order mark";
            return {};
        }
        Text text;
        for (size_t i = 2; i + 1 < bytes->size(); i += 2) {
            text.push_back(static_cast<char16_t>((*bytes)[i] | (*bytes)[i + 1] << 8));
        }
        return text;
    }

    testing::TempTree tree;
    std::unique_ptr<FileSystem> files = MakeHostFileSystem();
    testing::FakeClock clock;
    ErrorCatalogue catalogue;
};

TEST_F(XmlReportTest, EmptyOrFullyLinkedCatalogueGivesTheDeclarationOnly) {
    EXPECT_EQ(Report(), kDeclaration);
    Add(u"a", u"1", CategoryReportFile, At(2026, 1, 1)).Linked = 1;
    Add(u"b", u"2", CategoryReportFile, At(2026, 1, 2)).Linked = 1;
    EXPECT_EQ(Report(), kDeclaration);
}

TEST_F(XmlReportTest, ElementHoldsTheFieldsInOrder) {
    ErrorEntry& e = Add(u"app.exe", u"1000", CategoryApplicationError, At(2026, 12, 1, 9, 30, 5));
    e.AppPath = u"D:\\Tools\\app.exe";
    e.ErrorSummary = u"Summary";
    e.ErrorText = u"Full\r\ntext";
    EXPECT_EQ(Report(), Text(kDeclaration) +
                            u"<error id=\"1\">\r\n"
                            u"<AppName>app.exe</AppName>\r\n"
                            u"<ErrorName>1000</ErrorName>\r\n"
                            u"<LastErrorDateTime>2026-12-01 09:30:05</LastErrorDateTime>\r\n"
                            u"<Category>Application Error</Category>\r\n"
                            u"<ErrorCount>2</ErrorCount>\r\n"
                            u"<AppPath>D:\\Tools\\app.exe</AppPath>\r\n"
                            u"<ErrorSummary>\r\n<![CDATA[\r\nSummary\r\n]]>\r\n</ErrorSummary>\r\n"
                            u"<ErrorText>\r\n<![CDATA[\r\nFull\r\ntext\r\n]]>\r\n</ErrorText>\r\n"
                            u"</error>\r\n");
}

TEST_F(XmlReportTest, NewestFirstNumberedWithoutGaps) {
    Add(u"old", u"1", CategoryEventLog, At(2026, 1, 1));
    Add(u"linked", u"2", CategoryReportFile, At(2026, 2, 1)).Linked = 1;
    Add(u"new", u"3", CategoryEventLog, At(2026, 3, 1));
    catalogue.RecencyIndex.emplace(At(2026, 2, 15), u"gone_4");  // a key without an entry
    const Text report = Report();
    const size_t first = report.find(u"<error id=\"1\">\r\n<AppName>new<");
    const size_t second = report.find(u"<error id=\"2\">\r\n<AppName>old<");
    EXPECT_NE(first, Text::npos);
    EXPECT_NE(second, Text::npos);
    EXPECT_LT(first, second);
    EXPECT_EQ(report.find(u"linked"), Text::npos);
    EXPECT_EQ(report.find(u"id=\"3\""), Text::npos);
}

TEST_F(XmlReportTest, CategoryTexts) {
    Add(u"a", u"1", CategoryReportFile, At(2026, 1, 4));
    Add(u"b", u"2", CategoryEventLog, At(2026, 1, 3));
    Add(u"c", u"3", CategoryApplicationHang, At(2026, 1, 2));
    Add(u"d", u"4", 9, At(2026, 1, 1));
    const Text report = Report();
    for (const char16_t* text :
         {u"<Category>WER</Category>", u"<Category>Event Log</Category>",
          u"<Category>Application Hang</Category>", u"<Category></Category>"}) {
        EXPECT_NE(report.find(text), Text::npos) << Utf16ToUtf8(text);
    }
}

TEST_F(XmlReportTest, EventEntryWithTemplateAlsoHasItsParameters) {
    ErrorEntry& e = Add(u"Disk", u"7", CategoryEventLog, At(2026, 1, 1));
    e.MessageTemplate = u"Bad block on %1.";
    e.ErrorTextParams = u"\\Device\\Harddisk0|x";
    e.ErrorText = u"Bad block on \\Device\\Harddisk0.";
    Text report = Report();
    EXPECT_NE(report.find(u"<ErrorText>\r\n<![CDATA[\r\nBad block on %1.\r\n]]>\r\n</ErrorText>\r\n"
                          u"<ErrorTextParams>\r\n<![CDATA[\r\n\\Device\\Harddisk0|x\r\n]]>\r\n"
                          u"</ErrorTextParams>\r\n</error>"),
              Text::npos);

    e.MessageTemplate.reset();
    report = Report();
    EXPECT_NE(
        report.find(u"<ErrorText>\r\n<![CDATA[\r\nBad block on \\Device\\Harddisk0.\r\n]]>\r\n"
                    u"</ErrorText>\r\n</error>"),
        Text::npos);
    EXPECT_EQ(report.find(u"ErrorTextParams"), Text::npos);

    e.ErrorText.reset();
    EXPECT_NE(Report().find(u"<ErrorText>\r\n<![CDATA[\r\n\r\n]]>\r\n</ErrorText>"), Text::npos);
}

TEST_F(XmlReportTest, MarkupInValuesCannotBreakTheDocument) {
    ErrorEntry& e = Add(u"Tom & Jerry <1>", u"a>b", CategoryEventLog, At(2026, 1, 1));
    e.ErrorSummary = u"ends ]]> early ]]]> twice";
    e.MessageTemplate = u"bell\x07 and \xFFFF and \xD800 alone, \U0001F600 paired";
    const Text report = Report();
    EXPECT_NE(report.find(u"<AppName>Tom &amp; Jerry &lt;1&gt;</AppName>"), Text::npos);
    EXPECT_NE(report.find(u"<ErrorName>a&gt;b</ErrorName>"), Text::npos);
    EXPECT_NE(report.find(u"<![CDATA[\r\nends ]]]]><![CDATA[> early ]]]]]><![CDATA[> twice\r\n]]>"),
              Text::npos);
    EXPECT_NE(report.find(u"bell\uFFFD and \uFFFD and \uFFFD alone, \U0001F600 paired"),
              Text::npos);
}

TEST_F(XmlReportTest, UserPathsAreMaskedAndMarkupIsNot) {
    testing::FakeEnvironment environment;
    environment.variables = {{u"%APPDATA%", u"C:\\Users\\Error\\AppData\\Roaming"},
                             {u"%USERPROFILE%", u"C:\\Users\\Error"},
                             {u"%USERNAME%", u"Error"}};
    BuildPathVariables(environment);
    ErrorEntry& e = Add(u"Error Reporter", u"1", CategoryEventLog, At(2026, 1, 1));
    e.AppPath = u"C:\\Users\\Error\\AppData\\Roaming\\tool\\tool.exe";
    e.ErrorText = u"Could not open c:\\users\\error\\appdata\\roaming\\tool\\log.txt";
    const Text report = Report();
    EXPECT_NE(report.find(u"<AppName>%USERNAME% Reporter</AppName>"), Text::npos);
    EXPECT_NE(report.find(u"<AppPath>%APPDATA%\\tool\\tool.exe</AppPath>"), Text::npos);
    EXPECT_NE(report.find(u"Could not open %APPDATA%\\tool\\log.txt"), Text::npos);
    // The user's name is also a word of the markup; the markup stays.
    EXPECT_NE(report.find(u"<error id=\"1\">\r\n"), Text::npos);
    EXPECT_NE(report.find(u"<ErrorName>1</ErrorName>"), Text::npos);
    EXPECT_NE(report.find(u"</ErrorSummary>\r\n<ErrorText>"), Text::npos);
}

TEST_F(XmlReportTest, FileThatCannotBeCreatedIsReportedWithTheSystemError) {
    uint32_t error = 0;
    EXPECT_EQ(WriteErrorReport(*files, clock, tree.RootText() + u"\\missing\\report.xml", catalogue,
                               &error),
              kReportOpenFailed);
    EXPECT_NE(error, 0u);
}

}  // namespace
}  // namespace veltrano
