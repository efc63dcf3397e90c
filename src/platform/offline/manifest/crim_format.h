// The layout of a provider's compiled instrumentation manifest (the WEVT_TEMPLATE resource): a
// "CRIM" header with the providers' GUIDs and offsets; per provider a "WEVT" header listing its
// element tables ("EVNT" event definitions, "TTBL" templates, channels, levels, tasks ...); every
// offset counts from the start of the CRIM block. Shared by the reader and the test writer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veltrano::manifest {

inline constexpr char kCrimSignature[] = "CRIM";
inline constexpr char kProviderSignature[] = "WEVT";
inline constexpr char kEventsSignature[] = "EVNT";
inline constexpr char kTemplateTableSignature[] = "TTBL";
inline constexpr char kTemplateSignature[] = "TEMP";

// CRIM: signature, size, major and minor version, provider count, then the descriptors.
inline constexpr size_t kCrimHeaderSize = 16;
inline constexpr size_t kCrimSize = 4;
inline constexpr size_t kCrimProviderCount = 12;
inline constexpr size_t kProviderDescriptorSize = 20;  // GUID, offset of the provider's WEVT

// WEVT: signature, size, message identifier of the provider's name, element count, count of
// the 32-bit values after the element descriptors; element descriptors are offset + a value.
inline constexpr size_t kProviderHeaderSize = 20;
inline constexpr size_t kProviderMessageId = 8;
inline constexpr size_t kProviderElementCount = 12;
inline constexpr size_t kProviderExtraCount = 16;
inline constexpr size_t kElementDescriptorSize = 8;

// Element tables start with signature, size and count.
inline constexpr size_t kTableSize = 4;
inline constexpr size_t kTableCount = 8;

// EVNT: signature, size, count, a 32-bit value, then definitions of 48 bytes.
inline constexpr size_t kEventsHeaderSize = 16;
inline constexpr size_t kEventDefinitionSize = 48;
inline constexpr size_t kEventId = 0;
inline constexpr size_t kEventVersion = 2;
inline constexpr size_t kEventChannel = 3;
inline constexpr size_t kEventLevel = 4;
inline constexpr size_t kEventOpcode = 5;
inline constexpr size_t kEventTask = 6;
inline constexpr size_t kEventKeywords = 8;
inline constexpr size_t kEventMessageId = 16;
inline constexpr size_t kEventTemplateOffset = 20;

// TTBL: signature, size, count, then the TEMP blocks one after another.
inline constexpr size_t kTemplateTableHeaderSize = 12;

// TEMP: signature, size, item count, name count, offset of the items, a 32-bit value, GUID,
// then the template's binary XML; the item descriptors (20 bytes each) and their names
// (a 32-bit size that counts itself, then UTF-16 with a terminator) follow inside the block.
inline constexpr size_t kTemplateHeaderSize = 40;
inline constexpr size_t kTemplateItemCount = 8;
inline constexpr size_t kTemplateNameCount = 12;
inline constexpr size_t kTemplateItemsOffset = 16;
inline constexpr size_t kTemplateGuid = 24;
inline constexpr size_t kTemplateItemSize = 20;
inline constexpr size_t kItemInType = 4;
inline constexpr size_t kItemOutType = 5;
inline constexpr size_t kItemNameOffset = 16;

inline constexpr uint32_t kNoMessage = 0xFFFFFFFF;

}  // namespace veltrano::manifest
