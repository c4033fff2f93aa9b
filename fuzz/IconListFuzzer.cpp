// Fuzz target for the frame list's stored form: the input is the stored data. It is read from a
// buffer that knows its size and from a pipe-like device that does not; both reads must agree, and
// each either succeeds or raises EReadError and leaves the list empty. A list that was read writes
// back exactly the bytes it consumed and reads again to the same count.
#include "FuzzCheck.h"
#include "PipeDevice.h"
#include "VelorIconList.h"

#include <QBuffer>
#include <QGuiApplication>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {
// Size of one read the list may ask of a device: a size field may not make it ask for more.
constexpr qint64 ReadPiece = 64 * 1024;

// The entry count after reading Stream into List; none when the read raised EReadError.
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
    // The icon images are decoded by Qt's image plugins; no display is needed for that.
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
    TVelorIconList List;
    const std::optional<int> Count = Read(List, Buffer);

    TPipeDevice Pipe(Bytes);
    TVelorIconList PipeList;
    const std::optional<int> PipeCount = Read(PipeList, Pipe);
    FUZZ_CHECK(Count == PipeCount);
    FUZZ_CHECK(Pipe.LargestRead <= ReadPiece);
    if (!Count)
        return 0;
    FUZZ_CHECK(Pipe.Consumed() == Buffer.pos());

    // Entries keep the icon-file bytes they were read from, so the written form is the data read.
    QBuffer Written;
    Written.open(QIODevice::ReadWrite);
    List.WriteData(Written);
    FUZZ_CHECK(Written.data() == Bytes.left(Buffer.pos()));
    Written.seek(0);
    TVelorIconList Again;
    FUZZ_CHECK(Read(Again, Written) == Count);
    return 0;
}
