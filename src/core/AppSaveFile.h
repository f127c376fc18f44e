// How the savers of both file formats put a file on disk. Internal to the
// library.
#pragma once

#include <string>
#include <string_view>

// Makes `bytes` the whole content of `file`, so that a failure at any point
// leaves the previous file as it was:
// - a symbolic link is followed, and the file it points to is replaced (the
//   link stays a link); a link that points nowhere yet creates its target;
// - an existing file the user may not write, or that is not a regular file,
//   is refused;
// - the bytes go to a new temporary file beside the target, written through
//   the descriptor that created it, flushed to disk and only then renamed
//   over the target. A folder where no temporary file can be made is
//   refused: the file is never rewritten in place;
// - the new file keeps the mode of the one it replaces and, where the
//   system permits it, its owner and group (a new file gets the usual mode
//   of a new file). Other hard links to the old file keep the old content.
// Throws CAppException "File not create : <file> (<reason>)" when the file
// is refused before anything was written, and "File not written : <file>
// (<reason>)" when writing, flushing or renaming fails.
void AppSaveFile(const std::string& file, std::string_view bytes);
