#include "app/singleinstance.h"
#include "app/startup.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv); // named kvt-configurator, as the program is
    kvt::app::describeApplication();

    // --help and --version answer before any window or the instance lock.
    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Compose, save and program the parameters of KVT Series tracking units."));
    options.addHelpOption();
    options.addVersionOption();
    options.process(app);

    kvt::ui::WidgetDialogs dialogs;
    kvt::app::SingleInstance instance;
    return kvt::app::runConfigurator(dialogs, instance);
}
