// TTempDir: a fresh temporary directory with byte-exact file reads and writes; TWorkingDirectory:
// the process's working directory for the object's life.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

class TTempDir
{
public:
    TTempDir()
    {
        if (!Temporary.isValid())
            throw std::runtime_error("cannot create a temporary directory");
    }

    const std::filesystem::path& Path() const { return FPath; }
    // Path with a trailing "/", as the program's directory is held.
    std::string Dir() const { return FPath.string() + "/"; }

    void Write(const std::string& Name, const std::string& Bytes) const
    {
        std::ofstream(FPath / Name, std::ios::binary) << Bytes;
    }
    std::string Read(const std::string& Name) const
    {
        std::ifstream In(FPath / Name, std::ios::binary);
        if (!In)
            throw std::runtime_error("cannot read " + (FPath / Name).string());
        return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
    }
    bool Exists(const std::string& Name) const { return std::filesystem::exists(FPath / Name); }

private:
    // The default name holds the application's, with spaces, which a D-Bus address cannot hold.
    QTemporaryDir Temporary{QDir::tempPath() + QStringLiteral("/tickerwell-test-XXXXXX")};
    const std::filesystem::path FPath = QFile::encodeName(Temporary.path()).toStdString();
};

class TWorkingDirectory
{
public:
    explicit TWorkingDirectory(const std::filesystem::path& Dir) { std::filesystem::current_path(Dir); }
    ~TWorkingDirectory() { std::filesystem::current_path(Previous); }

private:
    const std::filesystem::path Previous = std::filesystem::current_path();
};
