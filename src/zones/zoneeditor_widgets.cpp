#include "zones/zoneeditor_widgets.h"

#include "image/charset.h"

namespace kvt::zones {

QValidator::State Windows1252Validator::validate(QString &input, int &) const
{
    return image::isEncodable(input) ? Acceptable : Invalid;
}

} // namespace kvt::zones
