// What the savers share of writing a file through a temporary one renamed
// over it. Internal to the library.
#pragma once

#include <string>

// Creates a new temporary file beside `target` (its name is `target` with a
// unique suffix, returned in `temp`) and gives it the mode the target has,
// or the usual mode of a new file, since the rename makes it the target.
// The process's umask is read by the system, never changed.
// The open descriptor, or -1 with errno set.
int AppCreateTemporaryBeside(const std::string& target, std::string& temp);
