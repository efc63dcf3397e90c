// Both log file formats into the classic records.
#include "platform/offline/eventlog/log_file.h"

#include "platform/offline/eventlog/evt_file.h"

namespace veltrano::eventlog {

void ForEachEvtxEvent(Bytes file, const std::function<void(const EvtxEventFields&)>& visit) {
    EvtxEventReader reader;
    EvtxEventFields fields;
    ForEachEvtxRecord(file, [&](const EvtxRecord& record) {
        if (reader.Read(record, fields))
            visit(fields);
    });
}

ClassicLog ReadLogFile(Bytes file, LogFormat format) {
    ClassicLog log;
    if (format == LogFormat::Evtx) {
        ForEachEvtxEvent(file, [&](const EvtxEventFields& fields) {
            log.Add(fields.recordId, ToClassicEvent(fields));
        });
    } else {
        ForEachEvtRecord(file, [&](const ClassicRecordView& view) {
            ClassicEvent event;
            static_cast<ClassicNumbers&>(event) = view;
            event.sourceName = view.sourceName;
            event.computerName = view.computerName;
            const Text strings = JoinInsertionStrings(view.strings);
            event.strings = strings;
            event.numStrings = static_cast<uint16_t>(view.strings.size());
            event.userSid = view.userSid;
            event.data = view.data;
            log.Add(view.recordNumber, event);
        });
    }
    log.Finish();
    return log;
}

}  // namespace veltrano::eventlog
