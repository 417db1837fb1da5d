#pragma once
// POST /v1/scan as a plain function: the request document in, the status and the
// answer document out. No HTTP here, so the fuzzer and the tests call it directly.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "models_choice.hpp"
#include "offer_source.hpp"

namespace velkor::service {

// Bounds on one request. The client's device table has 2048 slots; a real PC
// sends a few hundred devices with a few to a few dozen IDs each. The IDs are
// counted after each device's list is cleaned (kMaxIdsPerDevice of each).
inline constexpr std::size_t kMaxScanBodyBytes = 4 * 1024 * 1024;
inline constexpr std::size_t kMaxScanDevices = 2048;
inline constexpr std::size_t kMaxScanIds = 16384;
// The client lists each device once; a device number given again costs work
// and brings nothing.
inline constexpr std::size_t kMaxRepeatedDeviceNumbers = 16;

struct HandlerResult {
  int status = 200;
  std::string contentType;
  std::string body;
};

// How the one record per device and ID is chosen among the drivers that list
// the ID, serve the system and are newer than the installed driver.
enum class OfferRank {
  kNewest,      // the newest date, then the highest version, then imported first
  kIdentifier,  // as Windows ranks: first the driver whose earliest-listed ID of
                // the device comes first in the device's list (at the same ID, one
                // whose model line names it as its hardware ID), then as kNewest
};

struct ScanOptions {
  // The exact system, when the request tells it (system_headers.hpp): then a
  // driver serves a device when the section Windows picks on that system lists
  // the ID, whatever the devices' osid says.
  std::optional<WindowsSystem> system;
  OfferRank rank = OfferRank::kNewest;
};

HandlerResult HandleScanRequest(std::string_view body, OfferSource& offers,
                                const ScanOptions& options = {});

// The record one ID of a device gets under kNewest, judged for the osid's codes
// or for the exact system; none when no driver serves. error is set when the
// catalog could not be read.
std::optional<Offer> FindNewestOffer(OfferSource& offers, const std::string& id, int osid,
                                     const std::optional<WindowsSystem>& system,
                                     const std::string& installedDate, bool& error);

// Appends text with "<", "&" and ">" escaped, the three characters the
// client's reader decodes besides quotes.
void AppendEscapedXmlText(std::string& out, std::string_view text);

}  // namespace velkor::service
