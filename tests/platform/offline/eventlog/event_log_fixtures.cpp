// Fixture events and read-back helpers.
#include "platform/offline/eventlog/event_log_fixtures.h"

#include <string>

namespace veltrano::testing {

evtxwriter::EvtxEvent NumberedEvent(uint64_t id) {
    evtxwriter::EvtxEvent e;
    e.recordId = id;
    e.time = 133'500'000'000'000'000ull + id * 37 * kTicksPerSecond + id % 10'000'000;
    e.level = static_cast<uint8_t>(id % 6);
    e.provider = u"Provider " + DecimalText(static_cast<int64_t>(id % 7));
    if (id % 3 == 0)
        e.eventSourceName = u"Source " + DecimalText(static_cast<int64_t>(id));
    e.eventId = static_cast<uint16_t>(1000 + id % 50);
    if (id % 4 != 0)
        e.qualifiers = static_cast<uint16_t>(id % 4 == 1 ? 0 : 0x4000);
    e.task = static_cast<uint16_t>(id % 5);
    e.computer = u"PC-" + DecimalText(static_cast<int64_t>(id % 2));
    for (uint64_t k = 0; k < id % 10; ++k) {
        e.data.push_back(u"value " + DecimalText(static_cast<int64_t>(k)) + u" of " +
                         DecimalText(static_cast<int64_t>(id)));
    }
    return e;
}

std::vector<evtxwriter::EvtxEvent> NumberedEvents(uint64_t first, uint64_t count) {
    std::vector<evtxwriter::EvtxEvent> events;
    for (uint64_t id = first; id < first + count; ++id)
        events.push_back(NumberedEvent(id));
    return events;
}

std::vector<eventlog::EvtxEventFields> ReadEvents(const std::vector<uint8_t>& file) {
    std::vector<eventlog::EvtxEventFields> events;
    eventlog::ForEachEvtxEvent(file,
                               [&](const eventlog::EvtxEventFields& f) { events.push_back(f); });
    return events;
}

std::vector<eventlog::ClassicRecordView> Records(const eventlog::ClassicLog& log) {
    std::vector<eventlog::ClassicRecordView> records;
    for (size_t i = 0; i < log.Count(); ++i) {
        auto view = eventlog::ReadClassicRecord(log.Record(i));
        if (view)
            records.push_back(std::move(*view));
    }
    return records;
}

std::vector<uint32_t> Numbers(const std::vector<eventlog::ClassicRecordView>& records) {
    std::vector<uint32_t> numbers;
    for (const auto& r : records)
        numbers.push_back(r.recordNumber);
    return numbers;
}

}  // namespace veltrano::testing
