#include "pe_image_writer.h"

#include <cstring>

namespace veltrano::testing {
namespace {

constexpr uint32_t kSectionRva = 0x1000;
constexpr uint32_t kSectionRaw = 0x400;
constexpr uint32_t kSectionSize = 0x8000;
constexpr uint32_t kTableRva = 0x6000;   // the RUNTIME_FUNCTION table
constexpr uint32_t kUnwindRva = 0x7000;  // the UNWIND_INFOs, one after another

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<uint8_t> WritePeImage(const ImagePlan& plan) {
    std::vector<uint8_t> b(kSectionRaw + kSectionSize, 0);
    b[0] = 'M';
    b[1] = 'Z';
    const uint32_t pe = 0x80;
    Put32(b, 0x3C, pe);
    std::memcpy(&b[pe], "PE\0\0", 4);
    const size_t coff = pe + 4;
    Put16(b, coff, 0x8664);  // Machine: x64
    Put16(b, coff + 2, 1);   // one section
    Put32(b, coff + 4, plan.timeStamp);
    const uint16_t optionalSize = 240;  // PE32+ with 16 data directories
    Put16(b, coff + 16, optionalSize);
    const size_t opt = coff + 20;
    Put16(b, opt, 0x20B);
    Put32(b, opt + 56, plan.sizeOfImage);
    Put32(b, opt + 60, kSectionRaw);  // SizeOfHeaders
    Put32(b, opt + 108, 16);
    Put32(b, opt + 112 + 3 * 8, kTableRva);
    Put32(b, opt + 112 + 3 * 8 + 4, static_cast<uint32_t>(plan.functions.size() * 12));
    const size_t section = opt + optionalSize;
    std::memcpy(&b[section], ".text\0\0\0", 8);
    Put32(b, section + 8, kSectionSize);
    Put32(b, section + 12, kSectionRva);
    Put32(b, section + 16, kSectionSize);
    Put32(b, section + 20, kSectionRaw);

    const auto at = [](uint32_t rva) { return kSectionRaw + (rva - kSectionRva); };
    for (const auto& [rva, bytes] : plan.code)
        std::memcpy(&b[at(rva)], bytes.data(), bytes.size());
    // The UNWIND_INFOs first, so that chained entries can name their function's table entry.
    std::vector<uint32_t> infos;
    uint32_t next = kUnwindRva;
    for (const WrittenFunction& f : plan.functions) {
        infos.push_back(next);
        const size_t o = at(next);
        const uint8_t flags = f.chained >= 0 ? 0x4 : 0;
        b[o] = static_cast<uint8_t>(1 | (flags << 3));
        b[o + 1] = f.prologSize;
        b[o + 2] = static_cast<uint8_t>(f.codes.size());
        b[o + 3] = static_cast<uint8_t>(f.frameRegister | (f.frameOffset << 4));
        for (size_t i = 0; i < f.codes.size(); ++i)
            Put16(b, o + 4 + i * 2, f.codes[i]);
        const size_t slots = (f.codes.size() + 1) & ~size_t{1};
        next += static_cast<uint32_t>(4 + slots * 2 + (f.chained >= 0 ? 12 : 0));
        next = (next + 3) & ~3u;
    }
    for (size_t i = 0; i < plan.functions.size(); ++i) {
        const WrittenFunction& f = plan.functions[i];
        const uint32_t info = f.unwindInfoOverride ? f.unwindInfoOverride : infos[i];
        const size_t e = at(kTableRva) + i * 12;
        Put32(b, e, f.begin);
        Put32(b, e + 4, f.end);
        Put32(b, e + 8, info);
        if (f.chained >= 0) {
            const WrittenFunction& c = plan.functions[static_cast<size_t>(f.chained)];
            const size_t slots = (f.codes.size() + 1) & ~size_t{1};
            const size_t o = at(infos[i]) + 4 + slots * 2;
            Put32(b, o, c.begin);
            Put32(b, o + 4, c.end);
            Put32(b, o + 8, infos[static_cast<size_t>(f.chained)]);
        }
    }
    return b;
}

}  // namespace veltrano::testing
