// Start-up: the splash sequence, the single-instance rule in one process
// and across real processes of the built configurator.
#include "app/singleinstance.h"
#include "app/splash.h"
#include "app/startup.h"
#include "editor/mainwindow.h"
#include "scripteddialogs.h"
#include "testenv.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using kvt::app::SingleInstance;
using kvt::app::Splash;

namespace {

QList<QWidget *> visibleWindows()
{
    QList<QWidget *> list;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            list << w;
    }
    return list;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

    TestFolders m_folders;

    QString runtimeLock() const
    {
        return QDir(m_folders.file("runtime")).filePath(QStringLiteral("kvt-configurator.lock"));
    }

    void launch(QProcess &process)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folders.file("runtime"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_folders.file("config"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(KVT_CONFIGURATOR), {});
        QVERIFY(process.waitForStarted());
    }

private slots:
    void splashClosesOnTheTwentyFirstTick()
    {
        QWidget main;
        QPointer<Splash> splash = new Splash(&main);
        QSignalSpy finished(splash.data(), &Splash::finished);
        QCOMPARE(splash->objectName(), QStringLiteral("Form2"));
        QCOMPARE(splash->findChild<QLabel *>("Label1")->text(), QStringLiteral("Loading application"));
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
        QCOMPARE(splash->value(), 100);
        splash->tick();   // a late tick changes nothing
        QCOMPARE(finished.size(), 1);
        QTRY_VERIFY(!splash);
    }

    void startShowsSplashThenMainWindow()
    {
        ScriptedDialogs d;
        SingleInstance instance(m_folders.file("first.lock"));
        const auto window = kvt::app::startConfigurator(d, instance);
        QVERIFY(window && window->isVisible() && instance.isLocked() && d.shown.isEmpty());
        QPointer<QWidget> splash;
        for (QWidget *w : visibleWindows())
            splash = w->objectName() == "Form2" ? w : splash.data();
        QVERIFY(splash);
        QVERIFY(window->close());   // closing the main window early takes the splash with it
        QTRY_VERIFY(!splash);
    }

    void secondStartInTheSameSessionIsRefused()
    {
        SingleInstance first(m_folders.file("second.lock"));
        QVERIFY(first.tryLock());
        const auto before = visibleWindows();
        ScriptedDialogs d;
        QList<QWidget *> duringWarning;
        d.onMessage = [&](const ScriptedDialogs::Shown &) { duringWarning = visibleWindows(); };
        SingleInstance second(m_folders.file("second.lock"));
        QVERIFY(!kvt::app::startConfigurator(d, second));
        QCOMPARE(d.shown.size(), 1);
        QCOMPARE(d.last()->title + "|" + d.last()->text,
                 QStringLiteral("Warning Message|Application already running!..."));
        QCOMPARE(d.last()->icon, kvt::app::MessageIcon::Exclamation);
        QVERIFY(duringWarning == before && visibleWindows() == before);
        QVERIFY(first.isLocked() && !second.isLocked());
    }

    void secondProcessIsRefusedAndTheFirstUntouched()
    {
        QCOMPARE(SingleInstance::defaultLockPath(), runtimeLock());
        QProcess first;
        launch(first);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtimeLock()), 10000);

        QProcess second;
        launch(second);
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT(
            (said += second.readAllStandardError()).contains("Application already running!..."), 10000);
        // It now waits for its warning to be acknowledged; no user is here to do it.
        second.kill();
        second.waitForFinished();

        QVERIFY(first.state() == QProcess::Running);
        QLockFile probe(runtimeLock());
        qint64 pid = 0;
        QVERIFY(probe.getLockInfo(&pid, nullptr, nullptr));
        QCOMPARE(pid, first.processId());
        QVERIFY(!SingleInstance(runtimeLock()).tryLock());

        first.kill();   // a crash: the lock file stays behind but does not block
        first.waitForFinished();
        QVERIFY(QFile::exists(runtimeLock()));
        QVERIFY(SingleInstance(runtimeLock()).tryLock());
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
