// Which event logs the Windows program reads: the event-log service's, or, under Wine (whose
// event-log service is a stub that reports end-of-log at once), the log files under %SystemRoot%
// read by the offline adapter.
#pragma once

#include <memory>

#include "platform/event_log.h"
#include "platform/files.h"

namespace veltrano {

// %SystemRoot% (the Windows folder, "C:\windows"); GetWindowsDirectoryW when it is not set.
Text SystemRootFolder();

// The service API on Windows; under Wine the log files of %SystemRoot%, read through files
// (which must outlive the service).
std::unique_ptr<EventLogService> MakeHostEventLogService(FileSystem& files);

}  // namespace veltrano
