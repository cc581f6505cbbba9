// The programmer window offscreen: its controls, menus, settings file and import, and
// whole operations against kvt-unit-sim linked as a COM port in the configuration folder.

#include "programmer/programmerwindow.h"
#include "programmer/serialsettings.h"
#include "scripteddialogs.h"
#include "simunit.h"
#include "testenv.h"

#include <QtTest>
#include <QtWidgets>

using kvt::app::MessageIcon;
using kvt::programmer::ProgrammerWindow;
using kvt::programmer::settingsFilePath;

namespace {

const QString NoFile = QStringLiteral("No file loaded");
const QString JustOpened = QStringLiteral("File Communication Programming Write(disabled) Read");
const QString Imported = QStringLiteral("File Communication Programming Write Read");
const QString Writing = QString();
const QString Reading = QStringLiteral("Programming Read");

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

// The menus and programming items the user can reach (an item only when
// its menu is shown), e.g. "File Communication Programming Write(disabled) Read".
QString menuState(QWidget *w)
{
    QStringList shown;
    for (const char *name : {"FilePrgMenu", "ComMenu", "ProgMenu", "WriteMenu", "ReadMenu"}) {
        QAction *a = w->findChild<QMenu *>(name) ? child<QMenu>(w, name)->menuAction() : item(w, name);
        if (a->isVisible() && (shown.contains("Programming") || a->menu()))
            shown << a->text().remove(u'&').section(u' ', 0, 0) + (a->isEnabled() ? "" : "(disabled)");
    }
    return shown.join(u' ');
}

QAccessibleInterface *accessible(QObject *object) { return QAccessible::queryAccessibleInterface(object); }
QString accessibleName(QObject *object) { return accessible(object)->text(QAccessible::Name); }

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

QStringList outline(QWidget *w)
{
    QStringList lines;
    for (QAction *menu : w->findChild<QMenuBar *>()->actions())
        outline(menu->menu(), 0, lines);
    return lines;
}

// The checked items, e.g. "Com3 RtsEnable".
QString checked(QWidget *w)
{
    return outline(w).filter(" [x]").replaceInStrings(QRegularExpression(R"(^ *(\w+) .*)"), "\\1").join(u' ');
}

// One operation: a write of the saved start-up file or, with "read" among
// the simulator's options, the identity read.
struct Case {
    const char *unit;       // the simulator's options; "absent": no unit behind the port
    QString title;
    QString message;        // a summary ends with "Elapsed time: "
    QString status = {};    // Label2 while the message is up
    int done = 0;           // the bar then
    int requests = 0;
    int port = 1;
};

} // namespace

Q_DECLARE_METATYPE(Case)

class TestProgrammerWindow : public QObject {
    Q_OBJECT

private slots:
    void init()
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

