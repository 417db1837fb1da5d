#include "app/velkorctl/commands.hpp"

#include <zlib.h>

#include <string_view>

#include "app/velkorctl/verb_backup.hpp"
#include "app/velkorctl/verb_download.hpp"
#include "app/velkorctl/verb_inventory.hpp"
#include "app/velkorctl/verb_lookup.hpp"
#include "app/velkorctl/verb_scan.hpp"
#include "app/velkorctl/verb_maintenance.hpp"
#include "app/velkorctl/verb_settings.hpp"
#include "app/velkorctl/verb_sysinfo.hpp"
#include "base/utf.hpp"
#include "velkor_version.h"

namespace velkor::ctl {
namespace {

using Args = std::vector<std::wstring>;

struct Verb {
  const wchar_t* name;
  const wchar_t* usage;
  const wchar_t* summary;
  int (*run)(const Args& args, const Console& console);
};

int UsageError(const Console& console, std::wstring_view message) {
  console.Err(L"velkorctl: ");
  console.Err(message);
  console.Err(L" (see 'velkorctl help')\n");
  return kExitUsage;
}

int RunVersion(const Args& args, const Console& console) {
  if (!args.empty()) return UsageError(console, L"'version' takes no arguments");
  console.Out(L"velkorctl " VELKOR_VERSION_WTEXT L" (zlib " + FromUtf8(zlibVersion()) + L")\n");
  return kExitOk;
}

int RunHelp(const Args& args, const Console& console);

const Verb kVerbs[] = {
    {L"help", L"help", L"show this list of commands", RunHelp},
    {L"version", L"version | --version", L"print the program version", RunVersion},
    {L"inventory", L"inventory [--json]", L"list this machine's devices and drivers", RunInventory},
    {L"osversion", L"osversion", L"print the OS version code and version", RunOsVersion},
    {L"request", L"request [--inventory FILE]", L"print the scan request for this machine or a saved inventory",
     RunRequest},
    {L"match", L"match --answer FILE [--inventory FILE] [--json]",
     L"match an answer of the update service to the devices", RunMatch},
    {L"scan", L"scan [--yes|--no] [--for-backup] [--json]",
     L"scan this machine with the update service and store the results", RunScan},
    {L"download", L"download [--all | --device N ...] [--yes|--no] [--json]",
     L"scan, then download and verify the packages of the out-of-date devices", RunDownload},
    {L"backup", L"backup [--all | --device N ...] [--json]",
     L"back up the drivers of this machine's devices into a dated archive", RunBackup},
    {L"backups", L"backups [--json]", L"list the backup archives with their entry counts", RunBackups},
    {L"check-update", L"check-update [--yes|--no]",
     L"check the update service for a newer Velkor and, with --yes, install it", RunCheckUpdate},
    {L"feedback", L"feedback --email E --type TYPE --text TEXT [--view]",
     L"check and send a feedback report (--view: print the report only)", RunFeedback},
    {L"settings", L"settings [--json|reset|set NAME VALUE]", L"show or change the settings, folders and lists", RunSettings},
    {L"sysinfo", L"sysinfo [--json]", L"print the machine summary and the program version", RunSysinfo},
};

int RunHelp(const Args& args, const Console& console) {
  if (!args.empty()) return UsageError(console, L"'help' takes no arguments");
  console.Out(L"velkorctl: the console front end of Velkor, the driver updater\n\n"
              L"usage: velkorctl COMMAND [OPTIONS]\n\ncommands:\n");
  for (const Verb& verb : kVerbs) {
    std::wstring line = L"  ";
    line += verb.usage;
    if (line.size() < 28) line.resize(28, L' ');
    console.Out(line + L"  " + verb.summary + L"\n");
  }
  console.Out(L"\nexit codes: 0 success, 1 failure, 2 usage error; scan and download also: 3 update\n"
              L"service unreachable, 4 Network.dll missing; scan, download and backup: 130 stopped by\n"
              L"Ctrl+C; download also: 5 a chosen package could not be downloaded and verified;\n"
              L"check-update: 3 unreachable, 7 the version file or the setup program failed\n"
              L"verification; feedback: 1 refused by the checks, 3 not accepted by the service,\n"
              L"4 Network.dll missing\n");
  return kExitOk;
}

}  // namespace

int RunCommandLine(const Args& args, const Console& console) {
  if (args.empty()) return UsageError(console, L"no command given");
  std::wstring name = args.front();
  if (name == L"--version") name = L"version";
  if (name == L"--help" || name == L"-h" || name == L"/?") name = L"help";
  const Args rest(args.begin() + 1, args.end());
  for (const Verb& verb : kVerbs) {
    if (name == verb.name) return verb.run(rest, console);
  }
  return UsageError(console, L"unknown command '" + args.front() + L"'");
}

}  // namespace velkor::ctl
