// The frame list's operations, copy rules and stored form.
#include "VelorIconList.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>

namespace {
class TUpdateScope
{
public:
    explicit TUpdateScope(TVelorIconList& List) : FList(List) { FList.BeginUpdate(); }
    ~TUpdateScope() { FList.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    TVelorIconList& FList;
};

[[noreturn]] void Corrupt(const QString& Why)
{
    throw EReadError(QStringLiteral("Corrupt icon list: %1").arg(Why).toStdString());
}

qint32 ReadInt32(QIODevice& Stream, const QString& What)
{
    char Bytes[4];
    if (Stream.read(Bytes, 4) != 4)
        Corrupt(QStringLiteral("the data ends inside %1").arg(What));
    return qFromLittleEndian<qint32>(Bytes);
}

// Reads Size bytes in bounded pieces, so that a size field larger than the data costs no more
// memory than the data itself.
QByteArray ReadBytes(QIODevice& Stream, qint32 Size, int Entry)
{
    if (!Stream.isSequential() && Stream.bytesAvailable() < Size)
        Corrupt(QStringLiteral("entry %1 claims %2 bytes but only %3 remain")
                    .arg(Entry)
                    .arg(Size)
                    .arg(Stream.bytesAvailable()));
    constexpr qint64 Piece = 64 * 1024;
    QByteArray Bytes;
    while (Bytes.size() < Size) {
        const QByteArray Part = Stream.read(std::min<qint64>(Piece, Size - Bytes.size()));
        if (Part.isEmpty())
            Corrupt(QStringLiteral("entry %1 claims %2 bytes but the data ends after %3")
                        .arg(Entry)
                        .arg(Size)
                        .arg(Bytes.size()));
        Bytes.append(Part);
    }
    return Bytes;
}

void WriteInt32(QIODevice& Stream, qint32 Value)
{
    char Bytes[4];
    qToLittleEndian(Value, Bytes);
    Stream.write(Bytes, 4);
}
} // namespace

TVelorIconList::~TVelorIconList()
{
    OnChange = nullptr;
    Clear();
}

void TVelorIconList::BeginUpdate()
{
    ++FUpdateCount;
}

void TVelorIconList::EndUpdate()
{
    // A plain counter: an unmatched EndUpdate takes it below 0, and changes stay unreported until
    // as many BeginUpdate calls have brought it back to 0.
    if (--FUpdateCount == 0)
        Changed();
}

void TVelorIconList::Changed()
{
    if (FUpdateCount == 0 && OnChange)
        OnChange(this);
}

TIcon* TVelorIconList::Items(int Index) const
{
    CheckIndex(Index);
    return FItems[std::size_t(Index)].get();
}

int TVelorIconList::Count() const
{
    return int(FItems.size());
}

void TVelorIconList::SetItems(int Index, const TIcon* Image)
{
    TUpdateScope Update(*this);
    if (Index == Count())
        Add(nullptr);
    CheckIndex(Index);
    std::unique_ptr<TIcon>& Entry = FItems[std::size_t(Index)];
    if (!Entry)
        Entry = NewEntry();
    Entry->Assign(Image);
}

int TVelorIconList::Add(const TIcon* Image)
{
    const int Index = Count();
    Insert(Index, Image);
    return Index;
}

void TVelorIconList::Clear()
{
    TUpdateScope Update(*this);
    for (int I = Count() - 1; I >= 0; --I)
        Delete(I);
}

void TVelorIconList::Delete(int Index)
{
    CheckIndex(Index);
    if (FItems[std::size_t(Index)])
        FItems[std::size_t(Index)]->OnChange = nullptr;
    FItems.erase(FItems.begin() + Index);
    Changed();
}

void TVelorIconList::Exchange(int Index1, int Index2)
{
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(FItems[std::size_t(Index1)], FItems[std::size_t(Index2)]);
    Changed();
}

int TVelorIconList::IndexOf(const TIcon* Image) const
{
    const auto Found = std::find_if(FItems.begin(), FItems.end(),
                                    [Image](const auto& Entry) { return Entry.get() == Image; });
    return Found == FItems.end() ? -1 : int(Found - FItems.begin());
}

void TVelorIconList::Insert(int Index, const TIcon* Image)
{
    if (Index < 0 || Index > Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index).toStdString());
    // The copy is made before the list changes: a failed copy leaves the list as it was.
    std::unique_ptr<TIcon> Entry = std::make_unique<TIcon>();
    Entry->Assign(Image);
    Entry->OnChange = [this] { Changed(); };
    FItems.insert(FItems.begin() + Index, std::move(Entry));
    Changed();
}

void TVelorIconList::Move(int CurIndex, int NewIndex)
{
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    if (CurIndex != NewIndex) {
        std::unique_ptr<TIcon> Entry = std::move(FItems[std::size_t(CurIndex)]);
        FItems.erase(FItems.begin() + CurIndex);
        FItems.insert(FItems.begin() + NewIndex, std::move(Entry));
    }
    Changed();
}

void TVelorIconList::Assign(const TPersistent* Source)
{
    if (Source == this)
        return;
    if (Source == nullptr) {
        Clear();
        return;
    }
    if (const auto* Other = dynamic_cast<const TVelorIconList*>(Source)) {
        TUpdateScope Update(*this);
        Clear();
        for (const auto& Entry : Other->FItems)
            Add(Entry.get());
        return;
    }
    if (const auto* Icon = dynamic_cast<const TIcon*>(Source)) {
        TUpdateScope Update(*this);
        Clear();
        Add(Icon);
        return;
    }
    TPersistent::Assign(Source);
}

void TVelorIconList::WriteData(QIODevice& Stream) const
{
    WriteInt32(Stream, qint32(Count()));
    for (const auto& Entry : FItems) {
        const QByteArray Bytes = Entry ? Entry->SaveToBytes() : QByteArray();
        WriteInt32(Stream, qint32(Bytes.size()));
        Stream.write(Bytes);
    }
}

void TVelorIconList::ReadData(QIODevice& Stream)
{
    TUpdateScope Update(*this);
    Clear();
    try {
        const qint32 Entries = ReadInt32(Stream, QStringLiteral("the entry count"));
        if (Entries < 0)
            Corrupt(QStringLiteral("negative entry count %1").arg(Entries));
        // No room is reserved for the count read: each entry must first be found in the data.
        for (int I = 0; I < Entries; ++I) {
            const qint32 Size = ReadInt32(Stream, QStringLiteral("the size of entry %1").arg(I));
            if (Size < 0)
                Corrupt(QStringLiteral("entry %1 has negative size %2").arg(I).arg(Size));
            if (Size == 0) {
                FItems.push_back(nullptr);
                continue;
            }
            const QByteArray Bytes = ReadBytes(Stream, Size, I);
            std::unique_ptr<TIcon> Entry = NewEntry();
            try {
                Entry->LoadFromBytes(Bytes);
            } catch (const EInvalidGraphic& Error) {
                Corrupt(QStringLiteral("entry %1: %2").arg(I).arg(QString::fromUtf8(Error.what())));
            }
            FItems.push_back(std::move(Entry));
        }
    } catch (...) {
        Clear();
        throw;
    }
}

void TVelorIconList::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index).toStdString());
}

std::unique_ptr<TIcon> TVelorIconList::NewEntry()
{
    auto Entry = std::make_unique<TIcon>();
    Entry->OnChange = [this] { Changed(); };
    return Entry;
}
