// Huffman coding of deflate blocks, after the classic design of zlib's trees.c (Jean-loup
// Gailly): per block, literal/length and distance trees are built from the symbol frequencies
// with a heap (code lengths limited to 15 bits by moving overflowing leaves up), their code
// lengths are described with the run-length coded bit-length alphabet (lengths limited to 7
// bits), and the block goes out stored, with the fixed trees or with its own trees, whichever
// is smallest. References: RFC 1951; D. A. Huffman, "A Method for the Construction of Minimum
// Redundancy Codes", 1952.
#include "export/deflate_trees.h"

#include <algorithm>

namespace veltrano::deflate_core {
namespace {

constexpr uint8_t kExtraLengthBits[kLengthCodes] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint8_t kExtraDistanceBits[kDistanceCodes] = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                        4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                        9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr uint8_t kExtraBitLengthBits[kBitLengthCodes] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                          0, 0, 0, 0, 0, 0, 2, 3, 7};
// The order in which the bit-length code lengths are sent (RFC 1951, 3.2.7).
constexpr uint8_t kBitLengthOrder[kBitLengthCodes] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                      11, 4,  12, 3, 13, 2, 14, 1, 15};

// Bit-length alphabet: repeat the previous length 3 to 6 times, repeat a zero length 3 to 10
// times, repeat a zero length 11 to 138 times.
constexpr int kRepeat3To6 = 16;
constexpr int kZeros3To10 = 17;
constexpr int kZeros11To138 = 18;

constexpr int kSmallest = 1;  // index of the heap's top

unsigned ReverseBits(unsigned code, int length) {
    unsigned result = 0;
    for (int i = 0; i < length; ++i) {
        result = (result << 1) | (code & 1);
        code >>= 1;
    }
    return result;
}

}  // namespace

BlockCoder::BlockCoder(BitWriter& bits, CheckRecord& checks) : bits_(bits), checks_(checks) {
    BuildCodeTables();
    literalInfo_ = {fixedLiteralTree_, kExtraLengthBits, kLiterals + 1, kLiteralLengthCodes,
                    kMaxBits};
    distanceInfo_ = {fixedDistanceTree_, kExtraDistanceBits, 0, kDistanceCodes, kMaxBits};
    bitLengthInfo_ = {nullptr, kExtraBitLengthBits, 0, kBitLengthCodes, kMaxBitLengthBits};
    literalDescription_ = {literalTree_, 0, &literalInfo_};
    distanceDescription_ = {distanceTree_, 0, &distanceInfo_};
    bitLengthDescription_ = {bitLengthTree_, 0, &bitLengthInfo_};
    StartBlock();
}

void BlockCoder::BuildCodeTables() {
    int length = 0;
    int code = 0;
    for (code = 0; code < kLengthCodes - 1; ++code) {
        baseLength_[code] = length;
        for (int n = 0; n < (1 << kExtraLengthBits[code]); ++n) {
            lengthCode_[length++] = static_cast<uint8_t>(code);
        }
    }
    if (length != 256)
        checks_.Fail("ct_init: length != 256");
    // Length 258 has a code of its own, so it overwrites the last entry (257 takes code 27's
    // extra bits otherwise).
    lengthCode_[255] = static_cast<uint8_t>(code);

    int distance = 0;
    for (code = 0; code < 16; ++code) {
        baseDistance_[code] = distance;
        for (int n = 0; n < (1 << kExtraDistanceBits[code]); ++n) {
            distanceCode_[distance++] = static_cast<uint8_t>(code);
        }
    }
    if (distance != 256)
        checks_.Fail("ct_init: dist != 256");
    distance >>= 7;  // from here on, distances are counted in units of 128
    for (; code < kDistanceCodes; ++code) {
        baseDistance_[code] = distance << 7;
        for (int n = 0; n < (1 << (kExtraDistanceBits[code] - 7)); ++n) {
            distanceCode_[256 + distance++] = static_cast<uint8_t>(code);
        }
    }
    if (distance != 256)
        checks_.Fail("ct_init: 256+dist != 512");

    // The fixed literal/length tree of RFC 1951, 3.2.6 (codes 286 and 287 complete it).
    std::fill(std::begin(bitLengthCount_), std::end(bitLengthCount_), 0);
    int n = 0;
    auto setLengths = [&](int last, int bits) {
        while (n <= last) {
            fixedLiteralTree_[n++].len = static_cast<uint16_t>(bits);
            bitLengthCount_[bits]++;
        }
    };
    setLengths(143, 8);
    setLengths(255, 9);
    setLengths(279, 7);
    setLengths(287, 8);
    GenerateCodes(fixedLiteralTree_, kLiteralLengthCodes + 1);
    for (n = 0; n < kDistanceCodes; ++n) {
        fixedDistanceTree_[n].len = 5;
        fixedDistanceTree_[n].code =
            static_cast<uint16_t>(ReverseBits(static_cast<unsigned>(n), 5));
    }
}

