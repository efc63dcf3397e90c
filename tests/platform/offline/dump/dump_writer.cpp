// Writing the structures of minidump_format.h into one buffer, each part appended where the
// file has come to and its RVA handed to whatever points at it.
#include "dump_writer.h"

#include "base/byte_store.h"
#include "platform/offline/dump/minidump_format.h"

namespace veltrano::testing {
namespace {
using namespace dump;

constexpr size_t kAmd64ContextSize = 0x4D0;
constexpr size_t kX86ContextSize = 0x2CC;
constexpr uint32_t kAmd64ContextAll = 0x0010001F;
constexpr uint32_t kX86ContextAll = 0x0001003F;

void AppendLe64(std::vector<uint8_t>& bytes, uint64_t value) {
    bytes.resize(bytes.size() + 8);
    StoreLe64(bytes, bytes.size() - 8, value);
}

void AppendLocation(std::vector<uint8_t>& bytes, DumpLocation location) {
    AppendLe32(bytes, location.size);
    AppendLe32(bytes, location.rva);
}

class Writer {
  public:
    explicit Writer(const DumpPlan& plan) : plan_(plan) {}

    WrittenDump Write() {
        const std::vector<uint32_t> types = StreamTypes();
        out_.bytes.resize(kHeaderSize + types.size() * kDirectoryEntrySize);
        out_.bytes[0] = 'M', out_.bytes[1] = 'D', out_.bytes[2] = 'M', out_.bytes[3] = 'P';
        StoreLe32(out_.bytes, kHeaderVersion, 0x0000A793 | 0x1234u << 16);
        StoreLe32(out_.bytes, kHeaderStreamCount, static_cast<uint32_t>(types.size()));
        StoreLe32(out_.bytes, kHeaderDirectoryRva, kHeaderSize);
        StoreLe32(out_.bytes, kHeaderTimeStamp, plan_.timeStamp);
        StoreLe64(out_.bytes, kHeaderFlags, plan_.flags);
        WriteMemory();
        for (size_t i = 0; i < types.size(); ++i) {
            const DumpLocation at = Append(StreamBytes(types[i]));
            const size_t entry = kHeaderSize + i * kDirectoryEntrySize;
            StoreLe32(out_.bytes, entry, types[i]);
            StoreLe32(out_.bytes, entry + 4, at.size);
            StoreLe32(out_.bytes, entry + 8, at.rva);
            out_.streams.emplace(types[i], at);
        }
        return std::move(out_);
    }

  private:
    std::vector<uint32_t> StreamTypes() const {
        std::vector<uint32_t> types{kSystemInfoStream, kModuleListStream, kThreadListStream};
        if (plan_.miscInfo)
            types.push_back(kMiscInfoStream);
        if (!plan_.unloadedModules.empty())
            types.push_back(kUnloadedModuleListStream);
        if (plan_.exception)
            types.push_back(kExceptionStream);
        types.push_back(plan_.memory64 ? kMemory64ListStream : kMemoryListStream);
        types.insert(types.end(), plan_.otherStreams.begin(), plan_.otherStreams.end());
        return types;
    }

    // Appends bytes at the next 4-byte boundary (or right at the end, for the 64-bit memory
    // list's ranges, which follow one another).
    DumpLocation Append(const std::vector<uint8_t>& bytes, bool aligned = true) {
        if (aligned)
            out_.bytes.resize((out_.bytes.size() + 3) & ~size_t{3});
        const DumpLocation at{static_cast<uint32_t>(bytes.size()),
                              static_cast<uint32_t>(out_.bytes.size())};
        out_.bytes.insert(out_.bytes.end(), bytes.begin(), bytes.end());
        return at;
    }

    uint32_t AppendString(TextView text) {
        std::vector<uint8_t> bytes;
        AppendLe32(bytes, static_cast<uint32_t>(text.size() * 2));
        AppendUtf16Le(bytes, text);
        AppendLe16(bytes, 0);
        return Append(bytes).rva;
    }

    // The stacks first, then the other memory, in one block for the 64-bit list.
    void WriteMemory() {
        if (plan_.memory64)
            out_.bytes.resize((out_.bytes.size() + 15) & ~size_t{15});
        for (const WrittenThread& t : plan_.threads)
            stacks_.push_back(AddRange(t.stackStart, t.stack));
        for (const auto& [start, bytes] : plan_.memory)
            AddRange(start, bytes);
    }

