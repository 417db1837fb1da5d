#pragma once
// Record layouts and time fields of the ZIP format (PKWARE's application
// note), shared by the archive reader and writer.

#include <cstdint>
#include <optional>

namespace velkor::zip {

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
inline constexpr std::uint32_t kEndRecordSignature = 0x06054b50;
inline constexpr std::uint32_t kZip64EndRecordSignature = 0x06064b50;
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;

inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kCentralHeaderSize = 46;
inline constexpr std::size_t kEndRecordSize = 22;
inline constexpr std::size_t kZip64EndRecordSize = 56;
inline constexpr std::size_t kZip64LocatorSize = 20;
inline constexpr std::size_t kMaxCommentSize = 0xFFFF;

// General-purpose flag bits.
inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagStrongEncryption = 0x0040;
inline constexpr std::uint16_t kFlagUtf8 = 0x0800;

inline constexpr std::uint16_t kMethodStored = 0;
inline constexpr std::uint16_t kMethodDeflated = 8;

// Extra fields.
inline constexpr std::uint16_t kExtraZip64 = 0x0001;
inline constexpr std::uint16_t kExtraNtfsTimes = 0x000A;
inline constexpr std::uint16_t kExtraTimestamp = 0x5455;  // "UT": Unix times in seconds
inline constexpr std::uint8_t kTimestampModification = 0x01;
inline constexpr std::uint8_t kTimestampAccess = 0x02;
inline constexpr std::uint8_t kTimestampCreation = 0x04;

// "Version made by" and "needed to extract": the host system in the high byte
// (0 = MS-DOS and compatible file attributes, 3 = Unix), the format version
// times ten in the low byte.
inline constexpr std::uint16_t kVersionStored = 10;
inline constexpr std::uint16_t kVersionDeflated = 20;
inline constexpr std::uint16_t kVersionZip64 = 45;
inline constexpr std::uint8_t kHostUnix = 3;

inline constexpr std::uint32_t kSaturated32 = 0xFFFFFFFFu;
inline constexpr std::uint16_t kSaturated16 = 0xFFFFu;

// The DOS date (high 16 bits) and time (low 16 bits) of a file time given in
// local ticks. Times before 1980 give 1980-01-01 00:00, times after 2107 the
// last representable second; seconds are rounded down to even.
std::uint32_t DosDateTimeFromTicks(std::uint64_t localTicks);
// Local ticks of a DOS date and time; none when its fields are out of range.
std::optional<std::uint64_t> TicksFromDosDateTime(std::uint32_t dosDateTime);

// Unix seconds (as the "UT" field keeps them, signed 32-bit) and file ticks.
std::optional<std::int32_t> UnixSecondsFromTicks(std::uint64_t ticks);
std::uint64_t TicksFromUnixSeconds(std::int32_t seconds);

}  // namespace velkor::zip
