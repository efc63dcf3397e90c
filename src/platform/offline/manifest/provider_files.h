// The files of a manifest-based provider on an analysed drive: its manifest (the WEVT_TEMPLATE
// resource of its resource file, or of the file's .mun under <SystemRoot>\SystemResources, where
// Windows 10 keeps the resources of system files) and the message tables of its message files,
// from the language resource file of the drive's install language, then US English, then the
// language-neutral file itself, then its .mun. Files are read once: a drive does not change
// while it is analysed.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/files.h"
#include "platform/offline/manifest/crim_manifest.h"
#include "platform/offline/messages/message_table.h"

namespace veltrano::manifest {

// What a file of a provider gave.
enum class FileState {
    Missing,  // neither the file nor any of its language files or .mun is on the drive
    Empty,    // there, but without what was looked for (no manifest, no message table)
    Found,
};

struct ManifestLookup {
    FileState state = FileState::Missing;
    std::shared_ptr<const CrimManifest> manifest;
};

struct MessageLookup {
    FileState state = FileState::Missing;
    std::shared_ptr<const MessageTable> table;
    Text file;  // the file the table came from
};

class ProviderFiles {
  public:
    // files: the drive's file system; systemRoot: "C:\Windows"; installCulture: the drive's
    // install language as a culture name ("de-DE"), empty when unknown.
    ProviderFiles(FileSystem& files, Text systemRoot, Text installCulture);

    // path: an expanded path on drive C:.
    ManifestLookup Manifest(TextView path);
    MessageLookup Messages(TextView path);

  private:
    struct Image {
        bool present = false;
        std::shared_ptr<const std::vector<uint8_t>> bytes;  // null when not a PE image
    };
    const Image& Read(const Text& path);
    Text MunPath(TextView path) const;

    FileSystem& files_;
    Text systemRoot_;
    Text installCulture_;
    std::mutex mutex_;  // guards the caches
    std::map<Text, Image> images_;
    std::map<Text, ManifestLookup> manifests_;
    std::map<Text, MessageLookup> messages_;
};

// The culture name of a Windows language identifier ("0407" in the registry is 0x0407,
// "de-DE"); empty for one this table does not know.
Text CultureOfLanguage(uint16_t language);

}  // namespace veltrano::manifest
