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
#include <QElapsedTimer>
#include <QLabel>
#include <QLockFile>
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

QWidget *visibleWindowNamed(const QString &name)
{
    for (QWidget *w : visibleWindows()) {
        if (w->objectName() == name)
            return w;
    }
    return nullptr;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

    TestFolders m_folders;

    QString runtimeLock() const
    {
        return QDir(m_folders.file(QStringLiteral("runtime")))
            .filePath(QStringLiteral("kvt-configurator.lock"));
    }

    void startConfigurator(QProcess &process)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folders.file(QStringLiteral("runtime")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_folders.file(QStringLiteral("config")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(KVT_CONFIGURATOR), {});
        process.waitForStarted();
    }

private slots:
    void cleanup()
    {
        QFile::remove(runtimeLock());
        for (QWidget *w : QApplication::topLevelWidgets())
            w->deleteLater();
        QTest::qWait(1);
    }

    void splashControls()
    {
        QWidget main;
        QPointer<Splash> splash = new Splash(&main);
        QCOMPARE(splash->objectName(), QStringLiteral("Form2"));
        QCOMPARE(splash->findChild<QLabel *>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("Loading application"));
        auto *bar = splash->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 100);
        QCOMPARE(bar->value(), 0);
        const QPixmap picture =
            splash->findChild<QLabel *>(QStringLiteral("Picture1"))->pixmap();
        QCOMPARE(picture.size(), QSize(500, 270));
        // Drawn, not blank: the picture has more than a handful of colours.
        const QImage image = picture.toImage();
        QSet<QRgb> colours;
        for (int x = 0; x < image.width(); x += 7)
            colours.insert(image.pixel(x, image.height() / 3));
        QVERIFY(colours.size() > 10);
        auto *timer = splash->findChild<QTimer *>(QStringLiteral("Timer1"));
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 150);
        delete splash;
    }

    void splashClosesOnTheTwentyFirstTick()
    {
        QWidget main;
        QPointer<Splash> splash = new Splash(&main);
        QSignalSpy finished(splash.data(), &Splash::finished);
        splash->show();
        for (int tick = 1; tick <= 20; ++tick) {
            splash->tick();
            QCOMPARE(splash->value(), 5 * tick);
            QVERIFY(splash->isVisible());
            QVERIFY(!main.isVisible());
        }
        splash->tick();
        QCOMPARE(splash->value(), 100);
        QCOMPARE(splash->ticks(), 21);
        QCOMPARE(finished.size(), 1);
        QVERIFY(main.isVisible());
        QVERIFY(!splash->isVisible());
        splash->tick();   // a late tick changes nothing
        QCOMPARE(finished.size(), 1);
        QTRY_VERIFY(!splash);
    }

    void splashRunsOnItsTimer()
    {
        QWidget main;
        auto *splash = new Splash(&main);
        auto *bar = splash->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
        QList<int> values;
        connect(bar, &QProgressBar::valueChanged, this, [&values](int v) { values << v; });
        int ticks = 0;
        connect(splash, &Splash::finished, this, [&] { ticks = splash->ticks(); });
        QElapsedTimer clock;
        clock.start();
        splash->show();
        QTRY_VERIFY_WITH_TIMEOUT(ticks > 0, 10000);
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(ticks, 21);
        QVERIFY2(elapsed >= 21 * 150 - 60, qPrintable(QString::number(elapsed)));
        QCOMPARE(values.size(), 20);
        for (int i = 0; i < values.size(); ++i)
            QCOMPARE(values[i], 5 * (i + 1));   // never above 100, never back
        QVERIFY(main.isVisible());
    }

    void startShowsSplashThenMainWindow()
    {
        ScriptedDialogs d;
        SingleInstance instance(m_folders.file(QStringLiteral("first.lock")));
        const auto window = kvt::app::startConfigurator(d, instance);
        QVERIFY(window);
        QVERIFY(instance.isLocked());
        QVERIFY(d.shown.isEmpty());
        QVERIFY(window->isVisible());
        QPointer<QWidget> splash = visibleWindowNamed(QStringLiteral("Form2"));
        QVERIFY(splash);
        QVERIFY(!window->isModified());

        // Closing the main window early takes the splash with it.
        QVERIFY(window->close());
        QTRY_VERIFY(!splash);
    }

    void secondStartInTheSameSessionIsRefused()
    {
        const QString lock = m_folders.file(QStringLiteral("second.lock"));
        SingleInstance first(lock);
        QVERIFY(first.tryLock());
        const auto before = visibleWindows();

        ScriptedDialogs d;
        SingleInstance second(lock);
        QList<QWidget *> duringWarning;
        d.onMessage = [&](const ScriptedDialogs::Shown &) { duringWarning = visibleWindows(); };
        QVERIFY(!kvt::app::startConfigurator(d, second));
        QCOMPARE(d.shown.size(), 1);
        QCOMPARE(d.last()->title, QStringLiteral("Warning Message"));
        QCOMPARE(d.last()->text, QStringLiteral("Application already running!..."));
        QCOMPARE(d.last()->icon, kvt::app::MessageIcon::Exclamation);
        QCOMPARE(duringWarning, before);
        QCOMPARE(visibleWindows(), before);
        QVERIFY(first.isLocked());
        QVERIFY(!second.isLocked());
    }

    void lockLivesInTheRuntimeFolder()
    {
        QCOMPARE(SingleInstance::defaultLockPath(), runtimeLock());
    }

    void secondProcessIsRefusedAndTheFirstUntouched()
    {
        QProcess first;
        startConfigurator(first);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtimeLock()), 10000);
        QVERIFY(first.state() == QProcess::Running);

        QProcess second;
        startConfigurator(second);
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT(
            (said += second.readAllStandardError()).contains("Application already running!..."),
            10000);
        // The second one now waits for its warning to be acknowledged; no
        // user is here, so it is ended.
        second.kill();
        second.waitForFinished();

        QVERIFY(first.state() == QProcess::Running);
        QLockFile probe(runtimeLock());
        qint64 pid = 0;
        QString host, app;
        QVERIFY(probe.getLockInfo(&pid, &host, &app));
        QCOMPARE(pid, first.processId());
        QVERIFY(!SingleInstance(runtimeLock()).tryLock());

        first.kill();   // a crash: the lock file stays behind
        first.waitForFinished();
        QVERIFY(QFile::exists(runtimeLock()));
        SingleInstance next(runtimeLock());
        QVERIFY(next.tryLock());
    }

    void processStartsAndStaysUp()
    {
        QProcess run;
        startConfigurator(run);
        QTest::qWait(1500);
        QVERIFY(run.state() == QProcess::Running);
        QVERIFY(!QString::fromLocal8Bit(run.readAllStandardError()).contains("running!"));
        run.terminate();
        run.waitForFinished();
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
