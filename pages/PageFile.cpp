// Atomic replacement of page files, and their comparison with the file replaced.
#include "PageFile.h"

#include "NewFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace {
[[noreturn]] void Fail(const std::string& What, int Error, const std::string& Temporary)
{
    if (!Temporary.empty())
        unlink(Temporary.c_str());
    throw std::system_error(Error, std::generic_category(), What);
}

// Whether Bytes differ from the file at Path; false when there is no such file. Reads the file at
// most once, in blocks, and not at all when its size differs.
bool DiffersFromFile(const std::string& Path, std::string_view Bytes)
{
    std::error_code Error;
    const auto Size = std::filesystem::file_size(Path, Error);
    if (Error)
        return false;
    if (Size != Bytes.size())
        return true;
    std::ifstream File(Path, std::ios::binary);
    std::array<char, 65536> Block;
    for (std::size_t Done = 0; Done < Bytes.size();) {
        const std::size_t Want = std::min(Block.size(), Bytes.size() - Done);
        if (!File.read(Block.data(), static_cast<std::streamsize>(Want)))
            return true;
        if (Bytes.substr(Done, Want) != std::string_view(Block.data(), Want))
            return true;
        Done += Want;
    }
    return false;
}
} // namespace

bool WritePageFile(const std::string& Path, std::string_view Text)
{
    const bool Changed = DiffersFromFile(Path, Text);
    const auto Slash = Path.find_last_of('/');
    std::string Temporary = Path.substr(0, Slash + 1) + "." + Path.substr(Slash + 1) + ".XXXXXX";
    // Made with the permissions a new file gets under the umask, which stays as it is.
    const int Fd = CreateNewFile(Temporary);
    if (Fd < 0)
        Fail("Cannot create " + Path, errno, {});
    const char* Data = Text.data();
    std::size_t Left = Text.size();
    while (Left > 0) {
        const ssize_t Written = write(Fd, Data, Left);
        if (Written < 0 && errno == EINTR)
            continue;
        if (Written <= 0) {
            const int Error = Written < 0 ? errno : EIO;
            close(Fd);
            Fail("Cannot write " + Path, Error, Temporary);
        }
        Data += Written;
        Left -= static_cast<std::size_t>(Written);
    }
    if (close(Fd) != 0)
        Fail("Cannot write " + Path, errno, Temporary);
    if (rename(Temporary.c_str(), Path.c_str()) != 0)
        Fail("Cannot replace " + Path, errno, Temporary);
    return Changed;
}
