#pragma once

#include "image/document.h"

namespace kvt::image {

inline constexpr int GprsFormatMax = 256;   // what the box and bank 065 keep
inline constexpr int GprsStringLimit = 255; // longer turns the box red

// The unit's GPRS string, composed in group order:
// Apn,Login,Password,Ip,Dns1,Dns2;Tmr1,Trial,Tmr2;FtpServer,FtpUsername,
// FtpPassword,Port,Mode;FtpSubDirectory - cut to its first 256 characters.
QString composeGprsString(const GprsTexts &texts);
// Characters of the whole composition, before the cut: more than
// GprsStringLimit is more than the unit takes.
qsizetype composedGprsLength(const GprsTexts &texts);

} // namespace kvt::image
