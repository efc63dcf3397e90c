// Reading the committed picture files in the tests.
#include "art/art_files.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace veltrano::testing {

std::filesystem::path ArtDir() {
    return std::filesystem::path(VELTRANO_ART_DIR);
}

std::vector<uint8_t> ReadArt(const std::string& name) {
    std::ifstream in(ArtDir() / name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

namespace {
void Need(const std::vector<uint8_t>& data, size_t at, size_t count) {
    if (at > data.size() || data.size() - at < count) {
        throw std::out_of_range("read past the end of the file at offset " + std::to_string(at));
    }
}
}  // namespace

uint16_t U16(const std::vector<uint8_t>& data, size_t at) {
    Need(data, at, 2);
    return static_cast<uint16_t>(data[at] | data[at + 1] << 8);
}

uint32_t U32(const std::vector<uint8_t>& data, size_t at) {
    Need(data, at, 4);
    return static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
           static_cast<uint32_t>(data[at + 2]) << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
}

int32_t I32(const std::vector<uint8_t>& data, size_t at) {
    return static_cast<int32_t>(U32(data, at));
}

std::string FourCC(const std::vector<uint8_t>& data, size_t at) {
    Need(data, at, 4);
    return std::string(data.begin() + static_cast<std::ptrdiff_t>(at),
                       data.begin() + static_cast<std::ptrdiff_t>(at + 4));
}

Dib::Dib(const std::vector<uint8_t>& data, size_t header, size_t pixels)
    : data_(data), pixels_(pixels) {
    constexpr uint32_t kInfoHeaderSize = 40;
    try {
        if (U32(data, header) != kInfoHeaderSize) {
            error_ = "not a BITMAPINFOHEADER";
            return;
        }
        width_ = I32(data, header + 4);
        height_ = I32(data, header + 8);
        bits_ = U16(data, header + 14);
        compression_ = U32(data, header + 16);
        uint32_t used = U32(data, header + 32);
        if (width_ <= 0 || height_ <= 0 || width_ > 4096 || height_ > 4096) {
            error_ = "absurd or top-down size";
            return;
        }
        if (bits_ <= 8) {
            size_t count = used ? used : (1u << bits_);
            for (size_t i = 0; i < count; ++i) {
                size_t at = header + kInfoHeaderSize + 4 * i;
                Need(data, at, 4);
                palette_.push_back(Rgb{data[at + 2], data[at + 1], data[at]});
            }
        }
        Need(data, pixels_, stride() * static_cast<size_t>(height_));
    } catch (const std::out_of_range& e) {
        error_ = e.what();
    }
}

Rgb Dib::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        throw std::out_of_range("pixel");
    size_t row = pixels_ + stride() * static_cast<size_t>(height_ - 1 - y);
    if (bits_ == 8)
        return palette_.at(data_.at(row + static_cast<size_t>(x)));
    if (bits_ == 24) {
        size_t at = row + 3 * static_cast<size_t>(x);
        return Rgb{data_.at(at + 2), data_.at(at + 1), data_.at(at)};
    }
    throw std::logic_error("unsupported bit depth");
}

uint8_t Dib::IndexAt(int x, int y) const {
    if (bits_ != 8 || x < 0 || y < 0 || x >= width_ || y >= height_) {
        throw std::out_of_range("pixel");
    }
    return data_.at(pixels_ + stride() * static_cast<size_t>(height_ - 1 - y) +
                    static_cast<size_t>(x));
}

BmpFile ReadBmp(const std::string& name) {
    BmpFile bmp;
    bmp.data = ReadArt(name);
    constexpr size_t kFileHeaderSize = 14;
    try {
        if (bmp.data.size() < kFileHeaderSize || bmp.data[0] != 'B' || bmp.data[1] != 'M') {
            bmp.error = "no BM signature";
        } else if (U32(bmp.data, 2) != bmp.data.size()) {
            bmp.error = "size field differs from the file's size";
        } else {
            bmp.pixelOffset = U32(bmp.data, 10);
        }
    } catch (const std::out_of_range& e) {
        bmp.error = e.what();
    }
    return bmp;
}

}  // namespace veltrano::testing
