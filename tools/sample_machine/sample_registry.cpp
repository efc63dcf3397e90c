// The sample's registry hives and their REGEDIT4 form.
#include "sample_machine/sample_writer.h"
#include "writers/hive/event_source_keys.h"
#include "writers/hive/reg_file.h"

namespace veltrano::sample {
namespace {

constexpr uint32_t kControlSet = 1;
constexpr char16_t kEventLogKey[] = u"ControlSet001\\Services\\EventLog";
constexpr char16_t kPublishersKey[] = u"Microsoft\\Windows\\CurrentVersion\\WINEVT\\Publishers";

}  // namespace

HiveWriter SampleSystemHive(const SampleMachine& m) {
    HiveWriter system;
    SelectControlSet(system, kControlSet);
    for (const SampleSource& s : m.sources) {
        if (!s.messageFile.empty()) {
            AddEventSource(system, kControlSet, s.log, s.source, s.messageFile);
        } else {
            system.Root()
                .Key(Text(kEventLogKey) + u"\\" + s.log + u"\\" + s.source)
                .SetString(u"providerGuid", s.providerGuid);
        }
    }
    system.Root()
        .Key(u"ControlSet001\\Control\\Nls\\Language")
        .SetString(u"InstallLanguage", m.installLanguage);
    system.Root()
        .Key(u"ControlSet001\\Control\\ComputerName\\ComputerName")
        .SetString(u"ComputerName", m.computer);
    return system;
}

HiveWriter SampleSoftwareHive(const SampleMachine& m) {
    HiveWriter software;
    for (const SamplePublisher& p : m.publishers)
        AddPublisher(software, p.guid, p.messageFile).SetString(u"", p.name);
    for (const SampleManifestProvider& p : m.manifestProviders) {
        AddPublisher(software, p.guid, p.binary)
            .SetString(u"", p.name)
            .SetExpandString(u"ResourceFileName", p.binary)
            .SetExpandString(u"ParameterFileName", p.binary);
    }
    software.Root()
        .Key(u"Microsoft\\Windows\\CurrentVersion")
        .SetString(u"ProgramFilesDir", u"C:\\Program Files")
        .SetString(u"CommonFilesDir", u"C:\\Program Files\\Common Files")
        .SetString(u"ProgramFilesDir (x86)", u"C:\\Program Files (x86)")
        .SetString(u"CommonFilesDir (x86)", u"C:\\Program Files (x86)\\Common Files")
        .SetString(u"ProgramW6432Dir", u"C:\\Program Files")
        .SetString(u"CommonW6432Dir", u"C:\\Program Files\\Common Files");
    HiveWriterKey& profiles = software.Root()
                                  .Key(u"Microsoft\\Windows NT\\CurrentVersion\\ProfileList")
                                  .SetExpandString(u"ProfilesDirectory", u"%SystemDrive%\\Users")
                                  .SetExpandString(u"ProgramData", u"%SystemDrive%\\ProgramData")
                                  .SetExpandString(u"Public", u"%SystemDrive%\\Users\\Public")
                                  .SetExpandString(u"Default", u"%SystemDrive%\\Users\\Default");
    for (size_t i = 0; i < m.users.size(); ++i) {
        profiles.Key(UserSid(i)).SetExpandString(u"ProfileImagePath", u"C:\\Users\\" + m.users[i]);
    }
    software.Root()
        .Key(u"Microsoft\\Windows NT\\CurrentVersion")
        .SetString(u"ProductName", u"Windows 10 Pro")
        .SetString(u"CurrentBuild", u"19045")
        .SetString(u"RegisteredOwner", u"anna");
    return software;
}

std::string SampleRegFile(const SampleMachine& m) {
    HiveWriter system = SampleSystemHive(m);
    HiveWriter software = SampleSoftwareHive(m);
    return RegEditHeader() +
           RegEditSections(system.Root().Key(kEventLogKey),
                           "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog") +
           RegEditSections(software.Root().Key(kPublishersKey),
                           "HKEY_LOCAL_MACHINE\\SOFTWARE\\" + Utf16ToUtf8(kPublishersKey));
}

}  // namespace veltrano::sample
