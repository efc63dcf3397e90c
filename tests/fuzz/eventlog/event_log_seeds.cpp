// Writes seed files for the log-file fuzz targets with our own writers: small logs that reach
// the parts of the readers (templates defined and reused, UserData, arrays, missing optional
// values, a wrapped classic ring).
#include <cstdio>
#include <filesystem>
#include <string>

#include "../seed_file.h"
#include "writers/evt/evt_log_writer.h"
#include "writers/evtx/evtx_log_writer.h"

namespace {
using namespace veltrano;
using namespace veltrano::evtxwriter;
namespace fs = std::filesystem;
using fuzz::SaveSeed;

std::vector<EvtxEvent> Events(size_t count) {
    std::vector<EvtxEvent> events;
    for (size_t i = 1; i <= count; ++i) {
        EvtxEvent e;
        e.recordId = i;
        e.time = 133'000'000'000'000'000ull + i * 10'000'000ull;
        e.level = static_cast<uint8_t>(i % 5);
        e.provider = u"Application Error";
        if (i % 2)
            e.eventSourceName = u"Application Hang";
        e.eventId = static_cast<uint16_t>(1000 + i % 3);
        if (i % 3)
            e.qualifiers = 0;
        e.computer = u"PC";
        for (size_t k = 0; k < i % 5; ++k)
            e.data.push_back(u"value");
        events.push_back(e);
    }
    return events;
}

std::vector<uint8_t> UserDataLog() {
    auto inner = std::make_shared<EvtxTemplate>();
    inner->Open(u"Install").Attribute(u"version", 1, kTypeString);
    inner->Open(u"Id").Substitute(0, kTypeString).Close();
    inner->Open(u"List").Substitute(2, kTypeString | kTypeArray).Close();
    inner->Open(u"Gone").Substitute(3, kTypeString, true).Close().Close();
    auto outer = std::make_shared<EvtxTemplate>();
    outer->Open(u"Event").Open(u"System");
    outer->Open(u"Provider").Attribute(u"Name", u"P").Close();
    outer->Open(u"TimeCreated").Attribute(u"SystemTime", 0, kTypeFileTime).Close();
    outer->Open(u"Security").Attribute(u"UserID", 1, kTypeSid, true).Close().Close();
    outer->Open(u"UserData").Substitute(2, kTypeBinXml).Close().Close();
    std::vector<EvtxRecordFields> records;
    for (uint64_t id = 1; id <= 3; ++id) {
        records.push_back(
            {id,
             133'000'000'000'000'000ull,
             outer,
             {EvtxValue::FileTimeValue(133'000'000'000'000'000ull), EvtxValue::Sid(u"S-1-5-18"),
              EvtxValue::BinXml(inner,
                                {EvtxValue::String(u"dev"), EvtxValue::String(u"2"),
                                 EvtxValue::StringArray({u"a", u"b"}), EvtxValue::Null()})}});
    }
    return WriteEvtxFile(records);
}

std::vector<evtwriter::EvtEvent> ClassicEvents(size_t count) {
    std::vector<evtwriter::EvtEvent> events;
    for (uint32_t n = 1; n <= count; ++n) {
        evtwriter::EvtEvent e;
        e.recordNumber = n;
        e.timeGenerated = 1'000'000'000 + n;
        e.eventId = 0xC0000000u | 7000;
        e.source = u"Service Control Manager";
        e.computer = u"XP";
        e.strings = {u"a", u"b"};
        e.data = {1, 2, 3};
        events.push_back(e);
    }
    return events;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: event_log_seeds <corpus folder>\n");
        return 2;
    }
    const fs::path out = argv[1];
    fs::create_directories(out / "evtx");
    fs::create_directories(out / "evt");
    SaveSeed(out / "evtx" / "classic.evtx", WriteEvtxLog(Events(20), u"Application"));
    SaveSeed(out / "evtx" / "one.evtx", WriteEvtxLog(Events(1), u"System"));
    SaveSeed(out / "evtx" / "userdata.evtx", UserDataLog());
    SaveSeed(out / "evt" / "plain.evt",
             evtwriter::WriteEvtLog(ClassicEvents(10), {0x1000, 48, false}));
    SaveSeed(out / "evt" / "wrapped.evt",
             evtwriter::WriteEvtLog(ClassicEvents(20), {0x1000, 0xF80, true}));
    return 0;
}
