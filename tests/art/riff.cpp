// A RIFF chunk tree, checked for consistent sizes as it is read.
#include "art/riff.h"

#include "art/art_files.h"

namespace veltrano::testing {
namespace {

constexpr int kMaxDepth = 8;

bool Parse(const std::vector<uint8_t>& data, size_t begin, size_t end, int depth,
           std::vector<Chunk>& out, std::string& error) {
    if (depth > kMaxDepth) {
        error = "lists nested too deeply";
        return false;
    }
    size_t at = begin;
    while (at < end) {
        if (end - at < 8) {
            error = "a few stray bytes at the end of a list, offset " + std::to_string(at);
            return false;
        }
        Chunk chunk;
        chunk.offset = at;
        chunk.id = FourCC(data, at);
        chunk.size = U32(data, at + 4);
        chunk.body = at + 8;
        if (chunk.size > end - chunk.body) {
            error = "chunk '" + chunk.id + "' at " + std::to_string(at) +
                    " is larger than what holds it";
            return false;
        }
        size_t next = chunk.body + chunk.size + (chunk.size & 1);
        if (chunk.id == "RIFF" || chunk.id == "LIST") {
            if (chunk.size < 4) {
                error = "list without a form type at " + std::to_string(at);
                return false;
            }
            chunk.form = FourCC(data, chunk.body);
            if (!Parse(data, chunk.body + 4, chunk.body + chunk.size, depth + 1, chunk.children,
                       error)) {
                return false;
            }
            chunk.body += 4;
        }
        out.push_back(std::move(chunk));
        at = next > end ? end : next;
    }
    return true;
}

}  // namespace

RiffTree ReadRiff(const std::vector<uint8_t>& data) {
    RiffTree tree;
    try {
        Parse(data, 0, data.size(), 0, tree.top, tree.error);
    } catch (const std::exception& e) {
        tree.error = e.what();
    }
    return tree;
}

const Chunk* Child(const std::vector<Chunk>& chunks, const std::string& idOrForm) {
    for (const Chunk& c : chunks) {
        if (c.id == idOrForm || (!c.form.empty() && c.form == idOrForm))
            return &c;
    }
    return nullptr;
}

}  // namespace veltrano::testing
