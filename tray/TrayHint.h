// TTrayHint: the tray icon's tooltip as one composition of its lines, so that the parts of the window
// that each tell one line (the program's name, the next refresh, the last failed channel) never
// overwrite each other.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>

class TNotificationIcon;

// The tooltip's lines, top to bottom.
enum class THintLine : std::uint8_t
{
    Name,
    NextRefresh,
    ChannelFailure
};

class TTrayHint : public QObject
{
    Q_OBJECT
public:
    // The composition of Tray's tooltip, made with the first call and deleted with Tray.
    static TTrayHint* Of(TNotificationIcon* Tray);

    // Sets one line and the tooltip to the lines that are not empty, one under the other.
    void Set(THintLine Line, const QString& Text);

private:
    explicit TTrayHint(TNotificationIcon* Tray);

    TNotificationIcon* FTray;
    std::array<QString, 3> FLines;
};
