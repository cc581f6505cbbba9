#include "app/startup.h"

#include "app/singleinstance.h"
#include "app/splash.h"
#include "editor/mainwindow.h"
#include "kvtversion.h"
#include "ui/dialogs.h"

#include <QApplication>

#include <cstdio>

namespace kvt::app {

std::unique_ptr<editor::MainWindow> startConfigurator(ui::Dialogs &dialogs,
                                                      SingleInstance &instance)
{
    if (!instance.tryLock() && instance.heldByAnother()) {
        // Said on the terminal too, for a start from a shell or a script.
        std::fprintf(stderr, "kvt-configurator: %s\n", AlreadyRunningText);
        dialogs.message(nullptr, QStringLiteral("Warning Message"),
                        QLatin1String(AlreadyRunningText), ui::MessageIcon::Exclamation);
        return nullptr;
    }
    if (!instance.isLocked()) {
        // No other instance is known to run: a lock that cannot be made
        // must not keep the user from working.
        std::fprintf(stderr,
                     "kvt-configurator: cannot create the instance lock %s: %s; "
                     "starting without it\n",
                     qUtf8Printable(instance.lockPath()), qUtf8Printable(instance.failureReason()));
    }
    auto window = std::make_unique<editor::MainWindow>(dialogs);
    auto *splash = new Splash(window.get());
    QObject::connect(window.get(), &editor::MainWindow::closed, splash, &QWidget::close);
    // Both appear together; the splash, shown last, in front even where
    // no window manager keeps a stays-on-top window there.
    window->show();
    splash->show();
    return window;
}

void describeApplication()
{
    QApplication::setDesktopFileName(QStringLiteral("kvt-configurator"));
    QApplication::setApplicationVersion(QStringLiteral(KVT_VERSION));
}

int runConfigurator(ui::Dialogs &dialogs, SingleInstance &instance)
{
    const auto window = startConfigurator(dialogs, instance);
    return window ? QApplication::exec() : 0;
}

} // namespace kvt::app
