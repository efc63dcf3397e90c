// An environment for tests: variables from a table, expanded like ExpandEnvironmentStringsW
// (an undefined %NAME% stays as it is, names compared without regard to case).
#pragma once

#include <initializer_list>
#include <map>
#include <utility>

#include "base/text.h"
#include "platform/environment.h"

namespace veltrano::testing {

class FakeEnvironment : public Environment {
  public:
    FakeEnvironment() = default;
    FakeEnvironment(std::initializer_list<std::pair<const Text, Text>> variables)
        : variables_(variables) {}
    void Set(const Text& name, const Text& value) { variables_[name] = value; }

    Text Expand(TextView text) override {
        Text out;
        size_t pos = 0;
        while (pos < text.size()) {
            const size_t open = text.find(u'%', pos);
            const size_t close = open == TextView::npos ? open : text.find(u'%', open + 1);
            if (close == TextView::npos) {
                out.append(text.substr(pos));
                break;
            }
            out.append(text.substr(pos, open - pos));
            const Text* value = Find(text.substr(open + 1, close - open - 1));
            if (value != nullptr) {
                out += *value;
                pos = close + 1;
            } else {
                out.append(text.substr(open, close - open));
                pos = close;
            }
        }
        return out;
    }

  private:
    static char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? c - 32 : c; }
    const Text* Find(TextView name) const {
        for (const auto& [key, value] : variables_) {
            if (key.size() != name.size())
                continue;
            bool same = true;
            for (size_t i = 0; i < key.size() && same; ++i)
                same = Upper(key[i]) == Upper(name[i]);
            if (same)
                return &value;
        }
        return nullptr;
    }

    std::map<Text, Text> variables_;
};

}  // namespace veltrano::testing
