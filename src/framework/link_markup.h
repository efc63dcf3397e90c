// The link control's markup taken apart: the text with bare "<a>" tags, and the identifier and
// address of each link in the order the control counts them.
//
// Wine's link control reads a tag's attributes only when the character after "<a" is its "break
// character", which it takes from the metrics of a fresh device context, i.e. of the System font,
// whatever font the control was given. That is not always the space: where the System font
// resolves to Liberation Sans (first character "!"), it is "!", '<a href="…">' stays plain text
// and the control has no link at all. A bare "<a>" parses with every font, so the attributes go
// in afterwards, link by link.
#pragma once

#include <vector>

#include "base/text.h"

namespace veltrano {

struct LinkMarkup {
    struct Link {
        Text id;
        Text url;
    };
    Text text;                // the markup with every accepted "<a ...>" written as "<a>"
    std::vector<Link> links;  // one per link the control makes of `text`
};

// Tags the control would not take (unknown attributes, a missing quote or ">") stay as they are,
// as text; a link without text or without its "</a>" is no link, as in the control.
LinkMarkup ParseLinkMarkup(TextView markup);

}  // namespace veltrano
