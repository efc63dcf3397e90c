// The event sources whose messages the sample machine's registry finds: all in the sample's
// message file, most named by their EventMessageFile, Kernel-Power through its publisher as
// Windows registers manifest-based providers. "Brightbyte Backup" was uninstalled and left its
// records behind without a registration.
#include "sample_machine/sample_parts.h"

namespace veltrano::sample {

void AddRegistrations(Composer& composer) {
    const Text file = u"%SystemRoot%\\" + Text(kSampleMessageDll).substr(Text(u"Windows\\").size());
    const std::pair<const char16_t*, const char16_t*> kSources[] = {
        {u"Application", u"Application Error"},
        {u"Application", u"Application Hang"},
        {u"Application", u"Windows Error Reporting"},
        {u"Application", u"SideBySide"},
        {u"Application", u"VSS"},
        {u"System", u"Service Control Manager"},
        {u"System", u"disk"},
        {u"System", u"DCOM"},
        {u"System", u"EventLog"},
    };
    SampleMachine& m = composer.machine();
    for (const auto& [log, source] : kSources)
        m.sources.push_back({log, source, file, u""});
    const Text kernelPower = u"{331C3B3A-2005-44C2-AC5E-77220C37D6B4}";
    m.sources.push_back({u"System", u"Microsoft-Windows-Kernel-Power", u"", kernelPower});
    m.publishers.push_back({kernelPower, u"Microsoft-Windows-Kernel-Power", file});
}

}  // namespace veltrano::sample
