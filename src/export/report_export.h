// The export at the end of a scan: the XML error report and the ZIP archive that holds it, in
// the folder "VTDir" under the user's temporary directory, both named by the current time.
#pragma once

#include <cstdint>
#include <functional>

#include "base/text.h"
#include "engine/catalogue.h"
#include "platform/machine.h"

namespace veltrano {

// Creates the archive and adds the report as its only entry, named by the report's file name
// (the text after the last "\" or "/"). Returns the ZIP writer's result code.
uint32_t PackReport(FileSystem& files, AnsiCodePage& ansi, TextView reportPath,
                    TextView archivePath);

// The folder of the exports: the temporary directory with "VTDir"; empty when the temporary
// directory is unknown.
Text ExportFolder(FileSystem& files);

// Writes the report of the catalogue and packs it. Uses the machine's files, clock, environment
// (the path variables are rebuilt first) and ANSI code page. When the report file cannot be
// created, the message "Failed to open file %s: %s" in the interface language goes to
// showMessage, and the (empty) archive is written all the same. Returns the archive path, or
// "" when the folder is not usable and nothing was written. Takes no lock: it runs after the
// scan, when nothing else writes the catalogue.
Text ExportErrorReport(Machine& machine, const ErrorCatalogue& catalogue,
                       const std::function<void(const Text& message)>& showMessage);

}  // namespace veltrano
