#pragma once

#include <functional>

class QWidget;

namespace kvt::zones {

// Puts `content` (whose layout is already set) into `window` inside a
// frameless scroll area, with the margins a window's layout has.
void setScrollingContent(QWidget *window, QWidget *content);

// Gives `window` its designed fixed size where `content` fits the screen's
// available area. Otherwise it calls `narrow` (when given) for a narrower
// arrangement and tries again; where that does not fit either the window
// opens as large as fits, resizable up to its full size, and scrolls. The
// window is then centred within the available area.
void fitToScreen(QWidget *window, QWidget *content, const std::function<void()> &narrow = {});

} // namespace kvt::zones
