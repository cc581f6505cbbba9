// The programmer window, offscreen: its controls, menus and settings file,
// the import, and whole operations against kvt-unit-sim linked as a COM
// port in the test's configuration folder.

#include "programmer/programmerwindow.h"
#include "programmer/serialsettings.h"
#include "scripteddialogs.h"
#include "simunit.h"
#include "testenv.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAction>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using kvt::app::MessageIcon;
using kvt::programmer::ProgrammerWindow;
using kvt::programmer::settingsFilePath;

namespace {

const QString NoFile = QStringLiteral("No file loaded");
const QString JustOpened = QStringLiteral(
    "File shown, Communication shown, Programming shown, Write shown disabled, Read shown");
const QString Imported = QStringLiteral(
    "File shown, Communication shown, Programming shown, Write shown enabled, Read shown");
const QString Writing = QStringLiteral(
    "File hidden, Communication hidden, Programming hidden, Write hidden, Read hidden");
const QString Reading = QStringLiteral(
    "File hidden, Communication hidden, Programming shown, Write hidden, Read shown");

template <typename T>
T *child(QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

QAction *item(QWidget *w, const char *name) { return child<QAction>(w, name); }
QString text(QWidget *w, const char *label) { return child<QLabel>(w, label)->text(); }
QProgressBar *bar(QWidget *w) { return child<QProgressBar>(w, "ProgressBar1"); }

// What the user can reach; an item counts as shown only when its menu is.
QString menuState(QWidget *w)
{
    const auto shown = [](bool visible) { return visible ? "shown" : "hidden"; };
    const bool prog = child<QMenu>(w, "ProgMenu")->menuAction()->isVisible();
    QAction *write = item(w, "WriteMenu");
    QString writeState = shown(prog && write->isVisible());
    if (prog && write->isVisible())
        writeState += write->isEnabled() ? " enabled" : " disabled";
    return QStringLiteral("File %1, Communication %2, Programming %3, Write %4, Read %5")
        .arg(shown(child<QMenu>(w, "FilePrgMenu")->menuAction()->isVisible()),
             shown(child<QMenu>(w, "ComMenu")->menuAction()->isVisible()), shown(prog),
             writeState, shown(prog && item(w, "ReadMenu")->isVisible()));
}

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

QString accessibleName(QObject *object)
{
    return accessible(object)->text(QAccessible::Name);
}

// The menus as a screen reader presents them (names, check marks as
// checked states), with each entry's object name and shortcut.
void outline(QMenu *menu, int depth, QStringList &lines)
{
    lines << QString(depth * 2, u' ') + menu->objectName() + QStringLiteral(" \"%1\"").arg(accessibleName(menu));
    for (int i = 0; i < menu->actions().size(); ++i) {
        QAction *a = menu->actions().at(i);
        if (a->menu()) {
            outline(a->menu(), depth + 1, lines);
            continue;
        }
        QAccessibleInterface *entry = accessible(menu)->child(i);
        QString line = QString(depth * 2 + 2, u' ') + a->objectName();
        if (!a->isSeparator())
            line += QStringLiteral(" \"%1\"").arg(entry->text(QAccessible::Name));
        if (!a->shortcut().isEmpty())
            line += u' ' + a->shortcut().toString(QKeySequence::PortableText);
        if (entry->state().checkable)
            line += entry->state().checked ? QStringLiteral(" [x]") : QStringLiteral(" [ ]");
        lines << line;
    }
}

// Port and switches as checked, e.g. "COM3 dtr RTS eof" (upper case: checked).
QString switches(QWidget *w)
{
    QStringList marks;
    for (const char *port : {"Com1", "Com2", "Com3", "Com4"}) {
        if (item(w, port)->isChecked())
            marks << QString::fromLatin1(port).toUpper();
    }
    for (const char *name : {"DtrEnable", "RtsEnable", "EofEnable"}) {
        const QString word = QString::fromLatin1(name, 3).toLower();
        marks << (item(w, name)->isChecked() ? word.toUpper() : word);
    }
    return marks.join(u' ');
}

} // namespace

class TestProgrammerWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensEmptyWithItsMenus();
    void importChecksTheFile();
    void settingsFileIsReadOnOpening_data();
    void settingsFileIsReadOnOpening();
    void settingsFileIsReadOnLoadAndActivation();
    void settingsFileIsWrittenOnUnload_data();
    void settingsFileIsWrittenOnUnload();

