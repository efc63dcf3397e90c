// The kernel dump header's layout, as the debugging tools' documentation and open dump readers
// give it: DUMP_HEADER32 (4 KiB) and DUMP_HEADER64 (8 KiB), then for small dumps TRIAGE_DUMP
// with its offsets from the start of the file, and the DUMP_DRIVER_ENTRY of its driver list (a
// name offset and a KLDR_DATA_TABLE_ENTRY).
#pragma once

#include <cstddef>
#include <cstdint>

namespace veltrano::dump::kernel {

inline constexpr char kSignature[] = "PAGE";
inline constexpr char kValid32[] = "DUMP";
inline constexpr char kValid64[] = "DU64";

struct HeaderLayout {
    size_t size;
    size_t majorVersion, minorVersion, machineType, processors, bugCheckCode;
    size_t parameters;  // four of them
    size_t parameterSize;
    size_t dumpType, systemTime;
    // The driver list's entries: their size, and where the image's base and size are in one.
    size_t driverEntrySize, driverBase, driverSize;
};

inline constexpr HeaderLayout kHeader32{0x1000, 0x08,  0x0C,  0x20, 0x24, 0x28, 0x2C,
                                        4,      0xF88, 0xFC0, 0x4C, 0x1C, 0x24};
inline constexpr HeaderLayout kHeader64{0x2000, 0x08,  0x0C,  0x30, 0x34, 0x38, 0x40,
                                        8,      0xF98, 0xFA8, 0x90, 0x38, 0x48};

// TRIAGE_DUMP, right after the header.
inline constexpr size_t kTriageSizeOfDump = 0x04;
inline constexpr size_t kTriageDriverListOffset = 0x30;
inline constexpr size_t kTriageDriverCount = 0x34;
inline constexpr size_t kTriageFieldsRead = 0x38;

// A DUMP_STRING: a count of UTF-16 units, then the units.
inline constexpr uint32_t kMaxDriverName = 512;
inline constexpr uint32_t kMaxDrivers = 4096;

}  // namespace veltrano::dump::kernel
