// Temporary directories for tests.
#include "TempDir.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <stdlib.h>

TTempDir::TTempDir(const std::string& Suffix)
{
    std::string Template = (std::filesystem::temp_directory_path() / "tkw-XXXXXX").string();
    if (!mkdtemp(Template.data()))
        throw std::runtime_error("cannot create a temporary directory");
    FTop = Template;
    FPath = FTop;
    if (!Suffix.empty()) {
        FPath /= Suffix;
        std::filesystem::create_directory(FPath);
    }
}

TTempDir::~TTempDir()
{
    std::error_code Ignored;
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 Ignored);
    std::filesystem::remove_all(FTop, Ignored);
}

void TTempDir::Write(const std::string& Name, const std::string& Bytes) const
{
    std::ofstream Out(FPath / Name, std::ios::binary | std::ios::trunc);
    Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    if (!Out)
        throw std::runtime_error("cannot write " + (FPath / Name).string());
}

std::string TTempDir::Read(const std::string& Name) const
{
    std::ifstream In(FPath / Name, std::ios::binary);
    if (!In)
        throw std::runtime_error("cannot read " + (FPath / Name).string());
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

bool TTempDir::Exists(const std::string& Name) const
{
    return std::filesystem::exists(FPath / Name);
}

TWorkingDirectory::TWorkingDirectory(const std::filesystem::path& Dir)
    : FPrevious(std::filesystem::current_path())
{
    std::filesystem::current_path(Dir);
}

TWorkingDirectory::~TWorkingDirectory()
{
    std::error_code Ignored;
    std::filesystem::current_path(FPrevious, Ignored);
}
