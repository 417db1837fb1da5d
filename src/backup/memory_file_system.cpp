#include "backup/memory_file_system.hpp"

#include <algorithm>
#include <functional>

#include "base/path.hpp"
#include "base/text.hpp"

namespace velkor {
namespace {

using Bytes = std::shared_ptr<std::vector<std::uint8_t>>;

class MemoryFileWriter final : public FileWriter {
 public:
  using CommitTimes = std::function<bool(const FileTimes&)>;
  MemoryFileWriter(Bytes bytes, CommitTimes commit) : sink_(std::move(bytes)), commit_(std::move(commit)) {}
  bool Write(std::span<const std::uint8_t> bytes) override { return sink_.Write(bytes); }
  bool Flush() override { return true; }
  void Expect(std::uint64_t bytes) override { sink_.Reserve(bytes); }
  bool Commit(const FileTimes& times) override { return commit_(times); }

 private:
  MemoryByteSink sink_;
  CommitTimes commit_;
};

std::wstring WithoutTrailingSeparators(std::wstring path) {
  while (!path.empty() && IsPathSeparator(path.back())) path.pop_back();
  return path;
}

}  // namespace

std::wstring MemoryFileSystem::Key(const std::wstring& path) {
  std::wstring key;
  for (wchar_t c : path) {
    const wchar_t unified = c == L'/' ? L'\\' : AsciiToLower(c);
    if (unified == L'\\' && !key.empty() && key.back() == L'\\') continue;
    key.push_back(unified);
  }
  while (!key.empty() && key.back() == L'\\') key.pop_back();
  return key;
}

std::wstring MemoryFileSystem::Parent(const std::wstring& key) {
  const std::size_t slash = key.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : key.substr(0, slash);
}

bool MemoryFileSystem::ParentIsFolder(const std::wstring& key) const {
  const std::wstring parent = Parent(key);
  if (parent.find(L'\\') == std::wstring::npos) return true;  // a drive
  const auto found = nodes_.find(parent);
  return found != nodes_.end() && found->second.kind == PathKind::Folder;
}

MemoryFileSystem::Node* MemoryFileSystem::FindKey(const std::wstring& key) {
  const auto found = nodes_.find(key);
  return found == nodes_.end() ? nullptr : &found->second;
}

MemoryFileSystem::Node& MemoryFileSystem::Put(const std::wstring& path, PathKind kind) {
  std::wstring shown = WithoutTrailingSeparators(path);
  for (wchar_t& c : shown) {
    if (c == L'/') c = L'\\';
  }
  Node& node = nodes_[Key(path)];
  if (node.path.empty()) node.path = shown;
  node.kind = kind;
  node.bytes = kind == PathKind::File ? std::make_shared<std::vector<std::uint8_t>>() : nullptr;
  return node;
}

void MemoryFileSystem::AddFolder(const std::wstring& path) {
  if (Key(path).find(L'\\') == std::wstring::npos) return;
  const std::wstring trimmed = WithoutTrailingSeparators(path);
  AddFolder(trimmed.substr(0, trimmed.find_last_of(L"\\/")));
  if (Probe(trimmed) != PathKind::Folder) Put(trimmed, PathKind::Folder);
}

void MemoryFileSystem::AddFile(const std::wstring& path, std::vector<std::uint8_t> bytes, std::uint32_t attributes,
                               const FileTimes& times) {
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos) AddFolder(path.substr(0, slash));
  Node& node = Put(path, PathKind::File);
  *node.bytes = std::move(bytes);
  node.attributes = attributes;
  node.times = times;
}

void MemoryFileSystem::AddFile(const std::wstring& path, const std::string& text) {
  AddFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

void MemoryFileSystem::AddLink(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos) AddFolder(path.substr(0, slash));
  Put(path, PathKind::Link);
}

const MemoryFileSystem::Node* MemoryFileSystem::Find(const std::wstring& path) const {
  const auto found = nodes_.find(Key(path));
  return found == nodes_.end() ? nullptr : &found->second;
}