    void writesWholeSavedFile();
    void operationFailures_data();
    void operationFailures();
    void readsIdentityOnChosenPort();
    void closingMidWriteEndsItCleanly();

private:
    ProgrammerWindow *openWindow();
    QString savedFile(const QString &name) { return writeSavedImage(m_folders->file(name)); }
    void import(const std::optional<QString> &answer)
    {
        m_dialogs->fileAnswers = {answer};
        item(m_window, "LoadBinary")->trigger();
    }
    QString comLink(int port) const { return m_folders->configFolder() + QStringLiteral("/com%1").arg(port); }
    bool startUnit(QStringList options, int port = 1)
    {
        return m_sim->start(options << QStringLiteral("--link") << comLink(port));
    }

    // The window as it stands while a message is up.
    struct Seen {
        QString status;
        int value;
        int maximum;
        QString menus;
    };

    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<SimUnit> m_sim;
    QPointer<ProgrammerWindow> m_window;
    QList<Seen> m_seen;
};

void TestProgrammerWindow::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_sim = std::make_unique<SimUnit>();
    m_seen.clear();
    m_dialogs->onMessage = [this](const ScriptedDialogs::Shown &) {
        m_seen.append({text(m_window, "Label2"), bar(m_window)->value(), bar(m_window)->maximum(),
                       menuState(m_window)});
    };
}

void TestProgrammerWindow::cleanup()
{
    if (m_window)
        m_window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_window);
    m_sim.reset();
    m_dialogs.reset();
    m_folders.reset();
}

ProgrammerWindow *TestProgrammerWindow::openWindow()
{
    m_window = new ProgrammerWindow(*m_dialogs);
    m_window->show();
    m_window->activateWindow();
    if (!QTest::qWaitForWindowActive(m_window))
        qWarning("the programmer window did not become active");
    return m_window;
}

void TestProgrammerWindow::opensEmptyWithItsMenus()
{
    ProgrammerWindow *w = openWindow();
    QCOMPARE(w->objectName(), QStringLiteral("Progr"));
    QCOMPARE(w->windowTitle(), QStringLiteral(u"MOLBERANE\u00AE KVT Series Programmer version 2.5"));
    // Frames named by their captions, the labels by their texts only.
    QGroupBox *frame1 = child<QGroupBox>(w, "Frame1");
    QGroupBox *frame3 = child<QGroupBox>(w, "Frame3");
    QCOMPARE(frame1->title(), QStringLiteral("Loaded configuration file"));
    QCOMPARE(accessibleName(frame1), frame1->title());
    QCOMPARE(frame3->title(), QStringLiteral("Progress"));
    QCOMPARE(accessibleName(frame3), frame3->title());
    QVERIFY(frame1->isAncestorOf(child<QLabel>(w, "Label1")));
    QVERIFY(frame3->isAncestorOf(child<QLabel>(w, "Label2")) && frame3->isAncestorOf(bar(w)));
    QCOMPARE(text(w, "Label1"), NoFile);
    QCOMPARE(accessibleName(child<QLabel>(w, "Label1")), NoFile);
    QCOMPARE(text(w, "Label2"), QString());
    QCOMPARE(accessibleName(child<QLabel>(w, "Label2")), QString());
    QCOMPARE(accessibleName(bar(w)), QStringLiteral("Progress"));
    QCOMPARE(accessible(bar(w))->valueInterface()->currentValue().toInt(), 0);
    QCOMPARE(menuState(w), JustOpened);

    // Without a settings file: COM1, DTR and RTS checked, EOF not.
    QStringList lines;
    for (QAction *menu : w->menuBar()->actions())
        outline(menu->menu(), 0, lines);
    QCOMPARE(lines, (QStringList{
        "FilePrgMenu \"File\"",
        "  LoadBinary \"Import configuration file...\" Ctrl+L",
        "  spaca",
        "  ExitMenu \"Exit\"",
        "ComMenu \"Communication\"",
        "  SerialMenu \"Serial Port...\"",
        "    Com1 \"COM1\" [x]",
        "    Com2 \"COM2\" [ ]",
        "    Com3 \"COM3\" [ ]",
        "    Com4 \"COM4\" [ ]",
        "  spacb",
        "  DtrEnable \"DTR Enable\" [x]",
        "  RtsEnable \"RTS Enable\" [x]",
        "  EofEnable \"EOF Enable\" [ ]",
        "ProgMenu \"Programming\"",
        "  WriteMenu \"Write device...\" Ctrl+W",
        "  ReadMenu \"Read device ID...\" Ctrl+R",
    }));

    // F10 opens the File menu from the keyboard.
    QTest::keyClick(w, Qt::Key_F10);
    QTRY_VERIFY(child<QMenu>(w, "FilePrgMenu")->isVisible());
    QTest::keyClick(child<QMenu>(w, "FilePrgMenu"), Qt::Key_Escape);
}

