// New files of random names, without touching the umask (another thread may be creating files).
#include "NewFile.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <string_view>

int CreateNewFile(std::string& Path, unsigned Mode)
{
    constexpr std::string_view Letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr std::size_t Length = 6;
    thread_local std::mt19937_64 Random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> Pick(0, Letters.size() - 1);
    const std::size_t First = Path.size() - Length;
    for (int Attempt = 0; Attempt < 100; ++Attempt) {
        for (std::size_t I = First; I < Path.size(); ++I)
            Path[I] = Letters[Pick(Random)];
        const int Fd = open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, Mode);
        if (Fd >= 0 || errno != EEXIST)
            return Fd;
    }
    return -1;
}
