#include "base/byte_text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace velkor {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(HexLower, TwoDigitsPerByte) {
  EXPECT_EQ(HexLower(Bytes("")), "");
  EXPECT_EQ(HexLower(std::vector<std::uint8_t>{0x00, 0x0f, 0xa5, 0xff}), "000fa5ff");
}

TEST(Base64, TheReferenceVectorsBothWays) {
  // RFC 4648, section 10.
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},           {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
  };
  for (const auto& [plain, encoded] : cases) {
    EXPECT_EQ(Base64Encode(Bytes(plain)), encoded);
    EXPECT_EQ(Base64Decode(encoded, 64), Bytes(plain)) << encoded;
  }
  const std::vector<std::uint8_t> all = [] {
    std::vector<std::uint8_t> v;
    for (int i = 0; i < 256; ++i) v.push_back(static_cast<std::uint8_t>(i));
    return v;
  }();
  EXPECT_EQ(Base64Decode(Base64Encode(all), all.size()), all);
}

TEST(Base64, RefusesEverythingButTheCanonicalForm) {
  const char* const refused[] = {
      "Zg",        // no padding
      "Zg=",       // short group
      "Z===",      // padding in the second place
      "Zg==Zm8=",  // padding before the end
      "Zm=v",      // a digit after padding
      "Zh==",      // unused bits set
      "Zm9=",      // unused bits set (one padding)
      "Zm9v\n",    // line end
      " Zm9v",     // blank
      "Zm9v-_==",  // the URL alphabet
      "Zm\0v",
  };
  for (const char* text : refused) EXPECT_FALSE(Base64Decode(text, 64).has_value()) << text;
  EXPECT_FALSE(Base64Decode(std::string_view("Zm\0v", 4), 64).has_value());
}

TEST(Base64, RefusesTextsLongerThanTheBound) {
  EXPECT_TRUE(Base64Decode("Zm9vYmFy", 6).has_value());
  EXPECT_FALSE(Base64Decode("Zm9vYmFy", 5).has_value());
  EXPECT_TRUE(Base64Decode("Zm9vYg==", 4).has_value());
  EXPECT_FALSE(Base64Decode("Zm9vYg==", 3).has_value());
  // A huge text is refused before anything is allocated for it.
  EXPECT_FALSE(Base64Decode(std::string(1 << 24, 'A'), 1024).has_value());
}

}  // namespace
}  // namespace velkor
