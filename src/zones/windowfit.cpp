#include "zones/windowfit.h"

#include <QBoxLayout>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace kvt::zones {

void setScrollingContent(QWidget *window, QWidget *content)
{
    QStyleOption option;
    option.initFrom(window);
    option.state |= QStyle::State_Window;
    const int margin = window->style()->pixelMetric(QStyle::PM_LayoutLeftMargin, &option);
    content->layout()->setContentsMargins(margin, margin, margin, margin);
    content->layout()->setSizeConstraint(QLayout::SetFixedSize);

    auto *scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetNoConstraint);   // fitToScreen sizes the window
    layout->addWidget(scroll);
}

void fitToScreen(QWidget *window, QWidget *content, const std::function<void()> &narrow)
{
    const QScreen *display = window->screen();
    const QRect available = display ? display->availableGeometry() : QRect(0, 0, 4096, 4096);
    // Room for the window manager's title bar.
    const int titleBar = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const QSize room(available.width(), available.height() - titleBar);
    const auto fits = [&room](QSize size) {
        return size.width() <= room.width() && size.height() <= room.height();
    };
    if (!fits(content->sizeHint()) && narrow)
        narrow();
    const QSize full = content->sizeHint();
    if (fits(full)) {
        window->setFixedSize(full);
    } else {
        const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const QSize scrolled(full.width() + (full.height() > room.height() ? bar : 0),
                             full.height() + (full.width() > room.width() ? bar : 0));
        window->setMaximumSize(scrolled);
        window->resize(scrolled.boundedTo(room));
    }
    QRect placed(QPoint(), window->size() + QSize(0, titleBar));
    placed.moveCenter(available.center());
    window->move(std::max(placed.left(), available.left()), std::max(placed.top(), available.top()));
}

} // namespace kvt::zones
