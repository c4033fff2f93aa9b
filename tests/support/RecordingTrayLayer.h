// TRecordingTrayLayer: a tray that records every add, modify and delete of the icon record, answers
// the shell version, cursor and keys as the test sets them, and sends mouse messages to the icon
// like the shell does.
#pragma once

#include "TrayLayer.h"

#include <algorithm>
#include <functional>
#include <set>
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
        TNotifyIconData Data;
        std::thread::id Thread;
    };

    bool Add(const TNotifyIconData& Data) override
    {
        Record(TOp::Add, Data);
        if (!AcceptAdd || Present)
            return false;
        Present = true;
        Shown = Data;
        return true;
    }
    bool Modify(const TNotifyIconData& Data) override
    {
        Record(TOp::Modify, Data);
        if (Present)
            Shown = Data;
        return Present;
    }
    bool Delete(const TNotifyIconData& Data) override
    {
        Record(TOp::Delete, Data);
        if (OnDelete)
            OnDelete();
        const bool Was = Present;
        Present = false;
        return Was;
    }
    std::optional<TFileVersion> ShellVersion() override { return Version; }
    QPoint CursorPos() override { return Cursor; }
    bool KeyDown(int VirtualKey) override { return Keys.count(VirtualKey) != 0; }

    // The shell's callback message for the icon shown, with MouseMessage in LParam; returns the
    // message's result.
    std::intptr_t Send(unsigned MouseMessage)
    {
        return Shown.hWnd->Perform(Shown.uCallbackMessage, Shown.uID, std::intptr_t(MouseMessage));
    }

    int CountOf(TOp Op) const
    {
        return int(
            std::count_if(Calls.begin(), Calls.end(), [Op](const TCall& Call) { return Call.Op == Op; }));
    }

    // False makes Add fail, as where no tray host runs.
    bool AcceptAdd = true;
    std::optional<TFileVersion> Version = TFileVersion{6, 0, 0, 0};
    QPoint Cursor{640, 1010};
    std::set<int> Keys;

    bool Present = false;
    TNotifyIconData Shown; // the record of the icon in the tray
    std::vector<TCall> Calls;
    // Runs at each delete, also while the component that owns this layer is being destroyed.
    std::function<void()> OnDelete;

private:
    void Record(TOp Op, const TNotifyIconData& Data)
    {
        Calls.push_back({Op, Data, std::this_thread::get_id()});
    }
};
