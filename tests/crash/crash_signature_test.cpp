// The signature's hash against the FNV authors' published values and a digest computed apart
// (Python, from the documented input), and the dispatch list as data.
#include <gtest/gtest.h>

#include "crash/crash_signature.h"
#include "crash/system_module_list.h"
#include "crash/system_modules.h"

namespace veltrano::crash {
namespace {

TEST(CrashSignatureTest, Fnv1a32GivesThePublishedValues) {
    EXPECT_EQ(Fnv1a32(""), 0x811C9DC5u);
    EXPECT_EQ(Fnv1a32("a"), 0xE40C292Cu);
    EXPECT_EQ(Fnv1a32("foobar"), 0xBF9CF968u);
}

TEST(CrashSignatureTest, InputAndHashAreAsDocumented) {
    const CrashSignature s = MakeSignature(u"app.exe", u"1.2.3.4", 0x1A2B, 3);
    EXPECT_EQ(s.input, u"app.exe|1.2.3.4|0x1a2b");
    EXPECT_EQ(s.hash, u"d9134ec2");  // python3: FNV-1a 32 of b"app.exe|1.2.3.4|0x1a2b"
    EXPECT_EQ(s.frame, 3u);
    // No version, offset zero, a name beyond ASCII (hashed as UTF-8): all still 8 digits.
    EXPECT_EQ(MakeSignature(u"plugin.dll", u"", 0, 0).input, u"plugin.dll||0x0");
    EXPECT_EQ(MakeSignature(u"träger.dll", u"", 0x10, 0).hash, u"bdcd7019");
}

TEST(CrashSignatureTest, VersionsAndOffsetsAsText) {
    EXPECT_EQ(VersionText(0x000A'0000'42EE'00FEull), u"10.0.17134.254");
    EXPECT_EQ(VersionText(0), u"0.0.0.0");
    EXPECT_EQ(HexText(0), u"0");
    EXPECT_EQ(HexText(0xFFFFFFFFFFFFFFFFull), u"ffffffffffffffff");
}

TEST(CrashSignatureTest, DispatchModulesByNameOrStemInAnyCase) {
    for (const TextView name : {u"ntdll.dll", u"KERNELBASE.dll", u"Kernel32.DLL", u"ucrtbase.dll",
                                u"msvcrt.dll", u"wer.dll", u"WerFault.exe", u"faultrep.dll",
                                u"msvcr120.dll", u"vcruntime140.dll", u"msvcp140.dll"})
        EXPECT_TRUE(IsDispatchModule(name)) << Utf16ToUtf8(name);
    for (const TextView name : {u"app.exe", u"ntdll.dll.bak", u"kernel33.dll", u"", u"msvc.dll",
                                u"user32.dll", u"xwer.dll"})
        EXPECT_FALSE(IsDispatchModule(name)) << Utf16ToUtf8(name);
    // The list itself is lower-case, each entry a file name or a stem with its '*'.
    for (const std::u16string_view entry : kDispatchModules) {
        for (const char16_t c : entry)
            EXPECT_FALSE(c >= u'A' && c <= u'Z') << Utf16ToUtf8(entry);
        EXPECT_EQ(entry.find(u'*'), entry.ends_with(u'*') ? entry.size() - 1 : entry.npos);
    }
}

}  // namespace
}  // namespace veltrano::crash
