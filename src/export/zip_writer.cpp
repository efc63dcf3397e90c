// The ZIP writer. Each entry is written as local header, data, and the same header again with
// the final CRC and sizes (the output is a disk file, so it seeks back instead of writing a data
// descriptor); the central directory collects one record per entry and goes out on closing.
#include "export/zip_writer.h"

#include <array>
#include <atomic>
#include <string>
#include <vector>

#include "base/crc32.h"
#include "export/deflate.h"
#include "export/zip_format.h"
#include "export/zip_times.h"

namespace veltrano {

using zip::ByteBuilder;

namespace {

std::atomic<uint32_t> g_lastResult{kZipOk};

uint32_t Remember(uint32_t result) {
    g_lastResult = result;
    return result;
}

constexpr size_t kChunkSize = 16384;

// The header values an entry shares between its local header and its central record.
struct EntryHeader {
    uint16_t flags = 0;
    uint16_t method = zip::kMethodDeflated;
    zip::DosDateTime modified;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint32_t externalAttributes = 0;
    uint32_t localHeaderOffset = 0;
    uint32_t modifiedUnix = 0;
    uint32_t accessedUnix = 0;
    uint32_t createdUnix = 0;
    std::string name;  // ANSI code page, forward slashes
};

std::vector<uint8_t> LocalHeader(const EntryHeader& h) {
    ByteBuilder b;
    b.U32(zip::kLocalHeaderSignature).U16(zip::kVersionNeeded).U16(h.flags).U16(h.method);
    b.U16(h.modified.time).U16(h.modified.date).U32(h.crc).U32(h.compressedSize);
    b.U32(h.uncompressedSize).U16(static_cast<uint16_t>(h.name.size())).U16(zip::kLocalExtraSize);
    b.Bytes(h.name);
    b.U16(zip::kExtendedTimestampTag).U16(zip::kLocalExtraDataSize).U8(zip::kTimestampFlags);
    b.U32(h.modifiedUnix).U32(h.accessedUnix).U32(h.createdUnix);
    return b.bytes();
}

std::vector<uint8_t> CentralHeader(const EntryHeader& h) {
    ByteBuilder b;
    b.U32(zip::kCentralHeaderSignature).U16(zip::kVersionMadeBy).U16(zip::kVersionNeeded);
    b.U16(h.flags).U16(h.method).U16(h.modified.time).U16(h.modified.date).U32(h.crc);
    b.U32(h.compressedSize).U32(h.uncompressedSize).U16(static_cast<uint16_t>(h.name.size()));
    b.U16(zip::kCentralExtraSize).U16(0).U16(0).U16(0);  // comment, disk number, internal
    b.U32(h.externalAttributes).U32(h.localHeaderOffset).Bytes(h.name);
    b.U16(zip::kExtendedTimestampTag).U16(zip::kCentralExtraDataSize).U8(zip::kTimestampFlags);
    b.U32(h.modifiedUnix);
    return b.bytes();
}

std::vector<uint8_t> EndRecord(size_t entries, uint32_t directorySize, uint32_t directoryOffset) {
    ByteBuilder b;
    const auto count = static_cast<uint16_t>(entries);
    b.U32(zip::kEndRecordSignature).U16(0).U16(0).U16(count).U16(count);
    b.U32(directorySize).U32(directoryOffset).U16(0);
    return b.bytes();
}

uint32_t ExternalAttributes(uint32_t windowsAttributes) {
    uint32_t attributes = windowsAttributes & zip::kKeptWindowsAttributes;
    attributes |= (windowsAttributes & kAttributeDirectory) != 0 ? zip::kUnixDirectory
                                                                 : zip::kUnixRegularFile;
    attributes |= zip::kUnixOwnerRead;
    if ((windowsAttributes & kAttributeReadOnly) == 0)
        attributes |= zip::kUnixOwnerWrite;
    return attributes;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Data that is already compressed is stored as it is.
bool IsCompressedType(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = name.substr(dot);
    for (char& c : extension)
        c = LowerAscii(c);
    for (const char* stored : {".z", ".zip", ".zoo", ".arc", ".lzh", ".arj", ".gz", ".tgz"}) {
        if (extension == stored)
            return true;
    }
    return false;
}

}  // namespace

struct ZipWriterState {
    ZipWriterState(FileSystem& f, AnsiCodePage& a, std::unique_ptr<WritableFile> out)
        : files(f), ansi(a), output(std::move(out)) {}

