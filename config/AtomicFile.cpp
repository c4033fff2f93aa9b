// Atomic replacement of a file with a backup: exclusive temporary files, fsync, rename.
#include "AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <random>
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

// The file being replaced: its bytes and permissions.
struct TReplaced
{
    bool Exists = false;
    std::string Bytes;
    mode_t Mode = 0;
};

TReplaced ReadReplaced(const std::string& Path)
{
    const TFileHandle File(open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (File.Fd < 0) {
        if (errno == ENOENT)
            return {};
        Fail("Nie można odczytać", Path, errno);
    }
    struct stat Status;
    if (fstat(File.Fd, &Status) != 0)
        Fail("Nie można odczytać", Path, errno);
    if (!S_ISREG(Status.st_mode))
        throw EFileWrite(Path + " nie jest zwykłym plikiem; nic nie zapisano");
    TReplaced Old{true, {}, static_cast<mode_t>(Status.st_mode & 07777)};
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

// A new file beside Target holding Bytes, with the permissions of Old when there is one, flushed
// to disk; Commit renames it to Target, and it is removed unless committed.
class TTemporaryFile
{
public:
    TTemporaryFile(const std::string& TargetPath, std::string_view Bytes, const TReplaced& Old)
        : Target(TargetPath)
    {
        const std::filesystem::path Name(Target);
        std::random_device Random;
        int Fd = -1;
        for (int Attempt = 0; Fd < 0 && Attempt < 100; ++Attempt) {
            Temporary =
                (Name.parent_path() / ("." + Name.filename().string() + "." + std::to_string(Random())))
                    .string();
            Fd = open(Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (Fd < 0 && errno != EEXIST)
                break;
        }
        if (Fd < 0) {
            const int Errno = errno;
            Temporary.clear();
            Fail("Nie można utworzyć pliku obok", Target, Errno);
        }
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

void ReplaceFile(const std::string& FileName, std::string_view Bytes)
{
    std::error_code Error;
    const std::string Path = std::filesystem::is_symlink(FileName, Error)
                                 ? std::filesystem::weakly_canonical(FileName, Error).string()
                                 : FileName;
    const TReplaced Old = ReadReplaced(Path);
    // Both files are complete on disk before either name changes.
    std::optional<TTemporaryFile> Backup;
    if (Old.Exists)
        Backup.emplace(Path + ".bak", Old.Bytes, Old);
    TTemporaryFile Written(Path, Bytes, Old);
    if (Backup)
        Backup->Commit();
    Written.Commit();
    const std::filesystem::path Parent = std::filesystem::path(Path).parent_path();
    const TFileHandle Folder(open(Parent.empty() ? "." : Parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (Folder.Fd >= 0)
        fsync(Folder.Fd);
}
