#pragma once

#include <QAbstractButton>

namespace kvt::zones {

// One character of a coordinate line: shows its caption like a label and
// takes clicks, double-clicks and Space/Enter. A double-click reports one
// click and one doubleClicked(), whatever order the platform delivers the
// second press in. The accessible description always carries the caption,
// so a screen reader speaks the value.
class CoordinateLabel : public QAbstractButton {
    Q_OBJECT

public:
    explicit CoordinateLabel(QWidget *parent = nullptr);

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

} // namespace kvt::zones
