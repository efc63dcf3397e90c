// The wait animation: an AVI the Win32 animation control can play by itself (one silent video
// stream, uncompressed or RLE8 8-bit frames, sizes that agree everywhere), small enough for
// its place in the dialog, and with a background the control can make transparent.
#include <gtest/gtest.h>

#include <set>

#include "art/art_files.h"
#include "art/riff.h"

namespace veltrano::testing {
namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1;
constexpr uint32_t kAvihTotalFrames = 16, kAvihStreams = 24, kAvihWidth = 32, kAvihHeight = 36;
constexpr uint32_t kIndexEntry = 16;
// The control's area in the dialog, 44 x 40 dialog units at 96 dpi.
constexpr int kControlWidth = 66, kControlHeight = 65;

class AnimationFile : public ::testing::Test {
  protected:
    void SetUp() override {
        data_ = ReadArt("scanning.avi");
        tree_ = ReadRiff(data_);
        ASSERT_EQ(tree_.error, "");
        ASSERT_EQ(tree_.top.size(), 1u);
        riff_ = &tree_.top[0];
        ASSERT_EQ(riff_->id, "RIFF");
        ASSERT_EQ(riff_->form, "AVI ");
        hdrl_ = Child(riff_->children, "hdrl");
        ASSERT_NE(hdrl_, nullptr);
        avih_ = Child(hdrl_->children, "avih");
        ASSERT_NE(avih_, nullptr);
        ASSERT_GE(avih_->size, 40u);
        strl_ = Child(hdrl_->children, "strl");
        ASSERT_NE(strl_, nullptr);
        movi_ = Child(riff_->children, "movi");
        ASSERT_NE(movi_, nullptr);
    }

    uint32_t Avih(uint32_t field) const { return U32(data_, avih_->body + field); }

    std::vector<const Chunk*> Frames() const {
        std::vector<const Chunk*> frames;
        for (const Chunk& c : movi_->children) {
            if (c.id == "00db" || c.id == "00dc")
                frames.push_back(&c);
        }
        return frames;
    }

