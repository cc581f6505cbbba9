#pragma once

#include "image/document.h"

#include <QString>

namespace kvt::cli {

// The document as the configurator's windows show it: captions and
// display forms, one line per value, check box and zone.
QString documentText(const image::Document &doc);

// The caption of the LOG memory frame for the document's check boxes:
// how many records fit into the unit's LOG memory.
QString logMemoryCaption(const image::Document &doc);

} // namespace kvt::cli
