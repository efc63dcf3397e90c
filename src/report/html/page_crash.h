// What a machine's crash dumps add to an entry of the page: a joined dump's exception, fault,
// its agreement with the record, signature, frames and modules; a stop error's bug check.
#pragma once

#include <array>
#include <vector>

#include "base/text.h"
#include "crash/crash_findings.h"
#include "engine/catalogue.h"

namespace veltrano {

struct PageFrame {
    Text place;      // "lumen.dll+0x1a2b", or the bare address of a frame in no module
    int source = 0;  // crash::FrameSource as a number: the page words it
};

struct PageModule {
    Text name;
    Text version;
    Text pdbName;
    Text pdbId;
};

struct PageDump {
    Text path;
    Text exception;      // "0xc0000005"; empty when the dump holds no exception
    Text exceptionName;  // may be empty
    Text fault;          // "lumen.dll+0x1a2b"; empty when the address lies in no module
    int agreement = 0;   // crash::FaultAgreement as a number
    Text recordFault;    // the record's own "module+offset"; empty when it names none
    Text signature;
    Text signatureHash;
    std::vector<PageFrame> frames;
    std::vector<PageModule> modules;
};

struct PageStop {
    Text code;  // "0x0000000a"
    Text name;
    std::array<Text, 4> parameters;  // "0x…", as wide as the dump's words
    Text driver;                     // "nvlddmkm.sys+0x1a2b"; empty when none is known
    Text dumpPath;
};

PageDump DumpForPage(const crash::JoinedDump& dump, const ErrorEntry& entry);
PageStop StopForPage(const crash::StopError& stop);

}  // namespace veltrano