    DumpLocation AddRange(uint64_t start, const std::vector<uint8_t>& bytes) {
        const DumpLocation at = Append(bytes, !plan_.memory64);
        ranges_.push_back({start, bytes.size(), at.rva});
        return at;
    }

    std::vector<uint8_t> StreamBytes(uint32_t type) {
        switch (type) {
            case kSystemInfoStream:
                return SystemInfo();
            case kMiscInfoStream:
                return MiscInfo();
            case kModuleListStream:
                return ModuleList();
            case kUnloadedModuleListStream:
                return UnloadedModuleList();
            case kThreadListStream:
                return ThreadList();
            case kExceptionStream:
                return Exception();
            case kMemoryListStream:
                return MemoryList();
            case kMemory64ListStream:
                return Memory64List();
            default:
                return {0xDE, 0xAD, 0xBE, 0xEF, static_cast<uint8_t>(type)};
        }
    }

    std::vector<uint8_t> SystemInfo() {
        const uint32_t csd = AppendString(plan_.csdVersion);
        std::vector<uint8_t> s(kSystemInfoSize);
        StoreLe16(s, kSystemArchitecture, plan_.processorArchitecture);
        StoreLe16(s, kSystemProcessorLevel, 6);
        StoreLe16(s, kSystemProcessorRevision, 0x9E0A);
        s[kSystemProcessorCount] = 8;
        s[kSystemProductType] = 1;
        StoreLe32(s, kSystemMajorVersion, plan_.majorVersion);
        StoreLe32(s, kSystemMinorVersion, plan_.minorVersion);
        StoreLe32(s, kSystemBuildNumber, plan_.buildNumber);
        StoreLe32(s, kSystemPlatformId, 2);
        StoreLe32(s, kSystemCsdVersionRva, csd);
        StoreLe16(s, kSystemSuiteMask, 0x100);
        return s;
    }

    std::vector<uint8_t> MiscInfo() {
        std::vector<uint8_t> s(24);
        const DumpMiscInfo& m = *plan_.miscInfo;
        StoreLe32(s, 0, 24);
        StoreLe32(s, kMiscFlags, m.flags);
        StoreLe32(s, kMiscProcessId, m.processId.value_or(0));
        StoreLe32(s, kMiscProcessCreateTime, m.processCreateTime.value_or(0));
        return s;
    }

    DumpLocation CodeView(const DumpCodeView& cv) {
        std::vector<uint8_t> r;
        if (cv.kind == DumpCodeView::Kind::None)
            return {};
        if (cv.kind == DumpCodeView::Kind::Pdb70) {
            r.assign(kCvPdb70Magic, kCvPdb70Magic + 4);
            r.insert(r.end(), cv.guid.begin(), cv.guid.end());
        } else {
            r.assign(kCvPdb20Magic, kCvPdb20Magic + 4);
            AppendLe32(r, 0);
            AppendLe32(r, cv.signature);
        }
        AppendLe32(r, cv.age);
        const std::string name = Utf16ToUtf8(cv.pdbName);
        r.insert(r.end(), name.begin(), name.end());
        r.push_back(0);
        return Append(r);
    }

    std::vector<uint8_t> ModuleList() {
        std::vector<uint8_t> s;
        AppendLe32(s, static_cast<uint32_t>(plan_.modules.size()));
        for (const DumpModule& m : plan_.modules) {
            const uint32_t name = AppendString(m.name);
            out_.moduleNameRvas.push_back(name);
            const DumpLocation cv = CodeView(m.codeView);
            std::vector<uint8_t> e(kModuleSize);
            StoreLe64(e, kModuleBase, m.base);
            StoreLe32(e, kModuleImageSize, m.size);
            StoreLe32(e, kModuleChecksum, m.checksum);
            StoreLe32(e, kModuleTimeStamp, m.timeStamp);
            StoreLe32(e, kModuleNameRva, name);
            if (const auto& v = m.version) {
                const size_t f = kModuleVersionInfo;
                StoreLe32(e, f, kFixedFileInfoSignature);
                StoreLe32(e, f + 4, 0x10000);
                StoreLe32(e, f + kFixedFileVersionMs, static_cast<uint32_t>(v->fileVersion >> 32));
                StoreLe32(e, f + kFixedFileVersionLs, static_cast<uint32_t>(v->fileVersion));
                StoreLe32(e, f + kFixedProductVersionMs,
                          static_cast<uint32_t>(v->productVersion >> 32));
                StoreLe32(e, f + kFixedProductVersionLs, static_cast<uint32_t>(v->productVersion));
                StoreLe32(e, f + kFixedFileFlags, v->fileFlags);
                StoreLe32(e, f + kFixedFileOs, v->fileOs);
                StoreLe32(e, f + kFixedFileType, v->fileType);
            }
            StoreLe32(e, kModuleCvRecord, cv.size);
            StoreLe32(e, kModuleCvRecord + 4, cv.rva);
            s.insert(s.end(), e.begin(), e.end());
        }
        return s;
    }

