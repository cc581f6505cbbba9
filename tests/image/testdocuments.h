#pragma once

#include "image/document.h"
#include "zones/zonerecord.h"

#include <QRandomGenerator>

// Random but storable values for round-trip tests: every text holds only
// Windows-1252 characters, the PIN and the ISDN number hold no "X" and stay
// within their places, GPRS texts hold no carriage return. Editor-shaped
// zones hold only what the zone editor and kvt build store (digits, times of
// day, hemisphere letters); the others hold any code in their stop time and
// right longitude, and now and then a zone is any 64 memory lines.
namespace kvt::testing {

QString randomText(QRandomGenerator &rng, int minLength, int maxLength);
zones::ZoneRecord randomZoneRecord(QRandomGenerator &rng, bool editorShaped = false);
image::Document randomDocument(QRandomGenerator &rng, bool editorShaped = false);

} // namespace kvt::testing
