// Files port: the file and folder operations the program needs, with Windows paths
// ("C:\Users\...") as the program sees them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "base/filetime.h"
#include "base/text.h"

namespace veltrano {

// Windows attribute bits the program looks at.
constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeHidden = 0x02;
constexpr uint32_t kAttributeSystem = 0x04;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr uint32_t kAttributeNormal = 0x80;

struct FileFacts {
    uint32_t attributes = 0;
    uint64_t size = 0;
    FileTime creationTime = 0;
    FileTime lastAccessTime = 0;
    FileTime lastWriteTime = 0;
    bool IsDirectory() const { return (attributes & kAttributeDirectory) != 0; }
};

struct FolderEntry {
    Text name;  // without the folder
    FileFacts facts;
    // "." or "..": the folder itself or its parent, which some listings include.
    bool IsDotEntry() const { return name == u"." || name == u".."; }
};

// An open file for reading; closed when destroyed.
class ReadableFile {
  public:
    virtual ~ReadableFile() = default;
    // Bytes read into buffer: 0 at the end, -1 on a read error.
    virtual int64_t Read(void* buffer, size_t size) = 0;
    // Moves the read position to offset bytes from the start, so that a reader of a large file
    // (a crash dump) reads only the parts it needs; false when the file cannot seek (a device).
    virtual bool Seek(uint64_t offset) = 0;
    virtual std::optional<FileFacts> Facts() = 0;
    virtual bool IsDiskFile() { return true; }
};

// An open file for writing; closed when destroyed.
class WritableFile {
  public:
    virtual ~WritableFile() = default;
    // Number of bytes written (less than size on failure).
    virtual size_t Write(const void* data, size_t size) = 0;
    virtual bool Seek(uint64_t offset) = 0;
};

enum class CreateFolderResult { Created, AlreadyExists, Failed };

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // The entries of a folder (the program enumerates "folder\*.*"); "." and ".." may be
    // among them. nullopt when the folder cannot be enumerated.
    virtual std::optional<std::vector<FolderEntry>> ListFolder(TextView folder) = 0;
    // Opens an existing file for shared reading; null when it cannot be opened.
    virtual std::unique_ptr<ReadableFile> OpenForReading(TextView path) = 0;
    // Creates (or truncates) a file for writing, not shared; null on failure.
    virtual std::unique_ptr<WritableFile> CreateForWriting(TextView path) = 0;
    virtual std::optional<FileFacts> Facts(TextView path) = 0;
    virtual CreateFolderResult CreateFolder(TextView path) = 0;
    virtual bool Copy(TextView from, TextView to, bool failIfExists) = 0;
    virtual bool Remove(TextView path) = 0;
    // The temporary folder as GetTempPathW reports it (with its final backslash); empty on failure.
    virtual Text TempFolder() = 0;
    // The user's desktop folder; empty on failure.
    virtual Text DesktopFolder() = 0;
    // The full path of the running executable; empty on failure.
    virtual Text ModulePath() = 0;
    // The system's error number of this thread's last failed open or create (a Windows error
    // code, errno on POSIX hosts); 0 when the adapter cannot tell.
    virtual uint32_t LastError() { return 0; }
};

// Where the file name of a Windows path starts (after its last "\\" or "/"; 0 when none).
size_t FileNameStart(TextView path);
// A path as a key that names the same file however it is written: letters folded, "/" as "\\".
Text PathKey(TextView path);

// The whole content of a file, or nullopt when it cannot be opened or read or is larger than
// maxSize bytes (a guard for files named by the data being read).
std::optional<std::vector<uint8_t>> ReadWholeFile(FileSystem& files, TextView path,
                                                  uint64_t maxSize = UINT64_MAX);

}  // namespace veltrano
