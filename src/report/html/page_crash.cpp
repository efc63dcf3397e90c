// The page's view of a dump: addresses and offsets as the fleet's lines write them.
#include "report/html/page_crash.h"

#include "crash/crash_signature.h"

namespace veltrano {
namespace {

// "0x" and that many lower-case hex digits, zero-padded.
Text PaddedHex(uint64_t value, int digits) {
    Text text = u"0x";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        text += u"0123456789abcdef"[(value >> shift) & 0xF];
    return text;
}

Text ModulePlace(const Text& module, uint64_t offset) {
    return module + u"+0x" + crash::HexText(offset);
}

}  // namespace

PageDump DumpForPage(const crash::JoinedDump& dump, const ErrorEntry& entry) {
    const crash::CrashAnalysis& a = dump.analysis;
    const int addressDigits = a.architecture == u"x86" ? 8 : 16;
    PageDump page;
    page.path = dump.path;
    if (a.hasException) {
        page.exception = PaddedHex(a.exceptionCode, 8);
        page.exceptionName = a.exceptionName;
    }
    if (a.faultingModule)
        page.fault = ModulePlace(a.faultingModule->name, a.faultingModule->offset);
    page.agreement = static_cast<int>(dump.agreement);
    if (!entry.FaultModule.empty())
        page.recordFault = entry.FaultModule + u"+" + entry.FaultOffset;
    if (a.signature) {
        page.signature = a.signature->input;
        page.signatureHash = a.signature->hash;
    }
    for (const crash::Frame& frame : a.frames) {
        const bool inModule = frame.moduleIndex && *frame.moduleIndex < a.modules.size();
        page.frames.push_back({inModule
                                   ? ModulePlace(a.modules[*frame.moduleIndex].name, frame.offset)
                                   : PaddedHex(frame.address, addressDigits),
                               static_cast<int>(frame.source)});
    }
    for (const crash::CrashModule& m : a.modules)
        page.modules.push_back({m.name, m.version, m.pdbName, m.pdbId});
    return page;
}

PageStop StopForPage(const crash::StopError& stop) {
    const int digits = stop.dump && !stop.dump->is64Bit ? 8 : 16;
    PageStop page;
    page.code = PaddedHex(stop.bugCheckCode, 8);
    page.name = stop.bugCheckName;
    for (size_t i = 0; i < stop.parameters.size(); ++i)
        page.parameters[i] = PaddedHex(stop.parameters[i], digits);
    if (stop.dump && stop.dump->driver)
        page.driver = ModulePlace(stop.dump->driver->name, stop.dump->driver->offset);
    page.dumpPath = stop.dumpPath;
    return page;
}

}  // namespace veltrano
