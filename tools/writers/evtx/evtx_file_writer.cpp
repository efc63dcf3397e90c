// The .evtx file writer. A chunk is written front to back; a record that turns out not to fit is
// taken back (bytes, names and templates it added) and written again into a new chunk.
#include "writers/evtx/evtx_file_writer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "base/byte_store.h"
#include "base/crc32.h"

namespace veltrano::evtxwriter {
namespace {

constexpr uint8_t kOpenStartElement = 0x01;
constexpr uint8_t kCloseStartElement = 0x02;
constexpr uint8_t kCloseEmptyElement = 0x03;
constexpr uint8_t kEndElement = 0x04;
constexpr uint8_t kValueText = 0x05;
constexpr uint8_t kAttribute = 0x06;
constexpr uint8_t kTemplateInstance = 0x0C;
constexpr uint8_t kNormalSubstitution = 0x0D;
constexpr uint8_t kOptionalSubstitution = 0x0E;
constexpr uint8_t kFragmentHeader[4] = {0x0F, 0x01, 0x01, 0x00};
constexpr uint8_t kEndOfStream = 0x00;
constexpr uint8_t kMore = 0x40;  // "has attributes" on elements, "more follow" on attributes

class Chunk {
  public:
    Chunk() : bytes_(kChunkHeaderSize, 0) {}

    size_t records() const { return records_; }
    bool empty() const { return records_ == 0; }

    // False (and the chunk unchanged) when the record does not fit.
    bool Add(const EvtxRecordFields& record) {
        const size_t start = bytes_.size();
        const size_t names = names_.size();
        const size_t templates = templates_.size();
        WriteRecord(record);
        if (bytes_.size() <= kChunkSize) {
            if (records_ == 0)
                firstId_ = record.id;
            lastId_ = record.id;
            lastRecord_ = start;
            ++records_;
            return true;
        }
        bytes_.resize(start);
        names_.resize(names);
        templates_.resize(templates);
        return false;
    }

    std::vector<uint8_t> Finish() {
        std::vector<uint8_t> out = bytes_;
        const uint32_t freeSpace = static_cast<uint32_t>(out.size());
        out.resize(kChunkSize, 0);
        std::memcpy(out.data(), "ElfChnk", 8);
        StoreLe64(out, 8, firstId_);
        StoreLe64(out, 16, lastId_);
        StoreLe64(out, 24, firstId_);
        StoreLe64(out, 32, lastId_);
        StoreLe32(out, 40, 128);
        StoreLe32(out, 44, static_cast<uint32_t>(lastRecord_));
        StoreLe32(out, 48, freeSpace);
        // Hash tables of the names (64 buckets by name hash) and templates (32 by identifier),
        // each bucket a list through the entries' next-offset fields.
        for (const auto& [name, offset] : names_) {
            const size_t bucket = 128 + 4 * (NameHash(name) % 64);
            StoreLe32(out, offset, Get32(out, bucket));
            StoreLe32(out, bucket, offset);
        }
        for (const auto& [guid, offset] : templates_) {
            const size_t bucket = 384 + 4 * (Get32(out, offset + 4) % 32);
            StoreLe32(out, offset, Get32(out, bucket));
            StoreLe32(out, bucket, offset);
        }
        StoreLe32(out, 52, Crc32(out.data() + kChunkHeaderSize, freeSpace - kChunkHeaderSize));
        uint32_t crc = Crc32(out.data(), 120);
        crc = Crc32(out.data() + 128, kChunkHeaderSize - 128, crc);
        StoreLe32(out, 124, crc);
        return out;
    }

  private:
    static uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
        return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
               uint32_t{b[at + 3]} << 24;
    }
    static uint16_t NameHash(const Text& name) {
        uint32_t hash = 0;
        for (char16_t c : name)
            hash = hash * 65599 + c;
        return static_cast<uint16_t>(hash);
    }

