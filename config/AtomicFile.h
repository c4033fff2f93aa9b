// ReplaceFile: writes a whole file atomically and keeps the previous one as a backup.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/types.h>

// Why a file could not be written, in Polish (UTF-8), naming the file; nothing on disk changed.
class EFileWrite : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The file a write replaces: the path it stands at once a link is followed, and, when it exists,
// its bytes and permissions.
struct TReplacedFile
{
    std::string Path;
    bool Exists = false;
    std::string Bytes;
    mode_t Mode = 0;
};

// Reads the file at FileName (a link is followed) before it is replaced. Throws EFileWrite when it
// is not a regular file or cannot be read.
TReplacedFile ReadReplacedFile(const std::string& FileName);

// Writes Bytes over Old.Path as ReplaceFile does, keeping Old as the backup.
void WriteReplacement(const TReplacedFile& Old, std::string_view Bytes);

// Writes Bytes to a new temporary file beside Path (created exclusively with mode 0666 under the
// process's umask, or with the old file's mode), flushes it to disk and renames it over Path; the
// previous file, if any, is first copied the same way to Path + ".bak". A link at Path is
// followed. Throws EFileWrite when Path is not a regular file or anything fails; every temporary
// file is removed then.
void ReplaceFile(const std::string& Path, std::string_view Bytes);
