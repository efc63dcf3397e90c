// Writes real .evtx files: the file header, 64 KiB chunks with their string and template tables
// and both CRC-32 checksums, and event records whose binary XML instantiates templates (defined
// in the chunk at first use) with substitution values.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "writers/evtx/evtx_template.h"

namespace veltrano::evtxwriter {

struct EvtxRecordFields {
    uint64_t id = 0;
    FileTime written = 0;
    std::shared_ptr<const EvtxTemplate> eventTemplate;
    std::vector<EvtxValue> values;
};

struct EvtxFileOptions {
    // Records per chunk at most (0: as many as fit), to get files of several chunks.
    size_t recordsPerChunk = 0;
};

// Throws std::length_error for a record larger than a chunk can hold.
std::vector<uint8_t> WriteEvtxFile(const std::vector<EvtxRecordFields>& records,
                                   const EvtxFileOptions& options = {});

// Where the parts of a written file are, for tests that damage them.
constexpr size_t kFileHeaderBlock = 4096;
constexpr size_t kChunkSize = 65536;
constexpr size_t kChunkHeaderSize = 512;

}  // namespace veltrano::evtxwriter
