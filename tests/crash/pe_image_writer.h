// PE32+ images for the stack walk's tests, written from the published PE/COFF layout: the DOS
// and COFF headers, an optional header whose exception directory points at a RUNTIME_FUNCTION
// table, and one section that holds the table, the UNWIND_INFOs and the code bytes given.
#pragma once

#include <cstdint>
#include <vector>

namespace veltrano::testing {

struct WrittenFunction {
    uint32_t begin = 0;  // RVAs
    uint32_t end = 0;
    uint8_t prologSize = 0;
    uint8_t frameRegister = 0;  // 0: none
    uint8_t frameOffset = 0;    // scaled by 16
    // The unwind codes' 16-bit slots as the file holds them: (offset in prolog) | (op | info << 4)
    // << 8, extra slots as they are.
    std::vector<uint16_t> codes;
    // Another function's index whose RUNTIME_FUNCTION is chained after the codes; -1: none.
    int chained = -1;
    // Raw UNWIND_INFO RVA to use instead of the one written (for damage); 0: the written one.
    uint32_t unwindInfoOverride = 0;
};

struct ImagePlan {
    uint32_t timeStamp = 0x5F000000;
    uint32_t sizeOfImage = 0x10000;
    // Code bytes at an RVA (inside the section, which starts at 0x1000 and spans 0x8000 bytes).
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> code;
    // Entries of the exception directory, sorted by begin as the loader wants them; chained
    // ones included.
    std::vector<WrittenFunction> functions;
};

std::vector<uint8_t> WritePeImage(const ImagePlan& plan);

// One unwind code slot.
constexpr uint16_t UnwindCode(uint8_t prologOffset, uint8_t op, uint8_t info) {
    return static_cast<uint16_t>(prologOffset | ((op | (info << 4)) << 8));
}

}  // namespace veltrano::testing
