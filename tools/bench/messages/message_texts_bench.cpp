// Resolves the message text of every error record of the largest sample log (its reference
// decoding: source, event identifier, insertion strings) the way the engine does — registry
// lookup of the source's message file, expansion, module load, template, formatted text, and a
// second lookup for the template — over an analysed drive made of a written SYSTEM hive and the
// sample machine's message DLL. Prints the time per record with the ports' caches (warm) and
// with fresh ports for every record (cold: hive and DLL read from disk each time), and their
// ratio. Without the samples it uses a synthetic log of the same shape.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

#include "platform/host.h"
#include "platform/offline/drive_environment.h"
#include "platform/offline/drive_mapped_file_system.h"
#include "platform/offline/messages/pe_message_tables.h"
#include "platform/offline/registry/hive_registry.h"
#include "writers/hive/event_source_keys.h"

namespace fs = std::filesystem;
using namespace veltrano;

namespace {

constexpr const char* kLargestLog = "DAM_Win2012R2_StolenSzechuan__System.evtx.records.jsonl";
constexpr uint32_t kMessageIds[] = {1000, 1001, 1002};

struct Record {
    Text source;
    uint32_t messageId = 0;
    std::vector<Text> strings;
};

// A JSON string starting at pos (after its opening quote); pos ends after the closing quote.
std::string JsonString(const std::string& line, size_t& pos) {
    std::string out;
    while (pos < line.size() && line[pos] != '"') {
        char c = line[pos++];
        if (c == '\\' && pos < line.size()) {
            c = line[pos++];
            if (c == 'u' && pos + 4 <= line.size()) {
                const unsigned code = std::stoul(line.substr(pos, 4), nullptr, 16);
                pos += 4;
                out += Utf16ToUtf8(Text(1, static_cast<char16_t>(code)));
                continue;
            }
            c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        }
        out += c;
    }
    ++pos;
    return out;
}

std::vector<Record> SampleRecords(const fs::path& file) {
    std::vector<Record> records;
    std::ifstream in(file);
    std::string line;
    size_t index = 0;
    while (std::getline(in, line)) {
        if (line.find("\"level\": 2,") == std::string::npos)
            continue;  // errors only
        Record record;
        size_t pos = line.find("\"source\": \"");
        if (pos == std::string::npos)
            continue;
        pos += 11;
        record.source = Utf8ToUtf16(JsonString(line, pos));
        record.messageId = kMessageIds[index++ % 3];
        pos = line.find("\"strings\": [");
        if (pos != std::string::npos) {
            pos += 12;
            while (pos < line.size() && line[pos] != ']') {
                if (line[pos++] == '"')
                    record.strings.push_back(Utf8ToUtf16(JsonString(line, pos)));
            }
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<Record> SyntheticRecords() {
    std::vector<Record> records;
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        Record record;
        record.source = Text(u"Source").append(DecimalText(random() % 40));
        record.messageId = kMessageIds[i % 3];
        for (int k = 0; k < 13; ++k)
            record.strings.push_back(Text(u"value").append(DecimalText(random())));
        records.push_back(std::move(record));
    }
    return records;
}

// The analysed drive: SYSTEM registers every source of the log with the message DLL.
void BuildDrive(const fs::path& root, const std::vector<Record>& records, const fs::path& dll) {
    fs::create_directories(root / "Windows/System32/config");
    fs::copy_file(dll, root / "Windows/System32/wer.dll", fs::copy_options::overwrite_existing);
    HiveWriter system(u"SYSTEM");
    SelectControlSet(system, 1);
    std::set<Text> sources;
    for (const auto& record : records)
        sources.insert(record.source);
    for (const auto& source : sources) {
        AddEventSource(system, 1, u"System", source, u"%SystemRoot%\\System32\\wer.dll");
    }
    const auto bytes = system.Bytes();
    std::ofstream(root / "Windows/System32/config/SYSTEM", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

struct Ports {
    Ports(FileSystem& drive)
        : registry(drive, u"C:\\Windows"),
          environment(u"C:\\Windows", &registry),
          messages(drive, u"C:\\Windows") {}
    HiveRegistry registry;
    DriveEnvironment environment;
    PeMessageTables messages;
};

std::unique_ptr<MessageModule> ModuleOf(Ports& ports, const Record& record) {
    Text file = ports.registry.ReadMachineString(
        Text(u"SYSTEM\\CurrentControlSet\\services\\eventlog\\System\\").append(record.source),
        u"EventMessageFile");
    file = file.substr(0, file.find(u';'));
    if (file.empty())
        return nullptr;
    return ports.messages.LoadAsData(ports.environment.Expand(file));
}

size_t HighestInsert(TextView text) {
    size_t highest = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'%' && text[i + 1] >= u'0' && text[i + 1] <= u'9') {
            highest = std::max<size_t>(highest, ParseUnsignedDecimal(text.substr(i + 1)));
        }
    }
    return highest;
}

// One record's texts as the engine resolves them; returns the characters produced.
size_t Resolve(Ports& ports, const Record& record) {
    size_t produced = 0;
    if (auto module = ModuleOf(ports, record)) {
        const auto templateText = module->Format(record.messageId, nullptr);
        const size_t highest = templateText ? HighestInsert(*templateText) : 0;
        std::optional<Text> text = templateText;
        if (highest > 0 && record.strings.size() >= highest) {
            text = module->Format(record.messageId, &record.strings);
        }
        produced += text ? text->size() : 0;
    }
    if (auto module = ModuleOf(ports, record)) {
        const auto templateText = module->Format(record.messageId, nullptr);
        produced += templateText ? templateText->size() : 0;
    }
    return produced;
}

}  // namespace

int main() {
    const fs::path dll = fs::path(VELTRANO_MESSAGE_DLL_DIR) / "event_messages.dll";
    if (!fs::exists(dll)) {
        std::fprintf(stderr, "%s was not built (needs MinGW-w64 binutils)\n", dll.c_str());
        return 1;
    }
    const fs::path sample = fs::path(VELTRANO_SAMPLES_DIR) / "reference" / kLargestLog;
    std::vector<Record> records;
    if (fs::exists(sample))
        records = SampleRecords(sample);
    const bool real = !records.empty();
    if (!real)
        records = SyntheticRecords();

    const fs::path root =
        fs::temp_directory_path() / ("veltrano-bench-" + std::to_string(std::random_device()()));
    BuildDrive(root, records, dll);
    auto host = MakeHostFileSystem();
    DriveMappedFileSystem drive(*host, Utf8ToUtf16(root.string()));

    using Clock = std::chrono::steady_clock;
    size_t produced = 0;
    Ports warmPorts(drive);
    const auto warmStart = Clock::now();
    for (const auto& record : records)
        produced += Resolve(warmPorts, record);
    const double warm = std::chrono::duration<double, std::micro>(Clock::now() - warmStart).count();

    const size_t coldCount = std::min<size_t>(records.size(), 2000);
    const auto coldStart = Clock::now();
    for (size_t i = 0; i < coldCount; ++i) {
        Ports coldPorts(drive);
        produced += Resolve(coldPorts, records[i]);
    }
    const double cold = std::chrono::duration<double, std::micro>(Clock::now() - coldStart).count();
    fs::remove_all(root);

    const double warmPerRecord = warm / records.size();
    const double coldPerRecord = cold / coldCount;
    std::printf("workload: %zu error records (%s)\n", records.size(),
                real ? kLargestLog : "synthetic: no samples folder");
    std::printf("warm ports (files read once):   %8.2f us per record, %.3f s in all\n",
                warmPerRecord, warm / 1e6);
    std::printf("cold ports (files read each time): %8.2f us per record (first %zu records)\n",
                coldPerRecord, coldCount);
    std::printf("ratio cold / warm: %.1f  (%zu characters of text)\n",
                coldPerRecord / warmPerRecord, produced);
    return 0;
}
