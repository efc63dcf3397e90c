// Running the peer decoder and reading its lines.
#include "peer_records.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace veltrano::testing {
namespace fs = std::filesystem;
namespace {

const fs::path kScript =
    fs::path(VELTRANO_SOURCE_DIR) / "tests/platform/offline/eventlog/event_log_peer.py";
const char kPython[] = "/usr/bin/python3";

std::string Quoted(const fs::path& p) {
    return "'" + p.string() + "'";
}

std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out.push_back(s[i]);
            continue;
        }
        const char c = s[++i];
        out.push_back(c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c);
    }
    return out;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t'))
        fields.push_back(Unescape(field));
    if (!line.empty() && line.back() == '\t')
        fields.emplace_back();
    return fields;
}

std::optional<PeerRecord> Parse(const std::string& line) {
    const auto f = Fields(line);
    PeerRecord r;
    if (f.size() >= 3 && f[0] == "E") {
        r.id = std::stoull(f[1]);
        r.error = f[2];
        return r;
    }
    if (f.size() < 12 || f[0] != "R")
        return std::nullopt;
    r.decoded = true;
    r.id = std::stoull(f[1]);
    r.intact = f[2] == "1";
    r.created = std::stoull(f[3]);
    r.level = static_cast<uint32_t>(std::stoul(f[4]));
    r.eventId = static_cast<uint32_t>(std::stoul(f[5]));
    r.qualifiers = static_cast<uint32_t>(std::stoul(f[6]));
    r.provider = Utf8ToUtf16(f[7]);
    r.sourceName = Utf8ToUtf16(f[8]);
    r.computer = Utf8ToUtf16(f[9]);
    r.channel = Utf8ToUtf16(f[10]);
    const size_t count = std::stoul(f[11]);
    if (f.size() != 12 + count)
        return std::nullopt;
    for (size_t i = 0; i < count; ++i)
        r.strings.push_back(Utf8ToUtf16(f[12 + i]));
    return r;
}

bool Fresh(const fs::path& output, const fs::path& input) {
    std::error_code e;
    return fs::exists(output, e) &&
           fs::last_write_time(output, e) >= fs::last_write_time(input, e) &&
           fs::last_write_time(output, e) >= fs::last_write_time(kScript, e);
}

}  // namespace

std::string PeerUnavailableReason(const std::string& mode) {
    if (!fs::exists(kPython))
        return "no /usr/bin/python3";
    if (mode != "evtx")
        return {};
    const std::string check = std::string(kPython) + " -c 'import Evtx.Evtx' >/dev/null 2>&1";
    if (std::system(check.c_str()) != 0)
        return "python3-evtx is not installed";
    return {};
}

std::optional<std::vector<PeerRecord>> PeerRecords(const std::string& mode, const fs::path& file,
                                                   bool keepOutput) {
    const fs::path dir = fs::path(VELTRANO_BINARY_DIR) / "event-log-peer";
    fs::create_directories(dir);
    const fs::path output =
        dir / (file.filename().string() + "." + mode + (keepOutput ? ".txt" : ".tmp.txt"));
    if (!keepOutput || !Fresh(output, file)) {
        const fs::path partial = output.string() + ".part";
        const std::string command = std::string(kPython) + " " + Quoted(kScript) + " " + mode +
                                    " " + Quoted(file) + " > " + Quoted(partial);
        if (std::system(command.c_str()) != 0)
            return std::nullopt;
        fs::rename(partial, output);
    }
    std::ifstream in(output);
    std::vector<PeerRecord> records;
    std::string line;
    while (std::getline(in, line)) {
        auto r = Parse(line);
        if (!r)
            return std::nullopt;
        records.push_back(std::move(*r));
    }
    if (!keepOutput)
        fs::remove(output);
    return records;
}

void ExpectWrittenEvent(const PeerRecord& p, const evtxwriter::EvtxEvent& e) {
    ASSERT_TRUE(p.decoded) << p.error;
    EXPECT_TRUE(p.intact);
    EXPECT_EQ(p.id, e.recordId);
    EXPECT_EQ(p.created, e.time);
    EXPECT_EQ(p.level, e.level);
    EXPECT_EQ(p.eventId, e.eventId);
    EXPECT_EQ(p.qualifiers, e.qualifiers.value_or(0));
    EXPECT_EQ(p.provider, e.provider);
    EXPECT_EQ(p.sourceName, e.eventSourceName.value_or(u""));
    EXPECT_EQ(p.computer, e.computer);
    EXPECT_EQ(p.strings, e.data);
}

}  // namespace veltrano::testing
