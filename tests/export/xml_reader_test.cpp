// Reports of the writer read by libxml2's xmllint: a report with one element is a document as it
// stands; the elements of a longer report are read inside a root element of the test's own.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "export/xml_report.h"
#include "platform/host.h"
#include "support/fake_clock.h"
#include "support/synthetic_catalogue.h"
#include "support/temp_tree.h"
#include "tool_runner.h"

namespace veltrano {
namespace {
using testing::RunTool;

class XmlReaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testing::HaveTool("xmllint"))
            GTEST_SKIP() << "xmllint is missing (Debian: libxml2-utils)";
    }
    std::string Write(const ErrorCatalogue& catalogue, const std::string& name) {
        EXPECT_EQ(
            WriteErrorReport(*files, clock, tree.RootText() + u"/" + Utf8ToUtf16(name), catalogue),
            kReportWritten);
        return (tree.root() / name).string();
    }
    // The report's elements inside <report>, still UTF-16LE with the report's own declaration.
    std::string Wrapped(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        const std::string declaration = Utf16Le(u"<?xml version=\"1.0\" ?>\r\n");
        EXPECT_EQ(bytes.substr(0, 2 + declaration.size()), "\xFF\xFE" + declaration);
        const std::string wrapped = "\xFF\xFE" + declaration + Utf16Le(u"<report>") +
                                    bytes.substr(2 + declaration.size()) + Utf16Le(u"</report>");
        tree.Write("wrapped.xml", wrapped);
        return (tree.root() / "wrapped.xml").string();
    }
    static std::string Utf16Le(TextView text) {
        std::string out;
        for (char16_t c : text) {
            out.push_back(static_cast<char>(c & 0xFF));
            out.push_back(static_cast<char>(c >> 8));
        }
        return out;
    }
    static std::string XPath(const std::string& file, const std::string& expression) {
        const auto run = RunTool("xmllint --xpath '" + expression + "' " + file);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        // xmllint ends its answer with a line break of its own.
        return run.output.ends_with('\n') ? run.output.substr(0, run.output.size() - 1)
                                          : run.output;
    }

    testing::TempTree tree;
    std::unique_ptr<FileSystem> files = MakeHostFileSystem();
    testing::FakeClock clock;
};

TEST_F(XmlReaderTest, ReportOfOneEntryIsAWellFormedDocument) {
    ErrorCatalogue catalogue;
    ErrorEntry e;
    e.AppName = u"Tom & Jerry <1> \u00e4\u00f6\u00fc";
    e.ErrorName = u"7";
    e.Category = CategoryEventLog;
    e.OccurrenceTimes = {testing::At(2026, 3, 1, 10)};
    e.AppPath = u"C:\\A&B\\x.exe";
    e.ErrorSummary = u"ends ]]> early \U0001F600";
    e.MessageTemplate = u"<b>%1</b> & \x01";
    e.ErrorTextParams = u"]]]]>";
    catalogue.Add(e);
    const std::string file = Write(catalogue, "one.xml");

    const auto lint = RunTool("xmllint --noout " + file);
    EXPECT_EQ(lint.exitCode, 0) << lint.output;
    EXPECT_EQ(XPath(file, "string(/error/AppName)"), "Tom & Jerry <1> \xC3\xA4\xC3\xB6\xC3\xBC");
    EXPECT_EQ(XPath(file, "string(/error/AppPath)"), "C:\\A&B\\x.exe");
    EXPECT_EQ(XPath(file, "string(/error/ErrorSummary)"),
              "\n\nends ]]> early \xF0\x9F\x98\x80\n\n");
    EXPECT_EQ(XPath(file, "string(/error/ErrorText)"), "\n\n<b>%1</b> & \xEF\xBF\xBD\n\n");
    EXPECT_EQ(XPath(file, "string(/error/ErrorTextParams)"), "\n\n]]]]>\n\n");
    EXPECT_EQ(XPath(file, "string(/error/@id)"), "1");
}

TEST_F(XmlReaderTest, ElementsOfALargeReportAreWellFormed) {
    ErrorCatalogue catalogue;
    testing::AddSyntheticEntries(catalogue, 2000, 3);
    catalogue.entries.begin()->second.Linked = 1;
    const std::string wrapped = Wrapped(Write(catalogue, "large.xml"));
    const auto lint = RunTool("xmllint --noout " + wrapped);
    EXPECT_EQ(lint.exitCode, 0) << lint.output.substr(0, 2000);
    EXPECT_EQ(XPath(wrapped, "count(/report/error)"), "1999");
    EXPECT_EQ(XPath(wrapped, "string(/report/error[last()]/@id)"), "1999");
    EXPECT_EQ(XPath(wrapped, "count(/report/error[ErrorText and ErrorSummary and AppPath])"),
              "1999");
}

}  // namespace
}  // namespace veltrano
