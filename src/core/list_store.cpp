#include "core/list_store.hpp"

#include <vector>

namespace velkor {

ListLoadResult LoadListFile(const std::wstring& path, StringMap& list, const NarrowTextDecoder& narrow,
                            const FileRemover& remove) {
  std::vector<std::uint8_t> bytes;
  if (ReadFileBytes(path, kListFileLimit, bytes) != ReadResult::Ok) {
    list.clear();
    return ListLoadResult::NoFile;
  }
  if (DecodeListFile(bytes, list, narrow)) return ListLoadResult::Loaded;
  // A short or damaged list would fail the same way at every start: drop it and
  // keep what could be read.
  remove(path);
  return ListLoadResult::Damaged;
}

bool SaveListFile(const std::wstring& path, const StringMap& list) {
  const std::vector<std::uint8_t> bytes = EncodeListFile(list);
  // One retry, as a passing lock by a virus scanner or indexer is the usual
  // reason for a failed write.
  return WriteFileReplacing(path, bytes) || WriteFileReplacing(path, bytes);
}

}  // namespace velkor
