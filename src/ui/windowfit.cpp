#include "ui/windowfit.h"

#include <QRect>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWidget>

namespace kvt::ui {

QScrollArea *scrollingArea(QWidget *content)
{
    auto *area = new QScrollArea;
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    return area;
}

QMargins expectedFrame(const QWidget *window)
{
    return QMargins(0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0);
}

bool fitsScreen(const QWidget *window, QSize whole, const QMargins &frame)
{
    const QSize room = window->screen()->availableGeometry().size().shrunkBy(frame);
    return whole.width() <= room.width() && whole.height() <= room.height();
}

void fitToScreen(QWidget *window, QSize whole, const QMargins &frame)
{
    const QRect area = window->screen()->availableGeometry();
    if (fitsScreen(window, whole, frame)) {
        window->setFixedSize(whole);
    } else {
        const QSize room = area.size().shrunkBy(frame);
        const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const QSize withBars(whole.width() + (whole.height() > room.height() ? bar : 0),
                             whole.height() + (whole.width() > room.width() ? bar : 0));
        window->setMinimumSize(withBars.boundedTo(room / 2));
        window->setMaximumSize(withBars);
        window->resize(withBars.boundedTo(room));
    }
    // The window and its frame fit within the area either way.
    const QSize outer = window->size().grownBy(frame);
    window->move(area.x() + (area.width() - outer.width()) / 2,
                 area.y() + (area.height() - outer.height()) / 2);
}

} // namespace kvt::ui