    std::vector<uint8_t> UnloadedModuleList() {
        std::vector<uint8_t> s;
        AppendLe32(s, kUnloadedListHeaderSize);
        AppendLe32(s, kUnloadedModuleSize);
        AppendLe32(s, static_cast<uint32_t>(plan_.unloadedModules.size()));
        for (const DumpUnloadedModule& m : plan_.unloadedModules) {
            const uint32_t name = AppendString(m.name);
            AppendLe64(s, m.base);
            AppendLe32(s, m.size);
            AppendLe32(s, m.checksum);
            AppendLe32(s, m.timeStamp);
            AppendLe32(s, name);
        }
        return s;
    }

    DumpLocation Context(const DumpContext& c) {
        const bool x64 = plan_.processorArchitecture == kArchitectureAmd64;
        std::vector<uint8_t> r(x64 ? kAmd64ContextSize : kX86ContextSize);
        if (x64) {
            StoreLe32(r, kAmd64ContextFlags, c.flags != 0 ? c.flags : kAmd64ContextAll);
            StoreLe64(r, kAmd64Rip, c.ip);
            StoreLe64(r, kAmd64Rsp, c.sp);
            StoreLe64(r, kAmd64Rbp, c.fp);
        } else {
            StoreLe32(r, kX86ContextFlags, c.flags != 0 ? c.flags : kX86ContextAll);
            StoreLe32(r, kX86Eip, static_cast<uint32_t>(c.ip));
            StoreLe32(r, kX86Esp, static_cast<uint32_t>(c.sp));
            StoreLe32(r, kX86Ebp, static_cast<uint32_t>(c.fp));
        }
        return Append(r);
    }

    std::vector<uint8_t> ThreadList() {
        std::vector<uint8_t> s;
        AppendLe32(s, static_cast<uint32_t>(plan_.threads.size()));
        for (size_t i = 0; i < plan_.threads.size(); ++i) {
            const WrittenThread& t = plan_.threads[i];
            const DumpLocation context = Context(t.context);
            AppendLe32(s, t.id);
            AppendLe32(s, 0);     // suspend count
            AppendLe32(s, 0x20);  // normal priority class
            AppendLe32(s, 0);
            AppendLe64(s, t.teb);
            AppendLe64(s, t.stackStart);
            AppendLocation(s, stacks_[i]);
            AppendLocation(s, context);
        }
        return s;
    }

    std::vector<uint8_t> Exception() {
        const WrittenException& x = *plan_.exception;
        const DumpLocation context = Context(x.context);
        std::vector<uint8_t> s(kExceptionStreamSize);
        StoreLe32(s, kExceptionThreadId, x.threadId);
        StoreLe32(s, kExceptionCode, x.code);
        StoreLe32(s, kExceptionFlags, x.flags);
        StoreLe64(s, kExceptionAddress, x.address);
        StoreLe32(s, kExceptionParameterCount, static_cast<uint32_t>(x.parameters.size()));
        for (size_t i = 0; i < x.parameters.size() && i < kExceptionMaximumParameters; ++i)
            StoreLe64(s, kExceptionParameters + 8 * i, x.parameters[i]);
        StoreLe32(s, kExceptionContext, context.size);
        StoreLe32(s, kExceptionContext + 4, context.rva);
        return s;
    }

    std::vector<uint8_t> MemoryList() {
        std::vector<uint8_t> s;
        AppendLe32(s, static_cast<uint32_t>(ranges_.size()));
        for (const DumpMemoryRange& r : ranges_) {
            AppendLe64(s, r.start);
            AppendLocation(s, {static_cast<uint32_t>(r.size), static_cast<uint32_t>(r.rva)});
        }
        return s;
    }

