// Reading the committed picture files in the tests: where they are and bounds-checked access to
// their little-endian fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace veltrano::testing {

// src/app/res of this source tree (under Wine through drive Z:, as the build names it).
std::filesystem::path ArtDir();

// The whole file; empty when it cannot be read.
std::vector<uint8_t> ReadArt(const std::string& name);

// Little-endian reads that throw std::out_of_range past the end, so a truncated file fails the
// test instead of reading stray memory.
uint16_t U16(const std::vector<uint8_t>& data, size_t at);
uint32_t U32(const std::vector<uint8_t>& data, size_t at);
int32_t I32(const std::vector<uint8_t>& data, size_t at);
std::string FourCC(const std::vector<uint8_t>& data, size_t at);

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// An uncompressed bottom-up DIB (BITMAPINFOHEADER, palette, pixels) found in a file at `header`
// with its pixels at `pixels`. Checks its own sizes; `error` says what is wrong, if anything.
class Dib {
  public:
    Dib(const std::vector<uint8_t>& data, size_t header, size_t pixels);

    const std::string& error() const { return error_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int bits() const { return bits_; }
    uint32_t compression() const { return compression_; }
    const std::vector<Rgb>& palette() const { return palette_; }
    size_t stride() const { return ((static_cast<size_t>(width_) * bits_ + 31) / 32) * 4; }

    // Colour of a pixel, (0, 0) being the top-left corner; 8-bit and 24-bit pixels only.
    Rgb At(int x, int y) const;
    // Palette index of a pixel of an 8-bit DIB.
    uint8_t IndexAt(int x, int y) const;

  private:
    const std::vector<uint8_t>& data_;
    size_t pixels_ = 0;
    int width_ = 0, height_ = 0, bits_ = 0;
    uint32_t compression_ = 0;
    std::vector<Rgb> palette_;
    std::string error_;
};

// A .bmp file: its file header checked and its DIB.
struct BmpFile {
    std::vector<uint8_t> data;
    std::string error;  // empty when the file header is sound
    size_t pixelOffset = 0;
};
BmpFile ReadBmp(const std::string& name);

}  // namespace veltrano::testing
