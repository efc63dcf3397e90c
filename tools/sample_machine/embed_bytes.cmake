# Writes OUTPUT, a C++ source that defines veltrano::sample::SampleMessageDll() over the bytes
# of INPUT (no INPUT: no bytes). Run with cmake -P at build time.
set(bytes "")
if(INPUT)
    file(READ ${INPUT} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n"
           bytes "${bytes}")
endif()
file(WRITE ${OUTPUT}.part "// Generated from the message DLL by embed_bytes.cmake.
#include \"sample_machine/sample_message_dll.h\"

namespace veltrano::sample {
namespace {
const uint8_t kBytes[] = {
${bytes}0};
}  // namespace

std::span<const uint8_t> SampleMessageDll() { return {kBytes, sizeof kBytes - 1}; }

}  // namespace veltrano::sample
")
file(RENAME ${OUTPUT}.part ${OUTPUT})
