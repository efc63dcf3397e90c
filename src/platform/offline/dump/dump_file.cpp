// Positional reads over the files port's sequential ones.
#include "platform/offline/dump/dump_file.h"

namespace veltrano::dump {

DumpFile::DumpFile(std::unique_ptr<ReadableFile> file, uint64_t size)
    : file_(std::move(file)), size_(size) {}

bool DumpFile::ReadInto(uint64_t offset, std::span<uint8_t> out) {
    if (!file_ || !Holds(offset, out.size()) || !file_->Seek(offset))
        return false;
    // A read may return fewer bytes than asked for (the Win32 adapter reads in 1 GiB chunks).
    size_t done = 0;
    while (done < out.size()) {
        const int64_t n = file_->Read(out.data() + done, out.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::optional<std::vector<uint8_t>> DumpFile::Read(uint64_t offset, uint64_t length) {
    if (!Holds(offset, length))
        return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    if (!ReadInto(offset, bytes))
        return std::nullopt;
    return bytes;
}

std::optional<DumpFile> OpenDumpFile(std::unique_ptr<ReadableFile> file, std::string* problem) {
    const char* why = "cannot be opened";
    if (file) {
        if (const auto facts = file->Facts())
            return DumpFile(std::move(file), facts->size);
        why = "its size cannot be had";
    }
    if (problem != nullptr)
        *problem = why;
    return std::nullopt;
}

}  // namespace veltrano::dump
