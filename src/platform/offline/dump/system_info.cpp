// The machine and the process: the system info stream (processor, Windows version, service
// pack) and the misc info stream (process id and creation time, where its flags say so).
#include "platform/offline/dump/dump_streams.h"

#include "platform/offline/dump/minidump_format.h"

namespace veltrano::dump {

DumpArchitecture DumpSystemInfo::Architecture() const {
    switch (processorArchitecture) {
        case kArchitectureIntel:
            return DumpArchitecture::X86;
        case kArchitectureAmd64:
            return DumpArchitecture::X64;
        default:
            return DumpArchitecture::Other;
    }
}

void ReadSystemInfo(ByteView stream, DumpFile& file, MinidumpFacts& facts) {
    if (!stream.Has(0, kSystemInfoSize)) {
        NoteProblem(facts, "the system info stream is too short");
        return;
    }
    DumpSystemInfo info;
    info.processorArchitecture = stream.U16(kSystemArchitecture);
    info.processorLevel = stream.U16(kSystemProcessorLevel);
    info.processorRevision = stream.U16(kSystemProcessorRevision);
    info.processorCount = stream.U8(kSystemProcessorCount);
    info.productType = stream.U8(kSystemProductType);
    info.majorVersion = stream.U32(kSystemMajorVersion);
    info.minorVersion = stream.U32(kSystemMinorVersion);
    info.buildNumber = stream.U32(kSystemBuildNumber);
    info.platformId = stream.U32(kSystemPlatformId);
    info.suiteMask = stream.U16(kSystemSuiteMask);
    info.csdVersion =
        ReadDumpString(file, stream.U32(kSystemCsdVersionRva), "service pack text", facts)
            .value_or(Text());
    facts.systemInfo = std::move(info);
}

void ReadMiscInfo(ByteView stream, DumpFile&, MinidumpFacts& facts) {
    // The stream grew over the versions (MINIDUMP_MISC_INFO_2 to _5); each field is read where
    // the flags name it and the stream holds it.
    if (!stream.Has(0, kMiscFlags + 4)) {
        NoteProblem(facts, "the misc info stream is too short");
        return;
    }
    DumpMiscInfo info;
    info.flags = stream.U32(kMiscFlags);
    if ((info.flags & kMiscProcessIdValid) && stream.Has(kMiscProcessId, 4))
        info.processId = stream.U32(kMiscProcessId);
    if ((info.flags & kMiscProcessTimesValid) && stream.Has(kMiscProcessCreateTime, 4))
        info.processCreateTime = stream.U32(kMiscProcessCreateTime);
    facts.miscInfo = info;
}

}  // namespace veltrano::dump