    void cleanup()
    {
        if (m_window)
            m_window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!m_window);
        m_sim.reset();
        m_folders.reset();   // before the next one is made: it restores the environment
    }

    void opensEmptyWithItsMenus()
    {
        ProgrammerWindow *w = openWindow();
        QCOMPARE(w->objectName(), QStringLiteral("Progr"));
        QCOMPARE(w->windowTitle(), QStringLiteral(u"MOLBERANE\u00AE KVT Series Programmer version 2.5"));
        // Frames named by their captions, the labels by their texts only.
        for (const auto &[frame, caption, label, shown] :
             {std::tuple{"Frame1", "Loaded configuration file", "Label1", NoFile},
              {"Frame3", "Progress", "Label2", ""}}) {
            QCOMPARE(child<QGroupBox>(w, frame)->title(), QLatin1String(caption));
            QCOMPARE(accessibleName(child<QGroupBox>(w, frame)), QLatin1String(caption));
            QVERIFY(child<QGroupBox>(w, frame)->isAncestorOf(child<QLabel>(w, label)));
            QCOMPARE(text(w, label), shown);
            QCOMPARE(accessibleName(child<QLabel>(w, label)), shown);
        }
        QVERIFY(child<QGroupBox>(w, "Frame3")->isAncestorOf(bar(w)));
        QCOMPARE(accessibleName(bar(w)), QStringLiteral("Progress"));
        QCOMPARE(accessible(bar(w))->valueInterface()->currentValue().toInt(), 0);
        QCOMPARE(menuState(w), JustOpened);

        // Without a settings file: COM1, DTR and RTS checked, EOF not.
        QCOMPARE(outline(w).join(u'\n'), QStringLiteral(R"(FilePrgMenu "File"
  LoadBinary "Import configuration file..." Ctrl+L
  spaca
  ExitMenu "Exit"
ComMenu "Communication"
  SerialMenu "Serial Port..."
    Com1 "COM1" [x]
    Com2 "COM2" [ ]
    Com3 "COM3" [ ]
    Com4 "COM4" [ ]
  spacb
  DtrEnable "DTR Enable" [x]
  RtsEnable "RTS Enable" [x]
  EofEnable "EOF Enable" [ ]
ProgMenu "Programming"
  WriteMenu "Write device..." Ctrl+W
  ReadMenu "Read device ID..." Ctrl+R)"));

        // F10 opens the File menu from the keyboard.
        QTest::keyClick(w, Qt::Key_F10);
        QTRY_VERIFY(child<QMenu>(w, "FilePrgMenu")->isVisible());
        QTest::keyClick(child<QMenu>(w, "FilePrgMenu"), Qt::Key_Escape);
    }

    void importChecksTheFile()
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
        import(std::nullopt);
        import(gone);
        QCOMPARE(text(w, "Label1"), second);
        QCOMPARE(menuState(w), Imported);
        QVERIFY(m_dialogs->shown.isEmpty());

        // A bad line refuses the whole file, even after a good import; a field
        // over 255 too, since nothing out of range may reach a unit.
        const QString bad = m_folders->file(QStringLiteral("bad.kvt"));
        for (const char *line : {"00101", "001256"}) {
            writeFile(bad, readFile(first).replace("001001", line));
            import(first);
            import(bad);
            QCOMPARE(m_dialogs->last()->title, QStringLiteral("Error Message"));
            QCOMPARE(m_dialogs->last()->text, "Invalid or corrupted configuration file, loading aborted...");
            QCOMPARE(m_dialogs->last()->icon, MessageIcon::Exclamation);
            QCOMPARE(text(w, "Label1"), NoFile);
            QCOMPARE(menuState(w), JustOpened);
        }
        QCOMPARE(m_dialogs->shown.size(), 2);
        // A file of GPRS lines alone passes the check.
        writeFile(bad, "GPRS:internet\r\n\r\nGPRS:\r\n\r\n");
        import(bad);
        QCOMPARE(menuState(w), Imported);
    }

    // Read when the window loads and whenever it becomes active again with
    // the file changed; written when it unloads.
    void settingsFileRoundTrip()
    {
        const QString path = settingsFilePath();
        writeFile(path, "3\r\n0\r\n1\r\n1\r\n");
        // Closed before it was ever active, a window writes back what the
        // file held, not the defaults.
        m_window = new ProgrammerWindow(*m_dialogs);
        m_window->close();
        QCOMPARE(readFile(path), QByteArray("3\r\n0\r\n1\r\n1\r\n"));

        ProgrammerWindow *w = openWindow();
        QCOMPARE(checked(w), QStringLiteral("Com3 RtsEnable EofEnable"));
        QWidget other;
        other.show();
        const auto leaveAndComeBack = [&](const QByteArray &fileMeanwhile) {
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            if (!fileMeanwhile.isEmpty())
                writeFile(path, fileMeanwhile);
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w));
        };
        // The checked port stays checked when chosen again; another moves
        // the mark. Choices survive the window coming back (from a message
        // box, the file dialog, another program) while the file is unchanged.
        item(w, "Com3")->trigger();
        QCOMPARE(checked(w), QStringLiteral("Com3 RtsEnable EofEnable"));
        item(w, "Com2")->trigger();
        item(w, "RtsEnable")->trigger();
        leaveAndComeBack({});
        QCOMPARE(checked(w), QStringLiteral("Com2 EofEnable"));
        // A file changed meanwhile is applied: port 7 keeps the port, only
        // an exact "1" checks a switch, a two-line file leaves the others.
        leaveAndComeBack("4\r\n1\r\n1\r\n0\r\n");
        QCOMPARE(checked(w), QStringLiteral("Com4 DtrEnable RtsEnable"));
        leaveAndComeBack("7\r\n1 \r\nTrue\r\n1\r\n");
        QCOMPARE(checked(w), QStringLiteral("Com4 EofEnable"));
        leaveAndComeBack("3\r\n1\r\n");
        QCOMPARE(checked(w), QStringLiteral("Com3 DtrEnable EofEnable"));
        QCOMPARE(readFile(path), QByteArray("3\r\n1\r\n"));

        QSignalSpy closed(w, &ProgrammerWindow::closed);
        item(w, "ExitMenu")->trigger();   // the close box: closingMidWriteEndsItCleanly
        QCOMPARE(readFile(path), QByteArray("3\r\n1\r\n0\r\n1\r\n"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!m_window);
        QCOMPARE(closed.size(), 1);
        // The next window starts with these settings and no file.
        w = openWindow();
        QCOMPARE(checked(w), QStringLiteral("Com3 DtrEnable EofEnable"));
        QCOMPARE(text(w, "Label1"), NoFile);
    }

    // Each operation from its menu item against a unit that answers or fails:
    // the message, the status line and bar while it is up, the menus hidden
    // meanwhile and shown again after. The engine's tests hold every failure;
    // here are those the window shows differently.
    void operations_data()
    {
        QTest::addColumn<Case>("c");
        const auto add = [](const char *name, const Case &c) { QTest::newRow(name) << c; };
        const QString noReply = "No response received from tracking unit, programming aborted...";
        const QString lines = "%1 of 4389 bytes successfully programmed";
        add("whole file", {"", "Programming Message", "Tracking base successfully programmed, 4389 of 4389 bytes "
                           "successfully writted , Elapsed time: ", lines.arg(4389), 4389, 4389});
        add("unit falls silent", {"--silent-after 5", "Progrmming Error Message", noReply, lines.arg(5), 5, 6});
        add("wrong echo", {"--wrong-echo-at 10", "Programming Error Message",
                           "Invalid response received from tracking unit, programming aborted...", lines.arg(9), 9,
                           10});
        // Its last echo may be lost: the hang-up flushes the line.
        add("unit unplugged", {"--hangup-after 20", "Progrmming Error Message", noReply, lines.arg(20), 20, 20});
        add("no unit on COM1", {"absent", "Error Message", "Unable to open the Serial Port, Programming aborted..."});
        add("identity on COM3", {"read --identifier KVT12345 --serial SN0000042 --firmware 1023 --date 1108",
                                 "Device ID", "Identifier: KVT12345    Serial number: SN0000042    Firmware version: "
                                 "10.23    Manufacturing date: 11/2008", "Serial port COM 3 successfully opened...",
                                 0, 25, 3});
        add("unit falls silent while read", {"read --silent-after 7", "Reading Error Message",
                                             "No response received from tracking unit, Reading aborted...",
                                             "Serial port COM 1 successfully opened...", 0, 8});
    }

    void operations()
    {
        QFETCH(Case, c);
        QStringList options = QString::fromLatin1(c.unit).split(u' ', Qt::SkipEmptyParts);
        const bool reading = options.removeAll("read") > 0;
        const bool absent = options.removeAll("absent") > 0;
        if (absent)
            QVERIFY(QFile::link(m_folders->file(QStringLiteral("no-such-tty")), comLink(c.port)));
        else
            QVERIFY(startUnit(options, c.port));
        ProgrammerWindow *w = openWindow();
        item(w, qPrintable(QStringLiteral("Com%1").arg(c.port)))->trigger();
        if (!reading)
            import(savedFile(QStringLiteral("startup.kvt")));
        const QString idle = menuState(w);
        const qsizetype dialogs = m_dialogs->fileFilters.size();

        // The window keeps running its own timers while the unit is written.
        QSet<int> barValues;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, [&] { barValues.insert(bar(w)->value()); });
        sampler.start(2);
        item(w, reading ? "ReadMenu" : "WriteMenu")->trigger();
        if (m_dialogs->shown.isEmpty()) {
            QCOMPARE(menuState(w), reading ? Reading : Writing);
            // Shortcuts still reach the items of hidden menus, and the read
            // item is shown while it reads: now they do nothing.
            for (const char *name : {"LoadBinary", "WriteMenu", "ReadMenu"})
                item(w, name)->trigger();
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_dialogs->shown.size(), 1, 60000);
        sampler.stop();
        QCOMPARE(m_dialogs->last()->title, c.title);
        if (c.message.endsWith(QLatin1String("Elapsed time: ")))
            QVERIFY2(QRegularExpression('^' + QRegularExpression::escape(c.message) + "\\d+sec$")
                         .match(m_dialogs->last()->text).hasMatch(), qPrintable(m_dialogs->last()->text));
        else
            QCOMPARE(m_dialogs->last()->text, c.message);
        QCOMPARE(m_dialogs->last()->icon,
                 c.title.endsWith("Error Message") ? MessageIcon::Exclamation : MessageIcon::None);

        // While the message is up the status line still shows where it stopped.
        const Seen then = m_seen.first();
        QCOMPARE(then.menus, reading ? Reading : Writing);
        if (QTest::currentDataTag() == QByteArray("unit unplugged") && then.value == c.done - 1)
            c.status = QStringLiteral("%1 of 4389 bytes successfully programmed").arg(--c.done);
        QCOMPARE(then.status, c.status);
        QCOMPARE(then.value, c.done);
        if (!reading && !absent)
            QCOMPARE(then.maximum, 4389);

        QCOMPARE(menuState(w), idle);
        QCOMPARE(text(w, "Label2"), QString());
        QCOMPARE(bar(w)->value(), 0);
        QTest::qWait(50);
        QCOMPARE(m_dialogs->shown.size(), 1);
        QCOMPARE(m_dialogs->fileFilters.size(), dialogs);
        QCOMPARE(m_sim->requests().size(), c.requests);
        if (c.done == 4389)
            QVERIFY2((barValues - QSet<int>{0, 4389}).size() >= 3, "the bar did not move while the unit was written");
    }

    void closingMidWriteEndsItCleanly()
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

private:
    ProgrammerWindow *openWindow()
    {
        m_window = new ProgrammerWindow(*m_dialogs);
        m_window->show();
        m_window->activateWindow();
        if (!QTest::qWaitForWindowActive(m_window))
            qWarning("the programmer window did not become active");
        return m_window;
    }
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
    struct Seen { QString status; int value, maximum; QString menus; };

    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<SimUnit> m_sim;
    QPointer<ProgrammerWindow> m_window;
    QList<Seen> m_seen;
};

QTEST_MAIN(TestProgrammerWindow)
#include "test_programmerwindow.moc"
