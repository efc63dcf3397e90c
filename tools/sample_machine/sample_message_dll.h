// The sample's message file (tools/writers/messages/event_messages.mc, compiled by windmc and
// windres), built into the builder so that it needs no path to it, on Linux or under Wine.
#pragma once

#include <cstdint>
#include <span>

namespace veltrano::sample {

// Empty when the build had no MinGW-w64 tools to make the DLL.
std::span<const uint8_t> SampleMessageDll();

}  // namespace veltrano::sample
