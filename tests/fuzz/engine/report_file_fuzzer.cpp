// Any bytes as a report file ("Report.wer") in the machine's report archive: the chunked UTF-16
// reading, the key parsing, the merge into a catalogue that holds a crash event, and the join of
// report and event must stay inside the data and leave a consistent catalogue. Any user can
// drop such a file into their own archive.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "../memory_file.h"
#include "engine/event_processing.h"
#include "engine/link_reports.h"
#include "engine/report_archive.h"
#include "fuzz_engine_machine.h"

namespace {
using namespace veltrano;

constexpr char16_t kArchive[] = u"C:\\ProgramData\\Microsoft\\Windows\\WER\\ReportArchive";
constexpr char16_t kReportFolder[] =
    u"C:\\ProgramData\\Microsoft\\Windows\\WER\\ReportArchive\\AppCrash_notepad.exe";
constexpr char16_t kReportPath[] =
    u"C:\\ProgramData\\Microsoft\\Windows\\WER\\ReportArchive\\AppCrash_notepad.exe\\Report.wer";
// The report identifier of the crash event, the one the report writer's files carry.
constexpr char16_t kReportId[] = u"00000000-0000-0000-0000-000000000000";

using fuzz::MemoryFile;
using fuzz::ReadOnlyFiles;

// The archive holding one report folder with the input as its report file; nothing else exists.
class OneReportFiles : public ReadOnlyFiles {
  public:
    OneReportFiles(const uint8_t* data, size_t size, FileTime written)
        : data_(data), size_(size), written_(written) {}

    std::optional<std::vector<FolderEntry>> ListFolder(TextView folder) override {
        FileFacts folderFacts{kAttributeDirectory};
        if (folder == kArchive)
            return std::vector<FolderEntry>{{u".", folderFacts},
                                            {u"AppCrash_notepad.exe", folderFacts}};
        if (folder == kReportFolder) {
            FileFacts file{kAttributeArchive, size_};
            file.lastWriteTime = written_;
            return std::vector<FolderEntry>{{u"..", folderFacts}, {u"Report.wer", file}};
        }
        return std::nullopt;
    }
    std::unique_ptr<ReadableFile> OpenForReading(TextView path) override {
        if (path != kReportPath)
            return nullptr;
        return std::make_unique<MemoryFile>(data_, size_);
    }

  private:
    const uint8_t* data_;
    size_t size_;
    FileTime written_;
};

// The report text decoded from the whole file at once: each 1024-byte read is cut at its first
// zero unit, an odd last byte is a unit of its own.
Text ExpectedText(const uint8_t* data, size_t size) {
    Text text;
    for (size_t start = 0; start < size; start += 1024) {
        const size_t end = std::min(size, start + 1024);
        for (size_t at = start; at < end; at += 2) {
            const char16_t unit =
                static_cast<char16_t>(data[at] | (at + 1 < end ? data[at + 1] << 8 : 0));
            if (unit == 0)
                break;
            text.push_back(unit);
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::FuzzEngineMachine machine;
    static const std::vector<uint8_t> crash = testing::BuildRecord(
        machine.Record(3600, u"Application Error", 1000,
                       testing::CrashStrings(u"notepad.exe", u"C:\\Windows\\System32\\notepad.exe",
                                             u"c0000005", kReportId)));

    OneReportFiles files(data, size, machine.clock.UtcNow() - 40 * kTicksPerDay);
    const auto text = ReadReportText(files, kReportPath);
    if (!text || *text != ExpectedText(data, size))
        std::abort();

    ErrorCatalogue catalogue = machine.FreshCatalogue();
    (void)ProcessEventRecord(EventRecordView(crash.data(), static_cast<uint32_t>(crash.size())),
                             u"Application", catalogue, machine.machine);
    ReadReportArchive(catalogue, files, machine.clock);
    std::lock_guard lock(catalogue.CatalogueLock);
    (void)LinkReports(catalogue, machine.machine.messages);
    fuzz::CheckCatalogue(catalogue, 2);
    return 0;
}
