// The export's folder and names, and the packing of the report.
#include "export/report_export.h"

#include "export/xml_report.h"
#include "export/zip_writer.h"
#include "shell/local_texts.h"
#include "shell/path_variables.h"
#include "shell/time_text.h"

namespace veltrano {

uint32_t PackReport(FileSystem& files, AnsiCodePage& ansi, TextView reportPath,
                    TextView archivePath) {
    const size_t slash = reportPath.find_last_of(u"\\/");
    const TextView entryName = slash == TextView::npos ? reportPath : reportPath.substr(slash + 1);
    ZipHandle archive = ZipCreate(files, ansi, archivePath);
    if (!archive)
        return ZipLastResult();
    const uint32_t added = ZipAddFile(archive.get(), entryName, reportPath);
    const uint32_t closed = ZipClose(archive);
    return added != kZipOk ? added : closed;
}

Text ExportFolder(FileSystem& files) {
    const Text temp = files.TempFolder();
    if (temp.empty())
        return {};
    return temp + (temp.back() == u'\\' ? u"VTDir" : u"\\VTDir");
}

Text ExportErrorReport(Machine& machine, const ErrorCatalogue& catalogue,
                       const std::function<void(const Text& message)>& showMessage) {
    if (machine.files == nullptr || machine.clock == nullptr || machine.environment == nullptr ||
        machine.ansi == nullptr) {
        return {};
    }
    FileSystem& files = *machine.files;
    const Text folder = ExportFolder(files);
    if (folder.empty())
        return {};
    const FileTime now = machine.clock->UtcNow();
    switch (files.CreateFolder(folder)) {
        case CreateFolderResult::Created:
            break;
        case CreateFolderResult::AlreadyExists: {
            const auto facts = files.Facts(folder);
            if (!facts || !facts->IsDirectory())
                return {};
            break;
        }
        case CreateFolderResult::Failed:
            return {};
    }
    const Text base = folder + u"\\" + Int64ToText(static_cast<int64_t>(now));
    const Text reportPath = base + u".xml";
    const Text archivePath = base + u".zip";

    BuildPathVariables(*machine.environment);
    uint32_t openError = 0;
    if (WriteErrorReport(files, *machine.clock, reportPath, catalogue, &openError) ==
            kReportOpenFailed &&
        showMessage) {
        showMessage(LocalText(LT_OPEN_FILE_FAILED, reportPath,
                              DecimalText(static_cast<int32_t>(openError))));
    }
    PackReport(files, *machine.ansi, reportPath, archivePath);
    return archivePath;
}

}  // namespace veltrano
