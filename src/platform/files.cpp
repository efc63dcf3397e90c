// Helpers over the files port.
#include "platform/files.h"

namespace veltrano {

std::optional<std::vector<uint8_t>> ReadWholeFile(FileSystem& files, TextView path,
                                                  uint64_t maxSize) {
    auto file = files.OpenForReading(path);
    if (!file)
        return std::nullopt;
    std::vector<uint8_t> content;
    uint8_t chunk[65536];
    for (;;) {
        const int64_t n = file->Read(chunk, sizeof chunk);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        if (static_cast<uint64_t>(n) > maxSize - content.size())
            return std::nullopt;
        content.insert(content.end(), chunk, chunk + n);
    }
    return content;
}

}  // namespace veltrano
