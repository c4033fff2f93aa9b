// Fuzz target for the frame list's stored form: buffer and pipe reads agree, fail cleanly, and
// a list read writes back the bytes it took.
#include "FuzzCheck.h"
#include "PipeDevice.h"
#include "VelorIconList.h"

#include <QBuffer>
#include <QGuiApplication>
#include <optional>

namespace {
std::optional<int> Read(TVelorIconList& List, QIODevice& Stream)
{
    try {
        List.ReadData(Stream);
        return List.Count();
    } catch (const EReadError&) {
        FUZZ_CHECK(List.Count() == 0);
        return std::nullopt;
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Qt's image plugins decode the icons; they need no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int Argc = 1;
    static char Name[] = "fuzz_icon_list";
    static char* Argv[] = {Name, nullptr};
    static QGuiApplication App(Argc, Argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const QByteArray Bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(Data), qsizetype(Size));
    QBuffer Buffer;
    Buffer.setData(Bytes);
    Buffer.open(QIODevice::ReadOnly);
    TVelorIconList List, PipeList, Again;
    const std::optional<int> Count = Read(List, Buffer);
    TPipeDevice Pipe(Bytes);
    FUZZ_CHECK(Read(PipeList, Pipe) == Count);
    FUZZ_CHECK(Pipe.LargestRead <= 64 * 1024);
    if (!Count)
        return 0;
    FUZZ_CHECK(Pipe.Consumed() == Buffer.pos());
    QBuffer Written;
    Written.open(QIODevice::ReadWrite);
    List.WriteData(Written);
    FUZZ_CHECK(Written.data() == Bytes.left(Buffer.pos()));
    Written.seek(0);
    FUZZ_CHECK(Read(Again, Written) == Count);
    return 0;
}
