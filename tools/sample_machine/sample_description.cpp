// The sample as JSON.
#include <string>

#include "base/json_writer.h"
#include "sample_machine/sample_writer.h"

namespace veltrano::sample {
namespace {

void StringOrNull(JsonWriter& json, const std::optional<Text>& text) {
    text ? json.String(*text) : json.Null();
}

void Strings(JsonWriter& json, const std::vector<Text>& texts) {
    json.Array(texts, [&](const Text& text) { json.String(text); });
}

// One item to a line at the indent; the closing bracket stands at two spaces whatever the indent.
template <typename Items, typename Write>
void List(JsonWriter& json, const Items& items, const char* indent, Write&& write) {
    json.BeginArray();
    for (const auto& item : items) {
        json.NewLine(indent);
        write(item);
    }
    if (!items.empty())
        json.NewLine("  ");
    json.EndArray();
}

void EventJson(JsonWriter& json, const SampleEvent& e, uint64_t recordId) {
    json.BeginObject().Key("log").String(e.log).Key("recordId").Number(recordId);
    json.Key("provider").String(e.provider);
    json.Key("source").String(e.eventSourceName.value_or(e.provider));
    json.Key("providerGuid");
    StringOrNull(json, e.providerGuid);
    json.Key("version").Number(e.version).Key("eventId").Number(e.eventId).Key("qualifiers");
    e.qualifiers ? json.Number(*e.qualifiers) : json.Null();
    json.Key("level").Number(e.level).Key("task").Number(e.task).Key("time").Number(e.time);
    json.Key("strings");
    Strings(json, e.strings);
    json.EndObject();
}

void ManifestProviderJson(JsonWriter& json, const SampleManifestProvider& p) {
    json.BeginObject().Key("guid").String(p.guid).Key("name").String(p.name);
    json.Key("binary").String(p.binary).Key("events");
    List(json, p.events, "      ", [&](const SampleManifestEvent& e) {
        json.BeginObject().Key("id").Number(e.id).Key("version").Number(e.version);
        json.Key("messageId").Number(e.messageId).Key("items");
        Strings(json, e.items);
        json.EndObject();
    });
    json.Key("files");
    List(json, p.files, "      ", [&](const SampleProviderFile& f) {
        json.BeginObject().Key("path").String(u"C:\\" + f.path).Key("manifest").Bool(f.manifest);
        json.Key("language").Number(f.language).Key("messages").BeginObject();
        for (const auto& [id, text] : f.messages)
            json.Key(std::to_string(id)).String(text);
        json.EndObject().EndObject();
    });
    json.EndObject();
}

}  // namespace

std::string SampleDescriptionJson(const SampleMachine& m) {
    JsonWriter json;
    json.BeginObject().NewLine("  ").Key("now").Number(m.now);
    json.NewLine("  ").Key("computer").String(m.computer);
    json.NewLine("  ").Key("messageDll").String(u"C:\\" + Text(kSampleMessageDll));
    json.NewLine("  ").Key("users");
    List(json, m.users, "    ", [&](const Text& u) { json.String(u); });
    json.NewLine("  ").Key("sources");
    List(json, m.sources, "    ", [&](const SampleSource& s) {
        json.BeginObject().Key("log").String(s.log).Key("source").String(s.source);
        json.Key("messageFile").String(s.messageFile).Key("providerGuid").String(s.providerGuid);
        json.EndObject();
    });
    json.NewLine("  ").Key("publishers");
    List(json, m.publishers, "    ", [&](const SamplePublisher& p) {
        json.BeginObject().Key("guid").String(p.guid).Key("name").String(p.name);
        json.Key("messageFile").String(p.messageFile).EndObject();
    });
    json.NewLine("  ").Key("installLanguage").String(m.installLanguage);
    json.NewLine("  ").Key("manifestProviders");
    List(json, m.manifestProviders, "    ",
         [&](const SampleManifestProvider& p) { ManifestProviderJson(json, p); });
    json.NewLine("  ").Key("reports");
    List(json, m.reports, "    ", [&](const SampleReport& r) {
        json.BeginObject().Key("path");
        json.String(u"C:\\" + r.archive + u"\\" + r.folder + u"\\Report.wer");
        json.Key("time").Number(r.time).Key("text").String(r.text).EndObject();
    });
    // Record numbers count per log, in the order the events are written.
    uint64_t application = 0, system = 0;
    json.NewLine("  ").Key("events");
    List(json, m.events, "    ", [&](const SampleEvent& e) {
        EventJson(json, e, e.log == u"System" ? ++system : ++application);
    });
    return json.NewLine("").EndObject().Take() + "\n";
}

}  // namespace veltrano::sample
