// The sample's files on the host.
#include "sample_machine/sample_writer.h"

#include <chrono>
#include <fstream>
#include <stdexcept>

#include "sample_machine/report_text.h"
#include "sample_machine/sample_forwarded.h"

namespace veltrano::sample {
namespace {

namespace fs = std::filesystem;

constexpr char16_t kLogs[] = u"Windows\\System32\\winevt\\Logs\\";
constexpr char16_t kConfig[] = u"Windows\\System32\\config\\";
// "C:\Users\All Users" is a junction to "C:\ProgramData" on a real machine, so the machine's
// report archive shows there too. The sample holds a copy, which a reader meets the same way.
constexpr char16_t kMachineArchive[] = u"ProgramData\\Microsoft\\Windows\\WER\\ReportArchive";
constexpr char16_t kAllUsersArchive[] = u"Users\\All Users\\Microsoft\\Windows\\WER\\ReportArchive";

void WriteFile(const fs::path& path, const void* data, size_t size) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    WriteFile(path, bytes.data(), bytes.size());
}

void SetLastWrite(const fs::path& path, FileTime time) {
    const auto since1970 = std::chrono::seconds(FileTimeToUnixSeconds(time));
    fs::last_write_time(path, std::chrono::file_clock::from_sys(
                                  std::chrono::sys_time<std::chrono::seconds>(since1970)));
}

std::vector<uint8_t> HiveFile(const HiveWriter& hive, FileTime now, TextView name) {
    HiveLayout layout;
    layout.lastWritten = now;
    layout.fileName = u"\\SystemRoot\\System32\\Config\\" + Text(name);
    return hive.Bytes(layout);
}

}  // namespace

evtxwriter::EvtxEvent LogEvent(const SampleEvent& e, TextView computer) {
    evtxwriter::EvtxEvent x;
    x.time = e.time;
    x.level = e.level;
    x.provider = e.provider;
    x.eventSourceName = e.eventSourceName;
    x.providerGuid = e.providerGuid;
    x.version = e.version;
    x.eventId = e.eventId;
    x.qualifiers = e.qualifiers;
    x.task = e.task;
    x.computer = Text(computer);
    x.data = e.strings;
    return x;
}

std::vector<evtxwriter::EvtxEvent> SampleLogEvents(const SampleMachine& m, TextView log) {
    std::vector<evtxwriter::EvtxEvent> events;
    for (const SampleEvent& e : m.events) {
        if (e.log != log)
            continue;
        events.push_back(LogEvent(e, m.computer));
        events.back().recordId = events.size();
    }
    return events;
}

fs::path HostPath(const fs::path& drive, TextView windowsPath) {
    fs::path path = drive;
    size_t start = 0;
    while (start <= windowsPath.size()) {
        const size_t end = std::min(windowsPath.find(u'\\', start), windowsPath.size());
        if (end > start)
            path /= Utf16ToUtf8(windowsPath.substr(start, end - start));
        start = end + 1;
    }
    return path;
}

void WriteSampleMachine(const SampleMachine& m, const fs::path& drive,
                        std::span<const uint8_t> messageDll) {
    for (const SampleReport& r : m.reports) {
        for (const Text& archive :
             {r.archive, r.archive == kMachineArchive ? Text(kAllUsersArchive) : Text()}) {
            if (archive.empty())
                continue;
            const fs::path file = HostPath(drive, archive + u"\\" + r.folder + u"\\Report.wer");
            WriteFile(file, ReportFileBytes(r.text));
            SetLastWrite(file, r.time + 3 * kTicksPerSecond);
        }
    }
    fs::create_directories(HostPath(drive, u"Users\\Public\\Documents"));
    for (const TextView log : {TextView(u"Application"), TextView(u"System")}) {
        WriteFile(HostPath(drive, kLogs + Text(log) + u".evtx"),
                  evtxwriter::WriteEvtxLog(SampleLogEvents(m, log), log));
    }
    WriteFile(HostPath(drive, Text(kConfig) + u"SYSTEM"),
              HiveFile(SampleSystemHive(m), m.now, u"SYSTEM"));
    WriteFile(HostPath(drive, Text(kConfig) + u"SOFTWARE"),
              HiveFile(SampleSoftwareHive(m), m.now, u"SOFTWARE"));
    if (!messageDll.empty())
        WriteFile(HostPath(drive, kSampleMessageDll), messageDll.data(), messageDll.size());
    WriteManifestProviderFiles(
        m, drive,
        [](const fs::path& path, const std::vector<uint8_t>& bytes) { WriteFile(path, bytes); });
    const std::string reg = SampleRegFile(m);
    WriteFile(drive / "sample.reg", reg.data(), reg.size());
}

void WriteForwardedLog(const std::vector<SampleMachine>& senders, FileTime now,
                       const fs::path& drive) {
    WriteFile(HostPath(drive, Text(kLogs) + u"ForwardedEvents.evtx"),
              evtxwriter::WriteEvtxLog(ForwardedLogEvents(senders, now), u"ForwardedEvents"));
}

}  // namespace veltrano::sample