void BlockCoder::StartBlock() {
    for (auto& node : literalTree_)
        node.freq = 0;
    for (auto& node : distanceTree_)
        node.freq = 0;
    for (auto& node : bitLengthTree_)
        node.freq = 0;
    literalTree_[kEndBlock].freq = 1;
    optimalLength_ = fixedLength_ = 0;
    itemCount_ = distanceCount_ = flagCount_ = 0;
    flags_ = 0;
    flagBit_ = 1;
}

// An upper bound of the block's compressed size: when the block is mostly literals and still
// compresses to less than half, the data has probably changed character and a new block with
// its own trees pays.
bool BlockCoder::WorthEndingEarly(int64_t blockInput) const {
    uint64_t outLength = static_cast<uint64_t>(itemCount_) * 8;
    for (int code = 0; code < kDistanceCodes; ++code) {
        outLength +=
            static_cast<uint64_t>(distanceTree_[code].freq) * (5 + kExtraDistanceBits[code]);
    }
    outLength >>= 3;
    return distanceCount_ < itemCount_ / 2 && blockInput >= 0 &&
           outLength < static_cast<uint64_t>(blockInput) / 2;
}

void BlockCoder::RestoreHeapDown(const TreeNode* tree, int k) {
    const int v = heap_[k];
    int j = k << 1;
    while (j <= heapLength_) {
        if (j < heapLength_ && Smaller(tree, heap_[j + 1], heap_[j]))
            ++j;
        if (Smaller(tree, v, heap_[j]))
            break;
        heap_[k] = heap_[j];
        k = j;
        j <<= 1;
    }
    heap_[k] = v;
}

// Code lengths from the finished tree. The heap holds, from heapMax_ on, the nodes sorted by
// frequency, parents before children. Leaves that end up deeper than the alphabet allows are
// moved up and others down until the lengths form a complete code again.
void BlockCoder::GenerateBitLengths(const TreeDescription& description) {
    TreeNode* tree = description.tree;
    const AlphabetInfo& info = *description.info;
    int overflow = 0;
    std::fill(std::begin(bitLengthCount_), std::end(bitLengthCount_), 0);

    tree[heap_[heapMax_]].len = 0;  // the root
    int h = heapMax_ + 1;
    for (; h < kHeapSize; ++h) {
        const int n = heap_[h];
        int bits = tree[tree[n].dad].len + 1;
        if (bits > info.maxLength) {
            bits = info.maxLength;
            ++overflow;
        }
        tree[n].len = static_cast<uint16_t>(bits);
        if (n > description.maxCode)
            continue;  // not a leaf
        bitLengthCount_[bits]++;
        const int extra = n >= info.extraBase ? info.extraBits[n - info.extraBase] : 0;
        const uint64_t f = tree[n].freq;
        optimalLength_ += f * static_cast<uint64_t>(bits + extra);
        if (info.fixedTree != nullptr) {
            fixedLength_ += f * static_cast<uint64_t>(info.fixedTree[n].len + extra);
        }
    }
    if (overflow == 0)
        return;

    do {
        int bits = info.maxLength - 1;
        while (bitLengthCount_[bits] == 0)
            --bits;
        bitLengthCount_[bits]--;         // a leaf moves down...
        bitLengthCount_[bits + 1] += 2;  // ...and gets the overflowing one as its brother
        bitLengthCount_[info.maxLength]--;
        overflow -= 2;
    } while (overflow > 0);

    // Hand the lengths out again, longest first, to the leaves in frequency order.
    for (int bits = info.maxLength; bits != 0; --bits) {
        int n = bitLengthCount_[bits];
        while (n != 0) {
            const int m = heap_[--h];
            if (m > description.maxCode)
                continue;
            if (tree[m].len != bits) {
                optimalLength_ += (static_cast<uint64_t>(bits) - tree[m].len) * tree[m].freq;
                tree[m].len = static_cast<uint16_t>(bits);
            }
            --n;
        }
    }
}

