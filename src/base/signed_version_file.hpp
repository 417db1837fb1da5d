#pragma once
// The self-update's version file carries its own signature. The file is what
// the program reads from its data folder after update.dll wrote it there, so
// the signature must travel inside it (a transfer library knows nothing of
// response headers); it is made and checked as every signed answer of the
// service is (signed_content.hpp, purpose kVersionFile, one part: the signed
// lines), and written as the last two lines of the file:
//
//   [RESOURCESTRING]\r\n
//   VERSION=2.1.0.7\r\n
//   DOWNLOADURL=https://updates.example.com/v1/app/setup\r\n
//   SHA256=<64 lower-case hex digits of the setup program>\r\n
//   KEYID=<16 lower-case hex digits>\r\n          <- not signed
//   SIGNATURE=<base64 of the signature>\r\n       <- not signed
//
// Everything before the KEYID line is signed, byte for byte; a reader takes
// its values from those bytes only.

#include <optional>
#include <string>
#include <string_view>

#include "base/signed_content.hpp"

namespace velkor {

inline constexpr char kVersionFileKeyIdName[] = "KEYID";
inline constexpr char kVersionFileSignatureName[] = "SIGNATURE";

// The signed lines followed by the two signature lines.
std::string AppendVersionFileSignature(std::string_view signedLines, std::string_view keyId,
                                       std::string_view signatureBase64);

struct SignedVersionFile {
  std::string_view signedLines;  // a view into the file's bytes
  AnswerSignature signature;
};

// Splits a version file into its signed lines and its signature. Nothing
// unless the file ends in exactly the two lines above (names in upper case,
// each line ended by CR LF, the values in the forms ReadAnswerSignature takes)
// after at least one signed line.
std::optional<SignedVersionFile> SplitSignedVersionFile(std::string_view file);

}  // namespace velkor
