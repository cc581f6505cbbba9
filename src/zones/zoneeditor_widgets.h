#pragma once

#include <QValidator>

namespace kvt::zones {

// Refuses text that has no code in the units' 8-bit character set.
class Windows1252Validator : public QValidator {
    Q_OBJECT

public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

} // namespace kvt::zones
