// Machine keys of an analysed drive.
#include "platform/offline/registry/hive_registry.h"

#include <cstdio>

namespace veltrano {
namespace {

constexpr TextView kCurrentControlSet = u"CurrentControlSet";
// Windows caps a hive at 2 GiB; real SYSTEM and SOFTWARE hives stay far below this.
constexpr uint64_t kMaxHiveSize = uint64_t{1} << 30;

// The first component of a backslash path and the rest after it.
TextView FirstComponent(TextView path, TextView& rest) {
    while (!path.empty() && path.front() == u'\\')
        path.remove_prefix(1);
    const size_t end = path.find(u'\\');
    const TextView first = path.substr(0, end);
    rest = end == TextView::npos ? TextView() : path.substr(end + 1);
    return first;
}

}  // namespace

HiveRegistry::HiveRegistry(FileSystem& files, Text systemRoot)
    : files_(files), configFolder_(std::move(systemRoot)) {
    while (!configFolder_.empty() && configFolder_.back() == u'\\')
        configFolder_.pop_back();
    configFolder_ += u"\\System32\\config\\";
}

const Hive* HiveRegistry::Load(LoadedHive& slot, TextView fileName) {
    if (!slot.tried) {
        slot.tried = true;
        if (auto bytes = ReadWholeFile(files_, configFolder_ + Text(fileName), kMaxHiveSize)) {
            slot.hive = Hive::Parse(std::move(*bytes));
        }
    }
    return slot.hive ? &*slot.hive : nullptr;
}

Text HiveRegistry::CurrentControlSet(const Hive& system) const {
    // A live system links CurrentControlSet to the set it booted from; a hive file only records
    // that choice under Select.
    uint32_t number = 1;
    if (const auto select = system.Open(system.Root(), u"Select")) {
        for (const TextView name : {TextView(u"Current"), TextView(u"Default")}) {
            const auto value = system.Value(*select, name);
            const auto dword = value ? ValueDword(*value) : std::nullopt;
            if (dword && *dword > 0 && *dword < 1000) {
                number = *dword;
                break;
            }
        }
    }
    char name[32];
    std::snprintf(name, sizeof name, "ControlSet%03u", number);
    return Ascii(name);
}

bool HiveRegistry::HasHive(TextView name) {
    std::lock_guard lock(mutex_);
    if (EqualsNoCase(name, u"SYSTEM"))
        return Load(system_, u"SYSTEM") != nullptr;
    if (EqualsNoCase(name, u"SOFTWARE"))
        return Load(software_, u"SOFTWARE") != nullptr;
    return false;
}

const Hive* HiveRegistry::Locate(TextView keyPath, Text& pathInHive) {
    TextView rest;
    const TextView hiveName = FirstComponent(keyPath, rest);
    if (EqualsNoCase(hiveName, u"SOFTWARE")) {
        pathInHive = Text(rest);
        return Load(software_, u"SOFTWARE");
    }
    if (!EqualsNoCase(hiveName, u"SYSTEM"))
        return nullptr;
    const Hive* system = Load(system_, u"SYSTEM");
    if (!system)
        return nullptr;
    TextView tail;
    const TextView set = FirstComponent(rest, tail);
    if (EqualsNoCase(set, kCurrentControlSet)) {
        pathInHive = CurrentControlSet(*system);
        if (!tail.empty())
            pathInHive.append(u"\\").append(tail);
    } else {
        pathInHive = Text(rest);
    }
    return system;
}

std::optional<HiveValue> HiveRegistry::ReadMachineValue(TextView keyPath, TextView valueName) {
    std::lock_guard lock(mutex_);
    Text pathInHive;
    const Hive* hive = Locate(keyPath, pathInHive);
    if (!hive)
        return std::nullopt;
    const auto key = hive->Open(hive->Root(), pathInHive);
    if (!key)
        return std::nullopt;
    return hive->Value(*key, valueName);
}

Text HiveRegistry::ReadMachineString(TextView keyPath, TextView valueName) {
    const auto value = ReadMachineValue(keyPath, valueName);
    if (!value)
        return {};
    return ValueText(*value).value_or(Text());
}

}  // namespace veltrano