    // Writes at the current offset and advances it by what was written; false when cut short.
    bool Write(const std::vector<uint8_t>& bytes) { return Write(bytes.data(), bytes.size()); }
    bool Write(const uint8_t* data, size_t size) {
        const size_t written = output->Write(data, size);
        writeOffset += written;
        return written == size;
    }

    uint32_t Add(TextView entryName, TextView sourcePath);
    uint32_t WriteData(EntryHeader& header);
    uint32_t Close();

    FileSystem& files;
    AnsiCodePage& ansi;
    std::unique_ptr<WritableFile> output;
    const uint64_t baseOffset = 0;  // the archive starts the output
    uint64_t writeOffset = 0;
    bool closed = false;
    const bool canSeek = true;  // the output is always a disk file
    std::vector<uint8_t> readBuffer = std::vector<uint8_t>(kChunkSize);

    // The entry being added.
    std::unique_ptr<ReadableFile> source;
    uint64_t bytesRead = 0;
    uint32_t crc = 0;

    std::vector<EntryHeader> records;  // central directory, in the order the entries came
};

namespace {

// The compressor reads the source through the writer (which keeps CRC and count) and writes
// straight to the archive.
class EntryStreams : public DeflateStreams {
  public:
    explicit EntryStreams(ZipWriterState& state) : state_(state) {}
    int64_t Read(uint8_t* destination, size_t size) override {
        const int64_t n = state_.source->Read(destination, size);
        if (n <= 0)
            return n;
        state_.crc = Crc32(destination, static_cast<size_t>(n), state_.crc);
        state_.bytesRead += static_cast<uint64_t>(n);
        return n;
    }
    void Write(const uint8_t* data, size_t size) override {
        if (!state_.Write(data, size))
            cutShort_ = true;
        written_ += size;
    }
    bool cutShort() const { return cutShort_; }
    uint64_t written() const { return written_; }

