// The sample as JSON.
#include <string>

#include "cli/output_formats.h"
#include "sample_machine/sample_writer.h"

namespace veltrano::sample {
namespace {

std::string Field(const char* name, const std::string& value) {
    return "\"" + std::string(name) + "\": " + value;
}

std::string Str(TextView text) {
    return JsonString(text);
}
std::string Num(uint64_t value) {
    return std::to_string(value);
}

std::string List(const std::vector<std::string>& items, const char* indent) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i)
        out += (i > 0 ? ",\n" : "\n") + std::string(indent) + items[i];
    return out + (items.empty() ? "]" : "\n  ]");
}

std::string Object(const std::vector<std::string>& fields) {
    std::string out = "{";
    for (size_t i = 0; i < fields.size(); ++i)
        out += (i > 0 ? ", " : "") + fields[i];
    return out + "}";
}

std::string EventJson(const SampleEvent& e, uint64_t recordId) {
    std::vector<std::string> strings;
    for (const Text& s : e.strings)
        strings.push_back(Str(s));
    std::string list = "[";
    for (size_t i = 0; i < strings.size(); ++i)
        list += (i > 0 ? ", " : "") + strings[i];
    return Object({Field("log", Str(e.log)), Field("recordId", Num(recordId)),
                   Field("provider", Str(e.provider)),
                   Field("source", Str(e.eventSourceName.value_or(e.provider))),
                   Field("providerGuid", e.providerGuid ? Str(*e.providerGuid) : "null"),
                   Field("version", Num(e.version)), Field("eventId", Num(e.eventId)),
                   Field("qualifiers", e.qualifiers ? Num(*e.qualifiers) : "null"),
                   Field("level", Num(e.level)), Field("task", Num(e.task)),
                   Field("time", Num(e.time)), Field("strings", list + "]")});
}

std::string StrList(const std::vector<Text>& texts) {
    std::string out = "[";
    for (size_t i = 0; i < texts.size(); ++i)
        out += (i > 0 ? ", " : "") + Str(texts[i]);
    return out + "]";
}

std::string ManifestProviderJson(const SampleManifestProvider& p) {
    std::vector<std::string> events, files;
    for (const SampleManifestEvent& e : p.events) {
        events.push_back(
            Object({Field("id", Num(e.id)), Field("version", Num(e.version)),
                    Field("messageId", Num(e.messageId)), Field("items", StrList(e.items))}));
    }
    for (const SampleProviderFile& f : p.files) {
        std::vector<std::string> messages;
        for (const auto& [id, text] : f.messages)
            messages.push_back("\"" + Num(id) + "\": " + Str(text));
        std::string table = "{";
        for (size_t i = 0; i < messages.size(); ++i)
            table += (i > 0 ? ", " : "") + messages[i];
        files.push_back(Object(
            {Field("path", Str(u"C:\\" + f.path)), Field("manifest", f.manifest ? "true" : "false"),
             Field("language", Num(f.language)), Field("messages", table + "}")}));
    }
    return Object({Field("guid", Str(p.guid)), Field("name", Str(p.name)),
                   Field("binary", Str(p.binary)), Field("events", List(events, "      ")),
                   Field("files", List(files, "      "))});
}

}  // namespace

std::string SampleDescriptionJson(const SampleMachine& m) {
    std::vector<std::string> users, events, reports, sources, publishers, manifestProviders;
    for (const SampleManifestProvider& p : m.manifestProviders)
        manifestProviders.push_back(ManifestProviderJson(p));
    for (const Text& u : m.users)
        users.push_back(Str(u));
    uint64_t application = 0, system = 0;
    for (const SampleEvent& e : m.events)
        events.push_back(EventJson(e, e.log == u"System" ? ++system : ++application));
    for (const SampleReport& r : m.reports) {
        reports.push_back(
            Object({Field("path", Str(u"C:\\" + r.archive + u"\\" + r.folder + u"\\Report.wer")),
                    Field("time", Num(r.time)), Field("text", Str(r.text))}));
    }
    for (const SampleSource& s : m.sources) {
        sources.push_back(Object({Field("log", Str(s.log)), Field("source", Str(s.source)),
                                  Field("messageFile", Str(s.messageFile)),
                                  Field("providerGuid", Str(s.providerGuid))}));
    }
    for (const SamplePublisher& p : m.publishers) {
        publishers.push_back(Object({Field("guid", Str(p.guid)), Field("name", Str(p.name)),
                                     Field("messageFile", Str(p.messageFile))}));
    }
    return "{\n  " + Field("now", Num(m.now)) + ",\n  " + Field("computer", Str(m.computer)) +
           ",\n  " + Field("messageDll", Str(u"C:\\" + Text(kSampleMessageDll))) + ",\n  " +
           Field("users", List(users, "    ")) + ",\n  " + Field("sources", List(sources, "    ")) +
           ",\n  " + Field("publishers", List(publishers, "    ")) + ",\n  " +
           Field("installLanguage", Str(m.installLanguage)) + ",\n  " +
           Field("manifestProviders", List(manifestProviders, "    ")) + ",\n  " +
           Field("reports", List(reports, "    ")) + ",\n  " +
           Field("events", List(events, "    ")) + "\n}\n";
}

}  // namespace veltrano::sample
