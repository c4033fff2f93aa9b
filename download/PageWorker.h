// NewPageWorker: a download worker set up as every source's download is, for the window and the check.
#pragma once

#include <string>

class TSciager;

// A suspended worker that downloads Address into memory with the sites' agent name; the caller
// sets its end notification and starts it.
TSciager* NewPageWorker(const std::string& Address);
