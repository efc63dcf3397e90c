// The match finder of the compressor, after the classic design of zlib's deflate.c (Jean-loup
// Gailly): the input slides through a 64 KiB window; every position is entered into hash chains
// keyed by its next three bytes; the longest earlier match within 32506 bytes is sought along
// the chain (bounded by the level's chain length), and lazy evaluation emits a match only when
// the match at the next position is not longer. Matches and literals go to the block coder.
// Beside the chain links a second table links every position four steps back, so the chain
// walk, which is bound by memory latency, has four independent loads in flight; it visits the
// same candidates in the same order.
// References: RFC 1951; J. Ziv, A. Lempel, "A Universal Algorithm for Sequential Data
// Compression", 1977; J. A. Storer, T. G. Szymanski, "Data Compression via Textual
// Substitution", 1982.
#include "export/deflate.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "export/deflate_bits.h"
#include "export/deflate_format.h"
#include "export/deflate_trees.h"

namespace veltrano {
namespace deflate_core {
namespace {

constexpr unsigned kHalfWindow = 0x8000;  // the deflate window
constexpr unsigned kWindowMask = kHalfWindow - 1;
constexpr unsigned kWindowBytes = 2 * kHalfWindow;
// Room behind the window for the word-wise comparison near its end.
constexpr unsigned kWindowPadding = 16;

constexpr unsigned kHashBits = 15;
constexpr unsigned kHashSize = 1u << kHashBits;
constexpr unsigned kHashMask = kHashSize - 1;
constexpr unsigned kHashShift = (kHashBits + kMinMatch - 1) / kMinMatch;  // three bytes fill a hash

// Enough lookahead for one longest match and the three bytes that follow it.
constexpr unsigned kMinLookahead = kMaxMatch + kMinMatch + 1;   // 262
constexpr unsigned kMaxDistance = kHalfWindow - kMinLookahead;  // 32506
constexpr unsigned kTooFar = 4096;  // a match of three bytes farther back than this costs more
constexpr unsigned kNone = 0;       // empty chain; window position 0 is never matched

struct Tuning {
    unsigned good;   // above this previous match length, search a quarter of the chain
    unsigned lazy;   // no lazy search after a match of this length
    unsigned nice;   // stop the search at a match of this length
    unsigned chain;  // longest chain followed
};

// Tuning by level, as stored.
constexpr Tuning kTuning[10] = {
    {0, 0, 0, 0},         {4, 4, 8, 4},         {4, 5, 16, 8},     {4, 6, 32, 32},
    {4, 4, 16, 16},       {8, 16, 32, 32},      {8, 16, 128, 128}, {8, 32, 128, 256},
    {32, 128, 258, 1024}, {32, 258, 258, 4096},
};
constexpr int kLowestLevel = 1;
constexpr int kHighestLevel = 8;

inline uint16_t Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline uint64_t Load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Number of equal leading bytes of a and b, at most limit (a multiple of 8).
inline unsigned CommonLength(const uint8_t* a, const uint8_t* b, unsigned limit) {
    unsigned n = 0;
    while (n < limit) {
        const uint64_t difference = Load64(a + n) ^ Load64(b + n);
        if (difference != 0) {
            // The first differing byte is the lowest one on a little-endian machine.
            if constexpr (std::endian::native == std::endian::little) {
                return n + static_cast<unsigned>(std::countr_zero(difference)) / 8;
            } else {
                return n + static_cast<unsigned>(std::countl_zero(difference)) / 8;
            }
        }
        n += 8;
    }
    return limit;
}

}  // namespace

class Compressor {
  public:
    explicit Compressor(DeflateStreams& streams)
        : streams_(streams),
          bits_(streams, checks_),
          blocks_(bits_, checks_),
          window_(kWindowBytes + kWindowPadding, 0),
          head_(kHashSize, 0),
          prev_(kHalfWindow, 0),
          prev4_(kHalfWindow, 0) {}

    void Start(int level, uint16_t& zipFlags);
    uint64_t Compress();
    const char* ErrorText() const { return checks_.text(); }

  private:
    void UpdateHash(uint8_t byte) { hash_ = ((hash_ << kHashShift) ^ byte) & kHashMask; }
    // Enters the position into its chain and returns the chain's previous head.
    unsigned InsertString(unsigned position) {
        UpdateHash(window_[position + kMinMatch - 1]);
        const unsigned head = head_[hash_];
        // Links that lead out of the window are stale but never followed: the walk stops at
        // the first position beyond the maximum distance.
        const unsigned second = prev_[head & kWindowMask];
        const unsigned third = prev_[second & kWindowMask];
        prev4_[position & kWindowMask] = prev_[third & kWindowMask];
        prev_[position & kWindowMask] = static_cast<uint16_t>(head);
        head_[hash_] = static_cast<uint16_t>(position);
        return head;
    }
    unsigned LongestMatch(unsigned chainStart);
    void Refill();
    void SlideWindow();
    void FlushBlock(bool final) {
        const uint8_t* input = blockStart_ >= 0 ? window_.data() + blockStart_ : nullptr;
        blocks_.FlushBlock(input, static_cast<uint64_t>(strstart_ - blockStart_), final);
        blockStart_ = strstart_;
    }
    bool Tally(unsigned distance, unsigned lc) {
        return blocks_.Tally(distance, lc, static_cast<int64_t>(strstart_) - blockStart_);
    }

