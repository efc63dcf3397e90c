// REGEDIT4 text of hive writer keys.
#include "writers/hive/reg_file.h"

#include <cstdio>

namespace veltrano {
namespace {

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;

// REGEDIT4 files are ANSI text; the keys we write are ASCII.
std::string AnsiText(TextView text) {
    std::string out;
    for (const char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

Text Utf16Data(const std::vector<uint8_t>& data) {
    Text text;
    for (size_t i = 0; i + 1 < data.size(); i += 2)
        text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    return text;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
        out += (i > 0 ? "," : "") + std::string(hex);
    }
    return out;
}

std::string ValueData(const HiveWriterKey::Value& value) {
    const Text units = Utf16Data(value.data);
    if (value.type == kRegSz)
        return Quoted(AnsiText(units.substr(0, units.find(u'\0'))));
    if (value.type == kRegDword && value.data.size() == 4) {
        char dword[16];
        std::snprintf(dword, sizeof dword, "dword:%08x",
                      value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                          static_cast<uint32_t>(value.data[3]) << 24);
        return dword;
    }
    std::vector<uint8_t> bytes = value.data;
    if (value.type == kRegExpandSz || value.type == kRegMultiSz) {
        const std::string ansi = AnsiText(units);
        bytes.assign(ansi.begin(), ansi.end());
    }
    return "hex(" + std::to_string(value.type) + "):" + HexBytes(bytes);
}

void AppendSections(const HiveWriterKey& key, const std::string& path, std::string& out) {
    out += "[" + path + "]\r\n";
    for (const HiveWriterKey::Value& value : key.values()) {
        const std::string name = value.name.empty() ? "@" : Quoted(AnsiText(value.name));
        out += name + "=" + ValueData(value) + "\r\n";
    }
    out += "\r\n";
    for (const auto& subkey : key.subkeys())
        AppendSections(*subkey, path + "\\" + AnsiText(subkey->name()), out);
}

}  // namespace

std::string RegEditHeader() {
    return "REGEDIT4\r\n\r\n";
}

std::string RegEditSections(const HiveWriterKey& key, const std::string& rootPath) {
    std::string out;
    AppendSections(key, rootPath, out);
    return out;
}

}  // namespace veltrano