void TestProgrammerWindow::importChecksTheFile()
{
    ProgrammerWindow *w = openWindow();
    const QString first = savedFile(QStringLiteral("Fleet & Co.kvt"));
    const QString second = savedFile(QStringLiteral("second.kvt"));
    const QString gone = m_folders->file(QStringLiteral("gone.kvt"));

    // A missing file or a folder: silently nothing.
    import(gone);
    import(m_folders->path());
    QCOMPARE(text(w, "Label1"), NoFile);
    QCOMPARE(menuState(w), JustOpened);

    import(first);
    QCOMPARE(m_dialogs->fileFilters.last(), kvt::app::ConfigurationFilter);
    QCOMPARE(text(w, "Label1"), first);
    QCOMPARE(accessibleName(child<QLabel>(w, "Label1")), first);   // "&" included
    QCOMPARE(menuState(w), Imported);
    import(second);
    // Cancelled, or a file gone meanwhile: the loaded file stays.
    for (const std::optional<QString> &keeps : {std::optional<QString>(), std::optional<QString>(gone)}) {
        import(keeps);
        QCOMPARE(text(w, "Label1"), second);
        QCOMPARE(menuState(w), Imported);
    }
    QVERIFY(m_dialogs->shown.isEmpty());

    // A bad line refuses the whole file, even after a good import; a field
    // over 255 too, since nothing out of range may reach a unit.
    for (const char *bad : {"00101", "001256"}) {
        const QString path = m_folders->file(QStringLiteral("bad.kvt"));
        writeFile(path, readFile(first).replace("001001", bad));
        import(first);
        import(path);
        QCOMPARE(m_dialogs->last()->title, QStringLiteral("Error Message"));
        QCOMPARE(m_dialogs->last()->text,
                 QStringLiteral("Invalid or corrupted configuration file, loading aborted..."));
        QCOMPARE(m_dialogs->last()->icon, MessageIcon::Exclamation);
        QCOMPARE(text(w, "Label1"), NoFile);
        QCOMPARE(menuState(w), JustOpened);
    }
    QCOMPARE(m_dialogs->shown.size(), 2);

    const QString gprsOnly = m_folders->file(QStringLiteral("gprs.kvt"));
    writeFile(gprsOnly, "GPRS:internet\r\n\r\nGPRS:\r\n\r\n");
    import(gprsOnly);
    QCOMPARE(text(w, "Label1"), gprsOnly);
    QCOMPARE(menuState(w), Imported);
}

