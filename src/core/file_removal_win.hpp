#pragma once
// Deleting a file in a folder that another, less trusted program may have
// prepared: the user's data folder, which an elevated instance of the program
// uses too.

#include <string>

namespace velkor {

// Deletes the file at `path` (an absolute drive path) only when neither it nor
// any folder on its way is a reparse point (a junction or a symbolic link), and
// the file that opens is the one named (on systems that can say so, Vista and
// later). False, with nothing deleted, otherwise. A user who can write the
// folder could else point a junction at a file that only an administrator may
// delete, and have an elevated instance delete it.
bool RemoveUnredirectedFile(const std::wstring& path);

}  // namespace velkor
