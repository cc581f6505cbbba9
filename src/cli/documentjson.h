#pragma once

#include "image/document.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace kvt::cli {

// The document as the JSON object of `kvt show --json`: the parameter
// values, the 32 check states (0/1), the GPRS boxes with the composed
// string, and the 64 zones read field by field.
QJsonObject documentToJson(const image::Document &doc);

// The inverse, for `kvt build`: keys left out keep the start-up values,
// GprsFormat is ignored (it is always recomposed), zones are stored by
// the zone store rules. Unknown keys, wrong types, values the file
// cannot hold and text outside Windows-1252 are refused: the result is
// empty and `error` names the key and the fault.
std::optional<image::Document> documentFromJson(const QJsonObject &object, QString *error);

} // namespace kvt::cli
