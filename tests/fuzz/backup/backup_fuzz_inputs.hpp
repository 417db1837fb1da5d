#pragma once
// The bodies of the backup subsystem's fuzz targets. Each runs one input and
// returns an empty text when every check held, else what went wrong. The
// libFuzzer entry points abort on a non-empty result; the unit tests replay the
// kept inputs through the same bodies on every platform.

#include <cstddef>
#include <cstdint>
#include <string>

namespace velkor::fuzz {

// Opens the input as an archive in a memory file system, lists it and
// extracts every entry below one folder: nothing may be written anywhere
// else, every written file must have a safe name, and an entry that fails
// must leave no file.
std::string RunZipReaderInput(const std::uint8_t* data, std::size_t size);

// The input's first line names the install section (and, after a "|", its
// decoration); the rest is an INF file, also reachable as inc.inf for Include
// lines. A first byte with bit 0 set runs as OS version code 6. The lines the
// reader returns must be bounded and free of break and zero bytes, and
// ParseInf must end with its lists within their bounds.
std::string RunInfReaderInput(const std::uint8_t* data, std::size_t size);

// The input as an index file: only texts within the limit are read, and what
// is read, written again, reads back the same records.
std::string RunBackupIndexInput(const std::uint8_t* data, std::size_t size);

}  // namespace velkor::fuzz
