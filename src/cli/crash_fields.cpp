// The crash fields of an error's outputs.
#include "cli/crash_fields.h"

#include "crash/hex_numbers.h"
#include "shell/local_texts.h"

namespace veltrano {
namespace {

// Offsets as wide as the process's addresses, as the crash records write them.
size_t OffsetDigits(const crash::CrashAnalysis& analysis) {
    return analysis.architecture == u"x86" ? 8 : 16;
}

Text FaultOffset(const crash::CrashAnalysis& analysis) {
    return analysis.faultingModule
               ? crash::PaddedHex(analysis.faultingModule->offset, OffsetDigits(analysis))
               : Text();
}

Text DriverText(const crash::StopError& stop) {
    if (!stop.dump || !stop.dump->driver)
        return {};
    const auto& driver = *stop.dump->driver;
    return driver.name + u"+0x" + crash::PaddedHex(driver.offset, 0).substr(2);
}

void WriteModules(JsonWriter& json, const crash::CrashAnalysis* analysis) {
    static const std::vector<crash::CrashModule> kNone;
    json.Key("DumpModules").Array(analysis ? analysis->modules : kNone,
                                  [&](const crash::CrashModule& m) {
        json.BeginObject().Key("Name").String(m.name).Key("Version").String(m.version);
        json.Key("Path").String(m.path).Key("TimeStamp").Number(m.timeStamp);
        json.Key("PdbName").String(m.pdbName).Key("PdbId").String(m.pdbId);
        json.Key("Base").String(crash::PaddedHex(m.base, 0)).Key("Size").Number(m.size);
        json.EndObject();
    });
}

}  // namespace

Text FrameText(const crash::CrashAnalysis& analysis, const crash::Frame& frame) {
    if (!frame.moduleIndex || *frame.moduleIndex >= analysis.modules.size())
        return crash::PaddedHex(frame.address, OffsetDigits(analysis));
    return analysis.modules[*frame.moduleIndex].name + u"+" + crash::PaddedHex(frame.offset, 0);
}

void WriteCrashFields(JsonWriter& json, const crash::JoinedDump* dump, const crash::StopError* stop) {
    const crash::CrashAnalysis* a = dump != nullptr ? &dump->analysis : nullptr;
    const auto* fault = a != nullptr && a->faultingModule ? &*a->faultingModule : nullptr;
    const auto* signature = a != nullptr && a->signature ? &*a->signature : nullptr;
    // A stop error's dump is its kernel dump.
    json.Key("DumpFile").String(dump != nullptr   ? dump->path
                                : stop != nullptr ? stop->dumpPath
                                                  : Text());
    json.Key("DumpJoin").String(dump != nullptr ? crash::DumpJoinName(dump->join) : "");
    json.Key("DumpCount").Number(dump != nullptr ? dump->dumps : 0);
    json.Key("DumpException")
        .String(a != nullptr && a->hasException ? crash::PaddedHex(a->exceptionCode, 8) : Text());
    json.Key("DumpExceptionName").String(a != nullptr ? a->exceptionName : Text());
    json.Key("DumpFaultModule").String(fault != nullptr ? fault->name : Text());
    json.Key("DumpFaultModuleVersion").String(fault != nullptr ? fault->version : Text());
    json.Key("DumpFaultOffset").String(a != nullptr ? FaultOffset(*a) : Text());
    json.Key("FaultAgreement")
        .String(dump != nullptr ? crash::FaultAgreementName(dump->agreement) : "");
    json.Key("CrashSignature").String(signature != nullptr ? signature->input : Text());
    json.Key("CrashSignatureHash").String(signature != nullptr ? signature->hash : Text());
    static const std::vector<crash::Frame> kNoFrames;
    const auto& frames = a != nullptr ? a->frames : kNoFrames;
    json.Key("CrashFrames").Array(frames, [&](const crash::Frame& f) {
        json.String(FrameText(*a, f));
    });
    json.Key("CrashFrameSources").Array(frames, [&](const crash::Frame& f) {
        json.String(crash::FrameSourceName(f.source));
    });
    WriteModules(json, a);
    json.Key("DumpOsVersion").String(a != nullptr ? a->osVersion : Text());
    json.Key("DumpProcessId");
    if (a != nullptr && a->processId)
        json.Number(*a->processId);
    else
        json.Null();
    json.Key("BugCheckCode")
        .String(stop != nullptr && stop->bugCheckCode != 0 ? crash::PaddedHex(stop->bugCheckCode, 8)
                                                           : Text());
    json.Key("BugCheckName").String(stop != nullptr ? stop->bugCheckName : Text());
    static const std::array<uint64_t, 4> kNoParameters{};
    const bool parameters = stop != nullptr && stop->bugCheckCode != 0;
    json.Key("BugCheckParameters").BeginArray();
    for (uint64_t p : parameters ? stop->parameters : kNoParameters) {
        if (parameters)
            json.String(crash::PaddedHex(p, 16));
    }
    json.EndArray();
    json.Key("BugCheckDriver").String(stop != nullptr ? DriverText(*stop) : Text());
    json.Key("FoldedRecords")
        .Number(stop != nullptr ? stop->powerRecords + stop->shutdownRecords : 0);
}

Text CrashCell(const crash::JoinedDump* dump, const crash::StopError* stop) {
    if (stop != nullptr && stop->bugCheckCode != 0) {
        Text cell = crash::PaddedHex(stop->bugCheckCode, 8);
        if (!stop->bugCheckName.empty())
            cell += u" " + stop->bugCheckName;
        if (const Text driver = DriverText(*stop); !driver.empty())
            cell += u", " + driver;
        return cell;
    }
    if (dump == nullptr)
        return {};
    const crash::CrashAnalysis& a = dump->analysis;
    Text cell;
    if (a.faultingModule)
        cell = a.faultingModule->name + u"+" + crash::PaddedHex(a.faultingModule->offset, 0);
    else if (a.hasException)
        cell = crash::PaddedHex(a.exceptionAddress, OffsetDigits(a));
    if (a.signature)
        cell += (cell.empty() ? u"[" : u" [") + a.signature->hash + u"]";
    if (dump->agreement == crash::FaultAgreement::Differs) {
        const bool german = InterfaceLanguage() == kLanguageGerman;
        const bool prefixed = StartsWith(dump->recordOffset, u"0x");
        cell += (german ? u"; Ereignis: " : u"; record: ") + dump->recordModule +
                (prefixed ? u"+" : u"+0x") + dump->recordOffset;
    }
    return cell;
}

Text CrashColumnTitle() {
    return InterfaceLanguage() == kLanguageGerman ? u"Absturz (Abbild)" : u"Crash (dump)";
}

}  // namespace veltrano
