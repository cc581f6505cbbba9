#pragma once

#include "image/document.h"
#include "zones/zonerecord.h"

#include <QRandomGenerator>

// Random but storable values for round-trip tests: every text holds only
// Windows-1252 characters, the PIN and the ISDN number hold no "X" and stay
// within their places, GPRS texts hold no carriage return.
namespace kvt::testing {

QString randomText(QRandomGenerator &rng, int minLength, int maxLength);
zones::ZoneRecord randomZoneRecord(QRandomGenerator &rng);
image::Document randomDocument(QRandomGenerator &rng);

} // namespace kvt::testing
