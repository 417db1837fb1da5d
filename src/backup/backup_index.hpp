#pragma once
// The backup index "index.dat": what a backup folder (and the archive made of
// it) holds, one record per device, read back by the restore. The layout is
// fixed by the files already written:
//
//   header   32-bit 11, once, at the start of the file
//   record   11 texts: Name, InfPath, DriverVersion, ClassDescription, Spare,
//            Provider, HardwareId, DriverKey, DriverDate, Service, Signer
//            32-bit Tag
//            text: the device's folder relative to the backup folder, with a
//            final backslash
//            32-bit sequence number: 1 for the first record, then counting up
//
// All integers are little-endian; a text is a 16-bit length in UTF-16 code
// units and that many UTF-16LE units, with no terminator (empty: length 0).
// The last record's sequence number is thus always the file's last four
// bytes: an appending writer numbers its record from there.
//
// Texts hold at most kMaxIndexTextUnits units, the capacity of the buffers
// the program reads them into. Both sides apply IndexText to every text: the
// writer stores a longer text cut to that many units, the reader keeps that
// many of a longer stored one and skips the rest, so a file is read in step
// whoever wrote it, and what this program writes reads back unchanged. A cut
// never splits a surrogate pair. The system's own limits keep real values far
// below it (device IDs 200 characters, paths 260).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_source.hpp"
#include "inventory/device_record.hpp"

namespace velkor {

inline constexpr std::uint32_t kIndexHeader = 11;
inline constexpr std::size_t kIndexTextCount = 11;
inline constexpr std::size_t kMaxIndexTextUnits = 259;
inline constexpr wchar_t kIndexFileName[] = L"index.dat";

// The eleven texts of a record, in file order.
inline constexpr std::wstring DeviceRecord::*kIndexTexts[kIndexTextCount] = {
    &DeviceRecord::Name,       &DeviceRecord::InfPath,    &DeviceRecord::DriverVersion, &DeviceRecord::ClassDescription,
    &DeviceRecord::Spare,      &DeviceRecord::Provider,   &DeviceRecord::HardwareId,    &DeviceRecord::DriverKey,
    &DeviceRecord::DriverDate, &DeviceRecord::Service,    &DeviceRecord::Signer};

// A text as the index holds it: at most kMaxIndexTextUnits UTF-16 units.
std::wstring IndexText(std::wstring_view text);
// The text cut to at most maxUnits UTF-16 units, never between the two
// halves of a pair (and, as everything stored as UTF-16, with an unpaired
// surrogate turned into U+FFFD).
std::wstring CutToUtf16Units(std::wstring_view text, std::size_t maxUnits);

// The name of a device's folder below the backup folder: MakeFolderName of
// the trimmed device name, without the dots and blanks at its end that the
// system would drop from a folder name (so the folder is where the index
// says), and short enough that the relative folder with its backslash fits
// an index text. Devices with the same folder name share the folder.
std::wstring BackupFolderName(std::wstring_view deviceName);

// One record as read back. device carries the eleven texts and Tag only.
struct IndexRecord {
  DeviceRecord device;
  std::wstring relativeFolder;
  std::uint32_t sequence = 0;
};

// The header, for a file that has none yet.
std::vector<std::uint8_t> EncodeIndexHeader();
// One record: the device's eleven texts and Tag, the relative folder and the
// sequence number, each text cut by IndexText.
std::vector<std::uint8_t> EncodeIndexRecord(const DeviceRecord& device, std::wstring_view relativeFolder,
                                            std::uint32_t sequence);

// The sequence number an appended record gets: one more than the file's last
// four bytes when the file holds more than a header, else 1 (a missing,
// empty or header-only file: the header's 11 is no sequence number).
std::uint32_t NextSequenceNumber(ByteSource* existing);

// What one read may take in. The restore bounds it further where it must.
struct IndexReadLimits {
  std::uint64_t maxFileBytes = std::uint64_t{32} << 20;
  std::size_t maxRecords = 65536;
};

enum class IndexReadResult {
  Ok,         // the header is right; the records were read
  Missing,    // no file (or it could not be opened or read)
  BadHeader,  // shorter than a header, or a header other than 11
  TooLarge,   // beyond IndexReadLimits::maxFileBytes (nothing is read)
};

// Reads the records in file order and hands each to visit, until the bytes
// end, a record is cut short (it is dropped: only whole records count),
// limits.maxRecords records were read, or visit returns false. Bytes at the
// end that make no whole record are ignored, as an interrupted append leaves
// them. A null source is a missing file.
IndexReadResult ReadIndexRecords(ByteSource* source, const std::function<bool(IndexRecord&&)>& visit,
                                 const IndexReadLimits& limits = {});
IndexReadResult ReadIndexRecords(std::span<const std::uint8_t> bytes,
                                 const std::function<bool(IndexRecord&&)>& visit,
                                 const IndexReadLimits& limits = {});

// Whether the index holds a record whose first text equals name, compared as
// the index stores it (cut by IndexText, letter case kept). False for a
// missing file or a wrong header.
bool IndexHoldsName(ByteSource* source, std::wstring_view name);

}  // namespace velkor
