// POSIX implementation of the files port.
#include "platform/offline/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace veltrano {
namespace {

FileTime ToFileTime(const timespec& ts) {
    auto ft = UnixSecondsToFileTime(ts.tv_sec);
    return ft ? *ft + static_cast<FileTime>(ts.tv_nsec / 100) : 0;
}

FileFacts FactsFromStat(const struct stat& st, const std::string& name) {
    FileFacts facts;
    facts.size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
    facts.attributes = S_ISDIR(st.st_mode) ? kAttributeDirectory : kAttributeArchive;
    if ((st.st_mode & S_IWUSR) == 0)
        facts.attributes |= kAttributeReadOnly;
    if (!name.empty() && name[0] == '.')
        facts.attributes |= kAttributeHidden;
    facts.creationTime = ToFileTime(st.st_ctim);
    facts.lastAccessTime = ToFileTime(st.st_atim);
    facts.lastWriteTime = ToFileTime(st.st_mtim);
    return facts;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

thread_local uint32_t t_lastError = 0;

// Keeps errno of a failed open for LastError(); returns null for the caller's convenience.
std::nullptr_t Failed(int error) {
    t_lastError = static_cast<uint32_t>(error);
    return nullptr;
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

bool SeekTo(int fd, uint64_t offset) {
    if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max()))
        return false;
    return ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

class PosixReadableFile : public ReadableFile {
  public:
    PosixReadableFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    int64_t Read(void* buffer, size_t size) override {
        for (;;) {
            const ssize_t n = ::read(fd_.get(), buffer, size);
            if (n >= 0)
                return n;
            if (errno != EINTR)
                return -1;
        }
    }
    bool Seek(uint64_t offset) override { return SeekTo(fd_.get(), offset); }
    std::optional<FileFacts> Facts() override {
        struct stat st;
        if (::fstat(fd_.get(), &st) != 0)
            return std::nullopt;
        return FactsFromStat(st, BaseName(path_));
    }
    bool IsDiskFile() override {
        struct stat st;
        return ::fstat(fd_.get(), &st) == 0 && S_ISREG(st.st_mode);
    }

  private:
    FileDescriptor fd_;
    std::string path_;
};

class PosixWritableFile : public WritableFile {
  public:
    explicit PosixWritableFile(int fd) : fd_(fd) {}
    size_t Write(const void* data, size_t size) override {
        size_t done = 0;
        while (done < size) {
            const ssize_t n =
                ::write(fd_.get(), static_cast<const char*>(data) + done, size - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<size_t>(n);
        }
        return done;
    }
    bool Seek(uint64_t offset) override { return SeekTo(fd_.get(), offset); }

  private:
    FileDescriptor fd_;
};

}  // namespace

std::string HostPath(TextView path) {
    std::string host = Utf16PathToUtf8(path);
    for (char& c : host) {
        if (c == '\\')
            c = '/';
    }
    return host;
}

std::optional<std::vector<FolderEntry>> PosixFileSystem::ListFolder(TextView folder) {
    const std::string base = HostPath(folder);
    DIR* dir = ::opendir(base.c_str());
    if (dir == nullptr)
        return std::nullopt;
    std::vector<FolderEntry> entries;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st;
        if (::stat((base + "/" + name).c_str(), &st) != 0)
            continue;
        entries.push_back({Utf8PathToUtf16(name), FactsFromStat(st, name)});
    }
    ::closedir(dir);
    return entries;
}

std::unique_ptr<ReadableFile> PosixFileSystem::OpenForReading(TextView path) {
    const std::string host = HostPath(path);
    const int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Failed(errno);
    struct stat st;
    const bool known = ::fstat(fd, &st) == 0;
    if (!known || S_ISDIR(st.st_mode)) {
        const int error = known ? EISDIR : errno;
        ::close(fd);
        return Failed(error);
    }
    return std::make_unique<PosixReadableFile>(fd, host);
}

std::unique_ptr<WritableFile> PosixFileSystem::CreateForWriting(TextView path) {
    const int fd = ::open(HostPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return Failed(errno);
    return std::make_unique<PosixWritableFile>(fd);
}

std::optional<FileFacts> PosixFileSystem::Facts(TextView path) {
    const std::string host = HostPath(path);
    struct stat st;
    if (::stat(host.c_str(), &st) != 0)
        return std::nullopt;
    return FactsFromStat(st, BaseName(host));
}

CreateFolderResult PosixFileSystem::CreateFolder(TextView path) {
    if (::mkdir(HostPath(path).c_str(), 0755) == 0)
        return CreateFolderResult::Created;
    return errno == EEXIST ? CreateFolderResult::AlreadyExists : CreateFolderResult::Failed;
}

bool PosixFileSystem::Copy(TextView from, TextView to, bool failIfExists) {
    auto content = ReadWholeFile(*this, from);
    if (!content)
        return false;
    if (failIfExists && Facts(to))
        return false;
    auto out = CreateForWriting(to);
    return out && out->Write(content->data(), content->size()) == content->size();
}

bool PosixFileSystem::Remove(TextView path) {
    return ::unlink(HostPath(path).c_str()) == 0;
}

Text PosixFileSystem::TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    if (folder.back() != '/')
        folder.push_back('/');
    return Utf8PathToUtf16(folder);
}

Text PosixFileSystem::DesktopFolder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0')
        return {};
    return Utf8PathToUtf16(std::string(home) + "/Desktop");
}

uint32_t PosixFileSystem::LastError() {
    return t_lastError;
}

Text PosixFileSystem::ModulePath() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    return Utf8PathToUtf16(std::string(buffer, static_cast<size_t>(n)));
}

}  // namespace veltrano
