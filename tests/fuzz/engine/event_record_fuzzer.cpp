// Any bytes as what one read of the Application log returned: the walk over the records, their
// classification, the crash and hang messages formatted from the insertion strings and parsed
// for path, exception code and report identifier, and the join with report files must stay
// inside the data and leave a consistent catalogue. Any program can write such records with
// insertion strings of its choosing.
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "engine/event_processing.h"
#include "engine/link_reports.h"
#include "fuzz_engine_machine.h"

namespace {

// The error records of the buffer, counted without the engine's walk.
size_t ErrorRecords(const uint8_t* data, size_t size) {
    size_t errors = 0;
    size_t at = 0;
    while (size - at >= veltrano::kEventRecordFixedSize) {
        const size_t length = data[at] | data[at + 1] << 8 | data[at + 2] << 16 |
                              static_cast<size_t>(data[at + 3]) << 24;
        if (length < veltrano::kEventRecordFixedSize || length > size - at)
            break;
        errors += (data[at + 24] | data[at + 25] << 8) == veltrano::kEventTypeError;
        at += length;
    }
    return errors;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static veltrano::fuzz::FuzzEngineMachine machine;
    if (size > UINT32_MAX)
        return 0;
    veltrano::ErrorCatalogue catalogue = machine.FreshCatalogue();
    std::optional<veltrano::FileTime> oldest;
    veltrano::ProcessEventRecords(data, static_cast<uint32_t>(size), u"Application", catalogue,
                                  machine.machine, oldest);
    std::lock_guard lock(catalogue.CatalogueLock);
    (void)veltrano::LinkReports(catalogue, machine.machine.messages);
    veltrano::fuzz::CheckCatalogue(catalogue, ErrorRecords(data, size));
    return 0;
}
