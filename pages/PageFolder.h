// PageFolder: the folder that receives the page files and names the single running copy.
#pragma once

#include <QString>

// ProgramDir itself when the user may write to it (a per-user install, a build folder); otherwise,
// as for a system-wide install, the user's data folder $XDG_DATA_HOME/tickerwell (by default
// ~/.local/share/tickerwell). Creates nothing; the result carries no trailing slash.
QString PageFolder(const QString& ProgramDir);

// PageFolder, created when it is the user's data folder. A folder that cannot be made is still
// returned: saving a page there then fails with the usual message.
QString MakePageFolder(const QString& ProgramDir);
