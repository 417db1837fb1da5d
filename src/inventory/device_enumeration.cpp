#include "inventory/device_enumeration.hpp"

#include <algorithm>
#include <utility>

#include "base/text.hpp"

namespace velkor {
namespace {

constexpr wchar_t kClassRoot[] = L"SYSTEM\\CurrentControlSet\\Control\\Class\\";
constexpr wchar_t kNonPnpClass[] = L"Non-Plug and Play Drivers";

// Closes the device set on every way out of the enumeration, exceptions included.
class DeviceSetCloser {
 public:
  explicit DeviceSetCloser(EnumerationPlatform& platform) : platform_(platform) {}
  ~DeviceSetCloser() { platform_.CloseDeviceSet(); }
  DeviceSetCloser(const DeviceSetCloser&) = delete;
  DeviceSetCloser& operator=(const DeviceSetCloser&) = delete;

 private:
  EnumerationPlatform& platform_;
};

// Integer percentage of the devices handled so far; a device that appears
// while the scan runs must not push it past 100.
int PercentOf(std::size_t processed, std::size_t total) {
  if (total == 0) return 100;
  const std::size_t percent = processed * 100 / total;
  return static_cast<int>(std::min<std::size_t>(percent, 100));
}

// The class key's INF value is a bare file name in the Windows INF folder;
// anything that could lead out of that folder is not taken as one.
bool IsPlainFileName(const std::wstring& name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  return name.find_first_of(L"\\/:") == std::wstring::npos;
}

// Working values of one device, empty at the start of each.
struct DeviceValues {
  std::wstring classDesc;
  std::wstring firstDriverDate;
  std::wstring firstDriverInf;
  std::wstring firstDriverProvider;
  bool noDriverInfo = false;
  std::wstring displayName;
  bool noName = false;
  std::wstring hardwareId;
  std::wstring service;
  std::wstring driverKey;
  std::wstring regInfPath;
  std::wstring regVersion;
  std::wstring regProvider;
  std::wstring regDate;
};

std::wstring ValueOr(std::optional<std::wstring> value) {
  return value ? std::move(*value) : std::wstring();
}

}  // namespace

ScanContext::ScanContext(EnumerationPlatform& platform, StopHandshake& stop,
                         ProgressCallback progress)
    : platform_(platform),
      stop_(stop),
      progress_(std::move(progress)),
      windowsFolder_(platform.WindowsFolder()),
      table_(kScanTableCapacity) {
  sets_.Refill();
}

std::int32_t ScanContext::Stop() {
  // Partial results already handed to the callback stay where it put them.
  const bool signalled = stop_.AcknowledgeStop();
  platform_.CloseDeviceSet();
  signers_.Clear();
  return signalled ? kResultScanStopped : kResultFailed;
}

DeviceRecord* ScanContext::NextFreeSlot() {
  return table_.Slot(static_cast<std::int64_t>(nextFree_));
}

std::wstring ScanContext::MatchingIdsFor(const std::wstring& matchingId,
                                         const std::wstring& hardwareId) {
  std::wstring joined = matchingId;
  // A device without a hardware ID has no instance key of its own to find; an
  // empty ID would only match some other instance that lacks one too.
  if (hardwareId.empty()) return joined;
  const std::wstring instanceKey = platform_.LookupEnumKey(AsciiToLower(hardwareId));
  if (instanceKey.empty()) return joined;
  for (const std::wstring& id : platform_.ReadMachineMultiString(instanceKey, L"CompatibleIDs")) {
    if (!joined.empty()) joined += L'|';
    joined += id;
  }
  return joined;
}

std::int32_t ScanContext::EnumerateDevices() {
  DeviceSetCloser closer(platform_);
  if (!platform_.OpenDeviceSet() || !platform_.DeviceExists(0)) return kResultFailed;

  std::size_t total = 0;
  while (platform_.DeviceExists(total)) ++total;

  if (stop_.ReadEngineState() == kStopScan) return Stop();

  signers_.Clear();
  const bool haveSigners = platform_.LoadSignedDriverTable(signers_);
  const std::int32_t osCode = platform_.OsVersion().code;

  std::size_t processed = 0;
  for (std::size_t i = 0; platform_.DeviceExists(i); ++i) {
    if (stop_.ReadEngineState() == kStopScan) return Stop();
    const bool last = i + 1 == total;
    const auto percent = [&]() {
      const int plain = PercentOf(processed, total);
      return last ? 100 : plain;
    };

    DeviceValues v;
    v.classDesc = platform_.ClassDescription(i);

    // Building the compatible-driver list is the slow step; Vista's own store
    // answers are not used, so it is skipped there.
    if (osCode != 6) {
      if (std::optional<FirstCompatibleDriver> driver = platform_.FirstDriver(i)) {
        if (driver->detailReportedFailure) {
          v.firstDriverDate = driver->shortDate;
          std::replace(v.firstDriverDate.begin(), v.firstDriverDate.end(), L'/', L'-');
        }
        v.firstDriverInf = driver->infFileName;
        v.firstDriverProvider = driver->provider;
      } else {
        v.noDriverInfo = true;
      }
    }

    v.displayName = ValueOr(platform_.Property(i, DeviceProperty::FriendlyName));
    if (v.displayName.empty()) {
      v.displayName = ValueOr(platform_.Property(i, DeviceProperty::DeviceDescription));
    }
    v.noName = v.displayName.empty();

    v.hardwareId = ValueOr(platform_.Property(i, DeviceProperty::HardwareId));
    v.service = ValueOr(platform_.Property(i, DeviceProperty::Service));
    v.driverKey = ValueOr(platform_.Property(i, DeviceProperty::Driver));

    // Without a driver key there is no class key: the class root holds no
    // driver values of its own.
    const std::wstring classKey = v.driverKey.empty() ? std::wstring() : kClassRoot + v.driverKey;
    const auto classValue = [&](const wchar_t* name) {
      return classKey.empty() ? std::optional<std::wstring>()
                              : platform_.ReadMachineString(classKey, name);
    };
    v.regInfPath = ValueOr(classValue(L"InfPath"));
    v.regVersion = ValueOr(classValue(L"DriverVersion"));
    v.regProvider = ValueOr(classValue(L"ProviderName"));

    std::wstring classGuidOfKey = AsciiToLower(v.driverKey);
    const std::size_t slash = classGuidOfKey.rfind(L'\\');
    classGuidOfKey.resize(slash == std::wstring::npos ? 0 : slash);

    if (IsGenericDevice(sets_, classGuidOfKey, v.hardwareId)) {
      progress_(nullptr, percent());
      ++processed;
      continue;
    }

    if (std::optional<std::wstring> date = classValue(L"DriverDate")) {
      v.regDate = std::move(*date);
    } else {
      v.regDate = v.firstDriverDate;
    }
    if (v.noDriverInfo) {
      if (std::optional<std::wstring> inf = classValue(L"InfPath")) v.firstDriverInf = *inf;
      if (std::optional<std::wstring> provider = classValue(L"ProviderName")) {
        v.firstDriverProvider = *provider;
      }
    }

    if (v.classDesc == kNonPnpClass) {
      progress_(nullptr, PercentOf(processed, total));
      ++processed;
      continue;
    }

    DeviceRecord* record = NextFreeSlot();
    if (record == nullptr) {
      // The scan table is full: the device is reported as not listed, so the
      // progress still runs to its end and nothing is written past the table.
      ++dropped_;
      progress_(nullptr, percent());
      ++processed;
      continue;
    }
    *record = DeviceRecord();
    record->Name = v.noName ? std::wstring(L"Unknown Device") : v.displayName;
    record->Service = v.service;
    record->ClassDescription = v.classDesc.empty() ? std::wstring(L"Other devices") : v.classDesc;
    record->Provider = v.regProvider.empty() ? v.firstDriverProvider : v.regProvider;
    record->InfPath = v.firstDriverInf;
    if (IsPlainFileName(v.regInfPath)) {
      const std::wstring inFolder = windowsFolder_ + L"\\inf\\" + v.regInfPath;
      if (platform_.FileExists(inFolder)) record->InfPath = inFolder;
    }
    record->DriverVersion = v.regVersion;
    record->DriverKey = v.driverKey;
    record->HardwareId = v.hardwareId;
    record->DriverDate = v.regDate;
    record->MatchingIds = MatchingIdsFor(ValueOr(classValue(L"MatchingDeviceId")), v.hardwareId);
    if (haveSigners) {
      record->Signer = signers_.SignerFor(record->Name);
    } else if (!v.service.empty()) {
      record->Signer = platform_.GetImageCompanyName(v.service);
    }

    progress_(record, percent());
    ++nextFree_;
    ++processed;
  }

  platform_.CloseDeviceSet();
  signers_.Clear();
  return kResultCompleted;
}

std::int32_t RunDeviceScan(EnumerationPlatform& platform, StopHandshake& stop,
                           ProgressCallback progress, std::size_t* dropped) {
  try {
    ScanContext context(platform, stop, std::move(progress));
    const std::int32_t result = context.EnumerateDevices();
    if (dropped != nullptr) *dropped = context.DroppedDevices();
    return result;
  } catch (...) {
    // A failure deep in the platform must not take the worker down with it.
    return kResultFailed;
  }
}

}  // namespace velkor
