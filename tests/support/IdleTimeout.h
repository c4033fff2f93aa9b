// TIdleTimeout: shortens the idle time-out of the downloads started while it lives.
#pragma once

#include "HttpSession.h"

#include <chrono>

class TIdleTimeout
{
public:
    explicit TIdleTimeout(std::chrono::milliseconds Idle)
    {
        THttpSession::SetDefaultTimeouts({Saved.Connect, Idle});
    }
    ~TIdleTimeout() { THttpSession::SetDefaultTimeouts(Saved); }

private:
    const THttpSession::TTimeouts Saved = THttpSession::DefaultTimeouts();
};
