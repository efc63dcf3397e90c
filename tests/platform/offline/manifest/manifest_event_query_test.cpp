// The event query port of an analysed drive on a drive of our own: a provider registered in the
// SOFTWARE hive, its binary with the manifest, its language resource files, its records in the
// System log; which language file gives the text, "%%n" parameters, a .mun in place of the
// files, and the outcome of every step that can fail.
#include <gtest/gtest.h>

#include "platform/offline/machine/offline_machine.h"
#include "platform/offline/manifest/manifest_event_query.h"
#include "support/fake_clock.h"
#include "support/test_drive.h"
#include "writers/evtx/evtx_log_writer.h"
#include "writers/hive/event_source_keys.h"
#include "writers/manifest/crim_writer.h"
#include "writers/manifest/resource_dll_writer.h"

namespace veltrano::manifest {
namespace {

using manifestwriter::ProviderResources;
using manifestwriter::WriteResourceDll;

constexpr TextView kGuid = u"{8c416c79-d49b-4f01-a467-e56d3aa8234c}";
constexpr TextView kUnfiled = u"{1f4f1b3a-9f1a-4e1e-8d51-0c7a3c1d9e21}";  // registered, no files
constexpr uint32_t kMessage = 0xB0000010;
constexpr uint32_t kParameter = 5;

std::vector<uint8_t> ProviderManifest() {
    ManifestProvider p;
    p.guid = manifestwriter::GuidBytes(kGuid);
    p.templates.push_back({0, {}, {{u"Status", 1, 1}, {u"Detail", 1, 1}}});
    p.events.push_back({16, 1, 16, 2, 0, 0, 0, kMessage, 0});
    return manifestwriter::WriteCrim({p});
}

std::vector<uint8_t> Log() {
    std::vector<evtxwriter::EvtxEvent> events;
    const auto add = [&](TextView guid, uint8_t version, std::vector<Text> data) {
        evtxwriter::EvtxEvent e;
        e.recordId = events.size() + 1;
        e.time = testing::At(2026, 12, 1, 8, 0, 0);
        e.level = 2;
        e.provider = u"Microsoft-Windows-Tool";
        e.providerGuid = Text(guid);
        e.version = version;
        e.eventId = 16;
        e.computer = u"PC";
        e.data = std::move(data);
        events.push_back(std::move(e));
    };
    add(kGuid, 1, {u"0x5", u"%%5 / %%77"});  // 1: a parameter the files have, one they lack
    add(kGuid, 9, {u"0x5", u"x"});           // 2: a version the manifest does not define
    add(kUnfiled, 0, {});                    // 3
    add(u"{00000000-0000-0000-0000-000000000001}", 0, {});  // 4: not registered
    return evtxwriter::WriteEvtxLog(events, u"System");
}

class ManifestQuery : public ::testing::Test {
  protected:
    void SetUp() override {
        HiveWriter system(u"SYSTEM");
        SelectControlSet(system, 1);
        system.Root()
            .Key(u"ControlSet001\\Control\\Nls\\Language")
            .SetString(u"InstallLanguage", u"0407");
        drive.tree().Write("Windows/System32/config/SYSTEM", system.Bytes());
        HiveWriter software(u"SOFTWARE");
        const Text file = u"%SystemRoot%\\System32\\tool-events.dll";
        AddPublisher(software, kGuid, file)
            .SetString(u"", u"Microsoft-Windows-Tool")
            .SetExpandString(u"ResourceFileName", file)
            .SetExpandString(u"ParameterFileName", file);
        AddPublisher(software, kUnfiled, u"%SystemRoot%\\System32\\gone.dll")
            .SetExpandString(u"ResourceFileName", u"%SystemRoot%\\System32\\gone.dll");
        drive.tree().Write("Windows/System32/config/SOFTWARE", software.Bytes());
        drive.tree().Write("Windows/System32/winevt/Logs/System.evtx", Log());
    }