    std::vector<uint8_t> data_;
    RiffTree tree_;
    const Chunk *riff_ = nullptr, *hdrl_ = nullptr, *avih_ = nullptr, *strl_ = nullptr,
                *movi_ = nullptr;
};

TEST_F(AnimationFile, RiffSizeCoversTheWholeFile) {
    EXPECT_EQ(size_t{riff_->size} + 8, data_.size());
}

TEST_F(AnimationFile, HasOneSilentVideoStreamOfTwelveToTwentyFourFrames) {
    EXPECT_EQ(Avih(kAvihStreams), 1u);
    int streams = 0;
    for (const Chunk& c : hdrl_->children)
        streams += c.form == "strl";
    EXPECT_EQ(streams, 1) << "no sound stream";
    const Chunk* strh = Child(strl_->children, "strh");
    ASSERT_NE(strh, nullptr);
    EXPECT_EQ(FourCC(data_, strh->body), "vids");
    std::string handler = FourCC(data_, strh->body + 4);
    EXPECT_TRUE(handler == "DIB " || handler == "RLE " || handler == std::string(4, '\0'))
        << "the control opens no codec for '" << handler << "'";

    uint32_t frames = Avih(kAvihTotalFrames);
    EXPECT_GE(frames, 12u);
    EXPECT_LE(frames, 24u);
    EXPECT_EQ(U32(data_, strh->body + 32), frames) << "stream length";
    EXPECT_EQ(Frames().size(), frames) << "the control reads exactly this many frame chunks";
    uint32_t microSeconds = U32(data_, avih_->body);
    EXPECT_GE(microSeconds, 40'000u);
    EXPECT_LE(microSeconds, 150'000u);
}

TEST_F(AnimationFile, FramesArePalettisedBitmapsThatFitTheControl) {
    const Chunk* strf = Child(strl_->children, "strf");
    ASSERT_NE(strf, nullptr);
    Dib format(data_, strf->body, strf->body);  // pixels checked per frame below
    ASSERT_EQ(format.bits(), 8);
    ASSERT_TRUE(format.compression() == kBiRgb || format.compression() == kBiRle8);
    EXPECT_EQ(strf->size, 40 + 4 * format.palette().size()) << "header and palette";
    EXPECT_GE(format.palette().size(), 2u);
    EXPECT_LE(format.palette().size(), 256u);
    EXPECT_EQ(static_cast<uint32_t>(format.width()), Avih(kAvihWidth));
    EXPECT_EQ(static_cast<uint32_t>(format.height()), Avih(kAvihHeight));
    EXPECT_LE(format.width(), kControlWidth);
    EXPECT_LE(format.height(), kControlHeight);
    EXPECT_GE(format.width(), kControlWidth * 3 / 4) << "fills most of its place";
    if (format.compression() == kBiRgb) {
        for (const Chunk* frame : Frames()) {
            EXPECT_EQ(frame->size, format.stride() * static_cast<size_t>(format.height()));
        }
    }
}

TEST_F(AnimationFile, IndexPointsAtEveryFrameInOrder) {
    const Chunk* idx1 = Child(riff_->children, "idx1");
    ASSERT_NE(idx1, nullptr);
    std::vector<const Chunk*> frames = Frames();
    ASSERT_EQ(idx1->size, frames.size() * kIndexEntry);
    const size_t moviFourCC = movi_->body - 4;
    for (size_t i = 0; i < frames.size(); ++i) {
        size_t entry = idx1->body + i * kIndexEntry;
        EXPECT_EQ(FourCC(data_, entry), frames[i]->id);
        EXPECT_EQ(U32(data_, entry + 4) & 0x10, 0x10u) << "every frame is a key frame";
        EXPECT_EQ(moviFourCC + U32(data_, entry + 8), frames[i]->offset) << "frame " << i;
        EXPECT_EQ(U32(data_, entry + 12), frames[i]->size) << "frame " << i;
    }
}

TEST_F(AnimationFile, BackgroundIsOneKeyColourAndTheFramesMove) {
    // The control takes the first frame's top-left colour as transparent; a frame edge of
    // that colour all round keeps the picture from being cut into.
    const Chunk* strf = Child(strl_->children, "strf");
    ASSERT_NE(strf, nullptr);
    std::set<std::vector<uint8_t>> distinct;
    uint8_t key = 0;
    for (const Chunk* frame : Frames()) {
        Dib dib(data_, strf->body, frame->body);
        ASSERT_EQ(dib.error(), "");
        ASSERT_EQ(dib.compression(), kBiRgb) << "pixel checks below read uncompressed frames";
        if (frame == Frames().front())
            key = dib.IndexAt(0, 0);
        int keyPixels = 0;
        for (int y = 0; y < dib.height(); ++y) {
            for (int x = 0; x < dib.width(); ++x) {
                bool edge = x == 0 || y == 0 || x == dib.width() - 1 || y == dib.height() - 1;
                bool isKey = dib.IndexAt(x, y) == key;
                if (edge) {
                    EXPECT_TRUE(isKey) << "edge pixel " << x << "," << y;
                }
                keyPixels += isKey;
            }
        }
        EXPECT_GT(keyPixels, dib.width() * dib.height() / 5);
        EXPECT_LT(keyPixels, dib.width() * dib.height() * 4 / 5);
        distinct.insert(
            std::vector<uint8_t>(data_.begin() + static_cast<long>(frame->body),
                                 data_.begin() + static_cast<long>(frame->body) + frame->size));
    }
    EXPECT_EQ(distinct.size(), Frames().size()) << "no two frames alike";
    // Only the key entry holds the key colour, so no drawn pixel turns transparent.
    Dib format(data_, strf->body, strf->body);
    for (size_t i = 0; i < format.palette().size(); ++i) {
        if (i != key) {
            EXPECT_FALSE(format.palette()[i] == format.palette()[key]) << i;
        }
    }
}

}  // namespace
}  // namespace veltrano::testing
