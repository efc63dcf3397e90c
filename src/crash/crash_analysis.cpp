// The analysis: the dump reader's facts, the crashing thread's walk and the signature of its
// first frame outside the exception dispatch.
#include "crash/crash_analysis.h"

#include <map>

#include "crash/system_modules.h"
#include "platform/offline/dump/minidump.h"
#include "shell/exception_names.h"

namespace veltrano::crash {
namespace {

// Enough of a CONTEXT record for the integer registers of both layouts.
constexpr uint32_t kContextBytesNeeded = 0x100;

char16_t Lower(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<char16_t>(c + 0x20);
    return c;
}

Text FileNameOf(TextView path) {
    const size_t slash = path.find_last_of(u"\\/");
    Text name(slash == TextView::npos ? path : path.substr(slash + 1));
    for (char16_t& c : name)
        c = Lower(c);
    return name;
}

Text UpperHex(uint64_t value, size_t width) {
    Text digits = HexText(value);
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), u'0');
    return Folded(digits);
}

Text PdbId(const dump::DumpCodeView& cv) {
    if (cv.kind == dump::DumpCodeView::Kind::Pdb20)
        return UpperHex(cv.signature, 8) + UpperHex(cv.age, 0);
    if (cv.kind != dump::DumpCodeView::Kind::Pdb70)
        return {};
    const auto& g = cv.guid;
    const uint32_t data1 = g[0] | (g[1] << 8) | (g[2] << 16) | (uint32_t{g[3]} << 24);
    Text id =
        UpperHex(data1, 8) + UpperHex(g[4] | (g[5] << 8), 4) + UpperHex(g[6] | (g[7] << 8), 4);
    for (size_t i = 8; i < 16; ++i)
        id += UpperHex(g[i], 2);
    return id + UpperHex(cv.age, 0);
}

CrashModule ModuleOf(const dump::DumpModule& m) {
    CrashModule c;
    c.name = FileNameOf(m.name);
    c.path = m.name;
    c.base = m.base;
    c.size = m.size;
    if (m.version)
        c.version = VersionText(m.version->fileVersion);
    c.timeStamp = m.timeStamp;
    c.pdbName = m.codeView.pdbName;
    c.pdbId = PdbId(m.codeView);
    return c;
}

const char* ArchitectureName(const std::optional<dump::DumpSystemInfo>& info) {
    if (!info)
        return "other";
    switch (info->Architecture()) {
        case dump::DumpArchitecture::X64:
            return "x64";
        case dump::DumpArchitecture::X86:
            return "x86";
        default:
            return "other";
    }
}

// The modules' PE files from the analysed drive, each opened once, and only when it is the image
// the dump names (the same size and link time): another build on the drive would unwind wrong.
class DriveImages {
  public:
    DriveImages(FileSystem& files, const dump::Minidump& dump, bool enabled)
        : files_(files), dump_(dump), enabled_(enabled) {}

    ModuleImage* operator()(size_t index) {
        if (!enabled_ || index >= dump_.modules().size())
            return nullptr;
        auto [it, added] = images_.try_emplace(index);
        if (added) {
            const dump::DumpModule& m = dump_.modules()[index];
            auto image =
                m.name.empty() ? std::nullopt : ModuleImage::Open(files_.OpenForReading(m.name));
            if (image && image->sizeOfImage() == m.size && image->timeStamp() == m.timeStamp)
                it->second = std::move(image);
        }
        return it->second ? &*it->second : nullptr;
    }

  private:
    FileSystem& files_;
    const dump::Minidump& dump_;
    bool enabled_;
    std::map<size_t, std::optional<ModuleImage>> images_;
};

std::optional<CrashSignature> SignatureOf(const std::vector<Frame>& frames,
                                          const std::vector<CrashModule>& modules) {
    // The first frame outside the dispatch modules; failing that (a crash in the system's own
    // code with no caller found), the first frame in any module.
    std::optional<size_t> chosen;
    for (size_t i = 0; i < frames.size() && !chosen; ++i) {
        if (frames[i].moduleIndex && !IsDispatchModule(modules[*frames[i].moduleIndex].name))
            chosen = i;
    }
    for (size_t i = 0; i < frames.size() && !chosen; ++i) {
        if (frames[i].moduleIndex)
            chosen = i;
    }
    if (!chosen)
        return std::nullopt;
    const Frame& f = frames[*chosen];
    const CrashModule& m = modules[*f.moduleIndex];
    return MakeSignature(m.name, m.version, f.offset, *chosen);
}

}  // namespace

CrashAnalysis AnalyseDump(FileSystem& files, TextView path, const CrashOptions& options) {
    CrashAnalysis a;
    std::string problem;
    auto dump = dump::ReadMinidump(files, path, &problem);
    if (!dump) {
        a.problems.push_back("not a readable minidump: " + problem);
        return a;
    }
    a.readable = true;
    a.problems = dump->problems();
    for (const dump::DumpModule& m : dump->modules())
        a.modules.push_back(ModuleOf(m));
    if (const auto& info = dump->systemInfo()) {
        a.osVersion = UnsignedText(info->majorVersion) + u"." + UnsignedText(info->minorVersion) +
                      u"." + UnsignedText(info->buildNumber);
    }
    a.architecture = Ascii(ArchitectureName(dump->systemInfo()));
    if (dump->miscInfo())
        a.processId = dump->miscInfo()->processId;
    a.dumpTime = dump->header().timeStamp;

    const auto& exception = dump->exception();
    if (!exception) {
        a.problems.push_back("the dump has no exception stream");
        return a;
    }
    a.hasException = true;
    a.exceptionCode = exception->code;
    if (options.messages)
        a.exceptionName = ExceptionCodeName(*options.messages, exception->code);
    a.exceptionAddress = exception->address;
    a.threadId = exception->threadId;
    a.exceptionParameters = exception->parameters;
    if (const dump::DumpModule* m = dump->ModuleAt(exception->address)) {
        const CrashModule& c = a.modules[static_cast<size_t>(m - dump->modules().data())];
        a.faultingModule = ModuleOffset{c.name, c.version, exception->address - m->base};
    }

    // The registers at the exception; a writer that left them out still has the thread's own.
    std::optional<dump::DumpContext> context = exception->context;
    dump::DumpLocation location = exception->contextLocation;
    if (!context) {
        if (const dump::DumpThread* t = dump->Thread(exception->threadId)) {
            context = t->context;
            location = t->contextLocation;
        }
    }
    if (!context) {
        a.problems.push_back("the crashing thread's registers are not in the dump");
        return a;
    }
    location.size = std::min(location.size, kContextBytesNeeded);
    const std::vector<uint8_t> registers =
        dump->ReadLocation(location).value_or(std::vector<uint8_t>());
    DriveImages images(files, *dump, options.readModuleFiles);
    a.frames = WalkStack(
        *dump, *context, registers, [&images](size_t index) { return images(index); },
        options.limits);
    if (a.frames.size() <= 1)
        a.problems.push_back("no caller of the faulting frame was found on the stack");
    a.signature = SignatureOf(a.frames, a.modules);
    return a;
}

}  // namespace veltrano::crash
