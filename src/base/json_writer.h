// JSON text in UTF-8: the one string escaper and a small writer that places the commas, for every
// output of the program that is JSON (the command line's outputs, the report page's model).
#pragma once

#include <concepts>
#include <string>
#include <string_view>

#include "base/text.h"

namespace veltrano {

enum class JsonEscaping {
    // The JSON escapes for '"', '\\' and the controls; an unpaired surrogate becomes U+FFFD.
    Plain,
    // Also safe inside an HTML <script> element: '<', '>', '&', U+2028 and U+2029 as \u escapes,
    // and an unpaired surrogate as its own \u escape (JSON.parse keeps it).
    ScriptSafe,
};

void AppendJsonString(std::string& out, TextView text, JsonEscaping escaping = JsonEscaping::Plain);
std::string JsonString(TextView text, JsonEscaping escaping = JsonEscaping::Plain);

// Writes values one after another and puts a comma between the items of an object or array. The
// layout is the caller's: the spacing after commas and colons, and line breaks where asked for.
// It does not check the nesting; the caller opens and closes what it writes.
class JsonWriter {
  public:
    struct Spacing {
        std::string_view afterComma;
        std::string_view afterColon;
    };
    static constexpr Spacing kSpaced{" ", " "};
    static constexpr Spacing kCompact{"", ""};

    explicit JsonWriter(Spacing spacing = kSpaced, JsonEscaping escaping = JsonEscaping::Plain)
        : spacing_(spacing), escaping_(escaping) {}

    JsonWriter& BeginObject() { return Open('{'); }
    JsonWriter& EndObject() { return Close('}'); }
    JsonWriter& BeginArray() { return Open('['); }
    JsonWriter& EndArray() { return Close(']'); }
    // An array of what write writes for each element of list.
    template <typename List, typename Write>
    JsonWriter& Array(const List& list, Write&& write) {
        BeginArray();
        for (const auto& element : list)
            write(element);
        return EndArray();
    }

    // A name the program itself gives, written as it stands.
    JsonWriter& Key(std::string_view name);
    // A name from the data, escaped.
    JsonWriter& Key(TextView name);

    JsonWriter& String(TextView text);
    JsonWriter& String(std::string_view utf8) { return String(Utf8ToUtf16(utf8)); }
    JsonWriter& String(const char* utf8) { return String(std::string_view(utf8)); }
    template <std::integral Integer>
    requires(!std::same_as<Integer, bool>) JsonWriter& Number(Integer value) {
        return Value(std::to_string(value));
    }
    JsonWriter& Bool(bool value) { return Value(value ? "true" : "false"); }
    JsonWriter& Null() { return Value("null"); }
    // A value that is JSON already.
    JsonWriter& Value(std::string_view json);

    // The next item, or the closing bracket, starts a new line at the given indent.
    JsonWriter& NewLine(std::string_view indent);
    // Text added as it is, outside the writer's layout (it takes no comma's place).
    JsonWriter& Verbatim(std::string_view text) {
        out_ += text;
        return *this;
    }

    const std::string& text() const { return out_; }
    std::string Take() { return std::move(out_); }

  private:
    JsonWriter& Open(char bracket);
    JsonWriter& Close(char bracket);
    JsonWriter& Colon();
    void Separate();
    void BreakLine();

    Spacing spacing_;
    JsonEscaping escaping_;
    std::string out_;
    // At the start of an object or array, or after a key: no comma before what comes next.
    bool fresh_ = true;
    bool lineBreak_ = false;
    std::string indent_;
};

}  // namespace veltrano
