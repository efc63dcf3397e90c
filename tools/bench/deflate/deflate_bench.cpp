// Compares the program's deflate compressor with zlib at level 8 (raw deflate, the same window,
// memory level and strategy) on three inputs: an XML error report of about 10 MB written by the
// report writer, a source tarball and a binary. Prints compressed sizes and throughput as ratios
// ours / zlib, then the CRC-32 throughput against zlib's crc32. Times are process CPU times, the
// best of several rounds, so other load on the machine disturbs them little.
//
// Usage: deflate_bench [tarball [binary]]  (defaults: a tar of /usr/src/googletest or of this
// source tree, and /usr/bin/cmake or this program)
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "base/crc32.h"
#include "export/deflate.h"
#include "export/xml_report.h"
#include "platform/host.h"
#include "support/fake_clock.h"
#include "support/synthetic_catalogue.h"

namespace {
using namespace veltrano;
using Bytes = std::vector<uint8_t>;

constexpr int kRounds = 5;
constexpr size_t kReportSize = 10'000'000;

double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), {});
}

Bytes CommandOutput(const std::string& command) {
    Bytes out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return out;
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.insert(out.end(), buffer, buffer + n);
    ::pclose(pipe);
    return out;
}

// An error report of at least 10 MB from a synthetic catalogue, written by the report writer.
Bytes Report() {
    auto files = MakeHostFileSystem();
    testing::FakeClock clock;
    const Text path = files->TempFolder() + u"veltrano-bench-report.xml";
    ErrorCatalogue catalogue;
    Bytes report;
    for (uint32_t seed = 1; report.size() < kReportSize; ++seed) {
        testing::AddSyntheticEntries(catalogue, 1000, seed);
        WriteErrorReport(*files, clock, path, catalogue);
        report = ReadWholeFile(*files, path).value_or(Bytes{});
        if (report.empty())
            break;
    }
    files->Remove(path);
    return report;
}

class MemoryStreams : public DeflateStreams {
  public:
    explicit MemoryStreams(const Bytes& input) : input_(input) {}
    int64_t Read(uint8_t* destination, size_t size) override {
        const size_t n = std::min(size, input_.size() - position_);
        std::memcpy(destination, input_.data() + position_, n);
        position_ += n;
        return static_cast<int64_t>(n);
    }
    void Write(const uint8_t*, size_t size) override { written_ += size; }
    size_t written() const { return written_; }

  private:
    const Bytes& input_;
    size_t position_ = 0;
    size_t written_ = 0;
};

size_t OursDeflate(const Bytes& input) {
    MemoryStreams streams(input);
    Deflater deflater(streams);
    uint16_t flags = 0;
    deflater.Start(kDeflateLevel, flags);
    deflater.Compress();
    return streams.written();
}

size_t ZlibDeflate(const Bytes& input, Bytes& buffer) {
    z_stream z{};
    deflateInit2(&z, 8, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    buffer.resize(deflateBound(&z, static_cast<uLong>(input.size())));
    z.next_in = const_cast<Bytef*>(input.data());
    z.avail_in = static_cast<uInt>(input.size());
    z.next_out = buffer.data();
    z.avail_out = static_cast<uInt>(buffer.size());
    deflate(&z, Z_FINISH);
    const size_t size = z.total_out;
    deflateEnd(&z);
    return size;
}

struct Ratios {
    double size;
    double speed;
};

Ratios CompareDeflate(const char* name, const Bytes& input) {
    Bytes buffer;
    size_t ours = 0, theirs = 0;
    double oursTime = 1e30, theirsTime = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        double t = CpuSeconds();
        ours = OursDeflate(input);
        oursTime = std::min(oursTime, CpuSeconds() - t);
        t = CpuSeconds();
        theirs = ZlibDeflate(input, buffer);
        theirsTime = std::min(theirsTime, CpuSeconds() - t);
    }
    const double mb = static_cast<double>(input.size()) / 1e6;
    const Ratios r{static_cast<double>(ours) / static_cast<double>(theirs), theirsTime / oursTime};
    std::printf("%-10s %10zu %10zu %10zu %9.4f %9.1f %9.1f %9.3f\n", name, input.size(), ours,
                theirs, r.size, mb / oursTime, mb / theirsTime, r.speed);
    return r;
}

void CompareCrc() {
    Bytes data(64 << 20);
    std::mt19937 random(1);
    for (auto& b : data)
        b = static_cast<uint8_t>(random());
    double oursTime = 1e30, theirsTime = 1e30;
    uint32_t ours = 0;
    uLong theirs = 0;
    for (int round = 0; round < kRounds; ++round) {
        double t = CpuSeconds();
        ours = Crc32(data.data(), data.size());
        oursTime = std::min(oursTime, CpuSeconds() - t);
        t = CpuSeconds();
        theirs = crc32(0, data.data(), static_cast<uInt>(data.size()));
        theirsTime = std::min(theirsTime, CpuSeconds() - t);
    }
    const double mb = static_cast<double>(data.size()) / 1e6;
    std::printf(
        "\nCRC-32 of %zu bytes: ours %.0f MB/s, zlib %.0f MB/s, throughput ratio %.3f "
        "(target >= 0.8)%s\n",
        data.size(), mb / oursTime, mb / theirsTime, theirsTime / oursTime,
        ours == theirs ? "" : "  VALUES DIFFER");
}

}  // namespace

int main(int argc, char** argv) {
    const Bytes report = Report();
    Bytes tarball = argc > 1 ? ReadFile(argv[1])
                             : CommandOutput("tar -cf - -C /usr/src googletest 2>/dev/null");
    const char* tarName = argc > 1 ? argv[1] : "tar of /usr/src/googletest";
    if (tarball.empty()) {
        tarball = CommandOutput(std::string("tar -cf - -C ") + VELTRANO_SOURCE_DIR + " src tests");
        tarName = "tar of this source tree";
    }
    Bytes binary = ReadFile(argc > 2 ? argv[2] : "/usr/bin/cmake");
    const char* binaryName = argc > 2 ? argv[2] : "/usr/bin/cmake";
    if (binary.empty()) {
        binary = ReadFile("/proc/self/exe");
        binaryName = "this program";
    }
    std::printf("zlib %s; deflate level 8, raw; best of %d rounds; ratios are ours / zlib\n",
                zlibVersion(), kRounds);
    std::printf("tarball: %s; binary: %s\n\n", tarName, binaryName);
    std::printf("%-10s %10s %10s %10s %9s %9s %9s %9s\n", "input", "bytes", "ours", "zlib", "size",
                "ours MB/s", "zlib MB/s", "speed");
    const Ratios a = CompareDeflate("report", report);
    const Ratios b = CompareDeflate("tarball", tarball);
    const Ratios c = CompareDeflate("binary", binary);
    const double worstSize = std::max({a.size, b.size, c.size});
    const double worstSpeed = std::min({a.speed, b.speed, c.speed});
    std::printf("\nworst size ratio %.4f (target <= 1.005), worst speed ratio %.3f (target >= 1)\n",
                worstSize, worstSpeed);
    CompareCrc();
    return 0;
}
