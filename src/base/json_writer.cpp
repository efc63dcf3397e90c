// The JSON escaper and writer.
#include "base/json_writer.h"

#include <cstdio>

namespace veltrano {
namespace {

void AppendEscape(std::string& out, char32_t unit) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(unit));
    out += escape;
}

bool EscapedForScripts(char32_t c) {
    return c == U'<' || c == U'>' || c == U'&' || c == 0x2028 || c == 0x2029;
}

}  // namespace

void AppendJsonString(std::string& out, TextView text, JsonEscaping escaping) {
    const bool script = escaping == JsonEscaping::ScriptSafe;
    out += '"';
    for (const CodePoint cp : CodePoints(text)) {
        switch (cp.value) {
            case U'"':
                out += "\\\"";
                continue;
            case U'\\':
                out += "\\\\";
                continue;
            case U'\n':
                out += "\\n";
                continue;
            case U'\r':
                out += "\\r";
                continue;
            case U'\t':
                out += "\\t";
                continue;
            default:
                break;
        }
        if (cp.value < 0x20 || (script && (EscapedForScripts(cp.value) || cp.lone)))
            AppendEscape(out, cp.value);
        else
            AppendUtf8(out, cp.lone ? 0xFFFD : cp.value);
    }
    out += '"';
}

std::string JsonString(TextView text, JsonEscaping escaping) {
    std::string out;
    out.reserve(text.size() + 2);
    AppendJsonString(out, text, escaping);
    return out;
}

JsonWriter& JsonWriter::Key(std::string_view name) {
    Separate();
    out_ += '"';
    out_ += name;
    out_ += '"';
    return Colon();
}

JsonWriter& JsonWriter::Key(TextView name) {
    Separate();
    AppendJsonString(out_, name, escaping_);
    return Colon();
}

JsonWriter& JsonWriter::Colon() {
    out_ += ':';
    out_ += spacing_.afterColon;
    fresh_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(TextView text) {
    Separate();
    AppendJsonString(out_, text, escaping_);
    return *this;
}

JsonWriter& JsonWriter::Value(std::string_view json) {
    Separate();
    out_ += json;
    return *this;
}

JsonWriter& JsonWriter::NewLine(std::string_view indent) {
    lineBreak_ = true;
    indent_ = indent;
    return *this;
}

JsonWriter& JsonWriter::Open(char bracket) {
    Separate();
    out_ += bracket;
    fresh_ = true;
    return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
    BreakLine();
    out_ += bracket;
    fresh_ = false;
    return *this;
}

void JsonWriter::Separate() {
    if (!fresh_)
        out_ += ',';
    if (lineBreak_)
        BreakLine();
    else if (!fresh_)
        out_ += spacing_.afterComma;
    fresh_ = false;
}

void JsonWriter::BreakLine() {
    if (!lineBreak_)
        return;
    out_ += '\n';
    out_ += indent_;
    lineBreak_ = false;
}

}  // namespace veltrano
