// TIcon: an icon image with a change notification; it keeps the icon-file bytes it was loaded from
// so that saving gives them back unchanged.
#pragma once

#include "Persistent.h"

#include <QByteArray>
#include <QImage>
#include <functional>

class TIcon : public TPersistent
{
public:
    TIcon() = default;
    explicit TIcon(const QImage& Image) : FImage(Image) {}
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    // No image.
    bool Empty() const { return FImage.isNull(); }
    const QImage& Image() const { return FImage; }
    void SetImage(const QImage& Image);

    // Copies another TIcon (nullptr empties this one); anything else is an EConvertError.
    void Assign(const TPersistent* Source) override;
    QString ClassName() const override { return QStringLiteral("TIcon"); }

    // Loads an icon file (.ico form); bytes that are not one raise EInvalidGraphic and leave the
    // image unchanged.
    void LoadFromBytes(const QByteArray& Bytes);
    void LoadFromFile(const QString& Path);
    // The image in icon-file form: the bytes it was loaded from, or else a freshly written icon
    // file; empty for an empty image.
    QByteArray SaveToBytes() const;

    // Runs after every change of the image.
    std::function<void()> OnChange;

private:
    void Changed();

    QImage FImage;
    QByteArray FData;
};
