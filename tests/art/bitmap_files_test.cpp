// The list, toolbar and lookup-button bitmaps: sizes and depths the dialog relies on, and the
// colours that its loaders treat as transparent or as system greys.
#include <gtest/gtest.h>

#include <algorithm>

#include "art/art_files.h"

namespace veltrano::testing {
namespace {

constexpr Rgb kMagenta{255, 0, 255};
constexpr Rgb kFaceGrey{192, 192, 192};
constexpr Rgb kShadowGrey{128, 128, 128};
constexpr Rgb kLightGrey{223, 223, 223};

struct Cell {
    int x0, width, height;
};

// Pixels of one cell that are not `background`.
int CountOther(const Dib& dib, const Cell& cell, Rgb background) {
    int count = 0;
    for (int y = 0; y < cell.height; ++y) {
        for (int x = cell.x0; x < cell.x0 + cell.width; ++x) {
            if (!(dib.At(x, y) == background))
                ++count;
        }
    }
    return count;
}

// What both image-list strips share: `cells` pictures of width x height side by side on one
// background colour, in an 8-bit palette that the 8-bit image lists adopt as their own (so the
// icons keep their colours instead of being forced into the halftone palette).
void ExpectStrip(const std::string& name, int cells, int width, int height, Rgb background) {
    SCOPED_TRACE(name);
    BmpFile bmp = ReadBmp(name);
    ASSERT_EQ(bmp.error, "");
    Dib dib(bmp.data, 14, bmp.pixelOffset);
    ASSERT_EQ(dib.error(), "");
    EXPECT_EQ(dib.width(), cells * width);
    EXPECT_EQ(dib.height(), height);
    ASSERT_EQ(dib.bits(), 8);
    EXPECT_EQ(dib.compression(), 0u);
    EXPECT_EQ(std::count(dib.palette().begin(), dib.palette().end(), background), 1);
    // Image lists cut masks out with bitwise operations on palette indices, which come out
    // right only with black at 0 and white at 255, as in the system palette.
    ASSERT_EQ(dib.palette().size(), 256u);
    EXPECT_EQ(dib.palette().front(), (Rgb{0, 0, 0}));
    EXPECT_EQ(dib.palette().back(), (Rgb{255, 255, 255}));
    for (int i = 0; i < cells; ++i) {
        Cell cell{i * width, width, height};
        SCOPED_TRACE("image " + std::to_string(i));
        // Corners show the background, so the picture never fills its cell edge to edge ...
        EXPECT_EQ(dib.At(cell.x0, 0), background);
        EXPECT_EQ(dib.At(cell.x0 + width - 1, 0), background);
        EXPECT_EQ(dib.At(cell.x0, height - 1), background);
        EXPECT_EQ(dib.At(cell.x0 + width - 1, height - 1), background);
        // ... and yet there is a picture: at least a third of the cell is drawn.
        EXPECT_GT(CountOther(dib, cell, background), width * height / 3);
    }
}

TEST(RowIconsBitmap, IsFourSixteenPixelIconsOnMagentaInAPalette) {
    ExpectStrip("rows.bmp", 4, 16, 16, kMagenta);
}

TEST(RowIconsBitmap, HasNoPixelBlendedWithTheMaskColour) {
    // The image list cuts out exact magenta only; a pinkish edge pixel would stay visible.
    BmpFile bmp = ReadBmp("rows.bmp");
    Dib dib(bmp.data, 14, bmp.pixelOffset);
    ASSERT_EQ(dib.error(), "");
    for (int y = 0; y < dib.height(); ++y) {
        for (int x = 0; x < dib.width(); ++x) {
            Rgb p = dib.At(x, y);
            bool pinkish = p.r > 160 && p.b > 160 && p.g + 60 < std::min(p.r, p.b);
            EXPECT_TRUE(p == kMagenta || !pinkish) << "pixel " << x << "," << y << " = " << int(p.r)
                                                   << "," << int(p.g) << "," << int(p.b);
        }
    }
}

TEST(ToolbarBitmap, IsSixImagesOnTheFaceGreyInAPaletteTheLoaderCanRemap) {
    // Windows swaps the 3-D greys for system colours only in a colour table.
    ExpectStrip("toolbar.bmp", 6, 16, 15, kFaceGrey);
    BmpFile bmp = ReadBmp("toolbar.bmp");
    Dib dib(bmp.data, 14, bmp.pixelOffset);
    for (const Rgb& entry : dib.palette()) {
        EXPECT_FALSE(entry == kShadowGrey) << "the 3-D shadow grey would be remapped too";
        EXPECT_FALSE(entry == kLightGrey) << "the 3-D light grey would be remapped too";
    }
}

TEST(ToolbarBitmap, ToolbarResourceStripHasTheSameImages) {
    BmpFile strip = ReadBmp("toolbar.bmp");
    BmpFile resource = ReadBmp("toolbar136.bmp");
    ASSERT_EQ(resource.error, "");
    Dib a(strip.data, 14, strip.pixelOffset);
    Dib b(resource.data, 14, resource.pixelOffset);
    ASSERT_EQ(b.error(), "");
    ASSERT_EQ(b.width(), a.width());
    ASSERT_EQ(b.height(), a.height());
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            ASSERT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
        }
    }
}

TEST(LookupButtonBitmaps, BothLanguagesHaveTheButtonSizeAndDifferentCaptions) {
    BmpFile de = ReadBmp("lookup_de.bmp");
    BmpFile en = ReadBmp("lookup_en.bmp");
    ASSERT_EQ(de.error, "");
    ASSERT_EQ(en.error, "");
    Dib german(de.data, 14, de.pixelOffset);
    Dib english(en.data, 14, en.pixelOffset);
    for (const Dib* dib : {&german, &english}) {
        ASSERT_EQ(dib->error(), "");
        EXPECT_EQ(dib->width(), 346);
        EXPECT_EQ(dib->height(), 46);
        EXPECT_EQ(dib->bits(), 24);
    }
    int differing = 0;
    for (int y = 0; y < 46; ++y) {
        for (int x = 0; x < 346; ++x) {
            if (!(german.At(x, y) == english.At(x, y)))
                ++differing;
        }
    }
    EXPECT_GT(differing, 200) << "the two faces should carry different captions";
}

}  // namespace
}  // namespace veltrano::testing
