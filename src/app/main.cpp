#include "app/dialogs.h"
#include "app/singleinstance.h"
#include "app/startup.h"
#include "editor/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kvt-configurator"));
    QApplication::setDesktopFileName(QStringLiteral("kvt-configurator"));

    kvt::app::WidgetDialogs dialogs;
    kvt::app::SingleInstance instance;
    const auto window = kvt::app::startConfigurator(dialogs, instance);
    if (!window)
        return 0;   // another configurator runs; the user has been told
    return app.exec();
}
