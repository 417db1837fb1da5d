// CAB packages through the system's FDI and RAR packages through the built
// unrar.dll, with real archives: subfolders, continuation cabinets, dates and
// attributes, hostile names, links and damage.

#include <windows.h>

#include <gtest/gtest.h>

#include "install/archive_extraction_win.hpp"
#include "wine_test_paths.hpp"

namespace velkor {
namespace {

using testing::CopyInto;
using testing::Exists;
using testing::FilesBelow;
using testing::FixturePackage;
using testing::FixturesFolder;
using testing::ReadBytes;
using testing::ScratchFolder;
using Files = std::set<std::wstring>;

std::wstring UnrarDll() { return testing::ProgramFolder() + L"unrar.dll"; }

// The files of a package as they were packed: fixtures\unpacked\KEY\.
Files PackedFiles(const std::wstring& key) { return FilesBelow(FixturesFolder() + L"unpacked\\" + key + L"\\"); }

void ExpectSameFiles(const std::wstring& key, const std::wstring& unpackFolder) {
  const Files packed = PackedFiles(key);
  ASSERT_FALSE(packed.empty()) << "no fixture files for " << key.c_str();
  EXPECT_EQ(FilesBelow(unpackFolder), packed);
  for (const std::wstring& file : packed) {
    EXPECT_EQ(ReadBytes(unpackFolder + file), ReadBytes(FixturesFolder() + L"unpacked\\" + key + L"\\" + file))
        << file.c_str();
  }
}

TEST(CabExtraction, GcabPackageWithSubfoldersArrivesWhole) {
  ScratchFolder scratch(L"cab");
  const std::wstring cab = CopyInto(FixturePackage(L"velkor_display.cab"), scratch.path());
  ASSERT_TRUE(ExtractCabinet(cab, scratch.path() + L"velkor_display\\"));
  ExpectSameFiles(L"cab", scratch.path() + L"velkor_display\\");
}

TEST(CabExtraction, NamesNeverLeadOutOfTheFolder) {
  ScratchFolder scratch(L"cab-hostile");
  const std::wstring dl = scratch.path() + L"dl\\";
  ::CreateDirectoryW(dl.c_str(), nullptr);
  const std::wstring cab = CopyInto(FixturePackage(L"hostile.cab"), dl);
  ASSERT_TRUE(ExtractCabinet(cab, dl + L"hostile\\"));
  // Cleaned as the ZIP layer cleans entry names: what climbs out or names a
  // drive lands in the unpack folder, a device name is not written.
  const Files expected = {L"dl\\hostile.cab",
                          L"dl\\hostile\\outside1.txt",
                          L"dl\\hostile\\outside2.txt",
                          L"dl\\hostile\\outside3.txt",
                          L"dl\\hostile\\rooted\\inside.txt",
                          L"dl\\hostile\\good\\ok.txt",
                          L"dl\\hostile\\dossier\\\u00e9t\u00e9.txt"};
  EXPECT_EQ(FilesBelow(scratch.path()), expected);
  EXPECT_FALSE(Exists(L"C:\\outside3.txt"));
  EXPECT_FALSE(Exists(scratch.path() + L"..\\outside1.txt"));

  // Date, time and attributes come from the cabinet (2007-05-14 13:37:42,
  // read-only and archive).
  const std::wstring ok = dl + L"hostile\\good\\ok.txt";
  EXPECT_EQ(::GetFileAttributesW(ok.c_str()), DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE});
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ASSERT_TRUE(::GetFileAttributesExW(ok.c_str(), GetFileExInfoStandard, &data));
  FILETIME local = {};
  WORD date = 0;
  WORD time = 0;
  ASSERT_TRUE(::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local));
  ASSERT_TRUE(::FileTimeToDosDateTime(&local, &date, &time));
  EXPECT_EQ(date, ((2007 - 1980) << 9) | (5 << 5) | 14);
  EXPECT_EQ(time, (13 << 11) | (37 << 5) | (42 / 2));
}

TEST(CabExtraction, ContinuationCabinetsAreFollowedToTheLast) {
  ScratchFolder scratch(L"cab-span");
  for (const wchar_t* name : {L"span1.cab", L"span2.cab", L"span3.cab"}) {
    CopyInto(FixturePackage(name), scratch.path());
  }
  const std::wstring unpack = scratch.path() + L"span1\\";
  ASSERT_TRUE(ExtractCabinet(scratch.path() + L"span1.cab", unpack));
  const Files expected = {L"span\\a.bin", L"span\\b.bin", L"span\\sub\\c.bin", L"span\\d.bin"};
  EXPECT_EQ(FilesBelow(unpack), expected);
  EXPECT_EQ(ReadBytes(unpack + L"span\\a.bin"), std::string(100, 'A'));
  EXPECT_EQ(ReadBytes(unpack + L"span\\b.bin"), std::string(5000, 'B'));
  EXPECT_EQ(ReadBytes(unpack + L"span\\sub\\c.bin"), std::string(300, 'C'));
  EXPECT_EQ(ReadBytes(unpack + L"span\\d.bin"), std::string(200, 'D'));
}

