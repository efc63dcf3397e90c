// The hive writer's files as an independent reader sees them: libregf's regfinfo and regfexport
// (Debian package libregf-utils) must list the same keys and values as our reader. Skipped where
// the tools are not installed.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "platform/offline/registry/hive.h"
#include "support/host_tools.h"
#include "support/temp_tree.h"
#include "writers/hive/event_source_keys.h"

namespace veltrano {
namespace {

using testing::HaveHostTool;
using testing::HostToolOutput;

struct ListedValue {
    std::string type;  // as libregf names it, e.g. "REG_SZ"
    size_t size = 0;
    std::string data;  // strings and numbers only
    bool operator==(const ListedValue&) const = default;
};
// Key path -> value name -> value.
using Listing = std::map<std::string, std::map<std::string, ListedValue>>;

std::string After(const std::string& line, const std::string& label) {
    return line.compare(0, label.size(), label) == 0 ? line.substr(label.size()) : std::string();
}

Listing ParseRegfexport(const std::string& output) {
    Listing listing;
    std::istringstream in(output);
    std::string line, key, value;
    while (std::getline(in, line)) {
        if (line.rfind("Key path: ", 0) == 0) {
            key = After(line, "Key path: ");
            listing[key];
        } else if (line.rfind("Value: ", 0) == 0) {
            const std::string rest = After(line, "Value: ");
            value = rest.substr(rest.find(' ') + 1);
            if (value == "(default)")
                value.clear();
        } else if (line.rfind("Type: ", 0) == 0) {
            const size_t open = line.rfind('(');
            listing[key][value].type = line.substr(open + 1, line.size() - open - 2);
        } else if (line.rfind("Data size: ", 0) == 0) {
            listing[key][value].size = std::stoul(After(line, "Data size: "));
        } else if (line.rfind("Data: ", 0) == 0) {
            listing[key][value].data = After(line, "Data: ");
        }
    }
    return listing;
}

void ListOurs(const Hive& hive, HiveKey key, const std::string& path, Listing& listing) {
    auto& values = listing[path];
    for (const auto& value : hive.Values(key)) {
        ListedValue listed;
        listed.size = value.data.size();
        switch (value.type) {
            case kRegSz:
                listed.type = "REG_SZ";
                break;
            case kRegExpandSz:
                listed.type = "REG_EXPAND_SZ";
                break;
            case kRegMultiSz:
                listed.type = "REG_MULTI_SZ";
                break;
            case kRegBinary:
                listed.type = "REG_BINARY";
                break;
            case kRegDword:
                listed.type = "REG_DWORD_LITTLE_ENDIAN";
                break;
            default:
                listed.type = "other";
        }
        if (value.type == kRegSz || value.type == kRegExpandSz) {
            listed.data = Utf16ToUtf8(*ValueText(value));
        } else if (value.type == kRegDword) {
            listed.data = std::to_string(*ValueDword(value));
        }
        values[Utf16ToUtf8(value.name)] = listed;
    }
    for (const HiveKey child : hive.Subkeys(key)) {
        ListOurs(hive, child, path + "\\" + Utf16ToUtf8(hive.Name(child)), listing);
    }
}

// Binary and multi-string data come as hex dumps from regfexport; only their sizes are compared.
void DropDumps(Listing& listing) {
    for (auto& [key, values] : listing) {
        for (auto& [name, value] : values) {
            if (value.type != "REG_SZ" && value.type != "REG_EXPAND_SZ" &&
                value.type != "REG_DWORD_LITTLE_ENDIAN") {
                value.data.clear();
            }
        }
    }
}

HiveWriter SystemHive() {
    HiveWriter system(u"SYSTEM");
    SelectControlSet(system, 1);
    AddEventSource(system, 1, u"Application", u"Application Error",
                   u"%SystemRoot%\\System32\\wer.dll")
        .SetString(u"providerGuid", u"{0ead09bd-2157-539a-8d6d-c87f95b64d70}");
    AddEventSource(system, 1, u"System", u"Service Control Manager",
                   u"%SystemRoot%\\system32\\services.exe")
        .SetMultiString(u"Sources", {u"a", u"bc"});
    auto& control = system.Root().Key(u"ControlSet001\\Control");
    control.Key(u"Ünicode Κλειδί").SetString(u"Größe", u"Wert Ω").SetString(u"", u"default");
    Text longText;
    for (int i = 0; i < 3000; ++i)
        longText += u"segment" + DecimalText(i) + u";";
    control.Key(u"Long")
        .SetString(u"Text", longText)
        .SetValue(u"Bytes", kRegBinary, {1, 2, 3, 4, 5});
    for (int i = 0; i < 7; ++i)
        control.Key(u"Set\\k" + DecimalText(i)).SetDword(u"n", i);
    return system;
}

class LibregfInterop : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveHostTool("regfexport") || !HaveHostTool("regfinfo")) {
            GTEST_SKIP() << "regfexport/regfinfo not installed (Debian package libregf-utils)";
        }
    }
    testing::TempTree tree;
};

TEST_F(LibregfInterop, InfoReadsTheFile) {
    const auto path = tree.Write("SYSTEM", SystemHive().Bytes()).string();
    const std::string info = HostToolOutput("regfinfo '" + path + "'");
    EXPECT_NE(info.find("Version:\t1.5"), std::string::npos) << info;
    EXPECT_NE(info.find("   (key:) Ünicode Κλειδί"), std::string::npos) << info;
    EXPECT_EQ(info.find("Unable"), std::string::npos) << info;
}

TEST_F(LibregfInterop, ExportListsWhatOurReaderReads) {
    for (const auto list :
         {HiveLayout::LeafList::Lh, HiveLayout::LeafList::Lf, HiveLayout::LeafList::Li}) {
        for (const size_t perLeaf : {size_t{1000}, size_t{2}}) {
            HiveLayout layout;
            layout.leafList = list;
            layout.maxLeafEntries = perLeaf;
            const auto bytes = SystemHive().Bytes(layout);
            const auto path = tree.Write("SYSTEM", bytes).string();
            const std::string out = HostToolOutput("regfexport '" + path + "'");
            EXPECT_EQ(out.find("Unable"), std::string::npos) << out;
            Listing theirs = ParseRegfexport(out);
            DropDumps(theirs);

            const auto hive = Hive::Parse(bytes);
            ASSERT_TRUE(hive);
            Listing ours;
            ListOurs(*hive, hive->Root(), "SYSTEM", ours);
            DropDumps(ours);
            EXPECT_EQ(theirs, ours) << "list " << static_cast<int>(list) << ", " << perLeaf;
            EXPECT_EQ(ours.size(), 20u);
        }
    }
}

}  // namespace
}  // namespace veltrano
