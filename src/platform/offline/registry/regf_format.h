// The layout of registry hive files ("regf"), as the reader and the fixture writer share it.
// Cell fields count from the start of the cell's payload, after its 32-bit size (negative for
// an allocated cell); cell offsets count from the start of the first hive bin.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veltrano::regf {

// Base block.
constexpr size_t kBaseBlockSize = 4096;
constexpr size_t kBaseSequence1 = 4;
constexpr size_t kBaseSequence2 = 8;
constexpr size_t kBaseLastWritten = 12;
constexpr size_t kBaseMajorVersion = 20;
constexpr size_t kBaseMinorVersion = 24;
constexpr size_t kBaseFileFormat = 32;
constexpr size_t kBaseRootCell = 36;
constexpr size_t kBaseBinsSize = 40;
constexpr size_t kBaseClustering = 44;
constexpr size_t kBaseFileName = 48;  // 32 UTF-16 characters
constexpr size_t kBaseFileNameLength = 32;
constexpr size_t kBaseChecksum = 508;  // XOR of the 127 double words before it

// Hive bins.
constexpr size_t kBinAlignment = 4096;
constexpr size_t kBinHeaderSize = 32;
constexpr size_t kBinOffset = 4;
constexpr size_t kBinSize = 8;
constexpr size_t kBinTimestamp = 20;

constexpr uint32_t kNoCell = 0xFFFFFFFF;
constexpr size_t kCellAlignment = 8;

// Key node "nk".
constexpr size_t kNkFlags = 2;
constexpr size_t kNkLastWritten = 4;
constexpr size_t kNkParent = 16;
constexpr size_t kNkSubkeyCount = 20;
constexpr size_t kNkSubkeyList = 28;
constexpr size_t kNkVolatileSubkeyList = 32;
constexpr size_t kNkValueCount = 36;
constexpr size_t kNkValueList = 40;
constexpr size_t kNkSecurity = 44;
constexpr size_t kNkClass = 48;
constexpr size_t kNkLongestSubkeyName = 52;
constexpr size_t kNkLongestValueName = 60;
constexpr size_t kNkLargestValueData = 64;
constexpr size_t kNkNameLength = 72;
constexpr size_t kNkName = 76;
constexpr uint16_t kKeyHiveEntry = 0x0004;
constexpr uint16_t kKeyNoDelete = 0x0008;
constexpr uint16_t kKeyCompressedName = 0x0020;  // one byte a character (Latin-1)

// Value "vk".
constexpr size_t kVkNameLength = 2;
constexpr size_t kVkDataSize = 4;
constexpr size_t kVkData = 8;
constexpr size_t kVkType = 12;
constexpr size_t kVkFlags = 16;
constexpr size_t kVkName = 20;
constexpr uint16_t kValueCompressedName = 0x0001;
constexpr uint32_t kResidentData = 0x80000000;  // up to four bytes kept in the data field

// Security descriptor "sk".
constexpr size_t kSkNext = 4;
constexpr size_t kSkPrevious = 8;
constexpr size_t kSkDescriptorSize = 16;
constexpr size_t kSkDescriptor = 20;

// Subkey lists "lf", "lh" (offset and hash or hint per key), "li", "ri" (offsets only).
constexpr size_t kListCount = 2;
constexpr size_t kListEntries = 4;
constexpr size_t kHashedListStride = 8;
constexpr size_t kPlainListStride = 4;

// Big data "db" (format 1.4 and later): a list of segments of at most 16344 bytes each.
constexpr size_t kDbSegmentCount = 2;
constexpr size_t kDbSegmentList = 4;
constexpr uint32_t kBigDataSegment = 16344;
constexpr uint32_t kBigDataMinorVersion = 4;

}  // namespace veltrano::regf
