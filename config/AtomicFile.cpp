// Atomic replacement of a file with a backup: exclusive temporary files, fsync, rename.
#include "AtomicFile.h"

#include "NewFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
[[noreturn]] void Fail(const std::string& What, const std::string& Path, int Errno)
{
    throw EFileWrite(What + " " + Path + ": " + std::strerror(Errno));
}

class TFileHandle
{
public:
    explicit TFileHandle(int Value) : Fd(Value) {}
    ~TFileHandle()
    {
        if (Fd >= 0)
            close(Fd);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    int Fd;
};

// A new file beside Target holding Bytes, with the permissions of Old when there is one, flushed
// to disk; Commit renames it to Target, and it is removed unless committed.
class TTemporaryFile
{
public:
    TTemporaryFile(const std::string& TargetPath, std::string_view Bytes, const TReplacedFile& Old)
        : Target(TargetPath)
    {
        const std::filesystem::path TargetName(Target);
        std::string Name =
            (TargetName.parent_path() / ("." + TargetName.filename().string() + ".XXXXXX")).string();
        const int Fd = CreateNewFile(Name, 0666);
        if (Fd < 0)
            Fail("Nie można utworzyć pliku obok", Target, errno);
        Temporary = Name;
        const TFileHandle File(Fd);
        try {
            for (std::size_t Done = 0; Done < Bytes.size();) {
                const ssize_t Count = write(Fd, Bytes.data() + Done, Bytes.size() - Done);
                if (Count < 0 && errno == EINTR)
                    continue;
                if (Count <= 0)
                    Fail("Nie można zapisać", Target, Count < 0 ? errno : EIO);
                Done += static_cast<std::size_t>(Count);
            }
            if ((Old.Exists && fchmod(Fd, Old.Mode) != 0) || fsync(Fd) != 0)
                Fail("Nie można zapisać", Target, errno);
        } catch (...) {
            // The destructor does not run for a constructor that throws.
            unlink(Temporary.c_str());
            throw;
        }
    }
    ~TTemporaryFile()
    {
        if (!Temporary.empty())
            unlink(Temporary.c_str());
    }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    void Commit()
    {
        if (rename(Temporary.c_str(), Target.c_str()) != 0)
            Fail("Nie można zapisać", Target, errno);
        Temporary.clear();
    }

private:
    std::string Target;
    std::string Temporary;
};
} // namespace

TReplacedFile ReadReplacedFile(const std::string& FileName)
{
    std::error_code Error;
    const std::string Path = std::filesystem::is_symlink(FileName, Error)
                                 ? std::filesystem::weakly_canonical(FileName, Error).string()
                                 : FileName;
    const TFileHandle File(open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (File.Fd < 0) {
        if (errno == ENOENT)
            return {Path};
        Fail("Nie można odczytać", Path, errno);
    }
    struct stat Status;
    if (fstat(File.Fd, &Status) != 0)
        Fail("Nie można odczytać", Path, errno);
    if (!S_ISREG(Status.st_mode))
        throw EFileWrite(Path + " nie jest zwykłym plikiem; nic nie zapisano");
    TReplacedFile Old{Path, true, {}, static_cast<mode_t>(Status.st_mode & 07777)};
    char Buffer[65536];
    for (;;) {
        const ssize_t Count = read(File.Fd, Buffer, sizeof Buffer);
        if (Count < 0 && errno == EINTR)
            continue;
        if (Count < 0)
            Fail("Nie można odczytać", Path, errno);
        if (Count == 0)
            return Old;
        Old.Bytes.append(Buffer, static_cast<std::size_t>(Count));
    }
}

void WriteReplacement(const TReplacedFile& Old, std::string_view Bytes)
{
    // Both files are complete on disk before either name changes.
    std::optional<TTemporaryFile> Backup;
    if (Old.Exists)
        Backup.emplace(Old.Path + ".bak", Old.Bytes, Old);
    TTemporaryFile Written(Old.Path, Bytes, Old);
    if (Backup)
        Backup->Commit();
    Written.Commit();
    const std::filesystem::path Parent = std::filesystem::path(Old.Path).parent_path();
    const TFileHandle Folder(open(Parent.empty() ? "." : Parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (Folder.Fd >= 0)
        fsync(Folder.Fd);
}

void ReplaceFile(const std::string& FileName, std::string_view Bytes)
{
    WriteReplacement(ReadReplacedFile(FileName), Bytes);
}
