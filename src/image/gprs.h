#pragma once

#include "image/document.h"

namespace kvt::image {

inline constexpr int GprsFormatMax = 256;   // what the box and bank 065 keep
inline constexpr int GprsStringLimit = 255; // longer turns the box red
// What a text box of the windows holds: a longer GPRS text could only be
// shown cut, and saved cut, so no such file is loaded or written.
inline constexpr qsizetype MaxGprsTextLength = 32767;

// Whether a GPRS box may hold `text`: characters of the files' 8-bit set,
// no carriage return (it would end the box's line in the file) and at
// most MaxGprsTextLength characters.
bool isGprsBoxText(QStringView text);

// The unit's GPRS string, composed in group order:
// Apn,Login,Password,Ip,Dns1,Dns2;Tmr1,Trial,Tmr2;FtpServer,FtpUsername,
// FtpPassword,Port,Mode;FtpSubDirectory - cut to its first 256 characters.
QString composeGprsString(const GprsTexts &texts);
// Characters of the whole composition, before the cut: more than
// GprsStringLimit is more than the unit takes.
qsizetype composedGprsLength(const GprsTexts &texts);

} // namespace kvt::image
