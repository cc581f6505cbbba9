#pragma once

#include <QMargins>
#include <QSize>

class QScrollArea;
class QWidget;

namespace kvt::ui {

// A frameless scroll area around `content`, for a window that the screen
// may not hold whole at large text sizes.
QScrollArea *scrollingArea(QWidget *content);

// The frame the desktop is expected to put around `window` before it is
// shown: its title bar.
QMargins expectedFrame(const QWidget *window);

// Whether the screen's available area holds a window of `whole` with
// `frame` around it.
bool fitsScreen(const QWidget *window, QSize whole, const QMargins &frame);

// Gives `window` the fixed size `whole` (its content at full size) where
// the screen's available area holds it with `frame` around it; otherwise
// opens it as large as the area allows, resizable up to its full size
// with scroll bars. Then places it, with its frame, centred within the
// area.
void fitToScreen(QWidget *window, QSize whole, const QMargins &frame);

} // namespace kvt::ui