  private:
    ZipWriterState& state_;
    bool cutShort_ = false;
    uint64_t written_ = 0;
};

}  // namespace

uint32_t ZipWriterState::WriteData(EntryHeader& header) {
    if (header.method == zip::kMethodDeflated) {
        EntryStreams streams(*this);
        Deflater deflater(streams);
        deflater.Start(kDeflateLevel, header.flags);
        const uint64_t compressed = deflater.Compress();
        if (*deflater.ErrorText() != '\0')
            return kZipErrorCompressor;
        if (streams.cutShort() || compressed != streams.written())
            return kZipErrorWrite;
        if (compressed > zip::kMaxField32)
            return kZipErrorSize;
        header.compressedSize = static_cast<uint32_t>(compressed);
        return kZipOk;
    }
    uint64_t copied = 0;
    for (;;) {
        const int64_t n = source->Read(readBuffer.data(), readBuffer.size());
        if (n <= 0)
            break;
        crc = Crc32(readBuffer.data(), static_cast<size_t>(n), crc);
        bytesRead += static_cast<uint64_t>(n);
        if (!Write(readBuffer.data(), static_cast<size_t>(n)))
            return kZipErrorSize;
        copied += static_cast<uint64_t>(n);
    }
    if (copied > zip::kMaxField32)
        return kZipErrorSize;
    header.compressedSize = static_cast<uint32_t>(copied);
    return kZipOk;
}

uint32_t ZipWriterState::Add(TextView entryName, TextView sourcePath) {
    if (closed || !output)
        return kZipErrorNotDisk;
    if (entryName.empty() || records.size() >= zip::kMaxEntries)
        return kZipErrorArgument;
    // Slashes are set before the conversion: in a double-byte code page the byte of "\" can be
    // the second half of a character.
    Text slashed(entryName);
    for (char16_t& c : slashed) {
        if (c == u'\\')
            c = u'/';
    }
    auto name = ansi.FromUtf16(slashed);
    if (!name || name->empty() || name->size() > zip::kMaxNameBytes)
        return kZipErrorArgument;

    EntryHeader header;
    header.name = std::move(*name);
    header.method = IsCompressedType(header.name) ? zip::kMethodStored : zip::kMethodDeflated;

    source = files.OpenForReading(sourcePath);
    if (!source)
        return kZipErrorOpen;
    struct CloseSource {
        std::unique_ptr<ReadableFile>& source;
        ~CloseSource() { source.reset(); }
    } closeSource{source};
    const auto facts = source->Facts();
    if (!facts)
        return kZipErrorOpen;
    if (!source->IsDiskFile())
        return kZipErrorNotDisk;
    // Without ZIP64 neither the sizes nor the header offset may pass 4 GiB.
    if (facts->size > zip::kMaxField32 || writeOffset - baseOffset > zip::kMaxField32) {
        return kZipErrorArgument;
    }

    header.externalAttributes = ExternalAttributes(facts->attributes);
    header.modified = zip::ToDosDateTime(facts->lastWriteTime);
    header.modifiedUnix = zip::ToUnixTime(facts->lastWriteTime);
    header.accessedUnix = zip::ToUnixTime(facts->lastAccessTime);
    header.createdUnix = zip::ToUnixTime(facts->creationTime);
    header.flags = zip::kFlagDataDescriptor;
    header.uncompressedSize = static_cast<uint32_t>(facts->size);
    header.compressedSize = header.method == zip::kMethodStored ? header.uncompressedSize : 0;
    header.localHeaderOffset = static_cast<uint32_t>(writeOffset - baseOffset);
    if (!Write(LocalHeader(header)))
        return kZipErrorWrite;

    crc = 0;
    bytesRead = 0;
    const uint32_t dataResult = WriteData(header);
    source.reset();
    if (dataResult != kZipOk)
        return dataResult;
    if (bytesRead != facts->size)
        return kZipErrorSize;

    header.crc = crc;
    header.uncompressedSize = static_cast<uint32_t>(bytesRead);
    header.flags &= static_cast<uint16_t>(~zip::kFlagDataDescriptor);
    const uint64_t end = writeOffset;
    if (!output->Seek(header.localHeaderOffset + baseOffset))
        return kZipErrorSeek;
    const std::vector<uint8_t> local = LocalHeader(header);
    const bool rewritten = output->Write(local.data(), local.size()) == local.size();
    if (!output->Seek(end))
        return kZipErrorSeek;
    if (!rewritten)
        return kZipErrorWrite;
    records.push_back(std::move(header));
    return kZipOk;
}

uint32_t ZipWriterState::Close() {
    if (closed)
        return kZipOk;
    closed = true;
    uint32_t result = kZipOk;
    if (output) {
        const uint64_t directoryStart = writeOffset;
        for (const EntryHeader& record : records) {
            if (!Write(CentralHeader(record))) {
                result = kZipErrorWrite;
                break;
            }
        }
        if (result == kZipOk &&
            !Write(EndRecord(records.size(), static_cast<uint32_t>(writeOffset - directoryStart),
                             static_cast<uint32_t>(directoryStart - baseOffset)))) {
            result = kZipErrorWrite;
        }
    }
    output.reset();
    records.clear();
    return result;
}

ZipWriter::ZipWriter() = default;
ZipWriter::~ZipWriter() = default;

void ZipWriterCloser::operator()(ZipWriter* writer) const {
    if (writer->state)
        writer->state->Close();
    delete writer;
}

ZipHandle ZipCreate(FileSystem& files, AnsiCodePage& ansi, TextView archivePath) {
    auto output = files.CreateForWriting(archivePath);
    if (!output) {
        Remember(kZipErrorOpen);
        return nullptr;
    }
    ZipHandle writer(new ZipWriter);
    writer->state = std::make_unique<ZipWriterState>(files, ansi, std::move(output));
    Remember(kZipOk);
    return writer;
}

uint32_t ZipAddFile(ZipWriter* writer, TextView entryName, TextView sourcePath) {
    if (writer == nullptr)
        return Remember(kZipErrorArgument);
    if (writer->kind != kZipKindWriting || !writer->state)
        return Remember(kZipErrorHandle);
    return Remember(writer->state->Add(entryName, sourcePath));
}

uint32_t ZipClose(ZipHandle& writer) {
    if (!writer)
        return Remember(kZipErrorArgument);
    if (writer->kind != kZipKindWriting || !writer->state)
        return Remember(kZipErrorHandle);
    const uint32_t result = writer->state->Close();
    writer.reset();
    return Remember(result);
}

uint32_t ZipLastResult() {
    return g_lastResult;
}

}  // namespace veltrano
