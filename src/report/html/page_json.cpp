// Writing the page model as JSON. Field names are short because a fleet's page carries them
// for every distinct error.
#include "report/html/page_json.h"

#include "base/json_writer.h"
#include "report/html/page_texts.h"
#include "shell/local_texts.h"

namespace veltrano {
namespace {

// Interval values where equal neighbours are common: a repeated value is written as the index
// of the first interval that has it.
void IntervalTexts(JsonWriter& json,
                   const std::array<std::optional<Text>, kPageIntervals>& values) {
    json.BeginArray();
    for (size_t i = 0; i < values.size(); ++i) {
        if (!values[i]) {
            json.Null();
            continue;
        }
        size_t same = 0;
        while (same < i && values[same] != values[i])
            ++same;
        if (same < i)
            json.Number(static_cast<int64_t>(same));
        else
            json.String(*values[i]);
    }
    json.EndArray();
}

template <typename Numbers>
void NumberArray(JsonWriter& json, const Numbers& numbers) {
    json.Array(numbers, [&](auto n) { json.Number(n); });
}

void MachineJson(JsonWriter& json, const PageMachine& m) {
    json.BeginObject().Key("name").String(m.name).Key("scanTime").String(m.scanTime);
    json.Key("today").Number(m.today).Key("first").Number(m.firstInterval);
    json.Key("rows");
    NumberArray(json, m.rowCounts);
    json.Key("status").Array(m.statusTexts, [&](const Text& status) { json.String(status); });
    json.Key("facts").Array(m.facts, [&](const ReportFact& fact) {
        json.BeginArray().String(fact.label).String(fact.value).EndArray();
    });
    json.EndObject();
}

void DumpJson(JsonWriter& json, const PageDump& d) {
    json.BeginObject().Key("f").String(d.path).Key("e").String(d.exception);
    json.Key("en").String(d.exceptionName).Key("fm").String(d.fault);
    json.Key("ag").Number(d.agreement).Key("rf").String(d.recordFault);
    json.Key("sg").String(d.signature).Key("sh").String(d.signatureHash);
    json.Key("fr").Array(d.frames, [&](const PageFrame& frame) {
        json.BeginArray().String(frame.place).Number(frame.source).EndArray();
    });
    json.Key("md").Array(d.modules, [&](const PageModule& m) {
        json.BeginArray().String(m.name).String(m.version).String(m.pdbName).String(m.pdbId);
        json.EndArray();
    });
    json.EndObject();
}

void StopJson(JsonWriter& json, const PageStop& s) {
    json.BeginObject().Key("c").String(s.code).Key("n").String(s.name);
    json.Key("p").Array(s.parameters, [&](const Text& parameter) { json.String(parameter); });
    json.Key("dr").String(s.driver).Key("f").String(s.dumpPath).EndObject();
}

void EntryJson(JsonWriter& json, const PageEntry& e) {
    json.BeginObject().Key("m").Number(e.machine).Key("c").Number(e.category);
    json.Key("a").String(e.appName).Key("n").String(e.errorName).Key("p").String(e.appPath);
    json.Key("t").Number(e.lastSeconds).Key("g").String(e.age);
    json.Key("k");
    NumberArray(json, e.counts);
    json.Key("tt");
    IntervalTexts(json, e.tooltips);
    json.Key("l");
    IntervalTexts(json, e.lookups);
    json.Key("s").String(e.summary).Key("d");
    if (e.detail)
        json.String(WithoutByteOrderMarks(*e.detail));
    else
        json.Null();
    json.Key("dy").BeginArray();
    for (const auto& [day, count] : e.days)
        json.BeginArray().Number(day).Number(count).EndArray();
    json.EndArray();
    if (e.dump) {
        json.Key("x");
        DumpJson(json, *e.dump);
    }
    if (e.stop) {
        json.Key("b");
        StopJson(json, *e.stop);
    }
    json.EndObject();
}

}  // namespace

std::string PageModelJson(const PageModel& model) {
    JsonWriter json(JsonWriter::kCompact, JsonEscaping::ScriptSafe);
    json.BeginObject().Key("lang").String(model.language == kLanguageGerman ? u"de" : u"en");
    json.Key("texts").BeginObject();
    for (const auto& [name, text] : PageTexts())
        json.Key(name).String(text);
    json.EndObject().Key("machines").BeginArray();
    for (const PageMachine& machine : model.machines)
        MachineJson(json, machine);
    json.EndArray().Key("entries").BeginArray();
    for (const PageEntry& entry : model.entries) {
        json.Verbatim("\n");
        EntryJson(json, entry);
    }
    json.EndArray().EndObject();
    return json.Take();
}

}  // namespace veltrano
