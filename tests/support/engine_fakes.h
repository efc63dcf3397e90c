// Fakes of the engine's ports: scripted event logs, a registry, message tables that format like
// FormatMessage's simple inserts, the event query, the environment and the owner window.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "platform/machine.h"
#include "platform/message_sink.h"

namespace veltrano::testing {

// One log: records newest first, handed out with the classic buffer contract.
struct FakeLogScript {
    std::vector<std::vector<uint8_t>> records;  // newest first
    int failOnRead = -1;                        // the read (0-based) that fails ...
    uint32_t failWith = 5;                      // ... with this error
    bool refuseOpen = false;
    int reads = 0;                 // successful and failed calls, for assertions
    int closes = 0;                // log objects destroyed
    std::function<void()> onRead;  // called before every read (slow logs, races)
};

class FakeEventLogService : public EventLogService {
  public:
    FakeLogScript& Log(const Text& name) { return logs_[name]; }
    std::unique_ptr<EventLog> Open(TextView logName) override;

  private:
    std::map<Text, FakeLogScript> logs_;
};

class FakeRegistry : public Registry {
  public:
    void SetMachine(const Text& key, const Text& value, const Text& data) {
        machine_[key + u"|" + value] = data;
    }
    Text ReadMachineString(TextView keyPath, TextView valueName) override;
    std::optional<uint32_t> ReadUserDword(TextView keyPath, TextView valueName) override;
    bool WriteUserDword(TextView keyPath, TextView valueName, uint32_t value) override;
    bool WriteUserString(TextView keyPath, TextView valueName, TextView value) override;
    bool DeleteUserKeyTree(TextView keyPath) override;

    std::map<Text, Text> machine_;
    std::map<Text, uint32_t> userDwords;  // "key|value"
    std::map<Text, Text> userStrings;     // "key|value"
    int machineReads = 0;
};

// Message files by path; Format replaces %1..%99 by the arguments and "%n" by CR LF when
// arguments are given, and keeps the message as it is with inserts ignored.
class FakeMessageTables : public MessageTables {
  public:
    std::map<Text, std::map<uint32_t, Text>> files;
    std::map<uint32_t, Text> nativeApi;
    std::map<uint32_t, Text> system;
    int loads = 0;

    std::unique_ptr<MessageModule> LoadAsData(TextView path) override;
    std::optional<Text> NativeApiMessage(uint32_t code) override;
    std::optional<Text> SystemMessage(uint32_t id) override;
};

class FakeEnvironment : public Environment {
  public:
    Text Expand(TextView text) override;
    std::map<Text, Text> variables = {{u"%SystemRoot%", u"C:\\Windows"}};
};

class FakeEventQuery : public EventQuery {
  public:
    std::map<std::pair<Text, uint32_t>, Text> texts;
    std::optional<Text> EventText(TextView logName, uint32_t recordNumber) override;
};

// Records what the scan posts; progress texts are copied and freed as the window would.
class RecordingSink : public MessageSink {
  public:
    struct Message {
        uint32_t id;
        uintptr_t wParam;
        Text text;
    };
    bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    std::vector<Message> Messages();
    bool refuse = false;

  private:
    std::mutex mutex_;
    std::vector<Message> messages_;
};

}  // namespace veltrano::testing
