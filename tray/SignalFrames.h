// SignalFrames: the tray icon's frames that signal something new, made from its still image.
#pragma once

#include <QImage>

class TVelorIconList;

// Fills Frames with Still marked by a dot, then Still itself, so that the dot blinks.
void MakeSignalFrames(const QImage& Still, TVelorIconList& Frames);
