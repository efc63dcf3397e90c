// The header and the stream directory, then each known stream in the order its readers need:
// the system info first, whose processor architecture gives the thread contexts their layout.
#include "platform/offline/dump/minidump.h"

#include "platform/offline/dump/dump_streams.h"
#include "platform/offline/dump/minidump_format.h"

namespace veltrano::dump {
namespace {

// More streams than any writer makes (they write fewer than thirty); a larger count is damage,
// not a directory to allocate.
constexpr uint32_t kMaxStreams = 4096;
// The largest stream read whole: a list of half a million modules, threads or memory ranges.
constexpr uint64_t kMaxStreamSize = 64 << 20;

struct KnownStream {
    uint32_t type;
    const char* name;
    StreamReader read;
};

constexpr KnownStream kKnownStreams[] = {
    {kSystemInfoStream, "system info", ReadSystemInfo},
    {kMiscInfoStream, "misc info", ReadMiscInfo},
    {kModuleListStream, "module list", ReadModuleList},
    {kUnloadedModuleListStream, "unloaded module list", ReadUnloadedModuleList},
    {kThreadListStream, "thread list", ReadThreadList},
    {kExceptionStream, "exception", ReadException},
    {kMemoryListStream, "memory list", ReadMemoryList},
    {kMemory64ListStream, "memory64 list", ReadMemory64List},
};

std::nullopt_t Fail(std::string* problem, std::string why) {
    if (problem != nullptr)
        *problem = std::move(why);
    return std::nullopt;
}

std::optional<DumpHeader> ReadHeader(DumpFile& file, std::string* problem) {
    const auto bytes = file.Read(0, kHeaderSize);
    if (!bytes)
        return Fail(problem, "shorter than a minidump header");
    const ByteView header(bytes->data(), bytes->size());
    if (!header.Matches(0, kDumpSignature))
        return Fail(problem, "not a minidump (no MDMP signature)");
    DumpHeader h;
    h.version = header.U32(kHeaderVersion);
    if ((h.version & 0xFFFF) != kDumpVersion)
        return Fail(problem, "a minidump of an unknown version");
    h.streamCount = header.U32(kHeaderStreamCount);
    h.directoryRva = header.U32(kHeaderDirectoryRva);
    h.checksum = header.U32(kHeaderChecksum);
    h.timeStamp = header.U32(kHeaderTimeStamp);
    h.flags = header.U64(kHeaderFlags);
    return h;
}

std::optional<std::vector<DumpStream>> ReadDirectory(DumpFile& file, const DumpHeader& header,
                                                     std::string* problem) {
    if (header.streamCount > kMaxStreams)
        return Fail(problem, "the stream directory claims " + std::to_string(header.streamCount) +
                                 " streams");
    const auto bytes =
        file.Read(header.directoryRva, uint64_t{header.streamCount} * kDirectoryEntrySize);
    if (!bytes)
        return Fail(problem, "the stream directory lies past the end of the file");
    const ByteView directory(bytes->data(), bytes->size());
    std::vector<DumpStream> streams(header.streamCount);
    for (size_t i = 0; i < streams.size(); ++i) {
        const uint64_t at = i * kDirectoryEntrySize;
        streams[i].type = directory.U32(at);
        streams[i].location = LocationAt(directory, at + 4);
    }
    return streams;
}

// The stream's bytes as far as the file holds them; nullopt when none can be read.
std::optional<std::vector<uint8_t>> StreamBytes(DumpFile& file, const KnownStream& known,
                                                DumpLocation location, MinidumpFacts& facts) {
    const std::string name = known.name;
    if (location.size > kMaxStreamSize) {
        NoteProblem(facts, "the " + name + " stream is too large to read");
        return std::nullopt;
    }
    if (location.rva >= file.size()) {
        NoteProblem(facts, "the " + name + " stream lies past the end of the file");
        return std::nullopt;
    }
    uint64_t size = location.size;
    if (!file.Holds(location.rva, size)) {
        NoteProblem(facts, "the " + name + " stream runs past the end of the file");
        size = file.size() - location.rva;
    }
    auto bytes = file.Read(location.rva, size);
    if (!bytes)
        NoteProblem(facts, "the " + name + " stream cannot be read");
    return bytes;
}

void ReadStreams(DumpFile& file, MinidumpFacts& facts) {
    for (const KnownStream& known : kKnownStreams) {
        // A second stream of a type is ignored, as Windows' own reader returns the first.
        for (const DumpStream& stream : facts.streams) {
            if (stream.type != known.type)
                continue;
            if (const auto bytes = StreamBytes(file, known, stream.location, facts))
                known.read(ByteView(bytes->data(), bytes->size()), file, facts);
            break;
        }
    }
    if (!facts.systemInfo && (!facts.threads.empty() || facts.exception))
        NoteProblem(facts, "no system info: the thread contexts' layout is unknown");
}

}  // namespace

Minidump::Minidump(DumpFile file, MinidumpFacts facts)
    : file_(std::move(file)), facts_(std::move(facts)) {}

const DumpModule* Minidump::ModuleAt(uint64_t address) const {
    for (const DumpModule& module : facts_.modules) {
        if (module.Contains(address))
            return &module;
    }
    return nullptr;
}

const DumpThread* Minidump::Thread(uint32_t id) const {
    for (const DumpThread& thread : facts_.threads) {
        if (thread.id == id)
            return &thread;
    }
    return nullptr;
}

std::optional<std::vector<uint8_t>> Minidump::ReadMemory(uint64_t address, size_t size) {
    // Where the bytes are is known before anything is allocated for them.
    const auto spans = facts_.memory.Locate(address, size);
    if (!spans)
        return std::nullopt;
    for (const FileSpan& span : *spans) {
        if (!file_.Holds(span.offset, span.size))
            return std::nullopt;
    }
    std::vector<uint8_t> bytes(size);
    size_t done = 0;
    for (const FileSpan& span : *spans) {
        const size_t n = static_cast<size_t>(span.size);
        if (!file_.ReadInto(span.offset, std::span<uint8_t>(bytes).subspan(done, n)))
            return std::nullopt;
        done += n;
    }
    return bytes;
}

std::optional<std::vector<uint8_t>> Minidump::ReadLocation(DumpLocation location) {
    return file_.Read(location.rva, location.size);
}

std::optional<Minidump> ReadMinidump(std::unique_ptr<ReadableFile> file, std::string* problem) {
    auto opened = OpenDumpFile(std::move(file), problem);
    if (!opened)
        return std::nullopt;
    DumpFile& dump = *opened;
    auto header = ReadHeader(dump, problem);
    if (!header)
        return std::nullopt;
    auto streams = ReadDirectory(dump, *header, problem);
    if (!streams)
        return std::nullopt;
    MinidumpFacts read;
    read.header = *header;
    read.streams = std::move(*streams);
    ReadStreams(dump, read);
    return Minidump(std::move(dump), std::move(read));
}

std::optional<Minidump> ReadMinidump(FileSystem& files, TextView path, std::string* problem) {
    return ReadMinidump(files.OpenForReading(path), problem);
}

}  // namespace veltrano::dump
