// FormatMessageW's insert and escape rules over UTF-16 text.
#include "platform/offline/messages/format_message.h"

#include <algorithm>

namespace veltrano {
namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

struct InsertFormat {
    bool leftJustify = false;
    size_t width = 0;
    std::optional<size_t> precision;
    TextView conversion;  // "s", "ls", "d", "I64x" ...
};

class Formatter {
  public:
    Formatter(TextView message, const std::vector<Text>* arguments)
        : message_(message), arguments_(arguments) {}

    std::optional<Text> Run() {
        while (pos_ < message_.size() && !ended_ && out_.size() < kMaxFormattedMessage) {
            const char16_t c = message_[pos_++];
            if (c == u'%') {
                if (!Escape())
                    return std::nullopt;
            } else if (c == u'\r' || c == u'\n') {
                if (c == u'\r' && pos_ < message_.size() && message_[pos_] == u'\n')
                    ++pos_;
                out_ += u"\r\n";
            } else {
                out_ += c;
            }
        }
        if (out_.size() > kMaxFormattedMessage)
            out_.resize(kMaxFormattedMessage);
        if (out_.empty())
            return std::nullopt;
        return std::move(out_);
    }

  private:
    // After a "%": false when the message ends with it.
    bool Escape() {
        if (pos_ >= message_.size())
            return false;
        const size_t marker = pos_ - 1;
        const char16_t c = message_[pos_++];
        if (c >= u'1' && c <= u'9' && arguments_) {
            size_t number = c - u'0';
            if (pos_ < message_.size() && IsDigit(message_[pos_])) {
                number = number * 10 + (message_[pos_++] - u'0');
            }
            Insert(number, marker);
            return true;
        }
        switch (c) {
            case u'n':
                out_ += u"\r\n";
                break;
            case u'r':
                out_ += u'\r';
                break;
            case u't':
                out_ += u'\t';
                break;
            case u'0':
                ended_ = true;
                break;
            default:
                if (!arguments_)
                    out_ += u'%';
                out_ += c;
        }
        return true;
    }

    // The argument of an insert number; nullptr when the array has none. Tracks the highest
    // number used, from which "*" widths count on.
    const Text* Argument(size_t number) {
        highest_ = std::max(highest_, number);
        return number >= 1 && number <= arguments_->size() ? &(*arguments_)[number - 1] : nullptr;
    }

    size_t NumberArgument(size_t& number) {
        const Text* argument = Argument(number);
        number = highest_ + 1;
        return argument ? std::min<size_t>(ParseUnsignedDecimal(*argument), kMaxFormattedMessage)
                        : 0;
    }

    InsertFormat ReadFormat(size_t& number) {
        InsertFormat format;
        ++pos_;  // the opening "!"
        while (pos_ < message_.size() &&
               TextView(u"0+- *#").find(message_[pos_]) != TextView::npos) {
            const char16_t flag = message_[pos_++];
            if (flag == u'-')
                format.leftJustify = true;
            if (flag == u'*')
                format.width = NumberArgument(number);
        }
        format.width = std::max(format.width, ReadCount());
        if (pos_ < message_.size() && message_[pos_] == u'.') {
            ++pos_;
            if (pos_ < message_.size() && message_[pos_] == u'*') {
                ++pos_;
                format.precision = NumberArgument(number);
            } else {
                format.precision = ReadCount();
            }
        }
        // The conversion runs to the closing "!", or to the end of a message that lacks it.
        const size_t end = std::min(message_.find(u'!', pos_), message_.size());
        format.conversion = message_.substr(pos_, end - pos_);
        pos_ = std::min(end + 1, message_.size());
        return format;
    }

    size_t ReadCount() {
        size_t count = 0;
        while (pos_ < message_.size() && IsDigit(message_[pos_])) {
            count = std::min<size_t>(count * 10 + (message_[pos_++] - u'0'), kMaxFormattedMessage);
        }
        return count;
    }

    void Insert(size_t number, size_t marker) {
        const bool formatted = pos_ < message_.size() && message_[pos_] == u'!';
        InsertFormat format;
        if (formatted)
            format = ReadFormat(number);
        const Text* argument = Argument(number);
        if (!argument) {
            out_ += message_.substr(marker, pos_ - marker);
            return;
        }
        TextView text = *argument;
        const TextView conversion = format.conversion;
        if (conversion.find_first_of(u"cC") != TextView::npos) {
            text = text.substr(0, 1);
        } else if (conversion.find_first_of(u"sS") != TextView::npos && format.precision) {
            text = text.substr(0, *format.precision);
        }
        const size_t padding = format.width > text.size() ? format.width - text.size() : 0;
        if (!format.leftJustify)
            out_.append(padding, u' ');
        out_ += text;
        if (format.leftJustify)
            out_.append(padding, u' ');
    }

    TextView message_;
    const std::vector<Text>* arguments_;
    size_t pos_ = 0;
    size_t highest_ = 0;
    bool ended_ = false;
    Text out_;
};

}  // namespace

std::optional<Text> FormatMessageText(TextView message, const std::vector<Text>* arguments) {
    return Formatter(message, arguments).Run();
}

}  // namespace veltrano
