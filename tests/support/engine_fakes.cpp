// Fakes of the engine's ports.
#include "support/engine_fakes.h"

#include <cstring>

#include "engine/scan_messages.h"

namespace veltrano::testing {
namespace {

class FakeEventLog : public EventLog {
  public:
    explicit FakeEventLog(FakeLogScript& script) : script_(script) {}
    ~FakeEventLog() override { ++script_.closes; }
    EventLogRead ReadBackwards(uint8_t* buffer, uint32_t size) override {
        const int call = script_.reads++;
        if (script_.onRead)
            script_.onRead();
        EventLogRead result;
        if (call == script_.failOnRead) {
            result.error = script_.failWith;
            return result;
        }
        if (next_ >= script_.records.size()) {
            result.error = kErrorHandleEof;
            return result;
        }
        uint32_t used = 0;
        while (next_ < script_.records.size()) {
            const auto& record = script_.records[next_];
            if (used + record.size() > size)
                break;
            std::memcpy(buffer + used, record.data(), record.size());
            used += static_cast<uint32_t>(record.size());
            ++next_;
        }
        if (used == 0) {
            result.error = kErrorInsufficientBuffer;
            result.bytesNeeded = static_cast<uint32_t>(script_.records[next_].size());
            return result;
        }
        result.ok = true;
        result.bytesRead = used;
        return result;
    }

  private:
    FakeLogScript& script_;
    size_t next_ = 0;
};

class FakeMessageModule : public MessageModule {
  public:
    FakeMessageModule(const std::map<uint32_t, Text>& messages, FakeMessageTables& tables)
        : messages_(messages), tables_(tables) {}
    std::optional<Text> Format(uint32_t id, const std::vector<Text>* arguments) override {
        auto found = messages_.find(id);
        if (found == messages_.end()) {
            auto system = tables_.system.find(id);
            if (system == tables_.system.end())
                return std::nullopt;
            return system->second;
        }
        if (arguments == nullptr)
            return found->second;
        const Text& message = found->second;
        Text out;
        for (size_t i = 0; i < message.size(); ++i) {
            if (message[i] == u'%' && i + 1 < message.size()) {
                const char16_t next = message[i + 1];
                if (next == u'n') {
                    out += u"\r\n";
                    ++i;
                    continue;
                }
                if (next == u'%') {
                    out += u'%';
                    ++i;
                    continue;
                }
                if (next >= u'1' && next <= u'9') {
                    size_t j = i + 1;
                    size_t number = 0;
                    while (j < message.size() && message[j] >= u'0' && message[j] <= u'9' &&
                           number < 10) {
                        number = number * 10 + (message[j] - u'0');
                        ++j;
                    }
                    if (number > arguments->size())
                        return std::nullopt;
                    out += (*arguments)[number - 1];
                    i = j - 1;
                    continue;
                }
            }
            out.push_back(message[i]);
        }
        return out;
    }

  private:
    const std::map<uint32_t, Text>& messages_;
    FakeMessageTables& tables_;
};

std::optional<Text> Lookup(const std::map<uint32_t, Text>& table, uint32_t id) {
    auto found = table.find(id);
    if (found == table.end())
        return std::nullopt;
    return found->second;
}

}  // namespace

std::unique_ptr<EventLog> FakeEventLogService::Open(TextView logName) {
    auto found = logs_.find(Text(logName));
    if (found == logs_.end() || found->second.refuseOpen)
        return nullptr;
    return std::make_unique<FakeEventLog>(found->second);
}

Text FakeRegistry::ReadMachineString(TextView keyPath, TextView valueName) {
    ++machineReads;
    auto found = machine_.find(Text(keyPath) + u"|" + Text(valueName));
    return found == machine_.end() ? Text() : found->second;
}

std::optional<uint32_t> FakeRegistry::ReadUserDword(TextView keyPath, TextView valueName) {
    auto found = userDwords.find(Text(keyPath) + u"|" + Text(valueName));
    if (found == userDwords.end())
        return std::nullopt;
    return found->second;
}

bool FakeRegistry::WriteUserDword(TextView keyPath, TextView valueName, uint32_t value) {
    userDwords[Text(keyPath) + u"|" + Text(valueName)] = value;
    return true;
}

bool FakeRegistry::WriteUserString(TextView keyPath, TextView valueName, TextView value) {
    userStrings[Text(keyPath) + u"|" + Text(valueName)] = Text(value);
    return true;
}

bool FakeRegistry::DeleteUserKeyTree(TextView keyPath) {
    const Text prefix = Text(keyPath) + u"|";
    std::erase_if(userDwords, [&](const auto& e) { return StartsWith(e.first, prefix); });
    std::erase_if(userStrings, [&](const auto& e) { return StartsWith(e.first, prefix); });
    return true;
}

std::unique_ptr<MessageModule> FakeMessageTables::LoadAsData(TextView path) {
    auto found = files.find(Text(path));
    if (found == files.end())
        return nullptr;
    ++loads;
    return std::make_unique<FakeMessageModule>(found->second, *this);
}

std::optional<Text> FakeMessageTables::NativeApiMessage(uint32_t code) {
    return Lookup(nativeApi, code);
}

std::optional<Text> FakeMessageTables::SystemMessage(uint32_t id) {
    return Lookup(system, id);
}

Text FakeEnvironment::Expand(TextView text) {
    Text out(text);
    for (const auto& [name, value] : variables) {
        for (size_t at = out.find(name); at != Text::npos; at = out.find(name, at + value.size())) {
            out.replace(at, name.size(), value);
        }
    }
    return out;
}

std::optional<Text> FakeEventQuery::EventText(TextView logName, uint32_t recordNumber) {
    auto found = texts.find({Text(logName), recordNumber});
    if (found == texts.end())
        return std::nullopt;
    return found->second;
}

bool RecordingSink::Post(uint32_t message, uintptr_t wParam, intptr_t) {
    if (refuse)
        return false;
    Message m{message, wParam, {}};
    if (message == WM_SCAN_PROGRESS && wParam != 0) {
        std::unique_ptr<Text> owned(reinterpret_cast<Text*>(wParam));
        m.text = *owned;
    }
    std::lock_guard lock(mutex_);
    messages_.push_back(std::move(m));
    return true;
}

std::vector<RecordingSink::Message> RecordingSink::Messages() {
    std::lock_guard lock(mutex_);
    return messages_;
}

}  // namespace veltrano::testing
