// The configuration file writer.
#include "ConfigurationWriter.h"

#include "ConfigText.h"
#include "NewFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
struct TLine
{
    std::string Text;
    std::string End; // CR, CR LF, or empty for a last line without an end
};

std::string Reason(int Errno)
{
    return std::strerror(Errno);
}

class TFd
{
public:
    explicit TFd(int Value) : Fd(Value) {}
    ~TFd()
    {
        if (Fd >= 0)
            close(Fd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Fd;
};

// The bytes of the file, or nothing when there is none. Whatever is not a regular file is refused
// without being read, as the reader refuses it.
std::optional<std::string> ReadOld(const std::string& FileName)
{
    const TFd File(open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (File.Fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw EConfigurationWrite("Nie można odczytać " + FileName + ": " + Reason(errno));
    }
    struct stat Status;
    if (fstat(File.Fd, &Status) != 0)
        throw EConfigurationWrite("Nie można odczytać " + FileName + ": " + Reason(errno));
    if (!S_ISREG(Status.st_mode))
        throw EConfigurationWrite(FileName + " nie jest zwykłym plikiem; nic nie zapisano");
    std::string Bytes;
    char Buffer[65536];
    for (;;) {
        const ssize_t Count = read(File.Fd, Buffer, sizeof Buffer);
        if (Count < 0 && errno == EINTR)
            continue;
        if (Count < 0)
            throw EConfigurationWrite("Nie można odczytać " + FileName + ": " + Reason(errno));
        if (Count == 0)
            return Bytes;
        Bytes.append(Buffer, static_cast<std::size_t>(Count));
    }
}

// A file in the folder of Path, holding Bytes and flushed to disk, that Commit renames to Path;
// removed unless committed, also when the constructor fails half-way.
class TPendingFile
{
public:
    // Mode is the old file's, kept exactly; without one the umask decides.
    TPendingFile(const std::string& Path, std::string_view Bytes, std::optional<mode_t> Mode) : Target(Path)
    {
        std::string Name = Path + ".XXXXXX";
        const TFd File(CreateNewFile(Name, Mode.value_or(0666)));
        if (File.Fd < 0)
            Fail();
        Temporary.Path = Name;
        for (std::size_t Done = 0; Done < Bytes.size();) {
            const ssize_t Count = write(File.Fd, Bytes.data() + Done, Bytes.size() - Done);
            if (Count < 0 && errno == EINTR)
                continue;
            if (Count < 0)
                Fail();
            Done += static_cast<std::size_t>(Count);
        }
        if ((Mode && fchmod(File.Fd, *Mode) != 0) || fsync(File.Fd) != 0)
            Fail();
    }

    void Commit()
    {
        if (rename(Temporary.Path.c_str(), Target.c_str()) != 0)
            throw EConfigurationWrite("Nie można zapisać " + Target + ": " + Reason(errno));
        Temporary.Path.clear();
    }

private:
    // Unlinks the file it names when it goes; a member, so that it goes when the constructor throws.
    struct TRemoval
    {
        std::string Path;
        TRemoval() = default;
        TRemoval(const TRemoval&) = delete;
        TRemoval& operator=(const TRemoval&) = delete;
        ~TRemoval()
        {
            if (!Path.empty())
                unlink(Path.c_str());
        }
    };

    std::string Folder() const
    {
        const std::string Parent = std::filesystem::path(Target).parent_path().string();
        return Parent.empty() ? std::filesystem::current_path().string() : Parent;
    }
    [[noreturn]] void Fail() const
    {
        throw EConfigurationWrite("Nie można zapisać w folderze " + Folder() + ": " + Reason(errno));
    }

    std::string Target;
    TRemoval Temporary;
};

void SyncFolder(const std::string& Path)
{
    const std::string Parent = std::filesystem::path(Path).parent_path().string();
    const TFd Folder(open(Parent.empty() ? "." : Parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (Folder.Fd >= 0)
        fsync(Folder.Fd);
}
} // namespace

std::string LineRefusal(std::string_view Value)
{
    if (Value.find('\r') != std::string_view::npos || Value.find('\n') != std::string_view::npos)
        return "zawiera koniec wiersza (CR lub LF), a każda wartość zajmuje jeden wiersz";
    if (Value.find(EndOfText) != std::string_view::npos)
        return "zawiera znak Ctrl-Z, na którym program kończy czytanie pliku";
    return {};
}

std::string ReplaceSourceLines(std::string_view Old, const TSourceChanges& Changes)
{
    const std::string_view Text = Old.substr(0, Old.find(EndOfText));
    const std::string_view Tail = Old.substr(Text.size());
    // The lines the reader takes, then whatever follows the fifteenth.
    std::vector<TLine> Lines;
    std::size_t Pos = 0;
    while (Pos < Text.size() && Lines.size() < ReadLineCount) {
        const std::size_t Cr = Text.find(LineEnd, Pos);
        if (Cr == std::string_view::npos) {
            Lines.push_back({std::string(Text.substr(Pos)), {}});
            Pos = Text.size();
            break;
        }
        const std::size_t EndLength = LineEndLength(Text, Cr);
        Lines.push_back({std::string(Text.substr(Pos, Cr - Pos)), std::string(Text.substr(Cr, EndLength))});
        Pos = Cr + EndLength;
    }
    const std::string_view Rest = Text.substr(Pos);

    for (int Source = 0; Source < SourceCount; ++Source) {
        if (!Changes[Source])
            continue;
        const std::size_t First = static_cast<std::size_t>(3 * Source);
        while (Lines.size() < First + 3) {
            if (!Lines.empty() && Lines.back().End.empty())
                Lines.back().End = WrittenLineEnd;
            Lines.push_back({{}, std::string(WrittenLineEnd)});
        }
        const TSourceLines& New = *Changes[Source];
        for (const auto& [Offset, Value] :
             {std::pair{0, &New.Address}, std::pair{1, &New.StartMarker}, std::pair{2, &New.EndMarker}})
            Lines[First + Offset] = {*Value, std::string(WrittenLineEnd)};
    }

    std::string Bytes;
    Bytes.reserve(Old.size() + 256);
    for (const TLine& Line : Lines)
        Bytes.append(Line.Text).append(Line.End);
    Bytes.append(Rest).append(Tail);
    return Bytes;
}

void SaveSources(const std::string& FileName, const TSourceChanges& Changes)
{
    // A link is followed, so that the file it points to is the one rewritten.
    std::error_code Error;
    const std::string Path = std::filesystem::is_symlink(FileName, Error)
                                 ? std::filesystem::weakly_canonical(FileName, Error).string()
                                 : FileName;
    const std::optional<std::string> Old = ReadOld(Path);
    // New lines would go after the file's one long line, where nothing reads them.
    if (Old && EndsLinesInLf(std::string_view(*Old).substr(0, Old->find(EndOfText))))
        throw EConfigurationWrite(FileName +
                                  " ma końce wierszy LF bez CR, a program kończy wiersz tylko na CR, "
                                  "więc czyta cały plik jako jeden wiersz: zapisz go z końcami "
                                  "linii CR LF; nic nie zapisano");
    for (const auto& Change : Changes) {
        if (!Change)
            continue;
        for (const std::string* Value : {&Change->Address, &Change->StartMarker, &Change->EndMarker})
            if (const std::string Refusal = LineRefusal(*Value); !Refusal.empty())
                throw EConfigurationWrite("Wartość " + Refusal + "; nic nie zapisano");
    }
    std::string Empty;
    for (std::size_t Line = 0; Line < ReadLineCount; ++Line)
        Empty += WrittenLineEnd;
    const std::string New = ReplaceSourceLines(Old ? *Old : Empty, Changes);
    std::optional<mode_t> Mode;
    struct stat Status;
    if (Old && stat(Path.c_str(), &Status) == 0)
        Mode = Status.st_mode & 07777;
    // Both files are complete on disk before either name changes.
    std::optional<TPendingFile> Backup;
    if (Old)
        Backup.emplace(Path + ".bak", *Old, Mode);
    TPendingFile Written(Path, New, Mode);
    if (Backup)
        Backup->Commit();
    Written.Commit();
    SyncFolder(Path);
}
