// The classic event log file (.evt of Windows NT to 2003): a 48-byte header ("LfLe"), then the
// records in the classic layout in a ring that fills the rest of the file, and an end-of-file
// record (0x11111111 0x22222222 0x33333333 0x44444444) after the newest one. A record that
// reaches the end of the file continues right after the header.
#pragma once

#include <functional>

#include "platform/offline/eventlog/classic_record.h"

namespace veltrano::eventlog {

constexpr size_t kEvtHeaderSize = 48;
constexpr size_t kEvtEofRecordSize = 40;

// Calls visit for every intact record of the file, in file order (the view is valid during the
// call).
//
// The header's offsets are not trusted (a file copied while in use has stale ones): the whole
// ring is searched for record signatures, and a record counts when its length, its length copy
// and its names hold, read across the ring's end where it wraps. Insertion strings cut short by
// the record's end stop there; a SID or data block outside the record is left out.
void ForEachEvtRecord(Bytes file, const std::function<void(const ClassicRecordView&)>& visit);

}  // namespace veltrano::eventlog
