// Building the drive of the message-text benchmarks.
#include "manifest_drive.h"

#include <fstream>
#include <map>

#include "platform/offline/eventlog/log_file.h"
#include "platform/offline/manifest/crim_manifest.h"
#include "writers/hive/event_source_keys.h"
#include "writers/manifest/crim_writer.h"
#include "writers/manifest/resource_dll_writer.h"

namespace fs = std::filesystem;

namespace veltrano::bench {

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

namespace {

struct ProviderSeen {
    Text name;
    std::map<std::pair<uint16_t, uint8_t>, size_t> events;  // (id, version) -> data values
};

// Our manifest for what the log's error records use, with the messages for it.
std::vector<uint8_t> OwnManifest(const Text& guid, const ProviderSeen& seen,
                                 std::map<uint32_t, Text>& messages) {
    manifest::ManifestProvider p;
    p.guid = manifestwriter::GuidBytes(guid);
    for (const auto& [key, values] : seen.events) {
        manifest::EventTemplate t;
        Text text = u"Event " + DecimalText(key.first) + u" of " + seen.name + u":";
        for (size_t i = 0; i < values; ++i) {
            t.items.push_back({u"value" + DecimalText(i + 1), 1, 1});
            text += u" %" + DecimalText(i + 1);
        }
        const uint32_t id = 0xB0000000u + static_cast<uint32_t>(p.events.size());
        p.events.push_back({key.first, key.second, 0, 2, 0, 0, 0, id, p.templates.size()});
        p.templates.push_back(std::move(t));
        messages[id] = text + u"\r\n";
        messages[key.first] = text + u"\r\n";  // for the message-file path
    }
    return manifestwriter::WriteCrim({p});
}

}  // namespace

size_t BuildManifestDrive(const fs::path& root, const fs::path& log, const fs::path& services,
                          const fs::path& logName) {
    const auto bytes = ReadFile(log);
    WriteFile(root / "Windows/System32/winevt/Logs" / logName, bytes);
    std::map<Text, ProviderSeen> providers;
    size_t modern = 0;
    eventlog::ForEachEvtxEvent(bytes, [&](const eventlog::EvtxEventFields& f) {
        if (f.providerGuid.empty() || eventlog::EventTypeOfLevel(f.level) != eventlog::kEventTypeError)
            return;
        ++modern;
        ProviderSeen& seen = providers[f.providerGuid];
        seen.name = f.ClassicSource();
        seen.events[{f.eventId, f.version}] = f.stringCount;
    });
    const auto servicesBlock = ReadFile(services);
    const auto servicesManifest =
        manifest::ParseCrim(ByteView(servicesBlock.data(), servicesBlock.size()));
    HiveWriter system(u"SYSTEM");
    SelectControlSet(system, 1);
    system.Root()
        .Key(u"ControlSet001\\Control\\Nls\\Language")
        .SetString(u"InstallLanguage", u"0409");
    HiveWriter software(u"SOFTWARE");
    size_t n = 0;
    for (const auto& [guid, seen] : providers) {
        const Text name = u"provider" + DecimalText(n++) + u".dll";
        std::map<uint32_t, Text> messages;
        std::vector<uint8_t> crim = OwnManifest(guid, seen, messages);
        const auto* scm = servicesManifest ? servicesManifest->Find(guid) : nullptr;
        if (scm != nullptr) {
            crim = servicesBlock;
            for (const auto& e : scm->events)
                messages[e.messageId] = u"The service %1 failed: %2\r\n";
        }
        const fs::path binary = root / "Windows/System32" / Utf16ToUtf8(name);
        WriteFile(binary, manifestwriter::WriteResourceDll(
                              manifestwriter::ProviderResources({}, 0x0409, crim)));
        WriteFile(
            root / "Windows/System32/en-US" / (Utf16ToUtf8(name) + ".mui"),
            manifestwriter::WriteResourceDll(manifestwriter::ProviderResources(messages, 0x0409)));
        const Text path = u"%SystemRoot%\\System32\\" + name;
        AddPublisher(software, guid, path).SetExpandString(u"ResourceFileName", path);
        AddEventSource(system, 1, u"System", seen.name, path);
    }
    WriteFile(root / "Windows/System32/config/SYSTEM", system.Bytes());
    WriteFile(root / "Windows/System32/config/SOFTWARE", software.Bytes());
    return modern;
}


}  // namespace veltrano::bench
