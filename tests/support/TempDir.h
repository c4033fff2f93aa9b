// TTempDir: a fresh directory under the system's temporary folder, removed with everything in it
// when the object goes; the name may carry a suffix (for instance non-ASCII characters).
#pragma once

#include <filesystem>
#include <string>

class TTempDir
{
public:
    explicit TTempDir(const std::string& Suffix = "");
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    // Path with a trailing "/", as the program's directory is held.
    std::string Dir() const { return FPath.string() + "/"; }

    void Write(const std::string& Name, const std::string& Bytes) const;
    std::string Read(const std::string& Name) const;
    bool Exists(const std::string& Name) const;

private:
    std::filesystem::path FTop;
    std::filesystem::path FPath;
};

// Makes Dir the process's working directory for the object's life.
class TWorkingDirectory
{
public:
    explicit TWorkingDirectory(const std::filesystem::path& Dir);
    ~TWorkingDirectory();

private:
    std::filesystem::path FPrevious;
};
