// The modules loaded in the process when the dump was written (MINIDUMP_MODULE_LIST) and those
// it had unloaded before (MINIDUMP_UNLOADED_MODULE_LIST, whose header gives its own sizes).
#include "platform/offline/dump/dump_streams.h"

#include "platform/offline/dump/minidump_format.h"

namespace veltrano::dump {
namespace {

std::optional<DumpFileVersion> FileVersionAt(ByteView fixed) {
    if (fixed.U32(0) != kFixedFileInfoSignature)
        return std::nullopt;
    const auto version = [&](size_t ms, size_t ls) {
        return uint64_t{fixed.U32(ms)} << 32 | fixed.U32(ls);
    };
    DumpFileVersion v;
    v.fileVersion = version(kFixedFileVersionMs, kFixedFileVersionLs);
    v.productVersion = version(kFixedProductVersionMs, kFixedProductVersionLs);
    v.fileFlags = fixed.U32(kFixedFileFlags);
    v.fileOs = fixed.U32(kFixedFileOs);
    v.fileType = fixed.U32(kFixedFileType);
    return v;
}

}  // namespace

void ReadModuleList(ByteView stream, DumpFile& file, MinidumpFacts& facts) {
    if (!stream.Has(0, kListCountSize)) {
        NoteProblem(facts, "the module list is too short");
        return;
    }
    const size_t count = EntriesThatFit(stream.U32(0), stream.size() - kListCountSize, kModuleSize,
                                        "module list", facts);
    facts.modules.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const ByteView entry = stream.From(kListCountSize + i * kModuleSize);
        DumpModule m;
        m.base = entry.U64(kModuleBase);
        m.size = entry.U32(kModuleImageSize);
        m.checksum = entry.U32(kModuleChecksum);
        m.timeStamp = entry.U32(kModuleTimeStamp);
        m.name = ReadDumpString(file, entry.U32(kModuleNameRva), "name of a module", facts)
                     .value_or(Text());
        m.version = FileVersionAt(entry.From(kModuleVersionInfo));
        m.codeView = ReadCodeView(file, LocationAt(entry, kModuleCvRecord), facts);
        facts.modules.push_back(std::move(m));
    }
}

void ReadUnloadedModuleList(ByteView stream, DumpFile& file, MinidumpFacts& facts) {
    const uint32_t headerSize = stream.U32(0);
    const uint32_t entrySize = stream.U32(kUnloadedEntrySize);
    if (!stream.Has(0, kUnloadedListHeaderSize) || headerSize < kUnloadedListHeaderSize ||
        entrySize < kUnloadedModuleSize || headerSize > stream.size()) {
        NoteProblem(facts, "the unloaded module list's header is damaged");
        return;
    }
    const size_t count = EntriesThatFit(stream.U32(kUnloadedCount), stream.size() - headerSize,
                                        entrySize, "unloaded module list", facts);
    facts.unloadedModules.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const ByteView entry = stream.From(headerSize + uint64_t{i} * entrySize);
        DumpUnloadedModule m;
        m.base = entry.U64(kUnloadedBase);
        m.size = entry.U32(kUnloadedImageSize);
        m.checksum = entry.U32(kUnloadedChecksum);
        m.timeStamp = entry.U32(kUnloadedTimeStamp);
        m.name =
            ReadDumpString(file, entry.U32(kUnloadedNameRva), "name of an unloaded module", facts)
                .value_or(Text());
        facts.unloadedModules.push_back(std::move(m));
    }
}

}  // namespace veltrano::dump
