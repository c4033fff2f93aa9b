// The configuration file reader.
#include "Configuration.h"

#include "ConfigText.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Reads a file line by line through a fixed buffer, so that a long file costs no more memory than
// the lines taken from it.
class TLineReader
{
public:
    explicit TLineReader(const std::string& FileName)
        : Fd(open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
    {
        if (Fd < 0)
            throw EInOutError::FromErrno(errno);
        // Only a regular file is read: a pipe or a device put in its place could keep the reader,
        // and with it the window, waiting for ever. Opening without waiting lets this be checked.
        struct stat Status;
        int Error = 0;
        if (fstat(Fd, &Status) != 0)
            Error = errno;
        else if (!S_ISREG(Status.st_mode))
            Error = S_ISDIR(Status.st_mode) ? EISDIR : EACCES;
        else if (fcntl(Fd, F_SETFL, fcntl(Fd, F_GETFL) & ~O_NONBLOCK) != 0)
            Error = errno;
        if (Error != 0) {
            close(Fd);
            throw EInOutError::FromErrno(Error);
        }
    }
    ~TLineReader() { close(Fd); }
    TLineReader(const TLineReader&) = delete;
    TLineReader& operator=(const TLineReader&) = delete;

    std::string ReadLine()
    {
        std::string Line;
        while (!AtEnd) {
            if (Pos == Size && !Fill())
                break;
            const char* Begin = Buffer + Pos;
            const char* End = Buffer + Size;
            const char* Stop = Begin;
            while (Stop != End && *Stop != LineEnd && *Stop != EndOfText)
                ++Stop;
            Line.append(Begin, Stop);
            Pos += static_cast<std::size_t>(Stop - Begin);
            if (Stop == End)
                continue;
            if (*Stop == EndOfText) {
                AtEnd = true;
                break;
            }
            ++Pos;
            if ((Pos < Size || Fill()) && Buffer[Pos] == LineEndTail)
                ++Pos;
            break;
        }
        return Line;
    }

private:
    bool Fill()
    {
        ssize_t Count;
        do
            Count = read(Fd, Buffer, sizeof Buffer);
        while (Count < 0 && errno == EINTR);
        if (Count < 0)
            throw EInOutError::FromErrno(errno);
        Pos = 0;
        Size = static_cast<std::size_t>(Count);
        AtEnd = Count == 0;
        return !AtEnd;
    }

    int Fd;
    char Buffer[65536];
    std::size_t Pos = 0;
    std::size_t Size = 0;
    bool AtEnd = false;
};
} // namespace

EInOutError::EInOutError(int Code, const std::string& Message) : std::runtime_error(Message), ErrorCode(Code)
{
}

EInOutError EInOutError::FromErrno(int Errno)
{
    switch (Errno) {
    case ENOENT:
    case ENOTDIR:
        return {2, "File not found"};
    case ENAMETOOLONG:
        return {3, "Invalid filename"};
    case EMFILE:
    case ENFILE:
        return {4, "Too many open files"};
    case EACCES:
    case EPERM:
    case EISDIR:
        return {5, "File access denied"};
    default:
        return {Errno, "I/O error " + std::to_string(Errno)};
    }
}

std::array<std::string, SourceCount> LoadConfiguration(const std::string& FileName, const TStoreValue& Store)
{
    TLineReader Reader(FileName);
    std::array<std::string, SourceCount> Addresses;
    for (int Source = 0; Source < SourceCount; ++Source) {
        Addresses[Source] = Reader.ReadLine();
        Store(Source, TConfigField::Address, Addresses[Source]);
        Store(Source, TConfigField::StartMarker, Reader.ReadLine());
        Store(Source, TConfigField::EndMarker, Reader.ReadLine());
    }
    return Addresses;
}

void ReadSourceValues(const std::string& FileName, TSourceValues& Values)
{
    LoadConfiguration(FileName, [&Values](int Source, TConfigField Field, const std::string& Value) {
        Values[Source][static_cast<int>(Field)] = Value;
    });
}