void TestProgrammerWindow::settingsFileIsReadOnOpening_data()
{
    QTest::addColumn<QByteArray>("content");   // null: no file
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing file") << QByteArray() << QStringLiteral("COM1 DTR RTS eof");
    QTest::newRow("port 7, \"1 \" and \"True\"") << QByteArray("7\r\n1 \r\nTrue\r\n1\r\n")
                                                 << QStringLiteral("COM1 dtr rts EOF");
    QTest::newRow("two lines") << QByteArray("3\r\n0\r\n") << QStringLiteral("COM3 dtr RTS eof");
}

void TestProgrammerWindow::settingsFileIsReadOnOpening()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    if (!content.isNull())
        writeFile(settingsFilePath(), content);
    openWindow();
    QCOMPARE(switches(m_window), expected);
    // The settings file was closed again: an import still works.
    import(savedFile(QStringLiteral("startup.kvt")));
    QCOMPARE(menuState(m_window), Imported);
}

void TestProgrammerWindow::settingsFileIsReadOnLoadAndActivation()
{
    writeFile(settingsFilePath(), "3\r\n0\r\n1\r\n1\r\n");
    // Closed before it was ever active, a window writes back what the file
    // held, not the defaults.
    m_window = new ProgrammerWindow(*m_dialogs);
    m_window->close();
    QCOMPARE(readFile(settingsFilePath()), QByteArray("3\r\n0\r\n1\r\n1\r\n"));

    ProgrammerWindow *w = openWindow();
    QCOMPARE(switches(w), QStringLiteral("COM3 dtr RTS EOF"));
    QWidget other;
    other.show();
    const auto leaveAndComeBack = [&](const QByteArray &fileMeanwhile) {
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        if (!fileMeanwhile.isEmpty())
            writeFile(settingsFilePath(), fileMeanwhile);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
    };
    // Choices made in the menus survive the window coming back (from a
    // message box, the file dialog, another program) while the file is
    // as it was read; a file changed meanwhile is applied.
    item(w, "Com2")->trigger();
    item(w, "RtsEnable")->trigger();
    leaveAndComeBack({});
    QCOMPARE(switches(w), QStringLiteral("COM2 dtr rts EOF"));
    leaveAndComeBack("4\r\n1\r\n1\r\n0\r\n");
    QCOMPARE(switches(w), QStringLiteral("COM4 DTR RTS eof"));
}

void TestProgrammerWindow::settingsFileIsWrittenOnUnload_data()
{
    QTest::addColumn<bool>("byExit");
    QTest::newRow("Exit") << true;
    QTest::newRow("close box") << false;
}

