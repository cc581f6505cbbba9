#pragma once

#include "image/document.h"
#include "zones/zonerecord.h"

#include <QRandomGenerator>

// Random but storable values for round trips: Windows-1252 text only, no "X"
// in the PIN and ISDN number, no carriage return in GPRS texts. Editor-shaped
// zones hold only what the zone editor and kvt build store; the others hold
// any code in their stop time and right longitude, and a few zones are any
// 64 memory lines.
namespace kvt::testing {

zones::ZoneRecord randomZoneRecord(QRandomGenerator &rng, bool editorShaped = false);
image::Document randomDocument(QRandomGenerator &rng, bool editorShaped = false);

} // namespace kvt::testing