// Canonical codes from the lengths (RFC 1951, 3.2.2), bit-reversed for the LSB-first output.
void BlockCoder::GenerateCodes(TreeNode* tree, int maxCode) {
    unsigned nextCode[kMaxBits + 1];
    unsigned code = 0;
    for (int bits = 1; bits <= kMaxBits; ++bits) {
        code = (code + bitLengthCount_[bits - 1]) << 1;
        nextCode[bits] = code;
    }
    if (code + bitLengthCount_[kMaxBits] - 1 != (1u << kMaxBits) - 1) {
        checks_.Fail("inconsistent bit counts");
    }
    for (int n = 0; n <= maxCode; ++n) {
        const int length = tree[n].len;
        if (length == 0)
            continue;
        tree[n].code = static_cast<uint16_t>(ReverseBits(nextCode[length]++, length));
    }
}

void BlockCoder::BuildTree(TreeDescription& description) {
    TreeNode* tree = description.tree;
    const AlphabetInfo& info = *description.info;
    int maxCode = -1;
    int node = info.elements;  // next internal node

    heapLength_ = 0;
    heapMax_ = kHeapSize;
    for (int n = 0; n < info.elements; ++n) {
        if (tree[n].freq != 0) {
            heap_[++heapLength_] = maxCode = n;
            depth_[n] = 0;
        } else {
            tree[n].len = 0;
        }
    }
    // The format needs at least two codes; a lone code gets a partner of frequency 1 (code 0 or
    // 1, which costs nothing to describe).
    while (heapLength_ < 2) {
        const int added = heap_[++heapLength_] = maxCode < 2 ? ++maxCode : 0;
        tree[added].freq = 1;
        depth_[added] = 0;
        optimalLength_--;
        if (info.fixedTree != nullptr)
            fixedLength_ -= info.fixedTree[added].len;
    }
    description.maxCode = maxCode;

    for (int n = heapLength_ / 2; n >= 1; --n)
        RestoreHeapDown(tree, n);

    // Join the two least frequent nodes until one tree is left.
    do {
        const int n = heap_[kSmallest];
        heap_[kSmallest] = heap_[heapLength_--];
        RestoreHeapDown(tree, kSmallest);
        const int m = heap_[kSmallest];

        heap_[--heapMax_] = n;
        heap_[--heapMax_] = m;
        tree[node].freq = static_cast<uint16_t>(tree[n].freq + tree[m].freq);
        depth_[node] = static_cast<uint8_t>(std::max(depth_[n], depth_[m]) + 1);
        tree[n].dad = tree[m].dad = static_cast<uint16_t>(node);
        heap_[kSmallest] = node++;
        RestoreHeapDown(tree, kSmallest);
    } while (heapLength_ >= 2);
    heap_[--heapMax_] = heap_[kSmallest];

    GenerateBitLengths(description);
    GenerateCodes(tree, maxCode);
}

