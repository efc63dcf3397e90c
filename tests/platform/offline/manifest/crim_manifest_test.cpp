// The manifest reader on real manifests (a Windows services.exe's CRIM block and another
// project's small PE, from the shared samples), on our writer's output read back and laid out as
// the real one is, and on damaged blocks.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include "platform/offline/manifest/crim_manifest.h"
#include "platform/offline/messages/pe_resources.h"
#include "support/samples.h"
#include "writers/manifest/crim_writer.h"
#include "writers/manifest/resource_dll_writer.h"

namespace veltrano::manifest {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadSample(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

ByteView View(const std::vector<uint8_t>& bytes) {
    return ByteView(bytes.data(), bytes.size());
}

fs::path Wevt(const char* name) {
    return testing::SamplesDir() / "wevt" / name;
}

// The message identifier every Service Control Manager record of the shared System logs implies
// (its qualifiers above its event identifier), by event identifier, as libevtx decoded them.
std::map<uint16_t, std::set<uint32_t>> ScmIdsOfTheSharedLogs() {
    const std::string source = "\"source\": \"Service Control Manager\", \"event_id\": ";
    const std::string qualifiers = ", \"qualifiers\": ";
    std::map<uint16_t, std::set<uint32_t>> ids;
    for (const auto& entry : fs::directory_iterator(testing::SamplesDir() / "reference")) {
        std::string name = entry.path().filename().string();
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name.find("system.evtx.") == std::string::npos)
            continue;
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            const size_t at = line.find(source);
            if (at == std::string::npos)
                continue;
            size_t end = 0;
            const auto id =
                static_cast<uint16_t>(std::stoul(line.substr(at + source.size()), &end));
            const size_t q = at + source.size() + end;
            if (line.compare(q, qualifiers.size(), qualifiers) != 0)
                continue;
            const uint32_t value =
                static_cast<uint32_t>(std::stoul(line.substr(q + qualifiers.size())));
            ids[id].insert(value << 16 | id);
        }
    }
    return ids;
}

TEST(CrimManifest, ReadsEveryProviderEventAndTemplateOfARealServicesManifest) {
    const auto bytes = ReadSample(Wevt("pyevtx-rs__services_wevt_template.bin"));
    if (bytes.empty())
        GTEST_SKIP() << "no shared samples";
    const auto manifest = ParseCrim(View(bytes));
    ASSERT_TRUE(manifest);
    // Counts and GUIDs as the block's own headers give them (read by hand with a hex viewer).
    struct Expected {
        const char16_t* guid;
        size_t events, templates;
    };
    const Expected kProviders[] = {{u"{0063715b-eeda-4007-9429-ad526f62696e}", 15, 7},
                                   {u"{06184c97-5201-480e-92af-3a3626c5b140}", 2, 1},
                                   {u"{555908d1-a6d7-4695-8e1e-26931d2012f4}", 43, 43}};
    ASSERT_EQ(manifest->providers.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const ManifestProvider& p = manifest->providers[i];
        EXPECT_EQ(GuidText(p.guid), kProviders[i].guid);
        EXPECT_EQ(p.events.size(), kProviders[i].events);
        EXPECT_EQ(p.templates.size(), kProviders[i].templates);
        for (const EventDefinition& e : p.events) {
            if (e.templateIndex) {
                EXPECT_LT(*e.templateIndex, p.templates.size());
            }
        }
        for (const EventTemplate& t : p.templates) {
            for (const TemplateItem& item : t.items)
                EXPECT_FALSE(item.name.empty());
        }
    }

    const ManifestProvider* scm = manifest->Find(u"{555908D1-A6D7-4695-8E1E-26931D2012F4}");
    ASSERT_NE(scm, nullptr);
    const EventDefinition* e7023 = scm->Find(7023, 0);
    ASSERT_NE(e7023, nullptr);
    ASSERT_TRUE(e7023->templateIndex);
    std::vector<Text> names;
    for (const TemplateItem& item : scm->templates[*e7023->templateIndex].items)
        names.push_back(item.name);
    EXPECT_EQ(names, (std::vector<Text>{u"param1", u"param2", u"__binLength", u"BinaryData"}));

    // Where the shared logs hold the event, its records' qualifiers give its message; 7001 and
    // 7034 are not among them, and take the qualifiers every SCM error record there carries.
    const auto implied = ScmIdsOfTheSharedLogs();
    std::set<uint32_t> errorQualifiers;
    for (const uint16_t id : {7000, 7009, 7023, 7031}) {
        SCOPED_TRACE(id);
        const EventDefinition* e = scm->Find(id, 0);
        ASSERT_NE(e, nullptr);
        ASSERT_EQ(implied.count(id), 1u) << "no record of the event in the shared logs";
        EXPECT_EQ(implied.at(id), std::set<uint32_t>{e->messageId});
        for (const uint32_t m : implied.at(id))
            errorQualifiers.insert(m >> 16);
    }
    ASSERT_EQ(errorQualifiers.size(), 1u);
    for (const uint16_t id : {7001, 7034}) {
        const EventDefinition* e = scm->Find(id, 0);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->messageId, *errorQualifiers.begin() << 16 | id) << id;
    }
}

