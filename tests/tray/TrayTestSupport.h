// Tray test helpers: plain images and a component on the recording tray that logs its events.
#pragma once

#include "NtfyIcon.h"
#include "RecordingTrayLayer.h"
#include "WaitUntil.h"

#include <QImage>
#include <memory>
#include <string>
#include <vector>

inline QImage SolidImage(QColor Colour, int Size = 16)
{
    QImage Image(Size, Size, QImage::Format_ARGB32);
    Image.fill(Colour);
    return Image;
}

inline std::string ButtonName(TMouseButton Button)
{
    return Button == TMouseButton::mbLeft ? "left" : Button == TMouseButton::mbRight ? "right" : "middle";
}

inline std::string ShiftName(TShiftState Shift)
{
    static const std::pair<TShiftState, const char*> Names[] = {
        {ssShift, "shift"}, {ssAlt, "alt"},       {ssCtrl, "ctrl"},     {ssLeft, "left"},
        {ssRight, "right"}, {ssMiddle, "middle"}, {ssDouble, "double"},
    };
    std::string Text;
    for (const auto& [Bit, Name] : Names) {
        if ((Shift & Bit) != 0)
            Text += (Text.empty() ? "" : "+") + std::string(Name);
    }
    return Text;
}

// Logs events as lines such as "Click left [left]" in Events and their positions in Positions.
class TLoggedIcon
{
public:
    TLoggedIcon()
    {
        auto Layer = std::make_unique<TRecordingTrayLayer>();
        Tray = Layer.get();
        Icon = std::make_unique<TNotificationIcon>(nullptr, std::move(Layer));
        const auto Button = [this](const std::string& Name) {
            return [this, Name](QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
                Log(Sender, Name + " " + ButtonName(Button) + " [" + ShiftName(Shift) + "]", X, Y);
            };
        };
        Icon->OnClick = Button("Click");
        Icon->OnMouseDown = Button("MouseDown");
        Icon->OnMouseUp = Button("MouseUp");
        Icon->OnMouseMove = [this](QObject* Sender, TShiftState Shift, int X, int Y) {
            Log(Sender, "MouseMove [" + ShiftName(Shift) + "]", X, Y);
        };
        Icon->OnDblClick = [this](QObject* Sender) { Log(Sender, "DblClick", 0, 0); };
    }

    // Sets an image and ends loading, which adds the icon.
    void ShowWithImage(QColor Colour = Qt::red)
    {
        Icon->Icon()->SetImage(SolidImage(Colour));
        Icon->Loaded();
    }

    std::vector<std::string> Events;
    std::vector<QPoint> Positions;
    TRecordingTrayLayer* Tray;
    std::unique_ptr<TNotificationIcon> Icon;

private:
    void Log(QObject* Sender, const std::string& Line, int X, int Y)
    {
        Events.push_back(Sender == Icon.get() ? Line : Line + " (wrong sender)");
        Positions.emplace_back(X, Y);
    }
};
