#include "install/zip_package.hpp"

#include "backup/zip_archive.hpp"

namespace velkor {
namespace {

class ZipPackage final : public OpenedZip {
 public:
  explicit ZipPackage(ZipHandle handle) : handle_(std::move(handle)) {}
  ~ZipPackage() override { ZipClose(handle_); }
  ZipPackage(const ZipPackage&) = delete;
  ZipPackage& operator=(const ZipPackage&) = delete;

  // Entry by entry (the count, then each entry's name, the base folder and the
  // extraction); an entry that fails does not stop the others.
  void ExtractAll(const std::wstring& folder) override { ZipExtractAll(handle_, folder); }

 private:
  ZipHandle handle_;
};

}  // namespace

std::unique_ptr<OpenedZip> OpenZipPackage(ZipFileSystem& files, const std::wstring& path) {
  ZipHandle handle = ZipOpen(files, path);
  if (!handle) return nullptr;
  return std::make_unique<ZipPackage>(std::move(handle));
}

}  // namespace velkor
