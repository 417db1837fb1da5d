#pragma once
// The rules that decide what a scan is offered, apart from the catalog lookup:
// reading the request's dates and ID lists, ordering versions, and the forms in
// which the answer gives dates and INF paths to the client.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor::service {

// At most this many IDs of one device are looked up; the client never sends more
// than a device's hardware ID, its cut forms and its compatible IDs.
inline constexpr std::size_t kMaxIdsPerDevice = 256;

// "YYYY-MM-DD" from its three parts (each decimal digits only), or empty when they
// do not make a calendar date between the years 1980 and 9999.
std::wstring NormaliseDate(std::wstring_view year, std::wstring_view month, std::wstring_view day);

// The request's installed-driver date, in the year-month-day form the client
// sends. An empty text means the device has no date; so does a text that is not
// a readable date (the client sends what its date conversion made of the
// system's text, which may be in another order or have no "-" at all): either
// way every package that serves the device is newer.
std::wstring ReadRequestDate(std::wstring_view text);

// A key under which versions sort as numbers: each dotted part (up to four,
// missing ones 0) as ten digits. Non-digit text in a part ends that part.
std::string VersionSortKey(std::wstring_view version);

// The device's IDs to look up (UTF-8): the "|"-separated list trimmed of
// blanks, lower-cased (ASCII letters only), without empty pieces and
// duplicates, in list order, at most kMaxIdsPerDevice. Bytes that are not UTF-8
// read as U+FFFD, as everywhere else.
std::vector<std::string> RequestIds(std::string_view matchingIds);

// The answer's infdate: the catalog's YYYY-MM-DD date written as Windows writes
// a driver date in the registry (M-D-YYYY), the form the client already holds
// for its installed drivers. Appended to out.
void AppendClientDriverDate(std::string& out, std::string_view isoDate);

// The answer's infpath for an INF inside a package (UTF-8): "Extract\" and the
// archive path with backslashes. The client keeps what follows "extract\", so
// the INF's own folders survive whatever they are called. Appended to out.
void AppendClientInfPath(std::string& out, std::string_view archivePath);

}  // namespace velkor::service