TEST(CrimManifest, TheSmallPeOfAnotherProjectHoldsATruncatedBlock) {
    const auto image = ReadSample(Wevt("pyevtx-rs__wevt_template_minimal_pe.bin"));
    if (image.empty())
        GTEST_SKIP() << "no shared samples";
    const auto resources = FindPeResources(View(image), u"wevt_template", 1);
    ASSERT_EQ(resources.size(), 1u);
    EXPECT_EQ(resources[0].language, 0x0409);
    // Sixteen bytes whose header claims a block of 19,324: a reader must refuse it whole.
    ASSERT_EQ(resources[0].data.size(), 16u);
    EXPECT_TRUE(resources[0].data.Matches(0, "CRIM"));
    EXPECT_FALSE(ParseCrim(resources[0].data));
}

std::vector<ManifestProvider> TwoProviders() {
    ManifestProvider a;
    a.guid = manifestwriter::GuidBytes(u"{331c3b3a-2005-44c2-ac5e-77220c37d6b4}");
    a.messageId = 0x90000001;
    a.templates.push_back({0,
                           manifestwriter::GuidBytes(u"11111111-2222-4333-8444-555555555555"),
                           {{u"BugcheckCode", 8, 8}, {u"PowerButtonTimestamp", 10, 21}}});
    a.templates.push_back({0, {}, {{u"x", 1, 1}}});
    a.events.push_back({41, 2, 16, 1, 0, 63, 0x8000000000000002ull, 0xC0000029, 0});
    a.events.push_back({41, 3, 16, 1, 0, 63, 0x8000000000000002ull, 0xC000002A, 1});
    a.events.push_back({42, 0, 16, 4, 0, 64, 0, 0x4000002B, std::nullopt});
    ManifestProvider b;
    b.guid = manifestwriter::GuidBytes(u"{945a8954-c147-4acd-923f-40c45405a658}");
    b.events.push_back({20, 1, 17, 2, 0, 1, 0, 0x30010014, std::nullopt});
    return {a, b};
}

TEST(CrimManifest, ReadsBackWhatOurWriterWrites) {
    const auto written = TwoProviders();
    const auto manifest = ParseCrim(View(manifestwriter::WriteCrim(written)));
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->majorVersion, 3);
    EXPECT_EQ(manifest->minorVersion, 1);
    ASSERT_EQ(manifest->providers.size(), written.size());
    for (size_t i = 0; i < written.size(); ++i) {
        const ManifestProvider& got = manifest->providers[i];
        const ManifestProvider& want = written[i];
        EXPECT_EQ(got.guid, want.guid);
        EXPECT_EQ(got.messageId, want.messageId);
        ASSERT_EQ(got.events.size(), want.events.size());
        for (size_t j = 0; j < want.events.size(); ++j) {
            const EventDefinition& g = got.events[j];
            const EventDefinition& w = want.events[j];
            EXPECT_EQ(std::tie(g.id, g.version, g.channel, g.level, g.opcode, g.task, g.keywords,
                               g.messageId, g.templateIndex),
                      std::tie(w.id, w.version, w.channel, w.level, w.opcode, w.task, w.keywords,
                               w.messageId, w.templateIndex));
        }
        ASSERT_EQ(got.templates.size(), want.templates.size());
        for (size_t j = 0; j < want.templates.size(); ++j) {
            EXPECT_EQ(got.templates[j].guid, want.templates[j].guid);
            ASSERT_EQ(got.templates[j].items.size(), want.templates[j].items.size());
            for (size_t k = 0; k < want.templates[j].items.size(); ++k) {
                const TemplateItem& g = got.templates[j].items[k];
                const TemplateItem& w = want.templates[j].items[k];
                EXPECT_EQ(std::tie(g.name, g.inType, g.outType),
                          std::tie(w.name, w.inType, w.outType));
            }
        }
    }
    EXPECT_EQ(manifest->providers[0].Find(41, 3)->messageId, 0xC000002Au);
    EXPECT_EQ(manifest->providers[0].Find(41, 4), nullptr);
}

