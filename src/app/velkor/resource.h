#pragma once
// Resource numbers of velkor.exe.

#define IDD_VELKOR_DIALOG 102
#define IDC_START_MODE 1000
