// Temporary folder trees for tests.
#include "support/temp_tree.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/time.h>
#endif

#include "base/byte_store.h"

namespace veltrano::testing {
namespace fs = std::filesystem;

TempTree::TempTree() {
    static std::atomic<int> counter{0};
    std::random_device random;
    root_ = fs::temp_directory_path() /
            ("veltrano-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
    fs::create_directories(root_);
}

TempTree::~TempTree() {
    std::error_code ignored;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
}

Text TempTree::RootText() const {
#if defined(_WIN32)
    const std::wstring w = root_.wstring();
    return Text(w.begin(), w.end());
#else
    return Utf8PathToUtf16(root_.string());
#endif
}

fs::path TempTree::Write(const std::string& relative, const std::vector<uint8_t>& bytes) {
    const fs::path path = root_ / fs::u8path(relative);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
}

fs::path TempTree::Write(const std::string& relative, const std::string& bytes) {
    return Write(relative, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

fs::path TempTree::MakeFolder(const std::string& relative) {
    const fs::path path = root_ / fs::u8path(relative);
    fs::create_directories(path);
    return path;
}

void TempTree::SetLastWrite(const std::string& relative, int64_t unixSeconds) {
    const fs::path path = root_ / fs::u8path(relative);
#if defined(_WIN32)
    HANDLE h = CreateFileW(path.wstring().c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    const uint64_t ticks = static_cast<uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
    FILETIME ft{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
#else
    const timeval times[2] = {{static_cast<time_t>(unixSeconds), 0},
                              {static_cast<time_t>(unixSeconds), 0}};
    ::utimes(path.c_str(), times);
#endif
}

std::vector<uint8_t> Utf16Bytes(TextView text, bool byteOrderMark) {
    std::vector<uint8_t> bytes;
    if (byteOrderMark) {
        bytes.push_back(0xFF);
        bytes.push_back(0xFE);
    }
    AppendUtf16Le(bytes, text);
    return bytes;
}

}  // namespace veltrano::testing
