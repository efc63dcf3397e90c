// A forwarding collector's log: what other computers of the family sent it through Windows Event
// Forwarding, with records of logs the program does not list and records that name no computer.
#include "sample_machine/sample_forwarded.h"

#include <algorithm>

#include "sample_machine/sample_parts.h"
#include "sample_machine/sample_writer.h"

namespace veltrano::sample {
namespace {

// Logs a collector also receives: their records are counted, not listed.
constexpr const char16_t* kOtherChannels[] = {u"Security",
                                              u"Microsoft-Windows-PowerShell/Operational"};
constexpr size_t kOtherChannelEvery = 23;  // one record of another log per so many events
constexpr int kUnnamedRecords = 3;

evtxwriter::EvtxEvent ForwardedEvent(const SampleEvent& e, TextView computer, TextView channel) {
    evtxwriter::EvtxEvent x = LogEvent(e, computer);
    x.channel = Text(channel);
    return x;
}

}  // namespace

std::vector<evtxwriter::EvtxEvent> ForwardedLogEvents(const std::vector<SampleMachine>& senders,
                                                      FileTime now) {
    std::vector<evtxwriter::EvtxEvent> events;
    for (const SampleMachine& m : senders) {
        for (size_t i = 0; i < m.events.size(); ++i) {
            const SampleEvent& e = m.events[i];
            events.push_back(ForwardedEvent(e, m.computer, e.log));
            if (i % kOtherChannelEvery == 0) {
                const auto* other = kOtherChannels[i / kOtherChannelEvery % 2];
                events.push_back(ForwardedEvent(e, m.computer, other));
            }
        }
    }
    // A sender whose records reach the collector without their computer's name.
    for (int i = 0; i < kUnnamedRecords; ++i) {
        SampleEvent e;
        e.log = u"Application";
        e.provider = u"Forwarded Sender";
        e.eventId = 1000;
        e.level = kError;
        e.time = now - static_cast<FileTime>(i + 1) * 3600 * kSecond;
        e.strings = {u"record without its computer"};
        events.push_back(ForwardedEvent(e, u"", e.log));
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const auto& a, const auto& b) { return a.time < b.time; });
    for (size_t i = 0; i < events.size(); ++i)
        events[i].recordId = i + 1;
    return events;
}

}  // namespace veltrano::sample
