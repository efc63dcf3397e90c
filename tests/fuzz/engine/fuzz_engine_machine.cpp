// The engine fuzz targets' machine and catalogue checks.
#include "fuzz_engine_machine.h"

#include <cstdlib>

#include "platform/offline/messages/format_message.h"

namespace veltrano::fuzz {
namespace {

using Messages = std::map<uint32_t, Text>;

std::optional<Text> FormatFrom(const Messages& messages, uint32_t id,
                               const std::vector<Text>* arguments) {
    const auto found = messages.find(id);
    if (found == messages.end())
        return std::nullopt;
    return FormatMessageText(found->second, arguments);
}

// The fake's message files formatted as an analysed drive's are (printf-style inserts, %%
// escapes, %0 ...), rather than by the fake's plain insert replacement.
class FormattingModule : public MessageModule {
  public:
    explicit FormattingModule(const Messages& messages) : messages_(messages) {}
    std::optional<Text> Format(uint32_t id, const std::vector<Text>* arguments) override {
        return FormatFrom(messages_, id, arguments);
    }

  private:
    const Messages& messages_;
};

class FormattingTables : public MessageTables {
  public:
    explicit FormattingTables(testing::FakeMessageTables& fake) : fake_(fake) {}
    std::unique_ptr<MessageModule> LoadAsData(TextView path) override {
        const auto found = fake_.files.find(Text(path));
        if (found == fake_.files.end())
            return nullptr;
        return std::make_unique<FormattingModule>(found->second);
    }
    std::optional<Text> NativeApiMessage(uint32_t code) override {
        return FormatFrom(fake_.nativeApi, code, nullptr);
    }
    std::optional<Text> SystemMessage(uint32_t id) override {
        return FormatFrom(fake_.system, id, nullptr);
    }

  private:
    testing::FakeMessageTables& fake_;
};

void Require(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

FuzzEngineMachine::FuzzEngineMachine() : formatting_(std::make_unique<FormattingTables>(messages)) {
    machine.messages = formatting_.get();
    // A source whose records name parameter messages ("%%1053") of its own file.
    RegisterSource(u"Application", u"Service Control Manager",
                   u"%SystemRoot%\\System32\\services.exe",
                   {{7000, u"The %1 service failed to start due to the following error: %n%2"},
                    {7034,
                     u"The %1!-20s! service terminated unexpectedly.  It has done this "
                     u"%2!d! time(s).%0"},
                    {1053, u"The service did not respond to the start or control request."}});
    messages.nativeApi[0xC0000005] =
        u"The instruction at 0x%p referenced memory at 0x%p. The memory could not be %s.";
    messages.system[1053] = u"The service did not respond in a timely fashion.%r%n";
}

ErrorCatalogue FuzzEngineMachine::FreshCatalogue() const {
    ErrorCatalogue fresh;
    fresh.WeekStart = catalogue.WeekStart;
    fresh.MonthStart = catalogue.MonthStart;
    fresh.HalfYearStart = catalogue.HalfYearStart;
    return fresh;
}

void CheckCatalogue(const ErrorCatalogue& catalogue, size_t occurrences) {
    size_t counted = 0;
    for (const auto& [key, e] : catalogue.entries) {
        Require(e.AppName.size() < kNameCapacity && e.ErrorName.size() < kNameCapacity);
        Require(e.AppPath.size() < kPathCapacity && e.ReportId.size() < kReportIdCapacity);
        Require(e.ExceptionCode.size() < kExceptionCodeCapacity);
        Require(e.ErrorSummary.size() < kSummaryCapacity);
        Require(0 <= e.WeekCount && e.WeekCount <= e.MonthCount &&
                e.MonthCount <= e.HalfYearCount && e.HalfYearCount <= e.ErrorCount);
        Require(e.FirstErrorDateTime <= e.LastErrorDateTime);
        counted += static_cast<size_t>(e.ErrorCount);
    }
    Require(counted <= occurrences);
    Require(catalogue.RecencyIndex.size() == catalogue.entries.size());
}

}  // namespace veltrano::fuzz
