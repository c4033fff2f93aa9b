// TIdleTimeout: shortens the idle time-out of the downloads started while it lives.
#pragma once

#include "HttpSession.h"

#include <chrono>

class TIdleTimeout
{
public:
    explicit TIdleTimeout(std::chrono::milliseconds Idle)
    {
        THttpSession::TLimits Limits = Saved;
        Limits.Idle = Idle;
        THttpSession::SetDefaultLimits(Limits);
    }
    ~TIdleTimeout() { THttpSession::SetDefaultLimits(Saved); }

private:
    const THttpSession::TLimits Saved = THttpSession::DefaultLimits();
};