    DeflateStreams& streams_;
    CheckRecord checks_;
    BitWriter bits_;
    BlockCoder blocks_;

    std::vector<uint8_t> window_;
    std::vector<uint16_t> head_;   // hash -> latest position with that hash
    std::vector<uint16_t> prev_;   // position -> the previous position of its chain
    std::vector<uint16_t> prev4_;  // position -> the position four steps back on its chain
    unsigned hash_ = 0;

    unsigned strstart_ = 0;   // current position
    unsigned lookahead_ = 0;  // valid bytes from strstart_ on
    int64_t blockStart_ = 0;  // negative once the block's start has slid out of the window
    unsigned matchStart_ = 0;
    unsigned prevLength_ = 0;
    unsigned niceLength_ = 0;  // lowered to the lookahead near the end of the input
    bool endOfInput_ = false;
    Tuning tuning_{};
};

void Compressor::Start(int level, uint16_t& zipFlags) {
    if (level < kLowestLevel || level > kHighestLevel) {
        checks_.Fail("bad pack level");
        level = std::clamp(level, kLowestLevel, kHighestLevel);
    }
    blocks_.SetLevel(level);
    std::fill(head_.begin(), head_.end(), 0);
    tuning_ = kTuning[level];
    niceLength_ = tuning_.nice;
    if (level <= 2) {
        zipFlags |= kZipFlagFastCompression;
    } else if (level >= 8) {
        zipFlags |= kZipFlagMaximumCompression;
    }

    strstart_ = 0;
    blockStart_ = 0;
    const int64_t n = streams_.Read(window_.data(), kWindowBytes);
    if (n <= 0) {
        endOfInput_ = true;
        lookahead_ = 0;
        return;
    }
    lookahead_ = static_cast<unsigned>(std::min<int64_t>(n, kWindowBytes));
    if (lookahead_ < kMinLookahead)
        Refill();
    hash_ = 0;
    for (unsigned j = 0; j < kMinMatch - 1; ++j)
        UpdateHash(window_[j]);
}

// Moves the upper half of the window down; chain entries that pointed into the lower half are
// emptied.
void Compressor::SlideWindow() {
    std::memcpy(window_.data(), window_.data() + kHalfWindow, kHalfWindow);
    matchStart_ -= kHalfWindow;
    strstart_ -= kHalfWindow;
    blockStart_ -= kHalfWindow;
    auto lower = [](uint16_t& position) {
        position = static_cast<uint16_t>(position - std::min<unsigned>(position, kHalfWindow));
    };
    std::for_each(head_.begin(), head_.end(), lower);
    std::for_each(prev_.begin(), prev_.end(), lower);
    std::for_each(prev4_.begin(), prev4_.end(), lower);
}

// Called whenever the lookahead is short. The window slides even when the input has ended, so
// that a match search always has its 258 bytes of room in the window.
void Compressor::Refill() {
    do {
        unsigned more = kWindowBytes - lookahead_ - strstart_;
        if (strstart_ >= kHalfWindow + kMaxDistance) {
            SlideWindow();
            more += kHalfWindow;
        }
        if (endOfInput_)
            return;
        if (more < 2)
            checks_.Fail("more < 2");
        const int64_t n =
            more == 0 ? 0 : streams_.Read(window_.data() + strstart_ + lookahead_, more);
        if (n <= 0) {
            endOfInput_ = true;
        } else {
            lookahead_ += static_cast<unsigned>(std::min<int64_t>(n, more));
        }
    } while (lookahead_ < kMinLookahead && !endOfInput_);
}

// The longest match at strstart_ along the chain from chainStart that is longer than the
// previous match; sets matchStart_ when one is found. Bytes beyond the lookahead may take part;
// the caller cuts the length.
unsigned Compressor::LongestMatch(unsigned chainStart) {
    unsigned chainLength = tuning_.chain;
    const uint8_t* const window = window_.data();
    const unsigned position = strstart_;
    const uint8_t* const scan = window + position;
    unsigned bestLength = prevLength_;
    const unsigned limit = strstart_ > kMaxDistance ? strstart_ - kMaxDistance : kNone;
    const unsigned nice = niceLength_;

    if (prevLength_ >= tuning_.good)
        chainLength >>= 2;
    if (strstart_ > kWindowBytes - kMinLookahead)
        checks_.Fail("insufficient lookahead");

    // Chains run from newer to older positions, so only their start can lie ahead.
    if (chainStart >= strstart_)
        checks_.Fail("no future");

    const uint16_t scanStart = Load16(scan);
    uint16_t scanEnd = Load16(scan + bestLength - 1);
    // True when the search is over (a match of nice length).
    auto examine = [&](unsigned candidate) {
        const uint8_t* match = window + candidate;
        // Cheap test first: the two bytes that would make the match longer, and the first two.
        if (((Load16(match + bestLength - 1) ^ scanEnd) | (Load16(match) ^ scanStart)) != 0) {
            return false;
        }
        const unsigned length = 2 + CommonLength(scan + 2, match + 2, kMaxMatch - 2);
        if (position + length > kWindowBytes)
            checks_.Fail("wild scan");
        if (length <= bestLength)
            return false;
        matchStart_ = candidate;
        bestLength = length;
        if (length >= nice)
            return true;
        scanEnd = Load16(scan + bestLength - 1);
        return false;
    };

    // The chain is walked as four interleaved strands through the four-step links, so that
    // four loads are in flight instead of one; candidates are still examined and counted one by
    // one in chain order, so the result is that of the plain walk.
    const uint16_t* const prev = prev_.data();
    const uint16_t* const prev4 = prev4_.data();
    unsigned a = chainStart;
    unsigned b = a > limit ? prev[a & kWindowMask] : kNone;
    unsigned c = b > limit ? prev[b & kWindowMask] : kNone;
    unsigned d = c > limit ? prev[c & kWindowMask] : kNone;
    for (;;) {
        const unsigned a4 = prev4[a & kWindowMask];
        if (examine(a) || b <= limit || --chainLength == 0)
            break;
        const unsigned b4 = prev4[b & kWindowMask];
        if (examine(b) || c <= limit || --chainLength == 0)
            break;
        const unsigned c4 = prev4[c & kWindowMask];
        if (examine(c) || d <= limit || --chainLength == 0)
            break;
        const unsigned d4 = prev4[d & kWindowMask];
        if (examine(d) || a4 <= limit || --chainLength == 0)
            break;
        a = a4;
        b = b4;
        c = c4;
        d = d4;
    }
    return bestLength;
}

uint64_t Compressor::Compress() {
    unsigned matchLength = kMinMatch - 1;
    bool literalPending = false;

    while (lookahead_ != 0) {
        unsigned chainHead = kNone;
        if (lookahead_ >= kMinMatch)
            chainHead = InsertString(strstart_);

        prevLength_ = matchLength;
        const unsigned prevMatch = matchStart_;
        matchLength = kMinMatch - 1;

        if (chainHead != kNone && prevLength_ < tuning_.lazy &&
            strstart_ - chainHead <= kMaxDistance) {
            // Never look past the end of the input: the output must not depend on stale bytes.
            niceLength_ = std::min(niceLength_, lookahead_);
            matchLength = std::min(LongestMatch(chainHead), lookahead_);
            if (matchLength == kMinMatch && strstart_ - matchStart_ > kTooFar)
                --matchLength;
        }

        if (prevLength_ >= kMinMatch && matchLength <= prevLength_) {
            // The match at the previous position is at least as long: take it.
            const unsigned maxInsert = strstart_ + lookahead_ - kMinMatch;
            const bool endBlock = Tally(strstart_ - 1 - prevMatch, prevLength_ - kMinMatch);
            lookahead_ -= prevLength_ - 1;
            for (unsigned covered = prevLength_ - 2; covered != 0; --covered) {
                if (++strstart_ <= maxInsert)
                    InsertString(strstart_);
            }
            ++strstart_;
            literalPending = false;
            matchLength = kMinMatch - 1;
            if (endBlock)
                FlushBlock(false);
        } else if (literalPending) {
            // No better match here than a literal for the previous byte.
            if (Tally(0, window_[strstart_ - 1]))
                FlushBlock(false);
            ++strstart_;
            --lookahead_;
        } else {
            // Wait one position to see whether a match there is longer.
            literalPending = true;
            ++strstart_;
            --lookahead_;
        }
        if (lookahead_ < kMinLookahead)
            Refill();
    }
    if (literalPending)
        Tally(0, window_[strstart_ - 1]);
    FlushBlock(true);
    bits_.Flush();
    return blocks_.compressedBits() >> 3;
}

}  // namespace deflate_core

Deflater::Deflater(DeflateStreams& streams)
    : compressor_(std::make_unique<deflate_core::Compressor>(streams)) {}

Deflater::~Deflater() = default;

void Deflater::Start(int level, uint16_t& zipFlags) {
    compressor_->Start(level, zipFlags);
}

uint64_t Deflater::Compress() {
    return compressor_->Compress();
}

const char* Deflater::ErrorText() const {
    return compressor_->ErrorText();
}

}  // namespace veltrano
