#include "base/pem.hpp"

#include <gtest/gtest.h>

#include <string>

namespace velkor {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(Pem, ReadsEveryBlockOfTheLabelInOrder) {
  const std::string text =
      "a comment before\n"
      "-----BEGIN PUBLIC KEY-----\n"
      "Zm9v\n"
      "YmFy\n"
      "-----END PUBLIC KEY-----\r\n"
      "-----BEGIN CERTIFICATE-----\r\n"
      "eHl6\r\n"
      "-----END CERTIFICATE-----\r\n"
      "-----BEGIN PUBLIC KEY-----\r\n"
      "Zg==\r\n"
      "-----END PUBLIC KEY-----";
  const auto blocks = ReadPemBlocks(text, "PUBLIC KEY");
  ASSERT_TRUE(blocks.has_value());
  ASSERT_EQ(blocks->size(), 2u);
  EXPECT_EQ((*blocks)[0], Bytes("foobar"));
  EXPECT_EQ((*blocks)[1], Bytes("f"));
  EXPECT_EQ(ReadPemBlocks(text, "CERTIFICATE")->size(), 1u);
  EXPECT_TRUE(ReadPemBlocks("no blocks at all\n", "PUBLIC KEY")->empty());
}

TEST(Pem, RefusesDamagedBlocks) {
  const char* const damaged[] = {
      "-----BEGIN PUBLIC KEY-----\nZm9v\n",                                      // no end
      "-----BEGIN PUBLIC KEY-----\nZm9v\n-----END PRIVATE KEY-----\n",           // another end
      "-----BEGIN PUBLIC KEY-----\nProc-Type: 4,ENCRYPTED\n\nZm9v\n-----END PUBLIC KEY-----\n",
      "-----BEGIN PUBLIC KEY-----\nZm9v!\n-----END PUBLIC KEY-----\n",
      // A damaged block of another label spoils the text as well.
      "-----BEGIN OTHER-----\nZ\n-----END OTHER-----\n",
  };
  for (const char* text : damaged) EXPECT_FALSE(ReadPemBlocks(text, "PUBLIC KEY").has_value()) << text;
  const std::string huge = "-----BEGIN PUBLIC KEY-----\n" + std::string(100000, 'A') + "\n-----END PUBLIC KEY-----\n";
  EXPECT_FALSE(ReadPemBlocks(huge, "PUBLIC KEY").has_value());
}

}  // namespace
}  // namespace velkor