    std::vector<uint8_t> Memory64List() {
        std::vector<uint8_t> s;
        AppendLe64(s, ranges_.size());
        AppendLe64(s, ranges_.empty() ? 0 : ranges_.front().rva);
        for (const DumpMemoryRange& r : ranges_) {
            AppendLe64(s, r.start);
            AppendLe64(s, r.size);
        }
        return s;
    }

    const DumpPlan& plan_;
    WrittenDump out_;
    std::vector<DumpLocation> stacks_;
    std::vector<DumpMemoryRange> ranges_;
};

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 13);
    return bytes;
}

DumpModule Module(uint64_t base, uint32_t size, TextView name, uint32_t stamp) {
    DumpModule m;
    m.base = base;
    m.size = size;
    m.checksum = stamp ^ 0x5A5A;
    m.timeStamp = stamp;
    m.name = name;
    return m;
}

DumpPlan SmallDump(bool x64) {
    DumpPlan plan;
    plan.processorArchitecture = x64 ? kArchitectureAmd64 : kArchitectureIntel;
    plan.csdVersion = x64 ? u"" : u"Service Pack 1";
    plan.majorVersion = x64 ? 10 : 6;
    plan.minorVersion = x64 ? 0 : 1;
    plan.buildNumber = x64 ? 19045 : 7601;
    const uint64_t image = x64 ? 0x00007FF6'12340000 : 0x00400000;
    const uint64_t dll = x64 ? 0x00007FFA'00000000 : 0x77000000;

    DumpModule app = Module(image, 0x30000, u"C:\\Program Files\\Träger\\app.exe", 1690000000);
    app.version = DumpFileVersion{0x0002'0005'0000'0003, 0x0002'0005'0000'0000, 0, 0x40004, 1};
    app.codeView.kind = DumpCodeView::Kind::Pdb70;
    for (size_t i = 0; i < app.codeView.guid.size(); ++i)
        app.codeView.guid[i] = static_cast<uint8_t>(0x10 + i);
    app.codeView.age = 3;
    app.codeView.pdbName = u"D:\\build\\Träger\\app.pdb";
    DumpModule old = Module(dll, 0x20000, u"C:\\Windows\\System32\\legacy.dll", 900000000);
    old.version = DumpFileVersion{0x0006'0001'1DB1'4000, 0x0006'0001'1DB1'4000, 0, 0x40004, 2};
    old.codeView.kind = DumpCodeView::Kind::Pdb20;
    old.codeView.signature = 0x3B7D84D4;
    old.codeView.age = 2;
    old.codeView.pdbName = u"legacy.pdb";
    DumpModule bare = Module(dll + 0x100000, 0x8000, u"C:\\Temp\\plugin.dll", 0);
    plan.modules = {app, old, bare};
    plan.unloadedModules = {{dll + 0x200000, 0x4000, 0x1234, 1600000000, u"gone.dll"}};

    const uint64_t stack = x64 ? 0x000000C0'FFEE0000 : 0x0012F000;
    WrittenThread first;
    first.id = 4242;
    first.teb = x64 ? 0x000000C0'FF000000 : 0x7FFDF000;
    first.stackStart = stack;
    first.stack = Pattern(0x400, 1);
    first.context = {DumpArchitecture::Other, 0, image + 0x1234, stack + 0x100, stack + 0x180};
    WrittenThread second;
    second.id = 77;
    second.teb = first.teb + 0x2000;
    second.stackStart = stack + 0x10000;
    second.stack = Pattern(0x200, 9);
    second.context = {DumpArchitecture::Other, 0, dll + 0x40, stack + 0x10000, 0};
    plan.threads = {first, second};

    WrittenException e;
    e.threadId = first.id;
    e.code = 0xC0000005;
    e.address = image + 0x1230;
    e.parameters = {1, 0xDEAD};
    e.context = {DumpArchitecture::Other, 0, image + 0x1230, stack + 0xF0, stack + 0x180};
    plan.exception = e;
    plan.miscInfo = DumpMiscInfo{kMiscProcessIdValid | kMiscProcessTimesValid, 5150, 1700000000};
    // Memory that continues the first stack without a gap, as adjacent ranges do.
    plan.memory = {{stack + 0x400, Pattern(0x100, 5)}};
    plan.otherStreams = {0x47670001};
    return plan;
}

}  // namespace

WrittenDump WriteDump(const DumpPlan& plan) {
    return Writer(plan).Write();
}

DumpPlan SmallX64Dump() {
    return SmallDump(true);
}

DumpPlan SmallX86Dump() {
    return SmallDump(false);
}

}  // namespace veltrano::testing
