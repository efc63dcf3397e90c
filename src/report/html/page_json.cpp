// Writing the page model as JSON. Field names are short because a fleet's page carries them
// for every distinct error.
#include "report/html/page_json.h"

#include <cstdio>

#include "report/html/page_texts.h"
#include "shell/local_texts.h"

namespace veltrano {
namespace {

void AppendEscape(std::string& out, unsigned unit) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", unit);
    out += escape;
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsHigh(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLow(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

class JsonOut {
  public:
    std::string& text() { return out_; }
    JsonOut& Raw(std::string_view raw) {
        out_ += raw;
        return *this;
    }
    JsonOut& Key(const char* name) {
        Separate();
        out_ += '"';
        out_ += name;
        out_ += "\":";
        fresh_ = true;
        return *this;
    }
    JsonOut& Str(TextView text) {
        Separate();
        out_ += ScriptJsonString(text);
        return *this;
    }
    JsonOut& Num(int64_t value) {
        Separate();
        out_ += std::to_string(value);
        return *this;
    }
    JsonOut& Null() {
        Separate();
        out_ += "null";
        return *this;
    }
    JsonOut& Open(char bracket) {
        Separate();
        out_ += bracket;
        fresh_ = true;
        return *this;
    }
    JsonOut& Close(char bracket) {
        out_ += bracket;
        fresh_ = false;
        return *this;
    }

  private:
    // A comma before every value but the first of its object or array (and none after a key).
    void Separate() {
        if (!fresh_)
            out_ += ',';
        fresh_ = false;
    }
    std::string out_;
    bool fresh_ = true;
};

// Interval values where equal neighbours are common: a repeated value is written as the index
// of the first interval that has it.
void IntervalTexts(JsonOut& json, const std::array<std::optional<Text>, kPageIntervals>& values) {
    json.Open('[');
    for (size_t i = 0; i < values.size(); ++i) {
        if (!values[i]) {
            json.Null();
            continue;
        }
        size_t same = 0;
        while (same < i && values[same] != values[i])
            ++same;
        if (same < i)
            json.Num(static_cast<int64_t>(same));
        else
            json.Str(*values[i]);
    }
    json.Close(']');
}

template <typename Numbers>
void NumberArray(JsonOut& json, const Numbers& numbers) {
    json.Open('[');
    for (auto n : numbers)
        json.Num(n);
    json.Close(']');
}

void MachineJson(JsonOut& json, const PageMachine& m) {
    json.Open('{').Key("name").Str(m.name).Key("scanTime").Str(m.scanTime);
    json.Key("today").Num(m.today).Key("first").Num(m.firstInterval);
    json.Key("rows");
    NumberArray(json, m.rowCounts);
    json.Key("status").Open('[');
    for (const Text& status : m.statusTexts)
        json.Str(status);
    json.Close(']').Key("facts").Open('[');
    for (const ReportFact& fact : m.facts)
        json.Open('[').Str(fact.label).Str(fact.value).Close(']');
    json.Close(']').Close('}');
}

void EntryJson(JsonOut& json, const PageEntry& e) {
    json.Open('{').Key("m").Num(e.machine).Key("c").Num(e.category);
    json.Key("a").Str(e.appName).Key("n").Str(e.errorName).Key("p").Str(e.appPath);
    json.Key("t").Num(e.lastSeconds).Key("g").Str(e.age);
    json.Key("k");
    NumberArray(json, e.counts);
    json.Key("tt");
    IntervalTexts(json, e.tooltips);
    json.Key("l");
    IntervalTexts(json, e.lookups);
    json.Key("s").Str(e.summary).Key("d");
    if (e.detail)
        json.Str(WithoutByteOrderMarks(*e.detail));
    else
        json.Null();
    json.Key("dy").Open('[');
    for (const auto& [day, count] : e.days)
        json.Open('[').Num(day).Num(count).Close(']');
    json.Close(']').Close('}');
}

}  // namespace

std::string ScriptJsonString(TextView text) {
    std::string out = "\"";
    out.reserve(text.size() + 2);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        switch (u) {
            case u'"':
                out += "\\\"";
                continue;
            case u'\\':
                out += "\\\\";
                continue;
            case u'\n':
                out += "\\n";
                continue;
            case u'\r':
                out += "\\r";
                continue;
            case u'\t':
                out += "\\t";
                continue;
            case u'<':
            case u'>':
            case u'&':
            case 0x2028:
            case 0x2029:
                AppendEscape(out, u);
                continue;
            default:
                break;
        }
        if (u < 0x20) {
            AppendEscape(out, u);
        } else if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (IsHigh(u) || IsLow(u)) {
            AppendEscape(out, u);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out + "\"";
}

std::string PageModelJson(const PageModel& model) {
    JsonOut json;
    json.Open('{').Key("lang").Str(model.language == kLanguageGerman ? u"de" : u"en");
    json.Key("texts").Open('{');
    for (const auto& [name, text] : PageTexts())
        json.Key(name).Str(text);
    json.Close('}').Key("machines").Open('[');
    for (const PageMachine& machine : model.machines)
        MachineJson(json, machine);
    json.Close(']').Key("entries").Open('[');
    for (const PageEntry& entry : model.entries) {
        json.Raw("\n");
        EntryJson(json, entry);
    }
    json.Close(']').Close('}');
    return std::move(json.text());
}

}  // namespace veltrano
