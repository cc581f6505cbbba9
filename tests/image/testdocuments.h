#pragma once

#include "image/document.h"
#include "image/zonerecord.h"

#include <QRandomGenerator>

// Random storable values: Windows-1252 text, no "X" in the PIN and ISDN number, no CR in GPRS texts.
// Editor-shaped zones hold what the zone editor and kvt build store; others any code in their stop
// time and right longitude, and a few zones are any 64 memory lines.
namespace kvt::testing {
image::ZoneRecord randomZoneRecord(QRandomGenerator &rng, bool editorShaped = false);
image::Document randomDocument(QRandomGenerator &rng, bool editorShaped = false);
} // namespace kvt::testing