void TestProgrammerWindow::settingsFileIsWrittenOnUnload()
{
    QFETCH(bool, byExit);
    ProgrammerWindow *w = openWindow();
    QSignalSpy closed(w, &ProgrammerWindow::closed);
    // The checked port stays checked when chosen again; another moves the mark.
    item(w, "Com3")->trigger();
    item(w, "Com3")->trigger();
    QCOMPARE(switches(w), QStringLiteral("COM3 DTR RTS eof"));
    item(w, "Com4")->trigger();
    item(w, "DtrEnable")->trigger();
    item(w, "EofEnable")->trigger();
    QCOMPARE(switches(w), QStringLiteral("COM4 dtr RTS EOF"));
    QCOMPARE(readFile(settingsFilePath()), QByteArray("<missing>"));

    if (byExit)
        item(w, "ExitMenu")->trigger();
    else
        w->close();
    QCOMPARE(readFile(settingsFilePath()), QByteArray("4\r\n0\r\n1\r\n1\r\n"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_window);
    QCOMPARE(closed.size(), 1);

    // The next window starts with these settings and no file.
    w = openWindow();
    QCOMPARE(switches(w), QStringLiteral("COM4 dtr RTS EOF"));
    QCOMPARE(text(w, "Label1"), NoFile);
}

void TestProgrammerWindow::writesWholeSavedFile()
{
    QVERIFY(startUnit({}));
    ProgrammerWindow *w = openWindow();
    import(savedFile(QStringLiteral("startup.kvt")));

    // The window keeps running its own timers while the unit is written.
    QSet<int> barValues;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, [&] { barValues.insert(bar(w)->value()); });
    sampler.start(2);

    item(w, "WriteMenu")->trigger();
    QCOMPARE(menuState(w), Writing);
    // Shortcuts still reach the items of hidden menus: they do nothing now.
    for (const char *name : {"LoadBinary", "WriteMenu", "ReadMenu"})
        item(w, name)->trigger();

    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs->shown.size(), 1, 60000);
    sampler.stop();
    QCOMPARE(m_dialogs->last()->title, QStringLiteral("Programming Message"));
    QCOMPARE(m_dialogs->last()->icon, MessageIcon::None);
    const QRegularExpression summary(QStringLiteral(
        "^Tracking base successfully programmed, 4389 of 4389 bytes successfully writted , "
        "Elapsed time: \\d+sec$"));
    QVERIFY2(summary.match(m_dialogs->last()->text).hasMatch(), qPrintable(m_dialogs->last()->text));
    const Seen then = m_seen.first();
    QCOMPARE(then.status, QStringLiteral("4389 of 4389 bytes successfully programmed"));
    QCOMPARE(then.value, 4389);
    QCOMPARE(then.maximum, 4389);
    QCOMPARE(then.menus, Writing);

    QCOMPARE(menuState(w), Imported);
    QCOMPARE(text(w, "Label2"), QString());
    QCOMPARE(bar(w)->value(), 0);
    QCOMPARE(m_dialogs->fileFilters.size(), 1);
    QCOMPARE(m_sim->requests().size(), 4389);
    barValues -= QSet<int>{0, 4389};
    QVERIFY2(barValues.size() >= 3, "the bar did not move while the unit was written");
}

// The engine's tests hold every failure; here, what the window makes of
// them: the message, where the status line and bar stopped, the menus.
void TestProgrammerWindow::operationFailures_data()
{
    QTest::addColumn<QString>("operation");   // the menu item chosen
    QTest::addColumn<QString>("unit");        // simulator options; "absent": no unit
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("done");            // lines acknowledged; -1: none counted yet
    const QString noReply = "No response received from tracking unit, programming aborted...";
    const QString noReplyTitle = "Progrmming Error Message";

    QTest::newRow("unit falls silent") << "WriteMenu" << "--silent-after 5" << noReplyTitle << noReply << 5;
    QTest::newRow("wrong echo") << "WriteMenu" << "--wrong-echo-at 10" << "Programming Error Message"
                                << "Invalid response received from tracking unit, programming aborted..." << 9;
    QTest::newRow("unit unplugged") << "WriteMenu" << "--hangup-after 20" << noReplyTitle << noReply << 20;
    QTest::newRow("no unit on COM1") << "WriteMenu" << "absent" << "Error Message"
                                     << "Unable to open the Serial Port, Programming aborted..." << -1;
    QTest::newRow("unit falls silent while read")
        << "ReadMenu" << "--silent-after 7" << "Reading Error Message"
        << "No response received from tracking unit, Reading aborted..." << -1;
}

