// Machine variables of an analysed drive.
#include "platform/offline/drive_environment.h"

namespace veltrano {
namespace {

constexpr TextView kCurrentVersion = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr TextView kProfileList = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

struct Recorded {
    TextView variable;
    TextView key;
    TextView value;
};

// Where Windows records the folders that the environment block is built from.
constexpr Recorded kRecorded[] = {
    {u"ProgramFiles", kCurrentVersion, u"ProgramFilesDir"},
    {u"ProgramFiles(x86)", kCurrentVersion, u"ProgramFilesDir (x86)"},
    {u"ProgramW6432", kCurrentVersion, u"ProgramW6432Dir"},
    {u"CommonProgramFiles", kCurrentVersion, u"CommonFilesDir"},
    {u"CommonProgramFiles(x86)", kCurrentVersion, u"CommonFilesDir (x86)"},
    {u"CommonProgramW6432", kCurrentVersion, u"CommonW6432Dir"},
    {u"ProgramData", kProfileList, u"ProgramData"},
    {u"ALLUSERSPROFILE", kProfileList, u"ProgramData"},
    {u"PUBLIC", kProfileList, u"Public"},
};

}  // namespace

DriveEnvironment::DriveEnvironment(Text systemRoot, Registry* registry) {
    while (systemRoot.size() > 3 && systemRoot.back() == u'\\')
        systemRoot.pop_back();
    const Text drive =
        systemRoot.size() >= 2 && systemRoot[1] == u':' ? systemRoot.substr(0, 2) : Text(u"C:");
    Set(u"SystemRoot", systemRoot);
    Set(u"windir", systemRoot);
    Set(u"SystemDrive", drive);
    Set(u"ProgramFiles", drive + u"\\Program Files");
    Set(u"ProgramFiles(x86)", drive + u"\\Program Files (x86)");
    Set(u"ProgramW6432", drive + u"\\Program Files");
    Set(u"CommonProgramFiles", drive + u"\\Program Files\\Common Files");
    Set(u"CommonProgramFiles(x86)", drive + u"\\Program Files (x86)\\Common Files");
    Set(u"CommonProgramW6432", drive + u"\\Program Files\\Common Files");
    Set(u"ProgramData", drive + u"\\ProgramData");
    Set(u"ALLUSERSPROFILE", drive + u"\\ProgramData");
    Set(u"PUBLIC", drive + u"\\Users\\Public");
    if (!registry)
        return;
    for (const auto& recorded : kRecorded) {
        // Recorded values may themselves name %SystemDrive%.
        const Text value = Expand(registry->ReadMachineString(recorded.key, recorded.value));
        if (!value.empty())
            Set(recorded.variable, value);
    }
}

const Text* DriveEnvironment::Find(TextView name) const {
    for (const auto& [variable, value] : variables_) {
        if (EqualsNoCase(variable, name))
            return &value;
    }
    return nullptr;
}

void DriveEnvironment::Set(TextView name, Text value) {
    for (auto& [variable, old] : variables_) {
        if (EqualsNoCase(variable, name)) {
            old = std::move(value);
            return;
        }
    }
    variables_.emplace_back(Text(name), std::move(value));
}

Text DriveEnvironment::Expand(TextView text) {
    Text out;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t open = text.find(u'%', pos);
        if (open == TextView::npos)
            break;
        out.append(text.substr(pos, open - pos));
        const size_t close = text.find(u'%', open + 1);
        if (close == TextView::npos) {
            pos = open;
            break;
        }
        const Text* value = Find(text.substr(open + 1, close - open - 1));
        if (value) {
            out += *value;
        } else {
            out.append(text.substr(open, close - open + 1));
        }
        pos = close + 1;
    }
    out.append(text.substr(pos));
    return out;
}

}  // namespace veltrano