// Cuts a tree's code lengths into the runs that the bit-length alphabet describes and hands
// each to emit(length, previous length, count, shortest count worth a repeat code).
template <typename Emit>
void ForEachRun(TreeNode* tree, int maxCode, Emit emit) {
    tree[maxCode + 1].len = 0xFFFF;  // guard: ends the last run
    int previous = -1;
    int next = tree[0].len;
    int count = 0;
    int maxCount = next == 0 ? 138 : 7;
    int minCount = next == 0 ? 3 : 4;
    for (int n = 0; n <= maxCode; ++n) {
        const int current = next;
        next = tree[n + 1].len;
        if (++count < maxCount && current == next)
            continue;
        emit(current, previous, count, minCount);
        count = 0;
        previous = current;
        if (next == 0) {
            maxCount = 138, minCount = 3;
        } else if (current == next) {
            maxCount = 6, minCount = 3;
        } else {
            maxCount = 7, minCount = 4;
        }
    }
}

// Counts the bit-length symbols that will describe a tree's code lengths.
void BlockCoder::ScanTree(TreeNode* tree, int maxCode) {
    ForEachRun(tree, maxCode, [this](int length, int previous, int count, int minCount) {
        TreeNode* counts = bitLengthTree_;
        if (count < minCount) {
            counts[length].freq = static_cast<uint16_t>(counts[length].freq + count);
        } else if (length != 0) {
            if (length != previous)
                counts[length].freq++;
            counts[kRepeat3To6].freq++;
        } else if (count <= 10) {
            counts[kZeros3To10].freq++;
        } else {
            counts[kZeros11To138].freq++;
        }
    });
}

// Sends a tree's code lengths with the bit-length codes, in the runs ScanTree counted.
void BlockCoder::SendTree(TreeNode* tree, int maxCode) {
    ForEachRun(tree, maxCode, [this](int length, int previous, int count, int minCount) {
        if (count < minCount) {
            do {
                SendCode(length, bitLengthTree_);
            } while (--count != 0);
        } else if (length != 0) {
            if (length != previous) {
                SendCode(length, bitLengthTree_);
                --count;
            }
            SendCode(kRepeat3To6, bitLengthTree_);
            bits_.SendBits(static_cast<unsigned>(count - 3), 2);
        } else if (count <= 10) {
            SendCode(kZeros3To10, bitLengthTree_);
            bits_.SendBits(static_cast<unsigned>(count - 3), 3);
        } else {
            SendCode(kZeros11To138, bitLengthTree_);
            bits_.SendBits(static_cast<unsigned>(count - 11), 7);
        }
    });
}

// Builds the bit-length tree and returns the index, in sending order, of the last bit-length
// code in use (at least 3, since the header always describes four).
int BlockCoder::BuildBitLengthTree() {
    ScanTree(literalTree_, literalDescription_.maxCode);
    ScanTree(distanceTree_, distanceDescription_.maxCode);
    BuildTree(bitLengthDescription_);
    int maxIndex = kBitLengthCodes - 1;
    for (; maxIndex >= 3; --maxIndex) {
        if (bitLengthTree_[kBitLengthOrder[maxIndex]].len != 0)
            break;
    }
    // The counts of the three alphabets and three bits per bit-length code.
    optimalLength_ += 3 * (static_cast<uint64_t>(maxIndex) + 1) + 5 + 5 + 4;
    return maxIndex;
}

void BlockCoder::SendAllTrees(int literalCodes, int distanceCodes, int bitLengthCodes) {
    if (literalCodes < 257 || distanceCodes < 1 || bitLengthCodes < 4) {
        checks_.Fail("not enough codes");
    }
    if (literalCodes > kLiteralLengthCodes || distanceCodes > kDistanceCodes ||
        bitLengthCodes > kBitLengthCodes) {
        checks_.Fail("too many codes");
    }
    bits_.SendBits(static_cast<unsigned>(literalCodes - 257), 5);
    bits_.SendBits(static_cast<unsigned>(distanceCodes - 1), 5);
    bits_.SendBits(static_cast<unsigned>(bitLengthCodes - 4), 4);
    for (int rank = 0; rank < bitLengthCodes; ++rank) {
        bits_.SendBits(bitLengthTree_[kBitLengthOrder[rank]].len, 3);
    }
    SendTree(literalTree_, literalCodes - 1);
    SendTree(distanceTree_, distanceCodes - 1);
}

