#include "app/singleinstance.h"
#include "app/startup.h"
#include "editor/mainwindow.h"
#include "kvtversion.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kvt-configurator"));
    QApplication::setDesktopFileName(QStringLiteral("kvt-configurator"));
    QApplication::setApplicationVersion(QStringLiteral(KVT_VERSION));

    // --help and --version answer before any window or the instance lock.
    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Composes, saves and programs the parameter set of KVT Series units."));
    options.addHelpOption();
    options.addVersionOption();
    options.process(app);

    kvt::ui::WidgetDialogs dialogs;
    kvt::app::SingleInstance instance;
    const auto window = kvt::app::startConfigurator(dialogs, instance);
    if (!window)
        return 0; // another configurator runs; the user has been told
    return app.exec();
}
