// TRecordingTrayLayer: a tray that records the icon's calls with their threads and the balloons,
// and sends mouse messages to the icon like the shell does.
#pragma once

#include "TrayLayer.h"

#include <QStringList>
#include <algorithm>
#include <thread>
#include <vector>

class TRecordingTrayLayer : public TTrayLayer
{
public:
    enum class TOp
    {
        Add,
        Modify,
        Delete
    };
    struct TCall
    {
        TOp Op;
        std::thread::id Thread;
    };

    bool Add(const TNotifyIconData& Data) override
    {
        Calls.push_back({TOp::Add, std::this_thread::get_id()});
        if (!AcceptAdd || Present)
            return false;
        Shown = Data;
        return Present = true;
    }
    bool Modify(const TNotifyIconData& Data) override
    {
        Calls.push_back({TOp::Modify, std::this_thread::get_id()});
        if (Present)
            Shown = Data;
        return Present;
    }
    bool Delete(const TNotifyIconData&) override
    {
        Calls.push_back({TOp::Delete, std::this_thread::get_id()});
        return std::exchange(Present, false);
    }
    bool ShowMessage(const TNotifyIconData&, const QString& Title, const QString& Text) override
    {
        Balloons << Title + ": " + Text;
        return true;
    }
    std::optional<TFileVersion> ShellVersion() override { return TFileVersion{6, 0, 0, 0}; }
    QPoint CursorPos() override { return {640, 1010}; }
    bool KeyDown(int) override { return false; }

    // The shell's callback message for the icon shown, with MouseMessage in LParam.
    std::intptr_t Send(unsigned MouseMessage)
    {
        return Shown.hWnd->Perform(Shown.uCallbackMessage, Shown.uID, std::intptr_t(MouseMessage));
    }
    int CountOf(TOp Op) const
    {
        return int(
            std::count_if(Calls.begin(), Calls.end(), [Op](const TCall& Call) { return Call.Op == Op; }));
    }

    bool AcceptAdd = true; // false makes Add fail, as where no tray host runs
    bool Present = false;
    TNotifyIconData Shown; // the record of the icon in the tray
    std::vector<TCall> Calls;
    QStringList Balloons; // "title: text" of each message balloon
};
