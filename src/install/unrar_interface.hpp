#pragma once
// The published interface of the UnRAR library (unrar.dll), declared here for
// loading it at run time: the structures as the library lays them out (packed),
// the modes and results this program uses, and the entry points' types.

#include <windows.h>

namespace velkor::unrar {

inline constexpr int kSuccess = 0;
inline constexpr int kEndArchive = 10;
inline constexpr int kCannotCreate = 16;  // ERAR_ECREATE

inline constexpr unsigned kOpenList = 0;
inline constexpr unsigned kOpenExtract = 1;

inline constexpr int kSkip = 0;
inline constexpr int kExtract = 2;

inline constexpr unsigned kCommentBufferSize = 16384;

#pragma pack(push, 1)

struct HeaderData {
  char ArcName[260];
  char FileName[260];
  unsigned int Flags;
  unsigned int PackSize;
  unsigned int UnpSize;
  unsigned int HostOS;
  unsigned int FileCRC;
  unsigned int FileTime;
  unsigned int UnpVer;
  unsigned int Method;
  unsigned int FileAttr;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
};

struct HeaderDataEx {
  char ArcName[1024];
  wchar_t ArcNameW[1024];
  char FileName[1024];
  wchar_t FileNameW[1024];
  unsigned int Flags;
  unsigned int PackSize;
  unsigned int PackSizeHigh;
  unsigned int UnpSize;
  unsigned int UnpSizeHigh;
  unsigned int HostOS;
  unsigned int FileCRC;
  unsigned int FileTime;
  unsigned int UnpVer;
  unsigned int Method;
  unsigned int FileAttr;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
  unsigned int DictSize;
  unsigned int HashType;
  char Hash[32];
  unsigned int RedirType;  // 0: a plain file or folder; else a link or a copy of another entry
  wchar_t* RedirName;
  unsigned int RedirNameSize;
  unsigned int DirTarget;
  unsigned int MtimeLow;
  unsigned int MtimeHigh;
  unsigned int CtimeLow;
  unsigned int CtimeHigh;
  unsigned int AtimeLow;
  unsigned int AtimeHigh;
  unsigned int Reserved[988];
};

using Callback = int(CALLBACK*)(UINT message, LPARAM userData, LPARAM p1, LPARAM p2);

struct OpenArchiveDataEx {
  char* ArcName;
  wchar_t* ArcNameW;
  unsigned int OpenMode;
  unsigned int OpenResult;
  char* CmtBuf;
  unsigned int CmtBufSize;
  unsigned int CmtSize;
  unsigned int CmtState;
  unsigned int Flags;
  Callback Callback;
  LPARAM UserData;
  unsigned int OpFlags;
  wchar_t* CmtBufW;
  unsigned int Reserved[25];
};

#pragma pack(pop)

using OpenArchiveExFn = HANDLE(PASCAL*)(OpenArchiveDataEx*);
using CloseArchiveFn = int(PASCAL*)(HANDLE);
using ReadHeaderFn = int(PASCAL*)(HANDLE, HeaderData*);
using ReadHeaderExFn = int(PASCAL*)(HANDLE, HeaderDataEx*);
using ProcessFileFn = int(PASCAL*)(HANDLE, int, char*, char*);
using ProcessFileWFn = int(PASCAL*)(HANDLE, int, wchar_t*, wchar_t*);

}  // namespace velkor::unrar
