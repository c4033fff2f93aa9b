// LoadConfiguration: reads "dane.txt", three lines per source (address, start marker, end marker),
// handing every value on as soon as its line is read; ReadSourceValues: the same values all at once.
#pragma once

#include "SourceTable.h"

#include <array>
#include <functional>
#include <stdexcept>
#include <string>

inline constexpr const char* ConfigurationFileName = "dane.txt";

// An input/output error of the configuration file; its message is the one the user sees.
class EInOutError : public std::runtime_error
{
public:
    // The error for a C library error number: ENOENT and ENOTDIR give "File not found",
    // ENAMETOOLONG "Invalid filename", EMFILE and ENFILE "Too many open files", EACCES, EPERM and
    // EISDIR "File access denied", any other "I/O error <number>".
    static EInOutError FromErrno(int Errno);

    int ErrorCode;

private:
    EInOutError(int Code, const std::string& Message);
};

enum class TConfigField
{
    Address,
    StartMarker,
    EndMarker
};

// Receives each value as soon as its line has been read.
using TStoreValue = std::function<void(int Source, TConfigField Field, const std::string& Value)>;

// Reads FileName: a CR ends a line and an LF right after it belongs to the line end, a lone LF is
// text, byte 26 ends the readable text, lines after the fifteenth are ignored and missing lines
// read as empty. Returns the five addresses; throws EInOutError when the file cannot be opened or
// read, after storing the values read before the error, and without reading anything when it is not
// a regular file (a directory, a pipe or a device: "File access denied").
std::array<std::string, SourceCount> LoadConfiguration(const std::string& FileName, const TStoreValue& Store);

// Address, start marker and end marker of each source, indexed by TConfigField: bytes of the file.
using TSourceValues = std::array<std::array<std::string, 3>, SourceCount>;

// Reads FileName's values into Values; throws EInOutError as LoadConfiguration does, after storing
// the values read before the error.
void ReadSourceValues(const std::string& FileName, TSourceValues& Values);
