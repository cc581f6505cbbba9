// Start-up (the splash sequence, one configurator per user, in this process
// and across real processes) and the real save dialog.
#include "app/dialogs.h"
#include "app/singleinstance.h"
#include "app/splash.h"
#include "app/startup.h"
#include "editor/mainwindow.h"
#include "scripteddialogs.h"
#include "testenv.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>

#include <unistd.h>

using kvt::app::ConfigurationFilter;
using kvt::app::SingleInstance;
using kvt::app::Splash;

namespace {

QList<QWidget *> visibleWindows()
{
    QList<QWidget *> list;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            list << w;
    return list;
}

// Starts the configurator in this process; `said` gets what it wrote on stderr.
std::unique_ptr<kvt::editor::MainWindow> start(ScriptedDialogs &d, SingleInstance &instance, QByteArray &said)
{
    QTemporaryFile out;
    out.open();
    std::fflush(stderr);
    const int saved = dup(2);
    dup2(out.handle(), 2);
    auto window = kvt::app::startConfigurator(d, instance);
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    out.seek(0);
    said = out.readAll();
    return window;
}

} // namespace

class TestApp : public QObject {
    Q_OBJECT

    TestFolders m_folders;
    std::unique_ptr<ScriptedDialogs> d;
    QByteArray said;

    QString runtimeLock() const { return m_folders.file("runtime/kvt-configurator.lock"); }

private slots:
    void init() { d = std::make_unique<ScriptedDialogs>(); }

    void splashClosesOnTheTwentyFirstTick()
    {
        QWidget main;
        QPointer<Splash> splash = new Splash(&main);
        QSignalSpy finished(splash.data(), &Splash::finished);
        QCOMPARE(splash->objectName() + "|" + splash->findChild<QLabel *>("Label1")->text(),
                 "Form2|Loading application");
        QCOMPARE(splash->findChild<QLabel *>("Picture1")->pixmap().size(), QSize(500, 270));
        auto *timer = splash->findChild<QTimer *>("Timer1");
        QVERIFY(timer->isActive() && timer->interval() == 150);
        auto *bar = splash->findChild<QProgressBar *>("ProgressBar1");
        QCOMPARE(QList<int>({bar->minimum(), bar->maximum(), bar->value()}), QList<int>({0, 100, 0}));
        splash->show();
        for (int tick = 1; tick <= 20; ++tick) {
            splash->tick();
            QCOMPARE(splash->value(), 5 * tick);
            QVERIFY(splash->isVisible() && !main.isVisible());
        }
        splash->tick();
        QVERIFY(finished.size() == 1 && main.isVisible() && !splash->isVisible());
        splash->tick();   // a late tick changes nothing
        QVERIFY(finished.size() == 1 && splash->value() == 100);
        QTRY_VERIFY(!splash);
    }

    // A lock held, or one that cannot be made (its folder is a file: a warning): the start goes on.
    void startShowsSplashThenMainWindow_data()
    {
        QTest::addColumn<QString>("lock");
        QTest::addColumn<QByteArray>("warning");
        QFile(m_folders.file("plain")).open(QIODevice::WriteOnly);
        QTest::newRow("lock") << m_folders.file("first.lock") << QByteArray();
        const QString path = m_folders.file("plain/kvt-configurator.lock");
        QTest::newRow("lock cannot be made") << path << "kvt-configurator: cannot create the instance lock "
            + path.toUtf8() + ": Not a directory; starting without it\n";
    }
    void startShowsSplashThenMainWindow()
    {
        QFETCH(QString, lock);
        QFETCH(QByteArray, warning);
        SingleInstance instance(lock);
        const auto window = start(*d, instance, said);
        QVERIFY(window && window->isVisible() && d->shown.isEmpty());
        QCOMPARE(instance.isLocked(), warning.isEmpty());
        QCOMPARE(said, warning);
        QPointer<QWidget> splash;
        for (QWidget *w : visibleWindows())
            splash = w->objectName() == "Form2" ? w : splash.data();
        QVERIFY(splash);
        QVERIFY(window->close());   // closing the main window early takes the splash with it
        QTRY_VERIFY(!splash);
    }

    void secondStartInTheSameSessionIsRefused()
    {
        SingleInstance first(m_folders.file("second.lock")), second(m_folders.file("second.lock"));
        QVERIFY(first.tryLock());
        const auto before = visibleWindows();
        QList<QWidget *> duringWarning;
        d->onMessage = [&](const ScriptedDialogs::Shown &) { duringWarning = visibleWindows(); };
        QVERIFY(!start(*d, second, said));
        QCOMPARE(d->shown.size(), 1);
        QCOMPARE(d->last()->title + "|" + d->last()->text, "Warning Message|Application already running!...");
        QCOMPARE(d->last()->icon, kvt::app::MessageIcon::Exclamation);
        QCOMPARE(said, QByteArray("kvt-configurator: Application already running!...\n"));
        QVERIFY(duringWarning == before && visibleWindows() == before);
        QVERIFY(first.isLocked() && !second.isLocked());
    }

    void secondProcessIsRefusedAndTheFirstUntouched()
    {
        QCOMPARE(SingleInstance::defaultLockPath(), runtimeLock());
        QProcess first, second;
        first.start(QStringLiteral(KVT_CONFIGURATOR), {});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtimeLock()), 10000);
        second.start(QStringLiteral(KVT_CONFIGURATOR), {});
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT(
            (err += second.readAllStandardError()).contains("Application already running!..."), 10000);
        second.kill();   // it waits for its warning to be acknowledged; nobody is here to
        second.waitForFinished();
        QVERIFY(first.state() == QProcess::Running && !SingleInstance(runtimeLock()).tryLock());
        first.kill();    // a crash: the lock file stays behind but does not block
        first.waitForFinished();
        QVERIFY(QFile::exists(runtimeLock()) && SingleInstance(runtimeLock()).tryLock());
    }

    // The real save dialog: saving over a file asks nothing, a typed name gets no extension.
    void realSaveDialog()
    {
        const QString existing = m_folders.file("old.kvt");
        QVERIFY(QFile(existing).open(QIODevice::WriteOnly));
        for (const QString &answer : {existing, m_folders.file("noextension")}) {
            QTimer::singleShot(0, [&] {
                QPointer<QFileDialog> dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                QVERIFY(dialog && dialog->selectedFiles() == QStringList{existing});
                QTimer::singleShot(1000, [dialog] {   // a question, or the dialog still open: refused
                    while (dialog && dialog->isVisible())
                        qobject_cast<QDialog *>(QApplication::activeModalWidget())->reject();
                });
                dialog->findChild<QLineEdit *>("fileNameEdit")->setText(answer);
                QTest::keyClick(dialog, Qt::Key_Return);
            });
            QCOMPARE(kvt::app::WidgetDialogs().saveFileName(nullptr, ConfigurationFilter, existing), answer);
        }
    }
};

QTEST_MAIN(TestApp)
#include "test_app.moc"
