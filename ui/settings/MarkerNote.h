// MarkerNote: the settings dialog's note on a marker: where a refresh finds it on the downloaded
// page, and whether that is where it was picked from the page source.
#pragma once

#include "MarkerPick.h"

#include <QString>
#include <optional>

// Marker: 0 the start marker, 1 the end marker; Value its bytes; Found its position (from 1) where
// the cut finds it on the page, 0 when it does not; Pick its last pick from the page.
QString MarkerNote(int Marker, const std::string& Value, bool PageLoaded, std::ptrdiff_t Found,
                   const std::optional<TMarkerPick>& Pick);
