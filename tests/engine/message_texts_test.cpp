#include "engine/message_texts.h"

#include <gtest/gtest.h>

#include "support/engine_machine.h"

namespace veltrano {
namespace {
using testing::BuildRecord;
using testing::EngineMachine;
using testing::kEventLogKey;

class MessageTextsTest : public ::testing::Test {
  protected:
    MessageTexts Resolve(testing::RecordFields fields, const Text& log = u"Application") {
        bytes = BuildRecord(fields);
        const uint32_t length = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24;
        return ResolveMessageTexts(m.machine, EventRecordView(bytes.data(), length), log);
    }
    EngineMachine m;
    std::vector<uint8_t> bytes;
};

TEST_F(MessageTextsTest, FormatsWithInsertionStringsAndKeepsTheTemplate) {
    m.RegisterSource(u"Application", u"Svc", u"C:\\svc.dll", {{5, u"Service %1 failed: %2%n"}});
    const auto texts = Resolve(m.Record(0, u"Svc", 5, {u"Spooler", u"timeout"}));
    EXPECT_EQ(texts.ErrorText, u"Service Spooler failed: timeout\r\n");
    EXPECT_EQ(texts.MessageTemplate, u"Service %1 failed: %2%n");
    EXPECT_EQ(texts.ErrorTextParams, u"Spooler|timeout");
}

TEST_F(MessageTextsTest, OnlyTheFirstOfSeveralMessageFilesIsUsed) {
    m.RegisterSource(u"System", u"Multi", u"%SystemRoot%\\first.dll;C:\\second.dll", {});
    m.messages.files[u"C:\\Windows\\first.dll"][1] = u"first";
    m.messages.files[u"C:\\second.dll"][1] = u"second";
    EXPECT_EQ(Resolve(m.Record(0, u"Multi", 1), u"System").ErrorText, u"first");
}

TEST_F(MessageTextsTest, ProviderGuidLeadsToThePublishersMessageFile) {
    const Text key = Text(kEventLogKey) + u"System\\Modern";
    m.registry.SetMachine(key, u"providerGuid", u"{11111111-2222-3333-4444-555555555555}");
    m.registry.SetMachine(
        u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\Publishers\\"
        u"{11111111-2222-3333-4444-555555555555}",
        u"MessageFileName", u"C:\\modern.dll");
    m.messages.files[u"C:\\modern.dll"][9] = u"Modern text";
    EXPECT_EQ(Resolve(m.Record(0, u"Modern", 9), u"System").ErrorText, u"Modern text");
}

TEST_F(MessageTextsTest, TooFewStringsGiveTheTemplateAndNoParameters) {
    m.RegisterSource(u"Application", u"T", u"C:\\t.dll", {{3, u"a %1 b %2 c %3"}});
    const auto texts = Resolve(m.Record(0, u"T", 3, {u"x", u"y"}));
    EXPECT_EQ(texts.ErrorText, u"a %1 b %2 c %3");
    EXPECT_EQ(texts.ErrorTextParams, u"");
}

TEST_F(MessageTextsTest, ParameterReferencesAreReplacedByTheirMessages) {
    m.RegisterSource(u"Application", u"P", u"C:\\p.dll",
                     {{4, u"Result: %1"}, {1234, u"The device is not ready.\r\n"}});
    const auto texts = Resolve(m.Record(0, u"P", 4, {u"%%1234"}));
    EXPECT_EQ(texts.ErrorText, u"Result: %The device is not ready.\r\n");
    // Every reference, with the text around and between them kept, a last "%" too.
    const auto two = Resolve(m.Record(0, u"P", 4, {u"a %%1234 b %%1234%%1234 100%"}));
    EXPECT_EQ(two.ErrorText, u"Result: a %The device is not ready.\r\n b %The device is not "
                             u"ready.\r\n%The device is not ready.\r\n 100%");
    // A reference to a message that does not exist drops the whole substitution.
    const auto missing = Resolve(m.Record(0, u"P", 4, {u"%%99 and %%1234"}));
    EXPECT_EQ(missing.ErrorText, u"Result: %%99 and %%1234");
}

TEST_F(MessageTextsTest, BareLineFeedsBecomeCrLf) {
    m.RegisterSource(u"Application", u"L", u"C:\\l.dll", {{1, u"\nfirst\nsecond\r\nthird"}});
    const auto texts = Resolve(m.Record(0, u"L", 1));
    EXPECT_EQ(texts.ErrorText, u"\r\nfirst\r\nsecond\r\nthird");
    EXPECT_EQ(texts.MessageTemplate, u"\r\nfirst\r\nsecond\r\nthird");
}

TEST_F(MessageTextsTest, StringRunningPastTheRecordFormatsWithInsertsIgnored) {
    m.RegisterSource(u"Application", u"S", u"C:\\s.dll", {{2, u"%1 and %2 and %3"}});
    auto fields = m.Record(0, u"S", 2, {u"kept", u"also", u"partial"});
    // The record's Length ends two characters into the third string (fixed part, "S", "PC",
    // padding, two strings of five units: 88 bytes).
    fields.lengthField = 92;
    const auto texts = Resolve(fields);
    EXPECT_EQ(texts.ErrorText, u"%1 and %2 and %3");
    EXPECT_EQ(texts.ErrorTextParams, u"kept|also");
}

TEST_F(MessageTextsTest, NoSourceNoModuleOrNoMessageGiveNothing) {
    EXPECT_FALSE(Resolve(m.Record(0, u"Unknown", 1)).ErrorText);
    m.registry.SetMachine(Text(kEventLogKey) + u"Application\\Gone", u"EventMessageFile",
                          u"C:\\gone.dll");
    const auto gone = Resolve(m.Record(0, u"Gone", 1));
    EXPECT_FALSE(gone.ErrorText);
    EXPECT_FALSE(gone.MessageTemplate);
    m.RegisterSource(u"Application", u"Quiet", u"C:\\quiet.dll", {{1, u"one"}});
    EXPECT_FALSE(Resolve(m.Record(0, u"Quiet", 2)).ErrorText);
    // Each resolution loads its module once.
    m.messages.loads = 0;
    Resolve(m.Record(0, u"Quiet", 1));
    EXPECT_EQ(m.messages.loads, 1);
}

TEST(MessageTextHelpers, InsertNumbers) {
    EXPECT_EQ(HighestInsertNumber(u"no inserts"), 0);
    EXPECT_EQ(HighestInsertNumber(u"%1 %13 %2"), 13);
    EXPECT_EQ(HighestInsertNumber(u"100% sure %"), 0);
    EXPECT_EQ(HighestInsertNumber(u"%n%3!s!"), 3);
}

TEST(NormaliseLineEnds, BareLineFeedsGetACarriageReturnAndPairsStayAsTheyAre) {
    EXPECT_EQ(NormaliseLineEnds(u"\na\r\nb\n\nc\r\r\n\n"), u"\r\na\r\nb\r\n\r\nc\r\r\n\r\n");
    EXPECT_EQ(NormaliseLineEnds(u"no line feed\r"), u"no line feed\r");
    EXPECT_EQ(NormaliseLineEnds(u""), u"");
}

}  // namespace
}  // namespace veltrano
