// Helpers of the tray tests: a component on the recording tray that logs its events, plain images
// and waiting with the event loop running.
#pragma once

#include "NtfyIcon.h"
#include "RecordingTrayLayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

inline QImage SolidImage(QColor Colour, int Size = 16)
{
    QImage Image(Size, Size, QImage::Format_ARGB32);
    Image.fill(Colour);
    return Image;
}

// Runs the event loop until Done holds or TimeoutMs pass; returns Done's last value.
inline bool RunEventsUntil(const std::function<bool()>& Done, int TimeoutMs = 5000)
{
    QElapsedTimer Clock;
    Clock.start();
    while (!Done()) {
        if (Clock.elapsed() > TimeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline void RunEventsFor(int Milliseconds)
{
    RunEventsUntil([] { return false; }, Milliseconds);
}

inline std::string ButtonName(TMouseButton Button)
{
    switch (Button) {
    case TMouseButton::mbLeft:
        return "left";
    case TMouseButton::mbRight:
        return "right";
    case TMouseButton::mbMiddle:
        return "middle";
    }
    return "?";
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

// A component on a recording tray whose events append lines such as "Click left [left]" to Events.
class TLoggedIcon
{
public:
    TLoggedIcon()
    {
        auto Layer = std::make_unique<TRecordingTrayLayer>();
        Tray = Layer.get();
        Icon = std::make_unique<TNotificationIcon>(nullptr, std::move(Layer));
        Icon->OnClick = [this](QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
            Log(Sender, "Click " + ButtonName(Button) + " [" + ShiftName(Shift) + "]", X, Y);
        };
        Icon->OnMouseDown = [this](QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
            Log(Sender, "MouseDown " + ButtonName(Button) + " [" + ShiftName(Shift) + "]", X, Y);
        };
        Icon->OnMouseUp = [this](QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
            Log(Sender, "MouseUp " + ButtonName(Button) + " [" + ShiftName(Shift) + "]", X, Y);
        };
        Icon->OnMouseMove = [this](QObject* Sender, TShiftState Shift, int X, int Y) {
            Log(Sender, "MouseMove [" + ShiftName(Shift) + "]", X, Y);
        };
        Icon->OnDblClick = [this](QObject* Sender) { Log(Sender, "DblClick", 0, 0); };
    }

    // Gives the component an image and ends its loading, which adds the icon.
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
