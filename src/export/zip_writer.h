// The ZIP archive writer: creates an archive (PKWARE APPNOTE, without ZIP64, encryption or
// comment) and adds disk files to it, deflated or stored, through a handle and numeric result
// codes. Files are reached through the files port, entry names go to the ANSI code page.
#pragma once

#include <cstdint>
#include <memory>

#include "base/text.h"
#include "platform/ansi_code_page.h"
#include "platform/files.h"

namespace veltrano {

// Result codes.
constexpr uint32_t kZipOk = 0;
constexpr uint32_t kZipErrorOpen = 0x200;         // a file could not be created, opened or examined
constexpr uint32_t kZipErrorWrite = 0x400;        // a header or the deflated data was cut short
constexpr uint32_t kZipErrorArgument = 0x10000;   // null handle, unusable entry name, entry too big
constexpr uint32_t kZipErrorSize = 0x60000;       // size read differs, or stored data cut short
constexpr uint32_t kZipErrorHandle = 0x80000;     // the handle is not an archive being written
constexpr uint32_t kZipErrorNotDisk = 0x1000000;  // the source is not a disk file, or no output
constexpr uint32_t kZipErrorSeek = 0x2000000;     // a seek in the output failed
constexpr uint32_t kZipErrorCompressor = 0x5000000;  // the compressor's internal check failed

constexpr int kZipKindWriting = 2;

struct ZipWriterState;

// The handle: a kind tag and the writer's state.
struct ZipWriter {
    ZipWriter();
    ~ZipWriter();
    int kind = kZipKindWriting;
    std::unique_ptr<ZipWriterState> state;
};

// Closes an archive that was not closed explicitly, so that it is complete all the same.
struct ZipWriterCloser {
    void operator()(ZipWriter* writer) const;
};
using ZipHandle = std::unique_ptr<ZipWriter, ZipWriterCloser>;

// Creates (or replaces) the archive file; null when it cannot be created (result 0x200).
ZipHandle ZipCreate(FileSystem& files, AnsiCodePage& ansi, TextView archivePath);

// Adds the file at sourcePath under entryName ("\" become "/"); names ending in .Z, .zip,
// .zoo, .arc, .lzh, .arj, .gz or .tgz (any case) are stored, all others deflated at level 8.
// After a failed add the archive can still be closed and lacks only that entry.
uint32_t ZipAddFile(ZipWriter* writer, TextView entryName, TextView sourcePath);

// Writes the central directory and the end record, closes the file and frees the handle.
// A null handle gives 0x10000.
uint32_t ZipClose(ZipHandle& writer);

// The result of the last call of any of the functions above.
uint32_t ZipLastResult();

}  // namespace veltrano
