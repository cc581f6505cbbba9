#pragma once

#include <QAbstractButton>
#include <QValidator>
#include <QWidget>

namespace kvt::zones {

// One character of a coordinate line: shows its caption like a label and
// takes clicks, double-clicks and Space/Enter. A double-click reports one
// click and one doubleClicked(), whatever order the platform delivers the
// second press in. The accessible description always carries the caption,
// so a screen reader speaks the value.
class CoordinateLabel : public QAbstractButton {
    Q_OBJECT

public:
    explicit CoordinateLabel(const QString &caption, QWidget *parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_caption;
};

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

// Refuses text that has no code in the units' 8-bit character set.
class Windows1252Validator : public QValidator {
    Q_OBJECT

public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

} // namespace kvt::zones
