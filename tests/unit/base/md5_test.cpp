#include "base/md5.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkor {
namespace {

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(Md5, DigestsOfTheReferenceSuite) {
  struct Case {
    std::string message;
    const wchar_t* digest;
  };
  const Case cases[] = {
      {"", L"d41d8cd98f00b204e9800998ecf8427e"},
      {"a", L"0cc175b9c0f1b6a831c399e269772661"},
      {"abc", L"900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", L"f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", L"c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", L"d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       L"57edf4a22be3c955ac49da2e2107b67a"},
      {std::string(1000000, 'a'), L"7707d6ae4e027c70eea2a935c2296f21"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Md5OfBytes(Bytes(c.message)), c.digest) << "length " << c.message.size();
  }
}

// Padding lands differently around the 56- and 64-byte marks, and a caller
// feeds pieces of any size: every split must give the one-piece digest.
TEST(Md5, PiecesGiveTheSameDigestAsOneBlock) {
  std::string message;
  for (int i = 0; i < 300; ++i) message.push_back(static_cast<char>(i * 7 + 3));
  for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 300u}) {
    const std::string part = message.substr(0, length);
    const std::wstring whole = Md5OfBytes(Bytes(part));
    for (std::size_t piece : {1u, 3u, 63u, 64u, 100u}) {
      Md5 md5;
      for (std::size_t at = 0; at < part.size(); at += piece) {
        md5.Update(Bytes(part.substr(at, piece)));
      }
      EXPECT_EQ(Md5Hex(md5.Finish()), whole) << "length " << length << " in pieces of " << piece;
    }
  }
}

TEST(Md5, FinishStartsANewMessage) {
  Md5 md5;
  md5.Update(Bytes("garbage"));
  md5.Finish();
  md5.Update(Bytes("abc"));
  EXPECT_EQ(Md5Hex(md5.Finish()), L"900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
}  // namespace velkor
