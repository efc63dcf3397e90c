// Taking the link control's markup apart.
#include "framework/link_markup.h"

#include <optional>

namespace veltrano {
namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool StartsWithNoCase(TextView text, size_t at, TextView prefix) {
    return text.size() - at >= prefix.size() &&
           EqualsNoCase(text.substr(at, prefix.size()), prefix);
}

// An opening tag at `at` ("<a>" or "<a" blank attributes ">"): its attributes and its length.
struct OpeningTag {
    LinkMarkup::Link attributes;
    size_t length = 0;
};

std::optional<OpeningTag> ReadOpeningTag(TextView markup, size_t at) {
    if (!StartsWithNoCase(markup, at, u"<a"))
        return std::nullopt;
    OpeningTag tag;
    size_t pos = at + 2;
    while (pos < markup.size() && markup[pos] != u'>') {
        if (!IsBlank(markup[pos]))
            return std::nullopt;
        while (pos < markup.size() && IsBlank(markup[pos]))
            ++pos;
        Text* value = nullptr;
        if (StartsWithNoCase(markup, pos, u"href=\"")) {
            value = &tag.attributes.url;
            pos += 6;
        } else if (StartsWithNoCase(markup, pos, u"id=\"")) {
            value = &tag.attributes.id;
            pos += 4;
        } else {
            return std::nullopt;
        }
        const size_t close = markup.find(u'"', pos);
        if (close == TextView::npos)
            return std::nullopt;
        *value = Text(markup.substr(pos, close - pos));
        pos = close + 1;
    }
    if (pos >= markup.size())
        return std::nullopt;
    tag.length = pos + 1 - at;
    return tag;
}

}  // namespace

LinkMarkup ParseLinkMarkup(TextView markup) {
    LinkMarkup result;
    size_t pos = 0;
    while (pos < markup.size()) {
        const auto tag = markup[pos] == u'<' ? ReadOpeningTag(markup, pos) : std::nullopt;
        if (!tag) {
            result.text += markup[pos++];
            continue;
        }
        result.text += u"<a>";
        pos += tag->length;
        // The link's text runs to the next "</a>"; another "<a" inside it is text.
        size_t end = pos;
        while (end < markup.size() && !StartsWithNoCase(markup, end, u"</a>"))
            ++end;
        if (end < markup.size() && end > pos)
            result.links.push_back(tag->attributes);
        result.text += markup.substr(pos, end - pos);
        if (end < markup.size())
            result.text += u"</a>";
        pos = end + 4;
    }
    return result;
}

}  // namespace veltrano
