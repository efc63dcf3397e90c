// The block coder of the compressor: counts literals and matches of the current block, builds
// its Huffman trees and emits it as a stored, fixed-Huffman or dynamic-Huffman block, whichever
// is smallest.
#pragma once

#include <cstdint>

#include "export/deflate_bits.h"
#include "export/deflate_format.h"

namespace veltrano::deflate_core {

// A tree element: frequency and parent while the tree is built, code and length afterwards.
struct TreeNode {
    uint16_t freq = 0;
    uint16_t code = 0;
    uint16_t dad = 0;
    uint16_t len = 0;
};

// The fixed facts of one alphabet.
struct AlphabetInfo {
    const TreeNode* fixedTree;  // null for the bit-length alphabet
    const uint8_t* extraBits;
    int extraBase;  // first code with extra bits
    int elements;
    int maxLength;
};

// A dynamic tree with the facts of its alphabet.
struct TreeDescription {
    TreeNode* tree;
    int maxCode;  // largest code with a non-zero frequency
    const AlphabetInfo* info;
};

class BlockCoder {
  public:
    // Up to this many literals and matches per block; one flag bit per item.
    static constexpr unsigned kItemBufferSize = 0x8000;
    static constexpr unsigned kDistanceBufferSize = 0x8000;

    BlockCoder(BitWriter& bits, CheckRecord& checks);
    void SetLevel(int level) { level_ = level; }

    // Counts a literal (distance 0, lc the byte) or a match (distance, lc the length minus 3).
    // blockInput is the number of input bytes the block covers so far. Returns true when the
    // block should end here.
    bool Tally(unsigned distance, unsigned lc, int64_t blockInput) {
        items_[itemCount_++] = static_cast<uint8_t>(lc);
        if (distance == 0) {
            literalTree_[lc].freq++;
        } else {
            --distance;
            if (distance >= kMaxDistance || lc > kMaxMatch - kMinMatch ||
                DistanceCode(distance) >= kDistanceCodes) {
                checks_.Fail("ct_tally: bad match");
            }
            literalTree_[lengthCode_[lc] + kLiterals + 1].freq++;
            distanceTree_[DistanceCode(distance)].freq++;
            distances_[distanceCount_++] = static_cast<uint16_t>(distance);
            flags_ |= flagBit_;
        }
        flagBit_ = static_cast<uint8_t>(flagBit_ << 1);
        if ((itemCount_ & 7) == 0) {
            flagBytes_[flagCount_++] = flags_;
            flags_ = 0;
            flagBit_ = 1;
        }
        if (level_ > 2 && (itemCount_ & 0xFFF) == 0 && WorthEndingEarly(blockInput))
            return true;
        return itemCount_ == kItemBufferSize - 1 || distanceCount_ == kDistanceBufferSize;
    }

    // Emits the block. input points to its bytes when they are still in the window (a stored
    // block is possible then), else it is null. The final block closes the stream.
    void FlushBlock(const uint8_t* input, uint64_t inputLength, bool final);

    // Size of the stream so far, in bytes once the final block is flushed.
    uint64_t compressedBits() const { return compressedBits_; }

  private:
    // Matches reach at most this far back (the window size minus the minimum lookahead).
    static constexpr unsigned kMaxDistance = 32506;
    static constexpr int kHeapSize = 2 * kLiteralLengthCodes + 1;

    unsigned DistanceCode(unsigned distance) const {
        return distance < 256 ? distanceCode_[distance] : distanceCode_[256 + (distance >> 7)];
    }

    void BuildCodeTables();
    void StartBlock();
    bool WorthEndingEarly(int64_t blockInput) const;

    void BuildTree(TreeDescription& description);
    void RestoreHeapDown(const TreeNode* tree, int k);
    bool Smaller(const TreeNode* tree, int n, int m) const {
        return tree[n].freq < tree[m].freq ||
               (tree[n].freq == tree[m].freq && depth_[n] <= depth_[m]);
    }
    void GenerateBitLengths(const TreeDescription& description);
    void GenerateCodes(TreeNode* tree, int maxCode);
    void ScanTree(TreeNode* tree, int maxCode);
    void SendTree(TreeNode* tree, int maxCode);
    int BuildBitLengthTree();
    void SendAllTrees(int literalCodes, int distanceCodes, int bitLengthCodes);
    void CompressBlock(const TreeNode* literalTree, const TreeNode* distanceTree);
    void SendCode(int c, const TreeNode* tree) { bits_.SendBits(tree[c].code, tree[c].len); }

    BitWriter& bits_;
    CheckRecord& checks_;
    int level_ = 0;

    // Code tables of the format, built once per compressor.
    uint8_t lengthCode_[256] = {};    // match length - 3 -> length code
    uint8_t distanceCode_[512] = {};  // distance - 1 -> distance code (see DistanceCode)
    int baseLength_[kLengthCodes] = {};
    int baseDistance_[kDistanceCodes] = {};
    TreeNode fixedLiteralTree_[kLiteralLengthCodes + 2];
    TreeNode fixedDistanceTree_[kDistanceCodes];
    AlphabetInfo literalInfo_{};
    AlphabetInfo distanceInfo_{};
    AlphabetInfo bitLengthInfo_{};

    // The current block.
    TreeNode literalTree_[kHeapSize];
    TreeNode distanceTree_[2 * kDistanceCodes + 1];
    TreeNode bitLengthTree_[2 * kBitLengthCodes + 1];
    TreeDescription literalDescription_{};
    TreeDescription distanceDescription_{};
    TreeDescription bitLengthDescription_{};
    uint8_t items_[kItemBufferSize];
    uint16_t distances_[kDistanceBufferSize];
    uint8_t flagBytes_[kItemBufferSize / 8];
    unsigned itemCount_ = 0;
    unsigned distanceCount_ = 0;
    unsigned flagCount_ = 0;
    uint8_t flags_ = 0;
    uint8_t flagBit_ = 1;
    uint64_t optimalLength_ = 0;  // bits of the block with dynamic trees
    uint64_t fixedLength_ = 0;    // bits of the block with the fixed trees
    uint64_t compressedBits_ = 0;

    // Work space of the tree construction.
    uint16_t bitLengthCount_[kMaxBits + 1] = {};
    int heap_[kHeapSize] = {};
    int heapLength_ = 0;
    int heapMax_ = 0;
    uint8_t depth_[kHeapSize] = {};
};

}  // namespace veltrano::deflate_core
