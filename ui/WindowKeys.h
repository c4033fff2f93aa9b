// InstallWindowKeys: the window's keys beside the mouse.
#pragma once

class TForm1;

// F5 presses Button1, Ctrl+1 to Ctrl+9 pick the first nine tabs, Ctrl+H opens the history of the tab
// shown and Ctrl+Q ends the program as "Ex&it" does.
void InstallWindowKeys(TForm1* Form);
