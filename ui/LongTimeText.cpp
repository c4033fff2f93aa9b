// The current time in the user's long time format.
#include "LongTimeText.h"

#include <ctime>

QString LongTimeText()
{
    const std::time_t Now = std::time(nullptr);
    std::tm Local{};
    localtime_r(&Now, &Local);
    char Text[64];
    const std::size_t Length = std::strftime(Text, sizeof Text, "%X", &Local);
    return QString::fromLocal8Bit(Text, static_cast<qsizetype>(Length));
}
