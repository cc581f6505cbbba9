#include "zones/coordinatelabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace kvt::zones {

// The style gives a button its focus by click and by Tab.
CoordinateLabel::CoordinateLabel(QWidget *parent) : QAbstractButton(parent) {}

void CoordinateLabel::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    setAccessibleDescription(caption);
    update();
}

QSize CoordinateLabel::sizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    const int width = qMax(fm.horizontalAdvance(QLatin1Char('W')),
                           fm.horizontalAdvance(QLatin1Char('0')));
    return {width + 8, fm.height() + 6};
}

void CoordinateLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect box = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(box, isDown() ? palette().color(QPalette::Midlight) : QColor(Qt::white));
    painter.setPen(QColor(Qt::black));
    painter.drawRect(box);
    if (hasFocus()) {
        QPen focusPen(palette().color(QPalette::Highlight), 2);
        painter.setPen(focusPen);
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
    painter.setPen(QColor(Qt::black));
    // Control characters from a damaged file are not drawn.
    QString shown = m_caption;
    for (QChar &c : shown) {
        if (!c.isPrint())
            c = QLatin1Char(' ');
    }
    painter.drawText(rect(), Qt::AlignCenter, shown);
}

void CoordinateLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractButton::mouseDoubleClickEvent(event);
    // Some platforms deliver the second press before the double-click:
    // that press must not turn into a second click on release.
    setDown(false);
    emit doubleClicked();
}

void CoordinateLabel::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && !event->isAutoRepeat()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

} // namespace kvt::zones
