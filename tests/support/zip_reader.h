// A strict reader of the ZIP archives the writer produces, for tests that look at the header
// values byte by byte (on every build, also where no unzip is at hand).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace veltrano::testing {

struct ZipHeaderFields {
    uint16_t versionNeeded = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    std::string name;
    std::vector<uint8_t> extra;
};

struct ZipEntryRecord {
    ZipHeaderFields central;
    uint16_t versionMadeBy = 0;
    uint16_t commentLength = 0;
    uint16_t diskStart = 0;
    uint16_t internalAttributes = 0;
    uint32_t externalAttributes = 0;
    uint32_t localHeaderOffset = 0;
    ZipHeaderFields local;
    std::vector<uint8_t> data;  // the entry's (compressed) data
};

struct ZipContents {
    bool ok = false;  // every record found where the end record says, signatures and sizes right
    std::vector<ZipEntryRecord> entries;
    uint16_t diskEntries = 0;
    uint16_t totalEntries = 0;
    uint32_t directorySize = 0;
    uint32_t directoryOffset = 0;
};

ZipContents ReadZip(const std::vector<uint8_t>& archive);

// Little-endian fields of an extra block.
uint32_t ReadLe(const std::vector<uint8_t>& bytes, size_t at, int size);

}  // namespace veltrano::testing
