#pragma once

#include <QWidget>

namespace kvt::zones {

// One region of the map, filled with its colour and captioned in white.
// The fill is the palette's Window colour.
class AreaShape : public QWidget {
    Q_OBJECT

public:
    AreaShape(const QString &caption, Qt::Alignment captionAlignment, QWidget *parent = nullptr);

    QColor colour() const;
    void setColour(const QColor &colour);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
    Qt::Alignment m_captionAlignment;
};

} // namespace kvt::zones