std::vector<const MemoryFileSystem::Node*> MemoryFileSystem::Nodes() const {
  std::vector<const Node*> all;
  for (const auto& [key, node] : nodes_) all.push_back(&node);
  return all;
}

std::unique_ptr<SeekableByteSink> MemoryFileSystem::CreateArchive(const std::wstring& path) {
  const std::wstring key = Key(path);
  const Node* existing = FindKey(key);
  if (!ParentIsFolder(key) || (existing && existing->kind != PathKind::File)) return nullptr;
  Node& node = Put(path, PathKind::File);
  node.attributes = kAttributeArchive;
  return std::make_unique<MemoryByteSink>(node.bytes);
}

std::unique_ptr<ByteSource> MemoryFileSystem::OpenFile(const std::wstring& path, FileFacts& facts) {
  Node* node = FindKey(Key(path));
  if (!node || node->kind != PathKind::File) return nullptr;
  facts.size = node->bytes->size();
  facts.attributes = node->attributes;
  facts.times = node->times;
  // The bytes stay alive for the reader when the file is replaced meanwhile.
  return std::make_unique<MemoryByteSource>(std::shared_ptr<const std::vector<std::uint8_t>>(node->bytes));
}

PathKind MemoryFileSystem::Probe(const std::wstring& path) {
  const std::wstring key = Key(path);
  if (key.find(L'\\') == std::wstring::npos) return key.empty() ? PathKind::Missing : PathKind::Folder;
  const Node* node = FindKey(key);
  return node ? node->kind : PathKind::Missing;
}

bool MemoryFileSystem::MakeFolder(const std::wstring& path) {
  const std::wstring key = Key(path);
  const PathKind kind = Probe(path);
  if (kind == PathKind::Folder) return true;
  if (kind != PathKind::Missing || !ParentIsFolder(key)) return false;
  Put(path, PathKind::Folder);
  return true;
}

std::unique_ptr<FileWriter> MemoryFileSystem::CreateNewFile(const std::wstring& path, std::uint32_t attributes) {
  const std::wstring key = Key(path);
  const Node* existing = FindKey(key);
  if (!ParentIsFolder(key) || (existing && existing->kind != PathKind::File)) return nullptr;
  Node& node = Put(path, PathKind::File);
  node.attributes = attributes;
  node.times = {};
  // The node is looked up again: the file may have been removed meanwhile.
  return std::make_unique<MemoryFileWriter>(node.bytes, [this, key](const FileTimes& times) {
    Node* written = FindKey(key);
    if (!written || written->kind != PathKind::File) return false;
    if (times.creation != 0) written->times.creation = times.creation;
    if (times.access != 0) written->times.access = times.access;
    if (times.modification != 0) written->times.modification = times.modification;
    return true;
  });
}

bool MemoryFileSystem::RemoveFile(const std::wstring& path) {
  const auto found = nodes_.find(Key(path));
  if (found == nodes_.end() || found->second.kind != PathKind::File) return false;
  nodes_.erase(found);
  return true;
}

bool MemoryFileSystem::RemoveTree(const std::wstring& path) {
  const std::wstring key = Key(path);
  if (key.empty() || nodes_.erase(key) == 0) return false;
  const std::wstring below = key + L"\\";
  for (auto it = nodes_.lower_bound(below); it != nodes_.end() && it->first.rfind(below, 0) == 0;) it = nodes_.erase(it);
  return true;
}

std::vector<FolderItem> MemoryFileSystem::ListFolder(const std::wstring& path) {
  const std::wstring key = Key(path);
  std::vector<FolderItem> items;
  for (const auto& [childKey, node] : nodes_) {
    if (Parent(childKey) != key) continue;
    items.push_back({node.path.substr(node.path.find_last_of(L'\\') + 1), node.kind});
  }
  return items;
}

}  // namespace velkor
