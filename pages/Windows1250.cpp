// Windows-1250 to Unicode, and UTF-8 to the locale's encoding, through the C library's iconv.
#include "Windows1250.h"

#include <cerrno>
#include <iconv.h>
#include <langinfo.h>

namespace {
// Converts Bytes from one encoding to another; a byte that cannot be converted is skipped and
// Replacement stands in for it. Without a converter the bytes come back unchanged.
std::string Convert(std::string_view Bytes, const char* From, const std::string& To,
                    std::string_view Replacement)
{
    iconv_t Converter = iconv_open(To.c_str(), From);
    if (Converter == reinterpret_cast<iconv_t>(-1))
        return std::string(Bytes);
    std::string Out;
    char* In = const_cast<char*>(Bytes.data());
    std::size_t InLeft = Bytes.size();
    char Buffer[4096];
    while (InLeft > 0) {
        char* OutPtr = Buffer;
        std::size_t OutLeft = sizeof Buffer;
        const std::size_t Result = iconv(Converter, &In, &InLeft, &OutPtr, &OutLeft);
        Out.append(Buffer, OutPtr);
        if (Result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            ++In;
            --InLeft;
            Out.append(Replacement);
        }
    }
    iconv_close(Converter);
    return Out;
}
} // namespace

std::string Windows1250ToUtf8(std::string_view Bytes)
{
    // Five bytes have no character in Windows-1250.
    return Convert(Bytes, "WINDOWS-1250", "UTF-8", "\xEF\xBF\xBD");
}

QString FromWindows1250(std::string_view Bytes)
{
    return QString::fromUtf8(Windows1250ToUtf8(Bytes));
}

std::string Utf8ToLocale(std::string_view Text)
{
    return Convert(Text, "UTF-8", std::string(nl_langinfo(CODESET)) + "//TRANSLIT", "?");
}
