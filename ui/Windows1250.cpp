// Windows-1250 to Unicode through the C library's iconv.
#include "Windows1250.h"

#include <algorithm>
#include <iconv.h>
#include <string>

QString FromWindows1250(std::string_view Bytes)
{
    iconv_t Converter = iconv_open("UTF-8", "WINDOWS-1250");
    if (Converter == reinterpret_cast<iconv_t>(-1))
        return QString::fromLatin1(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
    std::string Out(Bytes.size() * 3, '\0');
    char* In = const_cast<char*>(Bytes.data());
    std::size_t InLeft = Bytes.size();
    char* OutPtr = Out.data();
    std::size_t OutLeft = Out.size();
    while (InLeft > 0 && iconv(Converter, &In, &InLeft, &OutPtr, &OutLeft) == static_cast<std::size_t>(-1)) {
        // Five bytes have no character in Windows-1250: show them as replacement characters.
        ++In;
        --InLeft;
        OutPtr = std::copy_n("\xEF\xBF\xBD", 3, OutPtr);
        OutLeft -= 3;
    }
    iconv_close(Converter);
    Out.resize(Out.size() - OutLeft);
    return QString::fromUtf8(Out);
}
