// DLGTEMPLATE and DLGTEMPLATEEX layouts (header, menu, class, title, font, then the items, each
// item DWORD-aligned). Only the header is parsed; the items are copied as they are.
#include "framework/dialog_template.h"

#include <cstring>

#include "base/byte_store.h"

namespace veltrano {
namespace {

constexpr uint32_t kSetFont = 0x40;  // DS_SETFONT

struct Layout {
    bool extended = false;
    size_t styleOffset = 0;
    uint32_t style = 0;
    size_t fontOffset = 0;   // where the font block starts (or would start)
    size_t itemsOffset = 0;  // DWORD-aligned start of the items
    DialogFont font;
    bool hasFont = false;
};

class Reader {
  public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Word(uint16_t& v) {
        if (pos_ + 2 > size_)
            return false;
        v = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return true;
    }
    bool Skip(size_t n) {
        if (pos_ + n > size_)
            return false;
        pos_ += n;
        return true;
    }
    bool Text16(Text* out) {
        for (uint16_t c = 0;;) {
            if (!Word(c))
                return false;
            if (c == 0)
                return true;
            if (out != nullptr)
                out->push_back(static_cast<char16_t>(c));
        }
    }
    // sz_Or_Ord: 0 = none, 0xFFFF + ordinal, or a text.
    bool NameOrOrdinal() {
        uint16_t first = 0;
        if (!Word(first))
            return false;
        if (first == 0)
            return true;
        if (first == 0xFFFF)
            return Skip(2);
        return Text16(nullptr);
    }
    size_t pos() const { return pos_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

std::optional<Layout> Parse(const uint8_t* data, size_t size) {
    Layout layout;
    Reader r(data, size);
    if (size < 4)
        return std::nullopt;
    layout.extended = data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
    if (layout.extended) {
        layout.styleOffset = 12;  // dlgVer, signature, helpID, exStyle
        if (!r.Skip(22))
            return std::nullopt;  // ... style, cDlgItems, x, y, cx, cy
    } else {
        layout.styleOffset = 0;
        if (!r.Skip(18))
            return std::nullopt;  // style, exStyle, cdit, x, y, cx, cy
    }
    std::memcpy(&layout.style, data + layout.styleOffset, 4);
    if (!r.NameOrOrdinal() || !r.NameOrOrdinal() || !r.Text16(nullptr))
        return std::nullopt;
    layout.fontOffset = r.pos();
    layout.hasFont = (layout.style & kSetFont) != 0;
    if (layout.hasFont) {
        if (!r.Word(layout.font.pointSize))
            return std::nullopt;
        if (layout.extended && !r.Skip(4))
            return std::nullopt;  // weight, italic, charset
        if (!r.Text16(&layout.font.face))
            return std::nullopt;
    }
    layout.itemsOffset = (r.pos() + 3) & ~size_t{3};
    if (layout.itemsOffset > size)
        layout.itemsOffset = size;
    return layout;
}

}  // namespace

std::optional<DialogFont> TemplateFont(const uint8_t* data, size_t size) {
    auto layout = Parse(data, size);
    if (!layout || !layout->hasFont)
        return std::nullopt;
    return layout->font;
}

std::optional<std::vector<uint8_t>> WithTemplateFont(const uint8_t* data, size_t size,
                                                     const DialogFont& font) {
    auto layout = Parse(data, size);
    if (!layout)
        return std::nullopt;
    std::vector<uint8_t> out(data, data + layout->fontOffset);
    if (!layout->hasFont) {
        const uint32_t style = layout->style | kSetFont;
        std::memcpy(out.data() + layout->styleOffset, &style, 4);
    }
    AppendLe16(out, font.pointSize);
    if (layout->extended) {
        // Weight, italic and character set: kept from the template when it had a font.
        if (layout->hasFont) {
            const size_t at = layout->fontOffset + 2;
            out.insert(out.end(), data + at, data + at + 4);
        } else {
            AppendLe16(out, 400);  // FW_NORMAL
            out.push_back(0);
            out.push_back(1);  // DEFAULT_CHARSET
        }
    }
    for (char16_t c : font.face)
        AppendLe16(out, c);
    AppendLe16(out, 0);
    while (out.size() % 4 != 0)
        out.push_back(0);
    out.insert(out.end(), data + layout->itemsOffset, data + size);
    return out;
}

}  // namespace veltrano
