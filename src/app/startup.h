#pragma once

#include <memory>

namespace kvt::editor {
class MainWindow;
}
namespace kvt::ui {
class Dialogs;
}

namespace kvt::app {

class SingleInstance;

inline constexpr const char *AlreadyRunningText = "Application already running!...";

// The configurator's start. When another instance holds the lock, shows
// "Application already running!..." once and returns nothing, no window
// having been shown. A lock that cannot be created at all (a runtime
// folder that cannot be written) is said on stderr and the start goes on
// without it. Otherwise shows the splash, then the main window
// (the splash stays in front until its bar is full) and returns the main
// window; the splash closes itself, or with the main window if that closes
// first.
std::unique_ptr<editor::MainWindow> startConfigurator(ui::Dialogs &dialogs,
                                                      SingleInstance &instance);

// The program's name for the desktop (its .desktop entry, so the window gets
// its icon) and its version.
void describeApplication();

// The configurator's run after its command line: the start, then the
// event loop until the last window closes. The exit status is 0 too when
// another configurator runs (the user has been told).
int runConfigurator(ui::Dialogs &dialogs, SingleInstance &instance);

} // namespace kvt::app