    void WriteBinary(const std::string& where = "Windows/System32/tool-events.dll") {
        drive.tree().Write(where,
                           WriteResourceDll(ProviderResources({}, 0x0409, ProviderManifest())));
    }
    void WriteMui(const std::string& culture, uint16_t language, TextView text) {
        drive.tree().Write(
            "Windows/System32/" + culture + "/tool-events.dll.mui",
            WriteResourceDll(ProviderResources(
                {{kParameter, u"Access is denied.\r\n"}, {kMessage, Text(text)}}, language)));
    }

    QueryResult Query(uint32_t record) {
        if (!offline)
            offline = std::make_unique<OfflineMachine>(*host, drive.tree().RootText(), clock);
        return offline->manifestQuery().Query(u"System", record);
    }

    testing::TestDrive drive;
    std::unique_ptr<FileSystem> host = MakeHostFileSystem();
    testing::FakeClock clock;
    std::unique_ptr<OfflineMachine> offline;
};

TEST_F(ManifestQuery, TheInstallLanguageComesFirstThenUsEnglish) {
    WriteBinary();
    WriteMui("en-US", 0x0409, u"Tool failed with %1: %2.\r\n");
    WriteMui("de-DE", 0x0407, u"Werkzeug fehlgeschlagen mit %1: %2.\r\n");
    const QueryResult german = Query(1);
    EXPECT_EQ(german.outcome, QueryOutcome::Resolved);
    EXPECT_EQ(german.provider, u"Microsoft-Windows-Tool");
    // %%5 comes from the parameter file (its .mui); %%77 is nowhere and stays.
    EXPECT_EQ(german.text, u"Werkzeug fehlgeschlagen mit 0x5: Access is denied.\r\n / %%77.\r\n");

    // A German language file that is not a PE image does not count; US English is next.
    drive.tree().Write("Windows/System32/de-DE/tool-events.dll.mui", std::string("MZ garbage"));
    offline.reset();
    EXPECT_EQ(Query(1).text, u"Tool failed with 0x5: Access is denied.\r\n / %%77.\r\n");
    // The engine's port gives the same text.
    EXPECT_EQ(offline->machine().eventQuery->EventText(u"System", 1), Query(1).text);
}

TEST_F(ManifestQuery, AMunUnderSystemResourcesStandsInForTheFiles) {
    drive.tree().Write("Windows/SystemResources/tool-events.dll.mun",
                       WriteResourceDll(ProviderResources({{kMessage, u"From the mun: %1\r\n"}},
                                                          0x0409, ProviderManifest())));
    EXPECT_EQ(Query(1).text, u"From the mun: 0x5\r\n");
}

TEST_F(ManifestQuery, EachFailingStepHasItsOutcomeAndNoText) {
    WriteBinary();
    const struct {
        uint32_t record;
        QueryOutcome outcome;
    } kCases[] = {
        {1, QueryOutcome::FilesMissing},   // the binary, but no language file with messages
        {2, QueryOutcome::NoMessage},      // no definition of version 9
        {3, QueryOutcome::FilesMissing},   // registered, none of its files there
        {4, QueryOutcome::NotRegistered},  // no publisher key
        {99, QueryOutcome::NoRecord},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.record);
        const QueryResult r = Query(c.record);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_FALSE(r.text);
    }
    // A message file without the event's message.
    WriteMui("en-US", 0x0409, u"unused");
    drive.tree().Write("Windows/System32/en-US/tool-events.dll.mui",
                       WriteResourceDll(ProviderResources({{kParameter, u"x\r\n"}}, 0x0409)));
    offline.reset();
    EXPECT_EQ(Query(1).outcome, QueryOutcome::NoMessage);
    // A message that FormatMessageW's rules cannot format (a "%" at its very end).
    WriteMui("en-US", 0x0409, u"Broken %");
    offline.reset();
    EXPECT_EQ(Query(1).outcome, QueryOutcome::FormattingFailed);
}

}  // namespace
}  // namespace veltrano::manifest