void BlockCoder::CompressBlock(const TreeNode* literalTree, const TreeNode* distanceTree) {
    unsigned distanceIndex = 0;
    uint8_t flag = 0;
    for (unsigned i = 0; i < itemCount_; ++i) {
        if ((i & 7) == 0)
            flag = flagBytes_[i >> 3];
        unsigned lc = items_[i];
        if ((flag & 1) == 0) {
            SendCode(static_cast<int>(lc), literalTree);
        } else {
            int code = lengthCode_[lc];
            SendCode(code + kLiterals + 1, literalTree);
            int extra = kExtraLengthBits[code];
            if (extra != 0)
                bits_.SendBits(lc - static_cast<unsigned>(baseLength_[code]), extra);

            unsigned distance = distances_[distanceIndex++];
            code = static_cast<int>(DistanceCode(distance));
            if (code >= kDistanceCodes)
                checks_.Fail("bad d_code");
            SendCode(code, distanceTree);
            extra = kExtraDistanceBits[code];
            if (extra != 0) {
                bits_.SendBits(distance - static_cast<unsigned>(baseDistance_[code]), extra);
            }
        }
        flag >>= 1;
    }
    SendCode(kEndBlock, literalTree);
}

void BlockCoder::FlushBlock(const uint8_t* input, uint64_t inputLength, bool final) {
    flagBytes_[flagCount_] = flags_;  // the flags of the last, incomplete group of eight

    BuildTree(literalDescription_);
    BuildTree(distanceDescription_);
    const int maxBitLengthIndex = BuildBitLengthTree();

    // Sizes in bytes with the three header bits.
    uint64_t bestBytes = (optimalLength_ + 3 + 7) >> 3;
    const uint64_t fixedBytes = (fixedLength_ + 3 + 7) >> 3;
    if (fixedBytes <= bestBytes)
        bestBytes = fixedBytes;

    const unsigned finalBit = final ? 1 : 0;
    if (input != nullptr && inputLength + 4 <= bestBytes && inputLength <= kMaxStoredLength) {
        bits_.SendBits((kStoredBlock << 1) + finalBit, 3);
        compressedBits_ = (compressedBits_ + 3 + 7) & ~uint64_t{7};
        compressedBits_ += (inputLength + 4) << 3;
        bits_.Align();
        bits_.PutAlignedShort(static_cast<uint16_t>(inputLength));
        bits_.PutAlignedShort(static_cast<uint16_t>(~inputLength));
        bits_.PutAlignedBytes(input, static_cast<size_t>(inputLength));
    } else if (fixedBytes == bestBytes) {
        bits_.SendBits((kFixedBlock << 1) + finalBit, 3);
        CompressBlock(fixedLiteralTree_, fixedDistanceTree_);
        compressedBits_ += 3 + fixedLength_;
    } else {
        bits_.SendBits((kDynamicBlock << 1) + finalBit, 3);
        SendAllTrees(literalDescription_.maxCode + 1, distanceDescription_.maxCode + 1,
                     maxBitLengthIndex + 1);
        CompressBlock(literalTree_, distanceTree_);
        compressedBits_ += 3 + optimalLength_;
    }
    if (compressedBits_ != bits_.bitsSent())
        checks_.Fail("bad compressed size");
    StartBlock();

    if (final) {
        bits_.Align();
        compressedBits_ = (compressedBits_ + 7) & ~uint64_t{7};
    }
}

}  // namespace veltrano::deflate_core
