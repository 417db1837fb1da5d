#pragma once
// What the flows that need administrator rights (the scan, the backup, the
// restore, the install) tell a user who runs without them: before Vista an
// advice to log in as an administrator; from Vista on each flow asks, in its
// own words, whether to start again elevated.

namespace velkor {

inline constexpr wchar_t kAdministratorLoginAdvice[] =
    L"It is recommended to restart Velkor in administrator login. It will not provide complete functionality in "
    L"standard user account.";

// The first Windows major version that elevates on request.
inline constexpr int kFirstElevatingWindowsMajor = 6;

}  // namespace velkor
