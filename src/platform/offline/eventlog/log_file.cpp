// Both log file formats into the classic records.
#include "platform/offline/eventlog/log_file.h"

#include "platform/offline/eventlog/evt_file.h"
#include "platform/offline/eventlog/evtx_file.h"

namespace veltrano::eventlog {

void ForEachEvtxEvent(Bytes file, const std::function<void(const EvtxEventFields&)>& visit,
                      LogFileFacts* facts) {
    EvtxEventReader reader;
    EvtxEventFields fields;
    EvtxDamage damage;
    uint32_t undecoded = 0;
    ForEachEvtxRecord(
        file,
        [&](const EvtxRecord& record) {
            if (reader.Read(record, fields))
                visit(fields);
            else
                ++undecoded;
        },
        &damage);
    if (facts != nullptr) {
        facts->damagedChunks += damage.chunks;
        facts->damagedRecords += damage.records + undecoded;
        // The framing: a 4096-byte header, then whole 64 KiB chunks.
        facts->truncated = file.size() < kEvtxFileHeaderBlock ||
                           (file.size() - kEvtxFileHeaderBlock) % kEvtxChunkSize != 0;
    }
}

ClassicLog ReadLogFile(Bytes file, LogFormat format, LogFileFacts* facts) {
    ClassicLog log;
    LogFileFacts ignored;
    LogFileFacts& counted = facts != nullptr ? *facts : ignored;
    if (format == LogFormat::Evtx) {
        ForEachEvtxEvent(
            file,
            [&](const EvtxEventFields& fields) {
                log.Add(fields.recordId, ToClassicEvent(fields));
                counted.CountRecord(fields.created);
                counted.NoteRecord(fields.recordId, fields.created, fields.computer);
            },
            &counted);
    } else {
        ForEachEvtRecord(file, [&](const ClassicRecordView& view) {
            const FileTime time = UnixSecondsToFileTime(view.timeGenerated).value_or(0);
            counted.CountRecord(time);
            counted.NoteRecord(view.recordNumber, time, view.computerName);
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
    counted.records = log.Count();  // a stale copy of a record is one record
    return log;
}

}  // namespace veltrano::eventlog
