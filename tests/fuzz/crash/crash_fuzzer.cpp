// Any bytes as a crash dump and its modules' image: the analysis must end, with frames no more
// than its limit, each frame's module and offset agreeing with the module list, and a signature
// that names a frame it has.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "../memory_file.h"
#include "crash/crash_analysis.h"

namespace {
using namespace veltrano;

void Check(bool holds) {
    if (!holds)
        std::abort();
}

// "C:\crash.dmp" is the dump part; every other path the image part.
class CrashFiles : public fuzz::ReadOnlyFiles {
  public:
    CrashFiles(const uint8_t* dump, size_t dumpSize, const uint8_t* image, size_t imageSize)
        : dump_(dump), dumpSize_(dumpSize), image_(image), imageSize_(imageSize) {}
    std::optional<std::vector<FolderEntry>> ListFolder(TextView) override { return std::nullopt; }
    std::unique_ptr<ReadableFile> OpenForReading(TextView path) override {
        if (path == u"C:\\crash.dmp")
            return std::make_unique<fuzz::MemoryFile>(dump_, dumpSize_);
        return std::make_unique<fuzz::MemoryFile>(image_, imageSize_);
    }

  private:
    const uint8_t* dump_;
    size_t dumpSize_;
    const uint8_t* image_;
    size_t imageSize_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    const size_t dumpSize = std::min<size_t>(
        size - 4, data[0] | (data[1] << 8) | (data[2] << 16) | (size_t{data[3]} << 24));
    CrashFiles files(data + 4, dumpSize, data + 4 + dumpSize, size - 4 - dumpSize);
    crash::CrashOptions options;
    options.limits.maxFrames = 32;
    const crash::CrashAnalysis a = crash::AnalyseDump(files, u"C:\\crash.dmp", options);
    if (!a.readable) {
        Check(!a.problems.empty() && a.frames.empty());
        return 0;
    }
    Check(a.frames.size() <= options.limits.maxFrames);
    for (const crash::Frame& f : a.frames) {
        if (!f.moduleIndex) {
            Check(f.offset == f.address);
            continue;
        }
        Check(*f.moduleIndex < a.modules.size());
        const crash::CrashModule& m = a.modules[*f.moduleIndex];
        Check(f.address >= m.base && f.address - m.base < m.size && f.offset == f.address - m.base);
    }
    if (a.signature) {
        Check(a.signature->frame < a.frames.size());
        Check(a.signature->hash.size() == 8);
        Check(a.frames[a.signature->frame].offset == a.signature->offset);
    }
    return 0;
}