void TestProgrammerWindow::operationFailures()
{
    QFETCH(QString, operation);
    QFETCH(QString, unit);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(int, done);

    const bool absent = unit == QLatin1String("absent");
    if (absent)
        QVERIFY(QFile::link(m_folders->file(QStringLiteral("no-such-tty")), comLink(1)));
    else
        QVERIFY(startUnit(unit.split(u' ')));
    ProgrammerWindow *w = openWindow();
    const bool writing = operation == QLatin1String("WriteMenu");
    if (writing)
        import(savedFile(QStringLiteral("startup.kvt")));
    const QString idle = menuState(w);

    QElapsedTimer clock;
    clock.start();
    item(w, qPrintable(operation))->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs->shown.size(), 1, 10000);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(m_dialogs->last()->title, title);
    QCOMPARE(m_dialogs->last()->text, message);
    QCOMPARE(m_dialogs->last()->icon, MessageIcon::Exclamation);

    // While the message is up the status line still shows where it stopped.
    const Seen then = m_seen.first();
    QCOMPARE(then.menus, writing ? Writing : Reading);
    if (QTest::currentDataTag() == QByteArray("unit unplugged")) {
        QVERIFY2(elapsed < 900, "a unit that hung up was waited for like a silent one");
        // Its last echo may be lost: the hang-up flushes the line.
        QVERIFY(then.value == done || then.value == done - 1);
        done = then.value;
    }
    const QString expectedStatus =
        absent ? QString()
        : done < 0 ? QStringLiteral("Serial port COM 1 successfully opened...")
                   : QStringLiteral("%1 of 4389 bytes successfully programmed").arg(done);
    QCOMPARE(then.status, expectedStatus);
    QCOMPARE(then.value, qMax(done, 0));

    QCOMPARE(menuState(w), idle);
    QCOMPARE(text(w, "Label2"), QString());
    QCOMPARE(bar(w)->value(), 0);
    QTest::qWait(50);
    QCOMPARE(m_dialogs->shown.size(), 1);
}

void TestProgrammerWindow::readsIdentityOnChosenPort()
{
    QVERIFY(startUnit({"--identifier", "KVT12345", "--serial", "SN0000042", "--firmware", "1023",
                       "--date", "1108", "--delay", "10"}, 3));
    ProgrammerWindow *w = openWindow();
    item(w, "Com3")->trigger();

    item(w, "ReadMenu")->trigger();
    QCOMPARE(menuState(w), Reading);
    // Choosing it again, or importing by shortcut, while it reads does nothing.
    item(w, "ReadMenu")->trigger();
    item(w, "LoadBinary")->trigger();
    QVERIFY(m_dialogs->fileFilters.isEmpty());

    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs->shown.size(), 1, 10000);
    QCOMPARE(m_dialogs->last()->title, QStringLiteral("Device ID"));
    QCOMPARE(m_dialogs->last()->text,
             QStringLiteral("Identifier: KVT12345    Serial number: SN0000042    "
                            "Firmware version: 10.23    Manufacturing date: 11/2008"));
    QCOMPARE(m_dialogs->last()->icon, MessageIcon::None);
    QCOMPARE(m_seen.first().status, QStringLiteral("Serial port COM 3 successfully opened..."));
    QCOMPARE(m_seen.first().menus, Reading);

    QCOMPARE(menuState(w), JustOpened);
    QCOMPARE(text(w, "Label2"), QString());
    QTest::qWait(100);
    QCOMPARE(m_dialogs->shown.size(), 1);
    QCOMPARE(m_sim->requests().size(), 25);
}

void TestProgrammerWindow::closingMidWriteEndsItCleanly()
{
    QVERIFY(startUnit({"--delay", "2"}));
    ProgrammerWindow *w = openWindow();
    import(savedFile(QStringLiteral("startup.kvt")));
    item(w, "WriteMenu")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(bar(w)->value() >= 10, 10000);

    // A settings file changed meanwhile is not applied to a running write.
    writeFile(settingsFilePath(), "2\r\n0\r\n0\r\n1\r\n");
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(w, &activate);

    QSignalSpy closed(w, &ProgrammerWindow::closed);
    w->close();
    QCOMPARE(closed.size(), 1);
    QCOMPARE(readFile(settingsFilePath()), QByteArray("1\r\n1\r\n1\r\n0\r\n"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_window);

    // No request after the close, and no late time-out message.
    QTest::qWait(50);
    const qsizetype sent = m_sim->requests().size();
    QVERIFY(sent >= 10 && sent < 4389);
    QTest::qWait(1200);
    QCOMPARE(m_sim->requests().size(), sent);
    QVERIFY(m_dialogs->shown.isEmpty());
    QCOMPARE(closed.size(), 1);
}

QTEST_MAIN(TestProgrammerWindow)
#include "test_programmerwindow.moc"
