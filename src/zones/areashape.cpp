#include "zones/areashape.h"

#include <QPainter>

namespace kvt::zones {

AreaShape::AreaShape(const QString &caption, Qt::Alignment captionAlignment, QWidget *parent)
    : QWidget(parent),
      m_caption(caption),
      m_captionAlignment(captionAlignment)
{
    setAutoFillBackground(true);
    setAccessibleName(caption);
}

QColor AreaShape::colour() const
{
    return palette().color(QPalette::Window);
}

void AreaShape::setColour(const QColor &colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
}

void AreaShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(QColor(Qt::white));
    const int margin = fontMetrics().height() / 3;
    painter.drawText(rect().adjusted(margin, margin, -margin, -margin),
                     int(m_captionAlignment | Qt::AlignHCenter), m_caption);
}

} // namespace kvt::zones
