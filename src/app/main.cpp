#include "app/dialogs.h"
#include "app/singleinstance.h"
#include "app/startup.h"
#include "editor/mainwindow.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kvt-configurator"));
    QApplication::setDesktopFileName(QStringLiteral("kvt-configurator"));

    kvt::app::WidgetDialogs dialogs;
    kvt::app::SingleInstance instance;
    const auto window = kvt::app::startConfigurator(dialogs, instance);
    if (!window) {
        std::fprintf(stderr, "kvt-configurator: %s\n", kvt::app::AlreadyRunningText);
        return 0;
    }
    return app.exec();
}
