// Writes seeds for the engine's fuzz targets with the tests' writers and the sample machine:
// report files (reports/) and buffers of classic event records (records/) of crashes, hangs,
// service failures with parameter messages, and damaged records.
#include <cstdio>
#include <filesystem>
#include <string>

#include "../seed_file.h"
#include "sample_machine/report_text.h"
#include "sample_machine/sample_content.h"
#include "support/engine_machine.h"
#include "support/report_files.h"
#include "support/temp_tree.h"

namespace {
using namespace veltrano;
using namespace veltrano::testing;
namespace fs = std::filesystem;

using Bytes = std::vector<uint8_t>;
using fuzz::SaveSeed;

Bytes Records(const std::vector<RecordFields>& records) {
    Bytes buffer;
    for (const RecordFields& fields : records) {
        const Bytes record = BuildRecord(fields);
        buffer.insert(buffer.end(), record.begin(), record.end());
    }
    return buffer;
}

void WriteReports(const fs::path& folder, const sample::SampleMachine& sample) {
    int n = 0;
    auto save = [&](const Bytes& bytes) {
        SaveSeed(folder / ("report" + std::to_string(n++) + ".wer"), bytes);
    };
    save(ReportBytes({}));
    ReportFields described;
    described.description = u"The program stopped with a description of its own";
    described.appName = u"Application Error: notepad.exe";
    described.friendlyEventName = u"1000";
    save(ReportBytes(described));
    ReportFields longValues;
    longValues.appPath = u"C:\\" + Text(1500, u'x') + u".exe";
    longValues.reportId = Text(300, u'7');
    longValues.eventTime = u"99999999999999999999999";
    save(ReportBytes(longValues));
    save(Utf16Bytes(ReportText({}), false));
    for (const sample::SampleReport& report : sample.reports)
        save(sample::ReportFileBytes(report.text));
}

void WriteRecords(const fs::path& folder, const sample::SampleMachine& sample) {
    EngineMachine m;
    const Text path = u"C:\\Program Files\\App\\app.exe";
    const Text id = u"00000000-0000-0000-0000-000000000000";
    const RecordFields crash =
        m.Record(60, u"Application Error", 1000, CrashStrings(u"app.exe", path, u"c0000005", id));
    const RecordFields hang =
        m.Record(120, u"Application Hang", 1002, HangStrings(u"app.exe", path, id));
    const RecordFields service =
        m.Record(180, u"Service Control Manager", 7000, {u"Spooler", u"%%1053"});
    const RecordFields counted = m.Record(240, u"Service Control Manager", 7034, {u"Spooler", u"3"});
    const RecordFields other = m.Record(300, u"MsiInstaller", 11708, {u"Product: App"});
    const RecordFields information = m.Record(360, u"Application Error", 1000, {}, 4);
    RecordFields missingStrings = crash;
    missingStrings.numStrings = 20;
    RecordFields stringsPastEnd = hang;
    stringsPastEnd.stringOffset = 0xFFFFFF00u;
    RecordFields shortLength = crash;
    shortLength.lengthField = 60;

    SaveSeed(folder / "crash.rec", Records({crash}));
    SaveSeed(folder / "hang.rec", Records({hang}));
    SaveSeed(folder / "service.rec", Records({service, counted}));
    SaveSeed(folder / "mixed.rec",
             Records({crash, hang, crash, other, information, service,
                      m.Record(30, u"Application Error", 1000,
                               CrashStrings(u"app.exe", path, u"c0000409", id))}));
    SaveSeed(folder / "damaged.rec", Records({missingStrings, stringsPastEnd, other, shortLength}));

    // The sample machine's Application log as classic records, newest first.
    std::vector<RecordFields> events;
    for (auto e = sample.events.rbegin(); e != sample.events.rend() && events.size() < 60; ++e) {
        if (e->log != u"Application")
            continue;
        RecordFields fields;
        fields.recordNumber = static_cast<uint32_t>(events.size() + 1);
        fields.timeGenerated = UnixTime(e->time);
        fields.eventId = e->eventId | static_cast<uint32_t>(e->qualifiers.value_or(0)) << 16;
        fields.eventType = e->level <= 2 ? 1 : e->level == 3 ? 2 : 4;
        fields.source = e->eventSourceName.value_or(e->provider);
        fields.strings = e->strings;
        events.push_back(fields);
    }
    SaveSeed(folder / "sample.rec", Records(events));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: engine_seeds <corpus folder>\n");
        return 2;
    }
    const fs::path out = argv[1];
    fs::create_directories(out / "reports");
    fs::create_directories(out / "records");
    const auto sample = sample::DescribeSampleMachine(FakeClock().UtcNow());
    WriteReports(out / "reports", sample);
    WriteRecords(out / "records", sample);
    return 0;
}
