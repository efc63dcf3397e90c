// The export over the real Win32 adapters (under Wine): temporary folder, environment, clock,
// ANSI code page and the system's error numbers.
#include <gtest/gtest.h>

#include <algorithm>

#include "export/report_export.h"
#include "export/xml_report.h"
#include "platform/host.h"
#include "platform/win32/win32_system_services.h"
#include "shell/local_texts.h"
#include "support/inflater.h"
#include "support/zip_reader.h"

namespace veltrano {
namespace {

TEST(ExportOnWindows, ReportAndArchiveLandInTheTemporaryFolderMasked) {
    InitLocalTexts(0x409, u"");
    auto files = MakeHostFileSystem();
    auto clock = MakeHostClock();
    auto ansi = MakeHostAnsiCodePage();
    Win32Environment environment;
    Machine machine;
    machine.files = files.get();
    machine.clock = clock.get();
    machine.environment = &environment;
    machine.ansi = ansi.get();

    const Text appData = environment.Expand(u"%APPDATA%");
    ASSERT_NE(appData, u"%APPDATA%");
    ErrorCatalogue catalogue;
    ErrorEntry e;
    e.AppName = Text(u"tool.exe");
    e.ErrorName = Text(u"APPCRASH");
    e.Category = CategoryReportFile;
    e.LastErrorDateTime = clock->UtcNow();
    e.OccurrenceTimes = {e.LastErrorDateTime};
    e.AppPath = appData + u"\\Tool\\tool.exe";
    catalogue.Add(e);

    std::vector<Text> messages;
    const Text archive =
        ExportErrorReport(machine, catalogue, [&](const Text& m) { messages.push_back(m); });
    EXPECT_TRUE(messages.empty());
    const Text folder = files->TempFolder() + u"VTDir\\";
    ASSERT_EQ(archive.substr(0, folder.size()), folder);
    const Text report = archive.substr(0, archive.size() - 4) + u".xml";

    const auto reportBytes = ReadWholeFile(*files, report);
    ASSERT_TRUE(reportBytes);
    const Text expected = u"<AppPath>%APPDATA%\\Tool\\tool.exe</AppPath>";
    const auto* begin = reinterpret_cast<const uint8_t*>(expected.data());
    EXPECT_NE(
        std::search(reportBytes->begin(), reportBytes->end(), begin, begin + expected.size() * 2),
        reportBytes->end());

    const auto zip = testing::ReadZip(*ReadWholeFile(*files, archive));
    ASSERT_TRUE(zip.ok);
    ASSERT_EQ(zip.entries.size(), 1u);
    EXPECT_EQ(Utf8ToUtf16(zip.entries[0].central.name), report.substr(folder.size()));
    EXPECT_TRUE(testing::Inflate(zip.entries[0].data).data == *reportBytes);

    files->Remove(report);
    files->Remove(archive);
}

TEST(ExportOnWindows, ReportThatCannotBeCreatedGivesTheSystemError) {
    auto files = MakeHostFileSystem();
    auto clock = MakeHostClock();
    uint32_t error = 0;
    EXPECT_EQ(WriteErrorReport(*files, *clock, files->TempFolder() + u"no-such-folder\\r.xml",
                               ErrorCatalogue{}, &error),
              kReportOpenFailed);
    EXPECT_EQ(error, 3u);  // ERROR_PATH_NOT_FOUND
}

}  // namespace
}  // namespace veltrano
