// The blinking-dot frames of the tray icon.
#include "SignalFrames.h"

#include "VelorIconList.h"

#include <QPainter>

namespace {
// Image with a dot in its upper right corner, the mark of something new.
QImage WithDot(const QImage& Image)
{
    QImage Marked = Image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int Side = std::max(4, std::min(Marked.width(), Marked.height()) / 2);
    QPainter Painter(&Marked);
    Painter.setRenderHint(QPainter::Antialiasing);
    Painter.setPen(QPen(Qt::white, std::max(1, Side / 8)));
    Painter.setBrush(QColor(0xE0, 0x20, 0x20));
    Painter.drawEllipse(QRectF(Marked.width() - Side, 0, Side, Side).adjusted(0.5, 0.5, -0.5, -0.5));
    return Marked;
}
} // namespace

void MakeSignalFrames(const QImage& Still, TVelorIconList& Frames)
{
    const TIcon Marked(WithDot(Still));
    const TIcon Plain(Still);
    Frames.BeginUpdate();
    Frames.Clear();
    Frames.Add(&Marked);
    Frames.Add(&Plain);
    Frames.EndUpdate();
}
