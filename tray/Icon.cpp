// Icon images: loading and saving the icon-file form through Qt's ICO image plugin.
#include "Icon.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>
#include <algorithm>

namespace {
[[noreturn]] void InvalidIcon(const QString& Why)
{
    throw EInvalidGraphic(QStringLiteral("Invalid icon image: %1").arg(Why).toStdString());
}

// An icon file starts with reserved 0, type 1 and at least one image; Qt's reader would also take
// cursor files and guess at other formats, which are not icons.
void CheckIconHeader(const QByteArray& Bytes)
{
    if (Bytes.size() < 6)
        InvalidIcon(QStringLiteral("%1 bytes are too short for an icon file").arg(Bytes.size()));
    const auto* Header = reinterpret_cast<const uchar*>(Bytes.constData());
    if (qFromLittleEndian<quint16>(Header) != 0 || qFromLittleEndian<quint16>(Header + 2) != 1)
        InvalidIcon(QStringLiteral("no icon file header"));
    const quint16 Count = qFromLittleEndian<quint16>(Header + 4);
    if (Count == 0 || Bytes.size() < 6 + 16 * qsizetype(Count))
        InvalidIcon(
            QStringLiteral("directory of %1 images does not fit in %2 bytes").arg(Count).arg(Bytes.size()));
}
} // namespace

void TIcon::SetImage(const QImage& Image)
{
    FImage = Image;
    FData.clear();
    Changed();
}

void TIcon::Assign(const TPersistent* Source)
{
    if (Source == nullptr) {
        SetImage(QImage());
        return;
    }
    if (const auto* Other = dynamic_cast<const TIcon*>(Source)) {
        FImage = Other->FImage;
        FData = Other->FData;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TIcon::LoadFromBytes(const QByteArray& Bytes)
{
    CheckIconHeader(Bytes);
    QByteArray Copy = Bytes;
    QBuffer Buffer(&Copy);
    Buffer.open(QIODevice::ReadOnly);
    QImageReader Reader(&Buffer, "ico");
    Reader.setDecideFormatFromContent(false);
    // The largest image of the file scales best to whatever size the tray asks for.
    QImage Best;
    const int Count = std::max(1, Reader.imageCount());
    for (int I = 0; I < Count; ++I) {
        if (I > 0 && !Reader.jumpToImage(I))
            break;
        const QImage Image = Reader.read();
        if (!Image.isNull() && Image.width() * Image.height() > Best.width() * Best.height())
            Best = Image;
    }
    if (Best.isNull())
        InvalidIcon(Reader.errorString());
    FImage = Best;
    FData = Bytes;
    Changed();
}

void TIcon::LoadFromFile(const QString& Path)
{
    QFile File(Path);
    if (!File.open(QIODevice::ReadOnly))
        throw EInvalidGraphic(
            QStringLiteral("Cannot open icon file %1: %2").arg(Path, File.errorString()).toStdString());
    LoadFromBytes(File.readAll());
}

QByteArray TIcon::SaveToBytes() const
{
    if (Empty())
        return {};
    if (!FData.isEmpty())
        return FData;
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter Writer(&Buffer, "ico");
    if (!Writer.write(FImage))
        throw EInvalidGraphic(
            QStringLiteral("Cannot write icon image: %1").arg(Writer.errorString()).toStdString());
    return Bytes;
}

void TIcon::Changed()
{
    if (OnChange)
        OnChange();
}
