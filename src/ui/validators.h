#pragma once

#include <QStringView>
#include <QValidator>

namespace kvt::ui {

// Refuses typed and pasted text that a text check of the files refuses
// (image::isEncodable, image::isGprsBoxText), before the box shows it.
class FileTextValidator final : public QValidator {
public:
    using TextCheck = bool (*)(QStringView);
    FileTextValidator(TextCheck check, QObject *parent);
    State validate(QString &input, int &pos) const override;

private:
    TextCheck m_check;
};

} // namespace kvt::ui
