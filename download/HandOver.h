// HandOverToUserInterface: runs one step of a worker thread on the user-interface thread and waits
// until it has run there.
#pragma once

#include <functional>

// Makes the hand-over ready; call once on the user-interface thread before any worker hands over.
void PrepareHandOver();

// Runs Step on the user-interface thread, which runs it when it processes its events, and returns
// once it has run; an error that Step throws is thrown here again. Throws std::runtime_error when
// there is no application to run it.
void HandOverToUserInterface(const std::function<void()>& Step);
