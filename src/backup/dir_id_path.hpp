#pragma once
// The folders of INF directory ids (10 the Windows folder, 11 the system
// folder, 12 the drivers folder, ...), always ending in a backslash; an id
// outside the table, 0 included, has the empty folder. The answers are kept
// for the life of the process in one cache that every engine object shares.

#include <map>
#include <mutex>
#include <string>

#include "backup/inf_platform.hpp"

namespace velkor {

// The table itself. Empty also when the system has no folder for the id (the
// id's folder would otherwise become the root of the current drive).
std::wstring DirIdFolder(int id, InfPlatform& platform);

// Non-empty answers are kept; any thread may ask.
class DirIdCache {
 public:
  std::wstring Lookup(int id, InfPlatform& platform);

 private:
  std::mutex m_mutex;
  std::map<int, std::wstring> m_folders;
};

// The process's cache.
DirIdCache& ProcessDirIdCache();

#ifdef _WIN32
// The folder of id on this system (ProcessDirIdCache over the Win32 platform).
std::wstring DirIdToPath(int id);
#endif

}  // namespace velkor
