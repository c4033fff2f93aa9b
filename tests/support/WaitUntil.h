// WaitUntil: runs the event loop until a condition holds or a deadline passes.
#pragma once

#include <functional>

// Processes events until Condition() is true or Seconds have passed; returns Condition().
bool WaitUntil(const std::function<bool()>& Condition, int Seconds = 30);

// Processes events for Milliseconds.
void ProcessEventsFor(int Milliseconds);
