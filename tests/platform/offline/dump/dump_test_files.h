// Test dumps as files: written to a test drive and read back through the host's file adapter, so
// the reader meets them as it meets real ones (positioned reads of a host file).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/offline/dump/minidump.h"
#include "support/test_drive.h"

namespace veltrano::testing {

class DumpFiles {
  public:
    // Each dump gets a file of its own: a dump that was read keeps its file open.
    std::optional<dump::Minidump> Read(const std::vector<uint8_t>& bytes,
                                       std::string* problem = nullptr) {
        const std::string name = "dump" + std::to_string(written_++) + ".dmp";
        drive_.tree().Write(name, bytes);
        return dump::ReadMinidump(drive_.files(), u"C:\\" + Utf8ToUtf16(name), problem);
    }
    FileSystem& files() { return drive_.files(); }

  private:
    TestDrive drive_;
    int written_ = 0;
};

inline std::string Hex(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 15]);
    }
    return text;
}

}  // namespace veltrano::testing
