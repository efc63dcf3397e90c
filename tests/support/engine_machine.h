// A machine made of fakes for engine tests, with helpers that register a crash and a hang
// source whose message files have the layouts Windows uses.
#pragma once

#include "engine/catalogue.h"
#include "platform/machine.h"
#include "shell/local_texts.h"
#include "support/engine_fakes.h"
#include "support/event_records.h"
#include "support/fake_clock.h"

namespace veltrano::testing {

inline constexpr char16_t kEventLogKey[] = u"SYSTEM\\CurrentControlSet\\services\\eventlog\\";

// The messages of event 1000 of "Application Error" and 1002 of "Application Hang" as Windows
// words them, and their insertion strings.
inline const Text kCrashMessage =
    u"Faulting application name: %1, version: %2, time stamp: 0x%3%n"
    u"Faulting module name: %4, version: %5, time stamp: 0x%6%n"
    u"Exception code: 0x%7%n"
    u"Fault offset: 0x%8%n"
    u"Faulting process id: 0x%9%n"
    u"Faulting application start time: 0x%10%n"
    u"Faulting application path: %11%n"
    u"Faulting module path: %12%n"
    u"Report Id: %13";
inline const Text kHangMessage =
    u"The program %1 version %2 stopped interacting with Windows and was closed.%n"
    u"Process ID: %3%n"
    u"Start Time: %4%n"
    u"Termination Time: %5%n"
    u"Application Path: %6%n"
    u"Report Id: %7";

inline std::vector<Text> CrashStrings(const Text& program, const Text& path, const Text& code,
                                      const Text& reportId) {
    return {program,         u"10.0.1",           u"5f3e2a1b", u"ntdll.dll",
            u"10.0.19041.1", u"a1b2c3d4",         code,        u"000000000004f3a2",
            u"1a2c",         u"01d7e3a1b2c3d4e5", path,        u"C:\\Windows\\SYSTEM32\\ntdll.dll",
            reportId};
}

inline std::vector<Text> HangStrings(const Text& program, const Text& path, const Text& reportId) {
    return {program, u"2.1.0.0", u"2f44", u"01d7e3a1b2c3d4e5", u"4294967295", path, reportId};
}

class EngineMachine {
  public:
    EngineMachine() {
        machine.clock = &clock;
        machine.eventLogs = &logs;
        machine.registry = &registry;
        machine.messages = &messages;
        machine.eventQuery = &query;
        machine.environment = &environment;
        catalogue.ownerWindow = &sink;
        catalogue.WeekStart = clock.UtcNow() - kTicksPerWeek;
        catalogue.MonthStart = clock.UtcNow() - 30 * kTicksPerDay;
        catalogue.HalfYearStart = clock.UtcNow() - 182 * kTicksPerDay;
        InitLocalTexts(0x0409, u"");
        RegisterSource(u"Application", u"Application Error", u"%SystemRoot%\\System32\\wer.dll",
                       {{1000, kCrashMessage}});
        RegisterSource(u"Application", u"Application Hang", u"%SystemRoot%\\System32\\wer.dll",
                       {{1002, kHangMessage}});
    }

    void RegisterSource(const Text& log, const Text& source, const Text& file,
                        std::map<uint32_t, Text> messagesById) {
        registry.SetMachine(kEventLogKey + log + u"\\" + source, u"EventMessageFile", file);
        auto& table = messages.files[environment.Expand(file)];
        for (auto& [id, text] : messagesById)
            table[id] = text;
    }

    // A record at `secondsAgo` before now.
    RecordFields Record(int64_t secondsAgo, Text source, uint32_t eventId,
                      std::vector<Text> strings = {}, uint16_t type = 1) {
        RecordFields fields;
        fields.recordNumber = ++lastRecordNumber;
        fields.timeGenerated = UnixTime(clock.UtcNow()) - secondsAgo;
        fields.source = std::move(source);
        fields.eventId = eventId;
        fields.strings = std::move(strings);
        fields.eventType = type;
        return fields;
    }

    FakeClock clock;
    FakeEventLogService logs;
    FakeRegistry registry;
    FakeMessageTables messages;
    FakeEventQuery query;
    FakeEnvironment environment;
    RecordingSink sink;
    Machine machine;
    ErrorCatalogue catalogue;
    uint32_t lastRecordNumber = 0;
};

}  // namespace veltrano::testing
