// TVelorIconList: list operations and change events, copying, the stored form and corrupt forms.
#include "VelorIconList.h"
#include "Icon.h"
#include "PipeDevice.h"
#include "PopupMenu.h"
#include "TrayTestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QtEndian>
#include <cstring>
#include <gtest/gtest.h>

namespace {
template <typename TError, typename TAction> std::string ErrorOf(TAction Action)
{
    try {
        Action();
    } catch (const TError& Error) {
        return Error.what();
    }
    return "(no error)";
}

QByteArray Int32(qint32 Value)
{
    char Bytes[4];
    qToLittleEndian(Value, Bytes);
    return QByteArray(Bytes, 4);
}

QByteArray ProgramIconBytes()
{
    QFile File(QStringLiteral(TKW_PROGRAM_ICON));
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

} // namespace

TEST(VelorIconList, OperationsReportEachChangeOnce)
{
    TVelorIconList List;
    int Changes = 0;
    List.OnChange = [&](TVelorIconList* Sender) { Changes += Sender == &List ? 1 : 100; };
    TIcon Red(SolidImage(Qt::red)), Green(SolidImage(Qt::green)), Blue(SolidImage(Qt::blue));
    const auto Colours = [&] {
        std::string Text;
        for (int I = 0; I < List.Count(); ++I) {
            const TIcon* Entry = List.Items(I);
            const QColor C = Entry == nullptr || Entry->Empty() ? QColor() : Entry->Image().pixelColor(0, 0);
            Text += C == QColor(Qt::red)     ? 'R'
                    : C == QColor(Qt::green) ? 'G'
                    : C == QColor(Qt::blue)  ? 'B'
                    : C.isValid()            ? 'Y'
                                             : '-';
        }
        return Text;
    };

    EXPECT_EQ(List.Add(&Red), 0);
    EXPECT_EQ(List.Add(&Green), 1);
    List.Insert(0, &Blue);
    List.Exchange(0, 2);
    EXPECT_EQ(Colours(), "GRB");
    List.Move(0, 2);
    EXPECT_EQ(Colours(), "RBG");
    EXPECT_EQ(Changes, 5);

    TIcon* BlueEntry = List.Items(1);
    EXPECT_EQ(List.IndexOf(BlueEntry), 1);
    EXPECT_EQ(List.IndexOf(&Blue), -1) << "the list owns copies";
    BlueEntry->SetImage(SolidImage(Qt::yellow));
    List.SetItems(3, &Blue);
    List.SetItems(0, nullptr);
    EXPECT_EQ(Colours(), "-YGB");
    EXPECT_EQ(Changes, 8) << "an entry changed in place and each write of Items are one change each";

    List.BeginUpdate();
    List.Delete(0);
    List.Add(&Red);
    List.BeginUpdate();
    List.EndUpdate();
    EXPECT_EQ(Changes, 8);
    List.EndUpdate();
    EXPECT_EQ(Changes, 9);
    List.EndUpdate();
    List.Add(&Red);
    List.BeginUpdate();
    EXPECT_EQ(Changes, 9) << "an unmatched EndUpdate holds changes back until BeginUpdate evens it";
    List.Delete(4);
    EXPECT_EQ(Changes, 10);

    EXPECT_EQ(ErrorOf<EListError>([&] { List.Items(4); }), "List index out of bounds (4)");
    EXPECT_EQ(ErrorOf<EListError>([&] { List.Items(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(ErrorOf<EListError>([&] { List.Insert(5, &Red); }), "List index out of bounds (5)");
    EXPECT_EQ(ErrorOf<EListError>([&] { List.Exchange(0, 7); }), "List index out of bounds (7)");
    EXPECT_EQ(Colours(), "YGBR");

    List.Clear();
    EXPECT_EQ(List.Count(), 0);
    EXPECT_EQ(Changes, 11);
}

TEST(VelorIconList, AssignCopiesListsAndSingleImagesOnly)
{
    TIcon Red(SolidImage(Qt::red));
    TVelorIconList Source, Target;
    Source.Add(&Red);
    Source.Add(nullptr);
    for (int I = 0; I < 3; ++I)
        Target.Add(&Red);
    int Changes = 0;
    Target.OnChange = [&](TVelorIconList*) { ++Changes; };
    Target.Assign(&Source);
    EXPECT_EQ(Changes, 1);
    ASSERT_EQ(Target.Count(), 2);
    EXPECT_NE(Target.Items(0), Source.Items(0));
    EXPECT_EQ(Target.Items(0)->Image(), Red.Image());
    ASSERT_NE(Target.Items(1), nullptr);
    EXPECT_TRUE(Target.Items(1)->Empty());

    Target.Assign(&Red);
    EXPECT_EQ(Target.Count(), 1);
    Target.Assign(nullptr);
    EXPECT_EQ(Target.Count(), 0);

    TPopupMenu Menu;
    EXPECT_EQ(ErrorOf<EConvertError>([&] { Target.Assign(&Menu); }),
              "Cannot assign a TPopupMenu to a TVelorIconList");
    EXPECT_EQ(ErrorOf<EConvertError>([&] { Red.Assign(&Source); }),
              "Cannot assign a TVelorIconList to a TIcon");
}

TEST(VelorIconList, StoredFormRoundTrip)
{
    const QByteArray ProgramIcon = ProgramIconBytes();
    ASSERT_EQ(ProgramIcon.size(), 2238);
    TIcon Program, Drawn(SolidImage(QColor(10, 200, 30), 24));
    Program.LoadFromBytes(ProgramIcon);
    EXPECT_EQ(Program.Image().size(), QSize(32, 32));

    TVelorIconList List;
    List.Add(&Program);
    List.Add(nullptr);
    List.Add(&Drawn);
    QBuffer Stored;
    Stored.open(QIODevice::ReadWrite);
    List.WriteData(Stored);
    const QByteArray Bytes = Stored.data();
    EXPECT_EQ(Bytes.left(8), Int32(3) + Int32(2238)) << "count, then the first entry's size";
    EXPECT_EQ(Bytes.mid(8, 2238), ProgramIcon) << "an image loaded from an icon file keeps its bytes";
    EXPECT_EQ(Bytes.mid(8 + 2238, 4), Int32(0)) << "an empty image is stored with size 0";

    Stored.write("TAIL"); // belongs to someone else and is not read
    Stored.seek(0);
    TVelorIconList Read;
    Read.ReadData(Stored);
    EXPECT_EQ(Stored.pos(), Bytes.size());
    ASSERT_EQ(Read.Count(), 3);
    EXPECT_TRUE(Read.Items(1) == nullptr || Read.Items(1)->Empty());
    const auto Argb = [](const QImage& Image) { return Image.convertToFormat(QImage::Format_ARGB32); };
    EXPECT_EQ(Argb(Read.Items(2)->Image()), Argb(Drawn.Image()));
    QBuffer Again;
    Again.open(QIODevice::WriteOnly);
    Read.WriteData(Again);
    EXPECT_EQ(Again.data(), Bytes);
}

TEST(VelorIconList, CorruptStoredFormsRaiseAndLeaveTheListEmpty)
{
    const QByteArray Icon = ProgramIconBytes();
    ASSERT_EQ(Icon.size(), 2238);
    const QByteArray BrokenImage = Icon.left(22) + QByteArray(2216, '\x7f');
    struct TCase
    {
        const char* Name;
        QByteArray Bytes;
        const char* Says;
    };
    const TCase Cases[] = {
        {"no data", QByteArray(), "the data ends inside the entry count"},
        {"short count", QByteArray("\x01\x00", 2), "the data ends inside the entry count"},
        {"count without entries", Int32(1), "the data ends inside the size of entry 0"},
        {"negative count", Int32(-1), "negative entry count -1"},
        {"negative size", Int32(1) + Int32(-4) + "abcd", "entry 0 has negative size -4"},
        {"size past the end", Int32(2) + Int32(0) + Int32(5000) + QByteArray(10, 'x'),
         "entry 1 claims 5000 bytes"},
        {"huge size", Int32(1) + Int32(0x7fffffff) + "abcd", "entry 0 claims 2147483647 bytes"},
        {"huge count", Int32(0x7fffffff) + Int32(0) + Int32(0), "the data ends inside the size of entry 2"},
        {"cut icon", Int32(1) + Int32(2238) + Icon.left(1000), "entry 0 claims 2238 bytes"},
        {"not an icon", Int32(1) + Int32(5) + "hello", "entry 0: Invalid icon image"},
        {"icon of no images", Int32(1) + Int32(6) + QByteArray("\0\0\1\0\0\0", 6),
         "entry 0: Invalid icon image"},
        {"broken image", Int32(1) + Int32(2238) + BrokenImage, "entry 0: Invalid icon image"},
    };
    TIcon Red(SolidImage(Qt::red));
    for (const TCase& Case : Cases) {
        for (const bool Sequential : {false, true}) {
            SCOPED_TRACE(std::string(Case.Name) + (Sequential ? " (sequential)" : ""));
            QByteArray Bytes = Case.Bytes;
            QBuffer Buffer(&Bytes);
            Buffer.open(QIODevice::ReadOnly);
            TPipeDevice Pipe(Bytes);
            TVelorIconList List;
            List.Add(&Red);
            const std::string Error = ErrorOf<EReadError>(
                [&] { List.ReadData(Sequential ? static_cast<QIODevice&>(Pipe) : Buffer); });
            EXPECT_EQ(Error.rfind("Corrupt icon list: ", 0), 0u) << Error;
            EXPECT_NE(Error.find(Case.Says), std::string::npos) << Error;
            EXPECT_EQ(List.Count(), 0);
            EXPECT_LE(Pipe.LargestRead, 64 * 1024) << "reads in bounded pieces whatever a size claims";
        }
    }
}
