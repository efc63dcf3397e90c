// Binary XML walk. Grammar (MS-EVEN6, token low nibble; 0x40 flags "has attributes" on elements and
// "more follows" elsewhere):
//   fragment  = [0x0F major minor flags] (element | template-instance) [0x00]
//   element   = 0x01 [dependency-id, inside templates only] data-size name [attribute-list-size]
//               {0x06 name value-token...} (0x03 | 0x02 {content} 0x04)
//   content   = element | value-token | template-instance | processing-instruction
//   value-token = 0x05 type value | 0x07 cdata | 0x08 char | 0x09 entity-name
//               | 0x0D/0x0E index type (normal/optional substitution)
//   template-instance = 0x0C unknown id definition-offset [definition, when it is defined here]
//               value-count {size type 0} {value}
// A name is a chunk offset; when it equals the position right after it, the name string follows
// in place (next-offset, hash, length, characters, terminator). A template definition is
// next-offset, GUID, data-size and a fragment.
#include "platform/offline/eventlog/binxml.h"

namespace veltrano::eventlog {
namespace {

enum Token : uint8_t {
    kEndOfStream = 0x00,
    kOpenStartElement = 0x01,
    kCloseStartElement = 0x02,
    kCloseEmptyElement = 0x03,
    kEndElement = 0x04,
    kValueText = 0x05,
    kAttribute = 0x06,
    kCDataSection = 0x07,
    kCharReference = 0x08,
    kEntityReference = 0x09,
    kPITarget = 0x0A,
    kPIData = 0x0B,
    kTemplateInstance = 0x0C,
    kNormalSubstitution = 0x0D,
    kOptionalSubstitution = 0x0E,
    kFragmentHeader = 0x0F,
};
constexpr uint8_t kHasAttributes = 0x40;

// Deeper than any event document; a walk beyond it is a loop in damaged data.
constexpr int kMaxDepth = 64;
constexpr size_t kMaxTemplateNesting = 16;
// Tokens one record may cost; real records need a few hundred.
constexpr uint32_t kTokenBudget = 1u << 20;

constexpr size_t kTemplateHeaderSize = 24;  // next offset, GUID, data size

bool IsValueToken(uint8_t token) {
    switch (token & 0x0F) {
        case kValueText:
        case kCDataSection:
        case kCharReference:
        case kEntityReference:
        case kNormalSubstitution:
        case kOptionalSubstitution:
            return true;
        default:
            return false;
    }
}

// UTF-16LE of the five predefined XML entities.
constexpr uint8_t kAmp[] = {'&', 0};
constexpr uint8_t kLt[] = {'<', 0};
constexpr uint8_t kGt[] = {'>', 0};
constexpr uint8_t kQuot[] = {'"', 0};
constexpr uint8_t kApos[] = {'\'', 0};

}  // namespace

bool BinXmlName::Is(std::string_view ascii) const {
    if (length != ascii.size())
        return false;
    for (size_t i = 0; i < ascii.size(); ++i) {
        if (chars[2 * i] != static_cast<uint8_t>(ascii[i]) || chars[2 * i + 1] != 0)
            return false;
    }
    return true;
}

struct BinXmlWalker::Context {
    std::span<const BinXmlValue> values;  // of the template being expanded
    bool inTemplate = false;
    int depth = 0;
    size_t level = 0;  // template instances being expanded: the next free slot of values_
};

bool BinXmlWalker::Walk(Bytes chunk, size_t begin, size_t end, BinXmlSink& sink) {
    chunk_ = chunk;
    sink_ = &sink;
    budget_ = kTokenBudget;
    if (values_.size() < kMaxTemplateNesting)
        values_.resize(kMaxTemplateNesting);
    ByteCursor c(chunk, begin, end);
    return c.ok() && Fragment(c, Context{});
}

bool BinXmlWalker::Spend() {
    if (budget_ == 0)
        return false;
    --budget_;
    return true;
}

bool BinXmlWalker::Fragment(ByteCursor& c, const Context& context) {
    while (!c.AtEnd()) {
        if (!Spend())
            return false;
        switch (c.Peek() & 0x0F) {
            case kEndOfStream:
                c.Skip(1);
                return true;
            case kFragmentHeader:
                c.Skip(4);
                break;
            case kOpenStartElement:
                if (!Element(c, context))
                    return false;
                break;
            case kTemplateInstance:
                if (!TemplateInstance(c, context))
                    return false;
                break;
            case kPITarget: {
                c.Skip(1);
                BinXmlName ignored;
                if (!Name(c, ignored))
                    return false;
                break;
            }
            case kPIData:
                c.Skip(1);
                c.Skip(2 * size_t{c.U16()});
                break;
            default:
                return false;
        }
        if (!c.ok())
            return false;
    }
    return c.ok();
}

bool BinXmlWalker::Name(ByteCursor& c, BinXmlName& name) {
    const uint32_t offset = c.U32();
    if (!c.ok())
        return false;
    if (offset == c.position()) {  // the string is defined here
        c.Skip(6);
        c.Skip(2 * size_t{c.U16()} + 2);
    }
    if (offset > chunk_.size() || chunk_.size() - offset < 8)
        return false;
    const uint16_t length = Le16(chunk_.data() + offset + 6);
    if (chunk_.size() - offset - 8 < 2 * size_t{length})
        return false;
    name = BinXmlName{chunk_.data() + offset + 8, length};
    return c.ok();
}

bool BinXmlWalker::Element(ByteCursor& c, const Context& context) {
    if (context.depth >= kMaxDepth || !Spend())
        return false;
    const uint8_t token = c.U8();
    if (context.inTemplate)
        c.Skip(2);  // dependency identifier
    c.Skip(4);      // data size: the element's end is found by its tokens
    BinXmlName name;
    if (!Name(c, name))
        return false;
    if (token & kHasAttributes)
        c.Skip(4);  // attribute list size
    if (!c.ok())
        return false;
    sink_->StartElement(name);

    Context inner = context;
    ++inner.depth;
    while (!c.AtEnd() && (c.Peek() & 0x0F) == kAttribute) {
        if (!Spend())
            return false;
        c.Skip(1);
        BinXmlName attribute;
        if (!Name(c, attribute))
            return false;
        sink_->Attribute(attribute);
        while (!c.AtEnd() && IsValueToken(c.Peek())) {
            if (!Content(c, inner))
                return false;
        }
    }
    const uint8_t close = c.U8() & 0x0F;
    if (!c.ok())
        return false;
    sink_->StartContent();
    if (close == kCloseEmptyElement) {
        sink_->EndElement();
        return true;
    }
    if (close != kCloseStartElement)
        return false;
    for (;;) {
        if (c.AtEnd() || !Spend())
            return false;
        const uint8_t next = c.Peek() & 0x0F;
        bool ok = true;
        if (next == kEndElement) {
            c.Skip(1);
            sink_->EndElement();
            return true;
        } else if (next == kOpenStartElement) {
            ok = Element(c, inner);
        } else if (next == kTemplateInstance) {
            ok = TemplateInstance(c, inner);
        } else if (next == kPITarget) {
            c.Skip(1);
            BinXmlName ignored;
            ok = Name(c, ignored);
        } else if (next == kPIData) {
            c.Skip(1);
            c.Skip(2 * size_t{c.U16()});
        } else if (IsValueToken(next)) {
            ok = Content(c, inner);
        } else {
            return false;
        }
        if (!ok || !c.ok())
            return false;
    }
}

bool BinXmlWalker::Content(ByteCursor& c, const Context& context) {
    if (!Spend())
        return false;
    const uint8_t token = c.Peek() & 0x0F;
    if (token == kNormalSubstitution || token == kOptionalSubstitution) {
        return Substitution(c, context);
    }
    c.Skip(1);
    BinXmlValue value;
    switch (token) {
        case kValueText: {
            value.type = c.U8();
            if (value.type == kValueString) {
                value.bytes = c.Take(2 * size_t{c.U16()});
            } else if (value.type == kValueAnsiString) {
                value.bytes = c.Take(c.U16());
            } else {
                const size_t size = FixedValueSize(value.type);
                if (size == 0)
                    return false;
                value.bytes = c.Take(size);
            }
            break;
        }
        case kCDataSection:
            value.type = kValueString;
            value.bytes = c.Take(2 * size_t{c.U16()});
            break;
        case kCharReference:
            value.type = kValueString;
            value.bytes = c.Take(2);
            break;
        case kEntityReference: {
            BinXmlName name;
            if (!Name(c, name))
                return false;
            value.type = kValueString;
            if (name.Is("amp"))
                value.bytes = kAmp;
            if (name.Is("lt"))
                value.bytes = kLt;
            if (name.Is("gt"))
                value.bytes = kGt;
            if (name.Is("quot"))
                value.bytes = kQuot;
            if (name.Is("apos"))
                value.bytes = kApos;
            break;
        }
        default:
            return false;
    }
    if (!c.ok())
        return false;
    sink_->Value(value);
    return true;
}

bool BinXmlWalker::Substitution(ByteCursor& c, const Context& context) {
    const bool optional = (c.U8() & 0x0F) == kOptionalSubstitution;
    const uint16_t index = c.U16();
    c.Skip(1);  // the declared type; the instance's value carries the actual one
    if (!c.ok())
        return false;
    // Outside a template, or an index the instance has no value for: nothing to substitute.
    if (index >= context.values.size())
        return true;
    const BinXmlValue& value = context.values[index];
    if (value.type == kValueNull && optional) {
        sink_->MissingOptionalValue();
        return true;
    }
    if (value.type == kValueBinXml) {
        if (value.bytes.empty())
            return true;
        const size_t begin = static_cast<size_t>(value.bytes.data() - chunk_.data());
        ByteCursor nested(chunk_, begin, begin + value.bytes.size());
        Context inner = context;
        inner.values = {};
        inner.inTemplate = false;
        ++inner.depth;
        return inner.depth < kMaxDepth && Fragment(nested, inner);
    }
    sink_->Value(value);
    return true;
}

bool BinXmlWalker::TemplateInstance(ByteCursor& c, const Context& context) {
    if (context.level >= kMaxTemplateNesting || !Spend())
        return false;
    c.Skip(2);  // token, unknown
    c.Skip(4);  // template identifier
    const uint32_t definition = c.U32();
    if (!c.ok())
        return false;
    if (definition == c.position()) {  // defined here: step over it
        c.Skip(20);
        c.Skip(c.U32());
    }
    if (definition > chunk_.size() || chunk_.size() - definition < kTemplateHeaderSize) {
        return false;
    }
    const size_t definitionBegin = definition + kTemplateHeaderSize;
    const uint32_t definitionSize = Le32(chunk_.data() + definition + 20);
    if (definitionSize > chunk_.size() - definitionBegin)
        return false;

    const uint32_t count = c.U32();
    if (!c.ok() || count > c.remaining() / 4)
        return false;
    const size_t descriptors = c.position();
    c.Skip(4 * size_t{count});
    std::vector<BinXmlValue>& values = values_[context.level];
    values.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* d = chunk_.data() + descriptors + 4 * size_t{i};
        values[i].type = d[2];
        values[i].bytes = c.Take(Le16(d));
        values[i].index = static_cast<int32_t>(i);
    }
    if (!c.ok())
        return false;

    Context inner;
    inner.values = values;
    inner.inTemplate = true;
    inner.depth = context.depth + 1;
    inner.level = context.level + 1;
    ByteCursor body(chunk_, definitionBegin, definitionBegin + definitionSize);
    return inner.depth < kMaxDepth && Fragment(body, inner);
}

}  // namespace veltrano::eventlog
