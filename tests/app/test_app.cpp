// Start-up: the splash sequence and one configurator per user, in this process and across processes.
#include "app/singleinstance.h"
#include "app/splash.h"
#include "app/startup.h"
#include "editor/mainwindow.h"
#include "scripteddialogs.h"
#include "testenv.h"
#include "ui/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using kvt::app::SingleInstance;
using kvt::app::Splash;

class TestApp : public QObject {
    Q_OBJECT

    TestFolders m_folders;
    ScriptedDialogs d;

private slots:
    // The bar climbs by 5 for 20 ticks; the 21st shows the main window, later ones change nothing.
    void splashClosesOnTheTwentyFirstTick()
    {
        QWidget main;
        QPointer<Splash> splash = new Splash(&main);
        QSignalSpy finished(splash.data(), &Splash::finished);
        splash->show();
        for (int tick = 1; tick <= 20; ++tick) {
            splash->tick();
            QVERIFY(splash->value() == 5 * tick && splash->isVisible() && !main.isVisible());
        }
        splash->tick();
        splash->tick();
        QVERIFY(finished.size() == 1 && splash->value() == 100 && main.isVisible() && !splash->isVisible());
    }
    // A lock held, or one that cannot be made (its folder is a file): the start goes on.
    void startShowsSplashThenMainWindow()
    {
        QFile(m_folders.file("plain")).open(QIODevice::WriteOnly);
        for (const QString &lock : {m_folders.file("first.lock"), m_folders.file("plain/kvt-configurator.lock")}) {
            SingleInstance instance(lock);
            const auto window = kvt::app::startConfigurator(d, instance);
            QVERIFY(window && window->isVisible() && d.shown.isEmpty()
                    && instance.isLocked() == !lock.contains("plain"));
            QPointer<QWidget> splash;
            for (QWidget *w : QApplication::topLevelWidgets())
                splash = w->objectName() == "Form2" && w->isVisible() ? w : splash.data();
            QVERIFY(splash && window->close()); // closing the main window early takes the splash with it
            QTRY_VERIFY(!splash);
        }
    }
    void secondStartIsRefused()
    {
        SingleInstance first(m_folders.file("second.lock")), second(m_folders.file("second.lock"));
        const auto before = QApplication::topLevelWidgets(); // no window, not even for a moment
        d.onMessage = [&](const ScriptedDialogs::Shown &) { QCOMPARE(QApplication::topLevelWidgets(), before); };
        QVERIFY(first.tryLock() && !kvt::app::startConfigurator(d, second)
                && QApplication::topLevelWidgets() == before);
        QCOMPARE(QString::number(d.shown.size()) + d.last()->title + "|" + d.last()->text,
                 "1Warning Message|Application already running!...");
        QVERIFY(d.last()->icon == kvt::ui::MessageIcon::Exclamation && first.isLocked() && !second.isLocked());

        // Real processes; the lock a crashed one leaves behind does not block.
        const QString lock = m_folders.file("runtime/kvt-configurator.lock");
        QProcess one, two;
        one.start(QStringLiteral(KVT_CONFIGURATOR), {});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 10000);
        two.start(QStringLiteral(KVT_CONFIGURATOR), {});
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT(
            (err += two.readAllStandardError()).contains("kvt-configurator: Application already running!...\n"), 10000);
        two.kill(); // it waits for its warning to be acknowledged
        two.waitForFinished();
        QVERIFY(one.state() == QProcess::Running && !SingleInstance(lock).tryLock());
        one.kill();
        one.waitForFinished();
        QVERIFY(QFile::exists(lock) && SingleInstance(lock).tryLock());
    }
    // The real Yes/No box: left by Yes or No, while Escape and its close button dismiss it, no third
    // button shown.
    void yesNoBoxTellsDismissalApart()
    {
        using kvt::ui::Answer;
        kvt::ui::WidgetDialogs dialogs;
        QStringList shownButtons;
        const std::pair<std::function<void(QMessageBox *)>, Answer> rows[] = {
            {[](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); }, Answer::Yes},
            {[](QMessageBox *box) { QTest::keyClick(box->button(QMessageBox::No), Qt::Key_Space); }, Answer::No},
            {[](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); }, Answer::Dismissed},
            {[](QMessageBox *box) { box->close(); }, Answer::Dismissed}};
        for (const auto &[act, answer] : rows) {
            QTimer::singleShot(0, [&, act = act] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(box && box->isVisible());
                shownButtons.clear();
                for (QAbstractButton *button : box->findChildren<QAbstractButton *>())
                    if (button->isVisible())
                        shownButtons << button->text().remove('&');
                act(box);
            });
            QCOMPARE(dialogs.askYesNo(nullptr, "Warning Message", "           Save before exit?",
                                      kvt::ui::MessageIcon::None),
                     answer);
            QCOMPARE(shownButtons, QStringList({"Yes", "No"}));
        }
    }
};

QTEST_MAIN(TestApp)
#include "test_app.moc"
