// Message texts of event records: the source's message file found through the registry,
// formatted with the record's insertion strings; and the event query service as a second way.
#pragma once

#include <memory>
#include <optional>

#include "base/text.h"
#include "engine/catalogue.h"
#include "engine/event_record.h"
#include "platform/machine.h"

namespace veltrano {

struct MessageTexts {
    std::optional<Text> ErrorText;
    std::optional<Text> MessageTemplate;
    Text ErrorTextParams;
};

// The expanded message file the registry names for a source (the first of a list); empty when
// there is none.
Text MessageFileOf(Machine& machine, TextView logName, TextView source);

// The message module the registry names for a source; null when there is none.
std::unique_ptr<MessageModule> LoadMessageModule(Machine& machine, TextView logName,
                                                 TextView source);

// The message-file path.
MessageTexts ResolveMessageTexts(Machine& machine, const EventRecordView& record, TextView logName);
// The same with the source's module found already; strings are the record's insertion strings
// when the caller has read them, else null.
MessageTexts ResolveMessageTexts(MessageModule& module, const EventRecordView& record,
                                 const EventRecordView::Strings* strings);

// Why the message-file path gives a source's event no text: not registered, files missing, no
// message, or a message that does not format.
TextPath ClassicTextPath(Machine& machine, TextView logName, TextView source, uint32_t eventId);

// The event query path: the platform's formatted text of the record.
std::optional<Text> QueryEventText(Machine& machine, TextView logName, uint32_t recordNumber);

// Every line feed not preceded by a carriage return becomes CR LF.
Text NormaliseLineEnds(TextView text);

// The highest insert number ("%" followed by decimal digits) of a message; 0 when none.
int HighestInsertNumber(TextView message);

}  // namespace veltrano