    size_t Here() const { return bytes_.size(); }
    void U8(uint8_t v) { bytes_.push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void U64(uint64_t v) {
        U32(static_cast<uint32_t>(v));
        U32(static_cast<uint32_t>(v >> 32));
    }
    void Raw(const uint8_t* p, size_t n) { bytes_.insert(bytes_.end(), p, p + n); }
    void Utf16(TextView text) {
        for (char16_t c : text)
            U16(c);
    }
    // A 32-bit field to fill in later; returns its offset.
    size_t Placeholder() {
        U32(0);
        return Here() - 4;
    }
    void Patch(size_t at, uint32_t v) {
        if (at + 4 <= bytes_.size())
            StoreLe32(bytes_, at, v);
    }

    // A name: its offset, followed by the string itself when the chunk has not got it yet.
    void Name(const Text& name) {
        for (const auto& [known, offset] : names_) {
            if (known == name) {
                U32(static_cast<uint32_t>(offset));
                return;
            }
        }
        const size_t offset = Here() + 4;
        U32(static_cast<uint32_t>(offset));
        names_.emplace_back(name, offset);
        U32(0);  // next offset in the hash bucket, set by Finish
        U16(NameHash(name));
        U16(static_cast<uint16_t>(name.size()));
        Utf16(name);
        U16(0);
    }

    void WriteRecord(const EvtxRecordFields& record) {
        const size_t start = Here();
        Raw(reinterpret_cast<const uint8_t*>("**\0\0"), 4);
        const size_t size = Placeholder();
        U64(record.id);
        U64(record.written);
        Raw(kFragmentHeader, 4);
        Instance(*record.eventTemplate, record.values);
        U8(kEndOfStream);
        while ((Here() - start + 4) % 8 != 0)
            U8(0);
        const uint32_t length = static_cast<uint32_t>(Here() - start + 4);
        U32(length);
        Patch(size, length);
    }

    void Instance(const EvtxTemplate& tmpl, const std::vector<EvtxValue>& values) {
        uint8_t guid[16];
        tmpl.Guid(guid);
        U8(kTemplateInstance);
        U8(1);
        U32(uint32_t{guid[0]} | uint32_t{guid[1]} << 8 | uint32_t{guid[2]} << 16 |
            uint32_t{guid[3]} << 24);
        const size_t definitionField = Placeholder();
        size_t definition = 0;
        for (const auto& [known, offset] : templates_) {
            if (std::memcmp(known.data(), guid, 16) == 0)
                definition = offset;
        }
        if (definition == 0) {
            definition = Here();
            templates_.emplace_back(std::vector<uint8_t>(guid, guid + 16), definition);
            U32(0);  // next offset in the hash bucket, set by Finish
            Raw(guid, 16);
            const size_t dataSize = Placeholder();
            const size_t body = Here();
            Raw(kFragmentHeader, 4);
            Elements(tmpl.tokens());
            U8(kEndOfStream);
            Patch(dataSize, static_cast<uint32_t>(Here() - body));
        }
        Patch(definitionField, static_cast<uint32_t>(definition));

        U32(static_cast<uint32_t>(values.size()));
        const size_t descriptors = Here();
        for (const EvtxValue& v : values) {
            U16(0);
            U8(v.type);
            U8(0);
        }
        for (size_t i = 0; i < values.size(); ++i) {
            const size_t begin = Here();
            const EvtxValue& v = values[i];
            if (v.type == kTypeBinXml && v.nested) {
                Raw(kFragmentHeader, 4);
                Instance(*v.nested, v.nestedValues);
                U8(kEndOfStream);
            } else {
                Raw(v.bytes.data(), v.bytes.size());
            }
            const size_t n = Here() - begin;
            if (n > 0xFFFF)
                throw std::length_error("substitution value too large");
            bytes_[descriptors + 4 * i] = static_cast<uint8_t>(n);
            bytes_[descriptors + 4 * i + 1] = static_cast<uint8_t>(n >> 8);
        }
    }

    // The elements of a template, from its tokens.
    void Elements(const std::vector<EvtxTemplate::Token>& tokens) {
        size_t i = 0;
        while (i < tokens.size())
            Element(tokens, i);
    }

    void Element(const std::vector<EvtxTemplate::Token>& tokens, size_t& i) {
        using Kind = EvtxTemplate::Kind;
        const auto& open = tokens[i++];
        const bool hasAttributes = i < tokens.size() && tokens[i].kind == Kind::Attribute;
        U8(hasAttributes ? kOpenStartElement | kMore : kOpenStartElement);
        U16(0xFFFF);  // dependency identifier: none
        const size_t dataSize = Placeholder();
        Name(open.text);
        if (hasAttributes) {
            const size_t listSize = Placeholder();
            const size_t listStart = Here();
            while (i < tokens.size() && tokens[i].kind == Kind::Attribute) {
                const bool last = i + 2 >= tokens.size() || tokens[i + 2].kind != Kind::Attribute;
                U8(last ? kAttribute : kAttribute | kMore);
                Name(tokens[i].text);
                Content(tokens[i + 1]);
                i += 2;
            }
            Patch(listSize, static_cast<uint32_t>(Here() - listStart));
        }
        if (i < tokens.size() && tokens[i].kind == Kind::Close) {
            U8(kCloseEmptyElement);
            ++i;
        } else {
            U8(kCloseStartElement);
            while (i < tokens.size() && tokens[i].kind != Kind::Close) {
                if (tokens[i].kind == Kind::Open) {
                    Element(tokens, i);
                } else {
                    Content(tokens[i++]);
                }
            }
            ++i;
            U8(kEndElement);
        }
        Patch(dataSize, static_cast<uint32_t>(Here() - dataSize - 4));
    }

    void Content(const EvtxTemplate::Token& token) {
        if (token.kind == EvtxTemplate::Kind::Substitution) {
            U8(token.optional ? kOptionalSubstitution : kNormalSubstitution);
            U16(token.index);
            U8(token.type);
        } else {
            U8(kValueText);
            U8(kTypeString);
            U16(static_cast<uint16_t>(token.text.size()));
            Utf16(token.text);
        }
    }

    std::vector<uint8_t> bytes_;
    std::vector<std::pair<Text, size_t>> names_;
    std::vector<std::pair<std::vector<uint8_t>, size_t>> templates_;
    size_t records_ = 0;
    uint64_t firstId_ = 0;
    uint64_t lastId_ = 0;
    size_t lastRecord_ = 0;
};

std::vector<uint8_t> FileHeader(const std::vector<std::vector<uint8_t>>& chunks, uint64_t nextId) {
    std::vector<uint8_t> h(kFileHeaderBlock, 0);
    auto put = [&](size_t at, uint64_t v, int n) {
        for (int i = 0; i < n; ++i)
            h[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    std::memcpy(h.data(), "ElfFile", 8);
    put(8, 0, 8);  // first chunk
    put(16, chunks.empty() ? 0 : chunks.size() - 1, 8);
    put(24, nextId, 8);
    put(32, 128, 4);
    put(36, 1, 2);  // minor version
    put(38, 3, 2);  // major version
    put(40, kFileHeaderBlock, 2);
    put(42, chunks.size(), 2);
    put(124, Crc32(h.data(), 120), 4);
    return h;
}

}  // namespace

std::vector<uint8_t> WriteEvtxFile(const std::vector<EvtxRecordFields>& records,
                                   const EvtxFileOptions& options) {
    std::vector<std::vector<uint8_t>> chunks;
    Chunk chunk;
    uint64_t nextId = 1;
    for (const EvtxRecordFields& record : records) {
        const bool full =
            options.recordsPerChunk != 0 && chunk.records() >= options.recordsPerChunk;
        if (full || !chunk.Add(record)) {
            if (chunk.empty())
                throw std::length_error("record larger than a chunk");
            chunks.push_back(chunk.Finish());
            chunk = Chunk();
            if (!chunk.Add(record))
                throw std::length_error("record larger than a chunk");
        }
        nextId = std::max(nextId, record.id + 1);
    }
    if (!chunk.empty())
        chunks.push_back(chunk.Finish());
    std::vector<uint8_t> file = FileHeader(chunks, nextId);
    for (const auto& c : chunks)
        file.insert(file.end(), c.begin(), c.end());
    return file;
}

}  // namespace veltrano::evtxwriter
