// Canonical Huffman decoding bit by bit, as in zlib's contrib/puff.
#include "support/inflater.h"

namespace veltrano::testing {
namespace {

constexpr int kMaxBits = 15;

struct Failure {};

class BitReader {
  public:
    explicit BitReader(const std::vector<uint8_t>& in) : in_(in) {}
    unsigned Bits(int count) {
        unsigned value = 0;
        for (int i = 0; i < count; ++i) {
            if (position_ >= in_.size())
                throw Failure{};
            value |= static_cast<unsigned>((in_[position_] >> bit_) & 1) << i;
            if (++bit_ == 8) {
                bit_ = 0;
                ++position_;
            }
        }
        return value;
    }
    void Align() {
        if (bit_ != 0) {
            bit_ = 0;
            ++position_;
        }
    }
    uint8_t Byte() {
        if (position_ >= in_.size())
            throw Failure{};
        return in_[position_++];
    }
    size_t consumed() const { return position_ + (bit_ != 0 ? 1 : 0); }

  private:
    const std::vector<uint8_t>& in_;
    size_t position_ = 0;
    int bit_ = 0;
};

struct Huffman {
    std::vector<int> count = std::vector<int>(kMaxBits + 1);
    std::vector<int> symbol;
};

// Builds the decoding tables; refuses over-subscribed codes and incomplete ones with more than
// one code (the only incomplete code RFC 1951 allows is a single distance code).
Huffman Build(const std::vector<int>& lengths, bool allowIncomplete) {
    Huffman h;
    h.symbol.resize(lengths.size());
    for (int length : lengths)
        h.count[length]++;
    if (h.count[0] == static_cast<int>(lengths.size()))
        return h;
    int left = 1;
    for (int len = 1; len <= kMaxBits; ++len) {
        left <<= 1;
        left -= h.count[len];
        if (left < 0)
            throw Failure{};
    }
    const int used = static_cast<int>(lengths.size()) - h.count[0];
    if (left > 0 && !(allowIncomplete && used == 1))
        throw Failure{};
    std::vector<int> offsets(kMaxBits + 2);
    for (int len = 1; len <= kMaxBits; ++len)
        offsets[len + 1] = offsets[len] + h.count[len];
    for (size_t s = 0; s < lengths.size(); ++s) {
        if (lengths[s] != 0)
            h.symbol[offsets[lengths[s]]++] = static_cast<int>(s);
    }
    return h;
}

int Decode(BitReader& in, const Huffman& h) {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= kMaxBits; ++len) {
        code |= static_cast<int>(in.Bits(1));
        const int count = h.count[len];
        if (code - count < first)
            return h.symbol[index + (code - first)];
        index += count;
        first += count;
        first <<= 1;
        code <<= 1;
    }
    throw Failure{};
}

constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                   33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void DecodeCodes(BitReader& in, Inflated& out, const Huffman& lengths, const Huffman& distances) {
    for (;;) {
        const int symbol = Decode(in, lengths);
        if (symbol < 256) {
            out.data.push_back(static_cast<uint8_t>(symbol));
            continue;
        }
        if (symbol == 256)
            return;
        const int l = symbol - 257;
        if (l >= 29)
            throw Failure{};
        const size_t length = static_cast<size_t>(kLengthBase[l]) + in.Bits(kLengthExtra[l]);
        const int d = Decode(in, distances);
        if (d >= 30)
            throw Failure{};
        const size_t distance = static_cast<size_t>(kDistanceBase[d]) + in.Bits(kDistanceExtra[d]);
        if (distance > out.data.size())
            throw Failure{};
        if (distance > out.maxDistance)
            out.maxDistance = static_cast<unsigned>(distance);
        if (out.data.size() - distance < out.firstReferenced) {
            out.firstReferenced = out.data.size() - distance;
        }
        ++out.matches;
        for (size_t i = 0; i < length; ++i)
            out.data.push_back(out.data[out.data.size() - distance]);
    }
}

void Stored(BitReader& in, Inflated& out) {
    in.Align();
    const unsigned length = in.Byte() | (in.Byte() << 8);
    const unsigned complement = in.Byte() | (in.Byte() << 8);
    if (length != (~complement & 0xFFFF))
        throw Failure{};
    for (unsigned i = 0; i < length; ++i)
        out.data.push_back(in.Byte());
}

void Fixed(BitReader& in, Inflated& out) {
    std::vector<int> lengths(288);
    for (int s = 0; s < 288; ++s)
        lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
    const Huffman lengthCode = Build(lengths, false);
    const Huffman distanceCode = Build(std::vector<int>(32, 5), false);  // 30 and 31 invalid
    DecodeCodes(in, out, lengthCode, distanceCode);
}

void Dynamic(BitReader& in, Inflated& out) {
    static constexpr int kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                       11, 4,  12, 3, 13, 2, 14, 1, 15};
    const int literalCount = static_cast<int>(in.Bits(5)) + 257;
    const int distanceCount = static_cast<int>(in.Bits(5)) + 1;
    const int codeCount = static_cast<int>(in.Bits(4)) + 4;
    if (literalCount > 286 || distanceCount > 30)
        throw Failure{};
    std::vector<int> codeLengths(19);
    for (int i = 0; i < codeCount; ++i)
        codeLengths[kOrder[i]] = static_cast<int>(in.Bits(3));
    const Huffman lengthCode = Build(codeLengths, false);

    std::vector<int> lengths;
    while (static_cast<int>(lengths.size()) < literalCount + distanceCount) {
        const int symbol = Decode(in, lengthCode);
        if (symbol < 16) {
            lengths.push_back(symbol);
            continue;
        }
        int repeat = 0;
        int value = 0;
        if (symbol == 16) {
            if (lengths.empty())
                throw Failure{};
            value = lengths.back();
            repeat = 3 + static_cast<int>(in.Bits(2));
        } else if (symbol == 17) {
            repeat = 3 + static_cast<int>(in.Bits(3));
        } else {
            repeat = 11 + static_cast<int>(in.Bits(7));
        }
        if (static_cast<int>(lengths.size()) + repeat > literalCount + distanceCount) {
            throw Failure{};
        }
        lengths.insert(lengths.end(), static_cast<size_t>(repeat), value);
    }
    if (lengths[256] == 0)
        throw Failure{};  // no end-of-block code
    const std::vector<int> literal(lengths.begin(), lengths.begin() + literalCount);
    const std::vector<int> distance(lengths.begin() + literalCount, lengths.end());
    DecodeCodes(in, out, Build(literal, false), Build(distance, true));
}

}  // namespace

Inflated Inflate(const std::vector<uint8_t>& stream) {
    Inflated out;
    BitReader in(stream);
    try {
        bool last = false;
        while (!last) {
            last = in.Bits(1) == 1;
            switch (in.Bits(2)) {
                case 0:
                    Stored(in, out), ++out.storedBlocks;
                    break;
                case 1:
                    Fixed(in, out), ++out.fixedBlocks;
                    break;
                case 2:
                    Dynamic(in, out), ++out.dynamicBlocks;
                    break;
                default:
                    throw Failure{};
            }
        }
        out.ok = true;
    } catch (const Failure&) {
        out.ok = false;
    }
    out.consumed = in.consumed();
    return out;
}

}  // namespace veltrano::testing
