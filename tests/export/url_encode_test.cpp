#include "export/url_encode.h"

#include <gtest/gtest.h>

namespace veltrano {
namespace {

TEST(UrlEncode, KeepsLettersAndDigitsOnly) {
    EXPECT_EQ(UrlEncode(u"AZaz09"), u"AZaz09");
    EXPECT_EQ(UrlEncode(u"My App (x86)"), u"My%20App%20%28x86%29");
    EXPECT_EQ(UrlEncode(u""), u"");
}

TEST(UrlEncode, PercentIsEncodedFirstAndNeverTwice) {
    EXPECT_EQ(UrlEncode(u"100%"), u"100%25");
    EXPECT_EQ(UrlEncode(u"%41"), u"%2541");
    EXPECT_EQ(UrlEncode(u"%%"), u"%25%25");
}

TEST(UrlEncode, ReservedUnsafeAndControlCharactersAreEscaped) {
    EXPECT_EQ(UrlEncode(u"$&+,./:;=?@-_!*()'"),
              u"%24%26%2B%2C%2E%2F%3A%3B%3D%3F%40%2D%5F%21%2A%28%29%27");
    EXPECT_EQ(UrlEncode(u" \"<>#{}|\\^~[]`"), u"%20%22%3C%3E%23%7B%7D%7C%5C%5E%7E%5B%5D%60");
    EXPECT_EQ(UrlEncode(u"a\r\nb\tc\x7f"), u"a%0D%0Ab%09c%7F");
}

TEST(UrlEncode, OtherCharactersBecomeTheirUtf8Bytes) {
    EXPECT_EQ(UrlEncode(u"\u00e4"), u"%C3%A4");
    EXPECT_EQ(UrlEncode(u"M\u00fcller \u20ac"), u"M%C3%BCller%20%E2%82%AC");
    EXPECT_EQ(UrlEncode(u"\U0001F600"), u"%F0%9F%98%80");
    EXPECT_EQ(UrlEncode(u"x\xD800y"), u"x%EF%BF%BDy");  // an unpaired surrogate
}

}  // namespace
}  // namespace veltrano
