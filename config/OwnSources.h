// TSourcesFile: the sources of one's own and per-source keys, as held in "zrodla.ini" beside the
// configuration file. The format is the program's own and is read and written here rather than
// through QSettings, which drops comments and the order of unknown keys and escapes non-ASCII text:
// the file is meant to be read and edited by a person, in UTF-8.
//
//   # a comment (a line whose first character is "#" or ";")
//   next-id = 8
//   [6]                      one section per source id; 1 to 5 hold keys of the five
//   caption = Poranny komentarz
//   address = https://example.com/komentarz
//   start = <div class="note">
//   end =                    an empty text
//   on = yes                 or no
//
// A value is the text after the first "=", without the blanks around it, taken as it stands. A
// value that begins or ends with a blank, begins with a quote, or holds a control character is
// written in quotes, where \" \\ \n \r \t and \xHH stand for themselves.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* OwnSourcesFileName = "zrodla.ini";
// Ids 1 to 5 are the five fixed sources; one's own start at 6 and are never reused.
inline constexpr int FirstOwnId = 6;
inline constexpr int MaxOwnSources = 50;
inline constexpr std::size_t MaxCaptionLength = 40;

// A source of one's own; texts in UTF-8. An empty start text cuts from the beginning of the page,
// an empty end text to its end.
struct TOwnSource
{
    int Id = 0;
    std::string Caption;
    std::string Address;
    std::string StartText;
    std::string EndText;
    bool On = true;
};

// A file that cannot be read or is broken: the message names the file and, for a broken one, the
// line and what is wrong with it, in Polish.
class ESourcesFile : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Why a value cannot be a caption (1 to 40 characters of UTF-8 text on one line) or an address
// (http or https), in Polish; empty when it can.
std::string CaptionRefusal(std::string_view Caption);
std::string AddressRefusal(std::string_view Address);

// The page file of source Id, in the page folder: "zrodlo6.htm".
std::string OwnPageFileName(int Id);

class TSourcesFile
{
public:
    // Reads the text of file FileName (named in the messages); throws ESourcesFile when broken.
    static TSourcesFile Parse(std::string_view Text, const std::string& FileName);

    // The file's text: every line read is kept as it was unless its value changed; removed
    // sources' sections are left out and new ones added at the end.
    std::string Text() const;

    // One's own sources in the file's order.
    std::vector<TOwnSource> Sources() const;
    std::optional<TOwnSource> Source(int Id) const;

    // Adds Source under the next id, which it returns; throws ESourcesFile for a refused caption or
    // address, or when MaxOwnSources are already there.
    int Add(TOwnSource Source);
    // Writes the fields of an existing source; throws ESourcesFile for a refused caption or address
    // or an id that is not there.
    void Update(const TOwnSource& Source);
    // Removes the source's section; false when there is none.
    bool Remove(int Id);

    // The values of Key in the section of Id (any id from 1), in order; for keys that repeat.
    std::vector<std::string> Values(int Id, std::string_view Key) const;
    // Replaces the values of Key in the section of Id, the section made when missing; no values
    // removes the key.
    void SetValues(int Id, std::string_view Key, const std::vector<std::string>& Values);

private:
    struct TLine
    {
        std::string Raw; // as read or written
        std::string Key; // empty for a comment or a blank line
        std::string Value;
    };
    struct TSection
    {
        std::string Header; // the header line; empty for the lines before the first section
        std::string Name;   // what stands between the brackets
        int Id = 0;         // the source id, 0 for the lines before the first section and other names
        std::vector<TLine> Lines;
    };

    TSection* Find(int Id);
    const TSection* Find(int Id) const;
    static void SetIn(TSection& Section, std::string_view Key, const std::vector<std::string>& Values);
    static void Check(const TOwnSource& Source);
    void Write(const TOwnSource& Source);
    TSection& AddSection(int Id);

    std::vector<TSection> Sections{TSection{}};
    int NextId = FirstOwnId;
};

// Reads the file at Path; a missing file holds no sources. Throws ESourcesFile.
TSourcesFile LoadSourcesFile(const std::string& Path);

// Writes File to Path atomically, keeping the previous file as Path + ".bak"; throws EFileWrite.
void SaveSourcesFile(const std::string& Path, const TSourcesFile& File);