// The layout facts a CRIM block of the message compiler shows, walked with the sizes read off
// the real services.exe block (literal numbers, not the reader's constants): providers' WEVT
// headers right after the 20-byte descriptors; element descriptors of 8 bytes from WEVT + 16,
// each (kind, offset), the first element right after them; EVNT 16 + 48 per definition; TTBL
// 12, its TEMP blocks back to back, each 40 bytes of header then its fragment, its 20-byte
// items and their names, whose sizes count themselves and keep 4-byte alignment. Offsets count
// from CRIM and every one is 4-aligned.
void ExpectMessageCompilerLayout(ByteView b) {
    ASSERT_TRUE(b.Matches(0, "CRIM"));
    EXPECT_LE(b.U32(4), b.size());  // a resource may be padded after the block
    EXPECT_GE(b.U32(4), b.size() - 3);
    const uint32_t providers = b.U32(12);
    for (uint32_t p = 0; p < providers; ++p) {
        const uint32_t wevt = b.U32(16 + 20 * p + 16);
        if (p == 0) {
            EXPECT_EQ(wevt, 16 + 20 * providers);
        }
        ASSERT_TRUE(b.Matches(wevt, "WEVT"));
        const uint32_t elements = b.U32(wevt + 12);
        for (uint32_t e = 0; e < elements; ++e) {
            const uint32_t at = b.U32(wevt + 16 + 8 * e + 4);
            EXPECT_EQ(at % 4, 0u);
            if (e == 0) {
                EXPECT_EQ(at, wevt + 16 + 8 * elements);
            }
            if (b.Matches(at, "EVNT")) {
                EXPECT_GE(b.U32(at + 4), 16 + 48 * b.U32(at + 8));
            } else if (b.Matches(at, "TTBL")) {
                uint32_t temp = at + 12;
                for (uint32_t t = 0; t < b.U32(at + 8); ++t) {
                    ASSERT_TRUE(b.Matches(temp, "TEMP"));
                    const uint32_t count = b.U32(temp + 8);
                    const uint32_t items = b.U32(temp + 16);
                    if (count > 0) {
                        EXPECT_GT(items, temp + 40);
                        EXPECT_EQ(items % 4, 0u);
                        // Names follow the items in order.
                        uint32_t name = items + 20 * count;
                        for (uint32_t i = 0; i < count; ++i) {
                            EXPECT_EQ(b.U32(items + 20 * i + 16), name);
                            EXPECT_EQ(b.U32(name) % 4, 0u);
                            name += b.U32(name);
                        }
                        EXPECT_EQ(name, temp + b.U32(temp + 4));
                    }
                    temp += b.U32(temp + 4);
                }
                EXPECT_EQ(temp, at + b.U32(at + 4));
            }
        }
    }
}

TEST(CrimManifest, OurWriterLaysOutBlocksAsTheRealOneIs) {
    const auto real = ReadSample(Wevt("pyevtx-rs__services_wevt_template.bin"));
    if (real.empty())
        GTEST_SKIP() << "no shared samples";
    {
        SCOPED_TRACE("services.exe");
        ExpectMessageCompilerLayout(View(real));
    }
    SCOPED_TRACE("ours");
    ExpectMessageCompilerLayout(View(manifestwriter::WriteCrim(TwoProviders())));
}

TEST(CrimManifest, DamagedBlocksAreRefusedWithoutReadingOutside) {
    const std::vector<uint8_t> good = manifestwriter::WriteCrim(TwoProviders());
    ASSERT_TRUE(ParseCrim(View(good)));
    // Every prefix: the block's size is beyond it.
    for (size_t n = 0; n < good.size(); ++n) {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(n));
        EXPECT_FALSE(ParseCrim(View(cut))) << n;
    }
    const auto damaged = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> bad = good;
        for (int i = 0; i < 4; ++i)
            bad[at + i] = static_cast<uint8_t>(value >> (8 * i));
        return ParseCrim(View(bad));
    };
    const uint32_t wevt = View(good).U32(16 + 16);
    const uint32_t ttbl = View(good).U32(wevt + 16 + 4);
    const uint32_t evnt = View(good).U32(wevt + 16 + 8 + 4);
    const uint32_t temp = ttbl + 12;
    EXPECT_FALSE(damaged(12, 0x0CCCCCCD)) << "provider count whose table size overflows";
    EXPECT_FALSE(damaged(16 + 16, 0xFFFFFFF0)) << "provider offset outside the block";
    EXPECT_FALSE(damaged(wevt + 12, 0x20000000)) << "element count beyond the block";
    EXPECT_FALSE(damaged(evnt + 8, 0x05555556)) << "event count whose size overflows 32 bits";
    EXPECT_FALSE(damaged(ttbl + 8, 0xFFFFFFFF)) << "template count beyond the table";
    EXPECT_FALSE(damaged(temp + 4, 0)) << "a template of size 0 (would never advance)";
    EXPECT_FALSE(damaged(temp + 16, temp)) << "template items pointing at the template itself";
    EXPECT_FALSE(damaged(temp + 8, 0x7FFFFFFF)) << "item count beyond the template";
    EXPECT_FALSE(damaged(evnt + 16 + 20, evnt)) << "an event naming a template that is none";
    const uint32_t item = View(good).U32(temp + 16);
    EXPECT_FALSE(damaged(item + 16, 0xFFFFFFFE)) << "item name outside the block";
}

}  // namespace
}  // namespace veltrano::manifest