TEST(CabExtraction, AContinuationOutsideTheFolderIsNeverOpened) {
  ScratchFolder scratch(L"cab-escape");
  const std::wstring inner = scratch.path() + L"dl\\";
  ::CreateDirectoryW(inner.c_str(), nullptr);
  CopyInto(FixturePackage(L"span2.cab"), scratch.path());  // where "..\span2.cab" leads
  const std::wstring cab = CopyInto(FixturePackage(L"escape.cab"), inner);
  EXPECT_FALSE(ExtractCabinet(cab, inner + L"escape\\"));
  EXPECT_FALSE(Exists(inner + L"escape\\b.bin") && ReadBytes(inner + L"escape\\b.bin").size() == 5000);
}

TEST(CabExtraction, DamagedOrMissingCabinetsFail) {
  ScratchFolder scratch(L"cab-damaged");
  for (const wchar_t* name : {L"corrupt.cab", L"notacab.cab", L"velkor_nic.zip"}) {
    const std::wstring cab = CopyInto(FixturePackage(name), scratch.path());
    EXPECT_FALSE(ExtractCabinet(cab, scratch.path() + L"out\\")) << name;
  }
  EXPECT_FALSE(ExtractCabinet(scratch.path() + L"missing.cab", scratch.path() + L"out\\"));
}

TEST(CabExtraction, PathsWithoutAnAnsiFormStillWork) {
  ScratchFolder scratch(L"cab-wide");
  const std::wstring folder = scratch.path() + L"\u65e5\u672c\u0416\\";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  for (const wchar_t* name : {L"span1.cab", L"span2.cab", L"span3.cab"}) CopyInto(FixturePackage(name), folder);
  ::MoveFileW((folder + L"span1.cab").c_str(), (folder + L"\u0416span1.cab").c_str());
  ASSERT_TRUE(ExtractCabinet(folder + L"\u0416span1.cab", folder + L"\u0416\\"));
  EXPECT_EQ(FilesBelow(folder + L"\u0416\\").size(), 4u);
}

TEST(RarExtraction, PackageWithSubfoldersArrivesWhole) {
  ScratchFolder scratch(L"rar");
  const std::wstring rar = CopyInto(FixturePackage(L"velkor_audio.rar"), scratch.path());
  ASSERT_EQ(ExtractRarArchive(UnrarDll(), rar, scratch.path() + L"velkor_audio\\"), RarExtraction::Extracted);
  ExpectSameFiles(L"rar", scratch.path() + L"velkor_audio\\");
}

TEST(RarExtraction, HostileNamesStayInsideAndLinksAreNeverMade) {
  struct Case {
    const wchar_t* archive;
    Files expected;  // below the scratch folder
  };
  const Case cases[] = {
      {L"hostile.rar", {L"dl\\hostile.rar", L"dl\\out\\outside.txt", L"dl\\out\\good\\ok.txt"}},
      {L"link.rar", {L"dl\\link.rar", L"dl\\out\\target.txt"}},
  };
  for (const Case& c : cases) {
    ScratchFolder scratch(L"rar-hostile");
    const std::wstring dl = scratch.path() + L"dl\\";
    ::CreateDirectoryW(dl.c_str(), nullptr);
    const std::wstring rar = CopyInto(FixturePackage(c.archive), dl);
    EXPECT_EQ(ExtractRarArchive(UnrarDll(), rar, dl + L"out\\"), RarExtraction::Extracted) << c.archive;
    EXPECT_EQ(FilesBelow(scratch.path()), c.expected) << c.archive;
    EXPECT_FALSE(Exists(dl + L"out\\link")) << c.archive;
  }
}

TEST(RarExtraction, StopsAtTheFirstEntryThatFails) {
  ScratchFolder scratch(L"rar-damaged");
  const std::wstring rar = CopyInto(FixturePackage(L"damaged-entry.rar"), scratch.path());
  EXPECT_EQ(ExtractRarArchive(UnrarDll(), rar, scratch.path() + L"out\\"), RarExtraction::Extracted);
  EXPECT_TRUE(Exists(scratch.path() + L"out\\1.txt"));
  EXPECT_FALSE(Exists(scratch.path() + L"out\\3.txt"));
}

TEST(RarExtraction, DamagedArchiveMissingArchiveOrMissingLibraryCannotOpen) {
  ScratchFolder scratch(L"rar-missing");
  const std::wstring corrupt = CopyInto(FixturePackage(L"corrupt.rar"), scratch.path());
  const std::wstring good = CopyInto(FixturePackage(L"velkor_audio.rar"), scratch.path());
  EXPECT_EQ(ExtractRarArchive(UnrarDll(), corrupt, scratch.path() + L"a\\"), RarExtraction::CannotOpen);
  EXPECT_EQ(ExtractRarArchive(UnrarDll(), scratch.path() + L"missing.rar", scratch.path() + L"b\\"),
            RarExtraction::CannotOpen);
  EXPECT_EQ(ExtractRarArchive(scratch.path() + L"unrar.dll", good, scratch.path() + L"c\\"),
            RarExtraction::CannotOpen);
  EXPECT_EQ(FilesBelow(scratch.path()), (Files{L"corrupt.rar", L"velkor_audio.rar"}));
}

TEST(RarExtraction, PathsWithoutAnAnsiFormStillWork) {
  ScratchFolder scratch(L"rar-wide");
  const std::wstring folder = scratch.path() + L"\u65e5\u672c\\";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring rar = CopyInto(FixturePackage(L"velkor_audio.rar"), folder);
  ASSERT_EQ(ExtractRarArchive(UnrarDll(), rar, folder + L"\u0416\\"), RarExtraction::Extracted);
  ExpectSameFiles(L"rar", folder + L"\u0416\\");
}

}  // namespace
}  // namespace velkor
