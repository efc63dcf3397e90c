// Scan throughput: a large synthetic machine (200,000 error records over 10,000 distinct errors
// in the two logs, 2,000 report files on disk) through RunScan with fake log and message ports.
// The peer is the bare walk of the same record buffers, measured in the same run: the ratio is
// what classification, message texts and merging cost on top of reading the records. The
// catalogue fill alone (the same records, without report files and progress) is measured too.
#include <chrono>
#include <map>
#include <cstdio>
#include <mutex>

#include "engine/catalogue_fill.h"
#include "engine/event_record.h"
#include "engine/link_reports.h"
#include "engine/scan.h"
#include "support/engine_machine.h"
#include "support/report_files.h"
#include "support/test_drive.h"

using namespace veltrano;
using Stopwatch = std::chrono::steady_clock;

namespace {

constexpr int kRecords = 200'000;
constexpr int kDistinct = 10'000;
constexpr int kReports = 2'000;

double ElapsedSeconds(Stopwatch::time_point since) {
    return std::chrono::duration<double>(Stopwatch::now() - since).count();
}

}  // namespace

int main() {
    testing::EngineMachine m;
    testing::TestDrive drive;
    m.machine.files = &drive.files();
    // 100 service sources with 100 event identifiers each make the non-crash errors distinct.
    for (int s = 0; s < 100; ++s) {
        std::map<uint32_t, Text> messages;
        for (uint32_t id = 7000; id < 7100; ++id) {
            messages[id] = u"The %1 service failed to start due to the following error: %n%2";
        }
        for (const Text log : {u"Application", u"System"}) {
            m.RegisterSource(log, u"Service" + DecimalText(s),
                             u"C:\\svc" + DecimalText(s) + u".dll", messages);
        }
    }
    m.RegisterSource(u"Application", u"Application Error", u"C:\\wer.dll",
                     {{1000, testing::kCrashMessage}});

    // Every fifth distinct error is a crash with a report identifier; the rest are service errors.
    // Each log numbers its records on its own, as the event log service does.
    std::map<Text, uint32_t> lastNumber;
    for (int i = 0; i < kRecords; ++i) {
        const int error = i % kDistinct;
        const bool crash = error % 5 == 0;
        const Text log = crash || i % 2 ? u"Application" : u"System";
        const int64_t ago = 30 + static_cast<int64_t>(i) * 97;
        auto fields = crash ? m.Record(ago, u"Application Error", 1000,
                                       testing::CrashStrings(u"prog" + DecimalText(error) + u".exe",
                                                             u"C:\\Apps\\prog.exe", u"c0000005",
                                                             u"rid-" + DecimalText(error)))
                            : m.Record(ago, u"Service" + DecimalText(error % 100),
                                       7000 + static_cast<uint32_t>(error / 100),
                                       {u"Service" + DecimalText(error),
                                        u"The system cannot find the file specified."});
        fields.recordNumber = ++lastNumber[log];
        m.logs.Log(log).records.push_back(testing::BuildRecord(fields));
    }
    m.logs.Log(u"System");
    for (int r = 0; r < kReports; ++r) {
        testing::ReportFields report;
        report.appName = u"Program " + DecimalText(r);
        report.reportId = u"rid-" + DecimalText((r * 5) % kDistinct);
        report.eventTime = DecimalText(static_cast<int64_t>(m.clock.UtcNow()) - r * 10'000'000LL);
        drive.tree().Write(
            "ProgramData/Microsoft/Windows/WER/ReportArchive/r" + std::to_string(r) + "/Report.wer",
            testing::ReportBytes(report));
    }

    // Peer: walk every record of the same buffers, reading the fields the scan reads.
    auto start = Stopwatch::now();
    uint64_t checksum = 0;
    size_t walked = 0;
    for (const Text log : {u"Application", u"System"}) {
        for (const auto& record : m.logs.Log(log).records) {
            WalkEventRecords(record.data(), static_cast<uint32_t>(record.size()),
                             [&](const EventRecordView& view) {
                                 checksum += view.EventID() + view.SourceName().size() +
                                             view.InsertionStrings().values.size();
                                 ++walked;
                             });
        }
    }
    const double walkSeconds = ElapsedSeconds(start);

    start = Stopwatch::now();
    ScanWorker(m.catalogue, m.machine);
    const double scanSeconds = ElapsedSeconds(start);

    // The catalogue fill alone over the same buffers: begin, every record, finish.
    ErrorCatalogue filled;
    PrepareCatalogue(filled, m.clock);
    start = Stopwatch::now();
    {
        CatalogueFill fill(filled, m.machine);
        for (const Text log : {u"Application", u"System"}) {
            for (const auto& record : m.logs.Log(log).records)
                fill.AddBuffer(record.data(), static_cast<uint32_t>(record.size()), log);
        }
        fill.Finish();
    }
    const double fillSeconds = ElapsedSeconds(start);

    start = Stopwatch::now();
    int32_t distinct = 0;
    {
        std::lock_guard lock(m.catalogue.CatalogueLock);
        distinct = LinkReports(m.catalogue, m.machine.messages);
    }
    const double linkSeconds = ElapsedSeconds(start);

    std::printf(
        "records: %d error records, %zu entries, %d distinct after joining (checksum %llu)\n",
        kRecords, m.catalogue.entries.size(), distinct, static_cast<unsigned long long>(checksum));
    std::printf("RunScan:        %8.3f s  %10.0f records/s (incl. %d report files)\n", scanSeconds,
                kRecords / scanSeconds, kReports);
    std::printf("bare walk:      %8.3f s  %10.0f records/s (%zu records)\n", walkSeconds,
                walked / walkSeconds, walked);
    std::printf("catalogue fill: %8.3f s  %10.0f records/s (%zu entries)\n", fillSeconds,
                kRecords / fillSeconds, filled.entries.size());
    std::printf("ratio RunScan/bare walk throughput: %.3f\n", walkSeconds / scanSeconds);
    std::printf("ratio fill/bare walk throughput: %.3f\n", walkSeconds / fillSeconds);
    std::printf("one LinkReports pass: %.3f ms\n", linkSeconds * 1000);
    return 0;
}
