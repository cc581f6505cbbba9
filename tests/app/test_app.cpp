// Start-up: the splash sequence and one configurator per user, in this process and across processes.
#include "app/singleinstance.h"
#include "app/splash.h"
#include "app/startup.h"
#include "editor/mainwindow.h"
#include "kvtversion.h"
#include "scripteddialogs.h"
#include "testenv.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>

#include <sys/resource.h>

using namespace kvt::app;

class TestApp : public QObject {
    Q_OBJECT

    TestFolders m_folders;
    ScriptedDialogs d;

private slots:
    // "Form2" in the middle of the screen: the picture, a line, "Loading application" over an empty bar,
    // and "Timer1" ticking every 150 ms. The bar climbs by 5 a tick; the 21st shows the main window and
    // closes the splash, which deletes itself.
    void splashFillsThenShowsTheMainWindow()
    {
        QWidget main;
        QPointer<Splash> splash = new Splash(&main);
        splash->show();
        auto *picture = splash->findChild<QLabel *>("Picture1"), *label = splash->findChild<QLabel *>("Label1");
        auto *line = splash->findChild<QFrame *>("Line1");
        auto *bar = splash->findChild<QProgressBar *>("ProgressBar1");
        QCOMPARE(splash->geometry().center(), splash->screen()->availableGeometry().center());
        int above = 0; // the four one under the other, 6 pixels in, 8 above the bottom
        for (QWidget *w : std::initializer_list<QWidget *>{picture, line, label, bar})
            QCOMPARE(QList({w->x(), int(w->y() > std::exchange(above, w->geometry().bottom()))}), QList({6, 1}));
        // width, space below, picture's top, line's shape and shadow, tick; the bar's start, end and text
        QCOMPARE(QList({splash->width(), splash->height() - above, picture->y(), line->frameStyle(),
                        splash->findChild<QTimer *>("Timer1")->interval(), bar->value(), bar->maximum(),
                        int(bar->isTextVisible())}),
                 QList({512, 9, 6, QFrame::HLine | QFrame::Sunken, 150, 0, 100, 0}));
        QCOMPARE(picture->pixmap().size(), QSize(500, 270));
        QCOMPARE(picture->pixmap().toImage().pixelColor(375, 100), QColor(235, 64, 52)); // the red pin
        const auto name = [](QWidget *w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); };
        QCOMPARE(QStringList({label->text(), name(splash), name(bar), name(picture)}),
                 QStringList(3, "Loading application") << "MOLBERANE\u00AE KVT Series Configurator");
        // the timer's first tick; the test drives the others
        QVERIFY(QSignalSpy(bar, &QProgressBar::valueChanged).wait());
        splash->findChild<QTimer *>("Timer1")->stop();
        for (int tick = 2; tick <= 21; ++tick, splash->tick()) // the bar's value, the main window still hidden
            QCOMPARE(QList({bar->value(), int(main.isVisible())}), QList({5 * tick - 5, 0}));
        QVERIFY(main.isVisible());
        QTRY_VERIFY(!splash); // closed and gone
    }

    // With the lock, or without a lock that cannot be made (its folder is a file; said on stderr): the
    // splash and the main window show. Closing the main window early takes the splash with it.
    void startShowsSplashThenMainWindow()
    {
        describeApplication();
        QCOMPARE(QApplication::desktopFileName() + ' ' + QApplication::applicationVersion(),
                 "kvt-configurator " KVT_VERSION);
        writeFile(m_folders.file("plain"), {});
        const QString unmade = m_folders.file("plain/kvt-configurator.lock");
        for (const QString &lock : {m_folders.file("first.lock"), unmade}) {
            SingleInstance instance(lock);
            std::unique_ptr<kvt::editor::MainWindow> window;
            const QByteArray said = stderrOf([&] { window = startConfigurator(d, instance); });
            QCOMPARE(said.contains("kvt-configurator: cannot create the instance lock " + unmade.toUtf8()
                                   + ": Not a directory; starting without it\n"),
                     lock == unmade);
            QCOMPARE(QList({window->isVisible(), instance.isLocked(), d.shown.isEmpty()}),
                     QList({true, lock != unmade, true}));
            QPointer<QWidget> splash; // a window of its own
            for (QWidget *w : QApplication::topLevelWidgets())
                splash = w->objectName() == "Form2" ? w : splash.data();
            QVERIFY(splash && splash->isVisible());
            window->close();
            QVERIFY(splash && !splash->isVisible()); // at once, not when its bar is full
            QTRY_VERIFY(!splash);
        }
    }

    // Refused beside a running configurator: the warning once, no window even for a moment, exit status 0.
    // The lock a crashed one leaves behind does not block, even when its pid has been taken over.
    void secondStartIsRefused()
    {
        SingleInstance first(m_folders.file("second.lock")), second(first.lockPath());
        QVERIFY(first.tryLock());
        const auto before = QApplication::topLevelWidgets();
        d.onMessage = [&](const ScriptedDialogs::Shown &) { QCOMPARE(QApplication::topLevelWidgets(), before); };
        QCOMPARE(runConfigurator(d, second), 0);
        QCOMPARE(QApplication::topLevelWidgets(), before);
        QCOMPARE(d.shown.size(), 1);
        QCOMPARE(d.last()->title + '|' + d.last()->text
                     + (d.last()->icon == kvt::ui::MessageIcon::Exclamation ? "|!" : ""),
                 "Warning Message|Application already running!...|!");
        QVERIFY(!second.isLocked());

        // names this process, which holds no file lock on it
        QVERIFY(SingleInstance(writeFile(m_folders.file("taken.lock"),
                                         QByteArray::number(qApp->applicationPid()) + '\n'
                                             + qApp->applicationFilePath().toUtf8() + "\n\n"))
                    .tryLock());

        // A lock that cannot be written (a full disk; here a file size limit) is no other instance, and
        // asking why leaves no file behind.
        SingleInstance full(m_folders.file("full.lock"));
        std::signal(SIGXFSZ, SIG_IGN); // the write fails instead
        rlimit files{};
        ::getrlimit(RLIMIT_FSIZE, &files);
        const rlimit none{0, files.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &none);
        const bool locked = full.tryLock();
        ::setrlimit(RLIMIT_FSIZE, &files);
        QCOMPARE(full.failureReason(), "could not write it (disk full?)");
        QCOMPARE(QList({locked, full.heldByAnother(), QFile::exists(full.lockPath())}), QList({false, false, false}));

        const QString runtimeLock = m_folders.file("runtime/kvt-configurator.lock");
        QProcess one, two;
        one.start(QStringLiteral(KVT_CONFIGURATOR), {});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtimeLock), 10000);
        two.start(QStringLiteral(KVT_CONFIGURATOR), {});
        two.setReadChannel(QProcess::StandardError);
        QTRY_VERIFY_WITH_TIMEOUT(two.peek(4096).contains("kvt-configurator: Application already running!...\n"), 10000);
        two.kill(); // it waits for its warning to be acknowledged
        two.waitForFinished();
        QCOMPARE(one.state(), QProcess::Running);
        QVERIFY(!SingleInstance(runtimeLock).tryLock());
        one.kill();
        one.waitForFinished();
        QVERIFY(QFile::exists(runtimeLock));
        QVERIFY(SingleInstance(runtimeLock).tryLock());
    }

    // The real Yes/No box shows Yes and No only, and is left by Yes or No, while Escape and its close
    // button dismiss it.
    void yesNoBoxTellsDismissalApart()
    {
        using namespace kvt::ui;
        const std::pair<std::function<void(QMessageBox *)>, Answer> rows[] = {
            {[](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); }, Answer::Yes},
            {[](QMessageBox *box) { QTest::keyClick(box->button(QMessageBox::No), Qt::Key_Space); }, Answer::No},
            {[](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); }, Answer::Dismissed},
            {[](QMessageBox *box) { box->close(); }, Answer::Dismissed}};
        for (const auto &[act, answer] : rows) {
            QStringList shownButtons;
            QTimer::singleShot(0, [&, act = act] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                for (QAbstractButton *button : box->findChildren<QAbstractButton *>())
                    if (button->isVisible())
                        shownButtons << button->text().remove('&');
                act(box);
            });
            QCOMPARE(
                WidgetDialogs().askYesNo(nullptr, "Warning Message", "           Save before exit?", MessageIcon::None),
                answer);
            QCOMPARE(shownButtons, QStringList({"Yes", "No"}));
        }
    }
};

QTEST_MAIN(TestApp)
#include "test_app.moc"
