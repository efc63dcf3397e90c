// Win32 implementation of the files port.
#include "platform/win32/win32_file_system.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/wide.h"

namespace veltrano {
namespace {

FileTime ToFileTime(const FILETIME& ft) {
    return (static_cast<FileTime>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// The facts of any of the API's file records (by handle, find data, attribute data): they share
// these field names.
template <typename FileRecord>
FileFacts FactsOf(const FileRecord& record) {
    FileFacts facts;
    facts.attributes = record.dwFileAttributes;
    facts.size = (static_cast<uint64_t>(record.nFileSizeHigh) << 32) | record.nFileSizeLow;
    facts.creationTime = ToFileTime(record.ftCreationTime);
    facts.lastAccessTime = ToFileTime(record.ftLastAccessTime);
    facts.lastWriteTime = ToFileTime(record.ftLastWriteTime);
    return facts;
}

thread_local uint32_t t_lastError = 0;

// Keeps the error of a failed open for LastError(); returns null for the caller's convenience.
std::nullptr_t Failed() {
    t_lastError = ::GetLastError();
    return nullptr;
}

bool SeekTo(HANDLE handle, uint64_t offset) {
    if (offset > static_cast<uint64_t>(INT64_MAX))
        return false;
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(handle, distance, nullptr, FILE_BEGIN) != 0;
}

class Win32ReadableFile : public ReadableFile {
  public:
    explicit Win32ReadableFile(HANDLE handle) : handle_(handle) {}
    int64_t Read(void* buffer, size_t size) override {
        DWORD read = 0;
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (!::ReadFile(handle_.get(), buffer, chunk, &read, nullptr))
            return -1;
        return read;
    }
    bool Seek(uint64_t offset) override { return SeekTo(handle_.get(), offset); }
    std::optional<FileFacts> Facts() override {
        BY_HANDLE_FILE_INFORMATION info;
        if (!::GetFileInformationByHandle(handle_.get(), &info))
            return std::nullopt;
        return FactsOf(info);
    }
    bool IsDiskFile() override { return ::GetFileType(handle_.get()) == FILE_TYPE_DISK; }

  private:
    ScopedFileHandle handle_;
};

class Win32WritableFile : public WritableFile {
  public:
    explicit Win32WritableFile(HANDLE handle) : handle_(handle) {}
    size_t Write(const void* data, size_t size) override {
        size_t done = 0;
        while (done < size) {
            const size_t rest = size - done;
            const DWORD chunk = rest > 0x40000000 ? 0x40000000 : static_cast<DWORD>(rest);
            DWORD written = 0;
            if (!::WriteFile(handle_.get(), static_cast<const char*>(data) + done, chunk, &written,
                             nullptr) ||
                written == 0) {
                break;
            }
            done += written;
        }
        return done;
    }
    bool Seek(uint64_t offset) override { return SeekTo(handle_.get(), offset); }

  private:
    ScopedFileHandle handle_;
};

}  // namespace

std::optional<std::vector<FolderEntry>> Win32FileSystem::ListFolder(TextView folder) {
    const Text pattern = Text(folder) + u"\\*.*";
    WIN32_FIND_DATAW data;
    ScopedFindHandle find(::FindFirstFileW(Wide(pattern), &data));
    if (!find)
        return std::nullopt;
    std::vector<FolderEntry> entries;
    do {
        FolderEntry entry;
        entry.name = FromWide(data.cFileName);
        entry.facts = FactsOf(data);
        entries.push_back(std::move(entry));
    } while (::FindNextFileW(find.get(), &data));
    return entries;
}

std::unique_ptr<ReadableFile> Win32FileSystem::OpenForReading(TextView path) {
    const Text p(path);
    HANDLE h = ::CreateFileW(Wide(p), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Failed();
    return std::make_unique<Win32ReadableFile>(h);
}

std::unique_ptr<WritableFile> Win32FileSystem::CreateForWriting(TextView path) {
    const Text p(path);
    HANDLE h = ::CreateFileW(Wide(p), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Failed();
    return std::make_unique<Win32WritableFile>(h);
}

std::optional<FileFacts> Win32FileSystem::Facts(TextView path) {
    const Text p(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(Wide(p), GetFileExInfoStandard, &data))
        return std::nullopt;
    return FactsOf(data);
}

CreateFolderResult Win32FileSystem::CreateFolder(TextView path) {
    const Text p(path);
    if (::CreateDirectoryW(Wide(p), nullptr))
        return CreateFolderResult::Created;
    return ::GetLastError() == ERROR_ALREADY_EXISTS ? CreateFolderResult::AlreadyExists
                                                    : CreateFolderResult::Failed;
}

bool Win32FileSystem::Copy(TextView from, TextView to, bool failIfExists) {
    const Text f(from), t(to);
    return ::CopyFileW(Wide(f), Wide(t), failIfExists ? TRUE : FALSE) != 0;
}

bool Win32FileSystem::Remove(TextView path) {
    const Text p(path);
    return ::DeleteFileW(Wide(p)) != 0;
}

Text Win32FileSystem::TempFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH, buffer);
    if (n == 0 || n > MAX_PATH)
        return {};
    return FromWide(buffer, n);
}

Text Win32FileSystem::DesktopFolder() {
    wchar_t buffer[MAX_PATH];
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT,
                                  buffer))) {
        return {};
    }
    return FromWide(buffer);
}

uint32_t Win32FileSystem::LastError() {
    return t_lastError;
}

Text Win32FileSystem::ModulePath() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};
    return FromWide(buffer, n);
}

}  // namespace veltrano
