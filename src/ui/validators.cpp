#include "ui/validators.h"

namespace kvt::ui {

FileTextValidator::FileTextValidator(TextCheck check, QObject *parent)
    : QValidator(parent),
      m_check(check)
{
}

QValidator::State FileTextValidator::validate(QString &input, int &) const
{
    return m_check(input) ? Acceptable : Invalid;
}

} // namespace kvt::ui
