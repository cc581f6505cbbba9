// The programmer window offscreen, driving kvt-unit-sim linked as a COM port
// in the configuration folder.

#include "programmer/serialsettings.h"
#include "programmerwindow/programmerwindow.h"
#include "scripteddialogs.h"
#include "simunit.h"

#include <QSerialPort>
#include <QtTest>
#include <QtWidgets>

using kvt::programmer::settingsFilePath;
using kvt::programmerwindow::ProgrammerWindow;
using kvt::ui::MessageIcon;

namespace {

const QString NoFile = QStringLiteral("No file loaded");
const QString JustOpened = QStringLiteral("File Communication Programming Write(disabled) Read");
const QString Imported = QStringLiteral("File Communication Programming Write Read");

struct Case {
    const char *unit;           // the simulator's options; "read": the identity read
    QString title, message;     // a summary's seconds are written "<n>"
    QString status = {};        // Label2 while the message is up
    int done = 0, requests = 0; // the bar then; the requests the unit heard
    bool emptyFile = false;     // imported instead of the start-up document
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
        m_dialogs->onMessage = [this](const ScriptedDialogs::Shown &) {
            std::tie(m_status, m_value, m_maximum, m_menus) = std::tuple(
                text(m_window, "Label2"), bar(m_window)->value(), bar(m_window)->maximum(), menuState(m_window));
        };
    }

    void cleanup()
    {
        if (m_window)
            m_window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!m_window);
        m_sim.reset();
        m_folders.reset();
    }

    // Empty with its menus, then an import, a good file after it stays unless a bad one comes.
    void opensEmptyThenImports()
    {
        ProgrammerWindow *w = openWindow();
        QCOMPARE(w->objectName(), QStringLiteral("Progr"));
        QCOMPARE(w->windowTitle(), QStringLiteral(u"MOLBERANE\u00AE KVT Series Programmer version 2.5"));
        QCOMPARE(w->width(), 560); // room for the caption and a usual path
        QCOMPARE(accessible(child<QGroupBox>(w, "Frame1"))->text(QAccessible::Name), "Loaded configuration file");
        QCOMPARE_LT(child<QGroupBox>(w, "Frame1")->geometry().bottom(), child<QGroupBox>(w, "Frame3")->y());
        QCOMPARE(accessible(child<QLabel>(w, "Label1"))->text(QAccessible::Name), NoFile);
        QCOMPARE(accessible(bar(w))->text(QAccessible::Name), QStringLiteral("Progress"));
        QCOMPARE(menuState(w), JustOpened);
        // Without a settings file: COM1, DTR and RTS checked, EOF not.
        QStringList menus;
        for (QAction *menu : w->findChild<QMenuBar *>()->actions())
            menus += outline(menu->menu());
        QCOMPARE(
            menus.join(", "),
            QStringLiteral(
                R"(FilePrgMenu "File", LoadBinary "Import configuration file..." Ctrl+L, -, )"
                R"(ExitMenu "Exit", ComMenu "Communication", SerialMenu "Serial Port...", Com1 "COM1" [x], )"
                R"(Com2 "COM2" [ ], Com3 "COM3" [ ], Com4 "COM4" [ ], -, DtrEnable "DTR Enable" [x], RtsEnable "RTS Enable")"
                R"( [x], EofEnable "EOF Enable" [ ], ProgMenu "Programming", WriteMenu "Write device..." Ctrl+W, )"
                R"(ReadMenu "Read device ID..." Ctrl+R)"));

        const QString good = savedFile(QStringLiteral("Fleet & Co.kvt"));
        import(good);
        QCOMPARE(m_dialogs->fileFilters.last(), kvt::ui::ConfigurationFilter);
        QCOMPARE(accessible(child<QLabel>(w, "Label1"))->text(QAccessible::Name), good); // "&" included
        import(std::nullopt);                                                            // cancelled: the file stays
        QCOMPARE(text(w, "Label1"), good);
        QCOMPARE(menuState(w), Imported);
        QVERIFY(m_dialogs->shown.isEmpty());

        // A file that cannot be read, a named pipe among them (refused unopened, at once), is
        // said as the configurator says it; the earlier import stays.
        NamedPipe pipe(m_folders->file(QStringLiteral("x.kvt")));
        for (const char *name : {"gone.kvt", "x.kvt"}) {
            import(m_folders->file(QLatin1String(name)));
            QCOMPARE(message(), "Error Message|Unable to read the configuration file, loading aborted...");
            QCOMPARE(text(w, "Label1"), good);
            QCOMPARE(menuState(w), Imported);
        }
        QVERIFY(pipe.created() && !pipe.wasOpened());

        // A field over 255 refuses the whole file, even after a good import.
        import(writeFile(m_folders->file(QStringLiteral("bad.kvt")), readFile(good).replace("001001", "001256")));
        QCOMPARE(message(), "Error Message|Invalid or corrupted configuration file, loading aborted...");
        QCOMPARE(m_dialogs->last()->icon, MessageIcon::Exclamation);
        QCOMPARE(text(w, "Label1"), NoFile);
        QCOMPARE(menuState(w), JustOpened);
    }

    // Read whenever the window becomes active with the file changed; written
    // when it unloads, even by a window never shown.
    void settingsFileRoundTrip()
    {
        const QString path = settingsFilePath();
        writeFile(path, "3\r\n0\r\n1\r\n1\r\n");
        auto *closed = new ProgrammerWindow(*m_dialogs);
        QSignalSpy gone(closed, &QObject::destroyed);
        closed->close();
        QCOMPARE(readFile(path), QByteArray("3\r\n0\r\n1\r\n1\r\n"));
        auto *orphan = new ProgrammerWindow(*m_dialogs); // deleted unclosed: its owner went away
        writeFile(path, "2\r\n");
        QVERIFY(gone.wait()); // the closed one, deleted later, writes nothing more
        QCOMPARE(readFile(path), QByteArray("2\r\n"));
        delete orphan;
        QCOMPARE(readFile(path), QByteArray("3\r\n0\r\n1\r\n1\r\n"));

        ProgrammerWindow *w = openWindow();
        // The checked port stays checked when chosen again; another moves the
        // mark; choices survive coming back to an unchanged file.
        item(w, "Com3")->trigger();
        QCOMPARE(checked(w), QStringLiteral("Com3 RtsEnable EofEnable"));
        item(w, "Com2")->trigger();
        item(w, "RtsEnable")->trigger();
        comeBack(w);
        QCOMPARE(checked(w), QStringLiteral("Com2 EofEnable"));
        writeFile(path, "7\r\n1 \r\nTrue\r\n1\r\n1\r\n"); // port 7 keeps the port; only "1" checks; no 5th
        comeBack(w);
        QCOMPARE(checked(w), QStringLiteral("Com2 EofEnable"));
        writeFile(path, "3\r\n1\r"); // two lines (a lone CR ends one) leave the others
        comeBack(w);
        QCOMPARE(checked(w), QStringLiteral("Com3 DtrEnable EofEnable"));

        item(w, "ExitMenu")->trigger();
        QCOMPARE(readFile(path), QByteArray("3\r\n1\r\n0\r\n1\r\n"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(checked(openWindow()), QStringLiteral("Com3 DtrEnable EofEnable"));
    }

    // Each operation: the message, the status line and bar while it is up,
    // the menus hidden meanwhile and shown again after.
    void operations_data()
    {
        QTest::addColumn<Case>("c");
        const auto add = [](const char *name, const Case &c) { QTest::newRow(name) << c; };
        const QString noReply = "No response received from tracking unit, programming aborted...";
        const QString lines = "%1 of 4389 bytes successfully programmed", summary = "Programming Message";
        const QString done =
            "Tracking base successfully programmed, %1 of %1 bytes successfully writted , Elapsed time: <n>sec";
        add("whole file", {"", summary, done.arg(4389), lines.arg(4389), 4389, 4389});
        // no bar that turns into a busy indicator
        add("empty file", {"", summary, done.arg(0), "Serial port COM 1 successfully opened...", 0, 0, true});
        add("unit falls silent", {"--silent-after 5", "Progrmming Error Message", noReply, lines.arg(5), 5, 6});
        add("identity on COM3",
            {"read --identifier KVT12345 --serial SN0000042 --firmware 1023 --date 1108", "Device ID",
             "Identifier: KVT12345    Serial number: SN0000042    Firmware version: "
             "10.23    Manufacturing date: 11/2008",
             "Serial port COM 3 successfully opened...", 0, 25});
    }

    void operations()
    {
        QFETCH(Case, c);
        QStringList options = QString::fromLatin1(c.unit).split(u' ', Qt::SkipEmptyParts);
        const bool reading = options.removeAll("read") > 0; // on COM3, a write on COM1
        QVERIFY(m_sim->start(options << "--link" << m_folders->configFolder() + (reading ? "/com3" : "/com1")));
        ProgrammerWindow *w = openWindow();
        item(w, reading ? "Com3" : "Com1")->trigger();
        import(c.emptyFile ? writeFile(m_folders->file(QStringLiteral("empty.kvt")), "")
                           : savedFile(QStringLiteral("startup.kvt")));
        const QString busy = reading ? QStringLiteral("Programming Read") : QString();

        QSet<int> barValues; // the window keeps running its timers meanwhile
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, [&] { barValues.insert(bar(w)->value()); });
        sampler.start(2);
        item(w, reading ? "ReadMenu" : "WriteMenu")->trigger();
        QCOMPARE(menuState(w), busy);
        for (const char *name : {"LoadBinary", "WriteMenu", "ReadMenu"}) // shortcuts now do nothing
            item(w, name)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_dialogs->shown.size(), 1, 60000);
        sampler.stop();
        QCOMPARE(message(), c.title + '|' + c.message);
        QCOMPARE(m_dialogs->last()->icon,
                 c.title.endsWith("Error Message") ? MessageIcon::Exclamation : MessageIcon::None);

        QCOMPARE(m_menus, busy);
        QCOMPARE(m_status, c.status);
        QCOMPARE(m_value, c.done);
        if (!reading)
            QCOMPARE(m_maximum, c.emptyFile ? 1 : 4389);

        QCOMPARE(menuState(w), Imported);
        QCOMPARE(text(w, "Label2"), QString());
        QCOMPARE(bar(w)->value(), 0);
        QTRY_VERIFY(m_sim->drained());
        QCOMPARE(m_dialogs->shown.size(), 1);
        QCOMPARE(m_sim->requests().size(), c.requests);
        if (c.done == 4389)
            QVERIFY2((barValues - QSet<int>{0, 4389}).size() >= 3, "the bar did not move while the unit was written");
    }

    // The port is let go at once: nothing more reaches the unit than the
    // request the bar was waiting for, and no message comes.
    void closingMidWriteEndsItCleanly()
    {
        QVERIFY(m_sim->start({"--delay", "2", "--link", m_folders->configFolder() + "/com1"}));
        ProgrammerWindow *w = openWindow();
        import(savedFile(QStringLiteral("startup.kvt")));
        item(w, "WriteMenu")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(bar(w)->value() >= 10, 10000);
        writeFile(settingsFilePath(), "3\r\n0\r\n0\r\n1\r\n"); // read again only once the write is over
        comeBack(w);
        const int done = bar(w)->value();
        QSignalSpy closed(w, &ProgrammerWindow::closed);
        w->close();
        QCOMPARE(closed.size(), 1);
        QVERIFY(QSerialPort(m_sim->device()).open(QIODevice::ReadWrite));
        QCOMPARE(readFile(settingsFilePath()), QByteArray("1\r\n1\r\n1\r\n0\r\n"));
        QTRY_VERIFY(!m_window); // and its engine with it
        QTRY_VERIFY(m_sim->drained());
        QCOMPARE(m_sim->requests().size(), done + 1);
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    // The boxes as the user sees them: an open failure keeps its message and
    // names the device and the reason below it; an identity holding CR, LF,
    // an escape sequence and a NUL keeps every byte, on screen and for a
    // screen reader.
    void realBoxes()
    {
        const QString open = "Unable to open the Serial Port, Programming aborted...";
        const QString gone = "COM3 -> " + m_folders->configFolder()
            + "/gone: No such file or directory - is it plugged in? see `kvt ports`";
        const QString identity = QString::fromUtf8(
            "Identifier: \u240d\u240a\u241b[2J\u2400Z    Serial number: "
            "000000001    Firmware version: 3.12    Manufacturing date: 06/2007");
        // The simulator's identifier (none: COM3 leads nowhere); the box's title, text and informative text,
        // then the labels' accessible names.
        const std::pair<QString, QStringList> rows[] = {
            {QString(), {"Error Message", open, gone, open, gone}},
            {QString::fromLatin1("\r\n\x1b[2J") + QChar(0) + "Z", {"Device ID", identity, "", identity}}};
        const QString com3 = m_folders->configFolder() + "/com3";
        for (const auto &[unit, box] : rows) {
            QVERIFY(unit.isEmpty() ? QFile::link(m_folders->configFolder() + "/gone", com3)
                                   : m_sim->start({"--identifier", unit, "--link", com3}));
            kvt::ui::WidgetDialogs dialogs;
            m_window = new ProgrammerWindow(dialogs);
            m_window->show();
            item(m_window, "Com3")->trigger();
            QStringList seen;
            QTimer look;
            connect(&look, &QTimer::timeout, [&] {
                auto *shown = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (!shown)
                    return;
                seen = QStringList{shown->windowTitle(), shown->text(), shown->informativeText()};
                for (const char *label :
                     {"qt_msgbox_label", "qt_msgbox_informativelabel"}) // what a screen reader reads
                    if (QLabel *l = shown->findChild<QLabel *>(label); l && !l->text().isEmpty())
                        seen << accessible(l)->text(QAccessible::Name);
                shown->accept();
            });
            look.start(10);
            item(m_window, "ReadMenu")->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(!seen.isEmpty(), 5000);
            m_window->close(); // while its dialogs are still there
            QCOMPARE(seen, box);
        }
    }

private:
    template <typename T> static T *child(QWidget *w, const char *name) { return w->findChild<T *>(name); }
    static QAction *item(QWidget *w, const char *name) { return child<QAction>(w, name); }
    static QString text(QWidget *w, const char *label) { return child<QLabel>(w, label)->text(); }
    static QProgressBar *bar(QWidget *w) { return child<QProgressBar>(w, "ProgressBar1"); }
    static QAccessibleInterface *accessible(QObject *o) { return QAccessible::queryAccessibleInterface(o); }
    // The menus and programming items the user can reach (an item only when its
    // menu is shown), e.g. "File Communication Programming Write(disabled) Read".
    static QString menuState(QWidget *w)
    {
        QStringList shown;
        for (const char *name : {"FilePrgMenu", "ComMenu", "ProgMenu", "WriteMenu", "ReadMenu"}) {
            QAction *a = w->findChild<QMenu *>(name) ? child<QMenu>(w, name)->menuAction() : item(w, name);
            if (a->isVisible() && (shown.contains("Programming") || a->menu()))
                shown << a->text().remove(u'&').section(u' ', 0, 0) + (a->isEnabled() ? "" : "(disabled)");
        }
        return shown.join(u' ');
    }

    // The menus as a screen reader presents them: names, shortcuts, check marks.
    static QStringList outline(QMenu *menu)
    {
        QStringList lines{menu->objectName() + " \"" + accessible(menu)->text(QAccessible::Name) + '"'};
        for (int i = 0; i < menu->actions().size(); ++i) {
            QAction *a = menu->actions().at(i);
            const QAccessibleInterface *entry = accessible(menu)->child(i);
            if (a->menu())
                lines += outline(a->menu());
            else if (a->isSeparator())
                lines << QStringLiteral("-");
            else
                lines << a->objectName() + " \"" + entry->text(QAccessible::Name) + '"'
                        + (a->shortcut().isEmpty() ? "" : ' ' + a->shortcut().toString())
                        + (entry->state().checkable ? (entry->state().checked ? " [x]" : " [ ]") : "");
        }
        return lines;
    }

    static QString checked(QWidget *w) // the items checked, e.g. "Com3 RtsEnable"
    {
        const QStringList on = outline(child<QMenu>(w, "ComMenu")).filter(QStringLiteral("[x]"));
        return QStringList(on).replaceInStrings(QRegularExpression(" .*"), QString()).join(u' ');
    }
    // Another window takes the focus, then this one gets it back.
    static void comeBack(QWidget *w)
    {
        QWidget other;
        other.show();
        for (QWidget *active : {&other, w}) {
            active->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(active));
        }
    }
    ProgrammerWindow *openWindow()
    {
        m_window = new ProgrammerWindow(*m_dialogs);
        m_window->show();
        m_window->activateWindow();
        Q_UNUSED(QTest::qWaitForWindowActive(m_window)); // the checks after it tell
        return m_window;
    }
    // The last message as "title|text", a summary's seconds written "<n>".
    QString message() const
    {
        static const QRegularExpression seconds("(?<=Elapsed time: )\\d+(?=sec$)");
        return m_dialogs->last()->title + '|' + QString(m_dialogs->last()->text).replace(seconds, "<n>");
    }
    QString savedFile(const QString &name) { return writeSavedImage(m_folders->file(name)); }
    void import(const std::optional<QString> &answer)
    {
        m_dialogs->fileAnswers = {answer};
        item(m_window, "LoadBinary")->trigger();
    }

    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<SimUnit> m_sim;
    QPointer<ProgrammerWindow> m_window;
    QString m_status, m_menus; // while a message is up, with the bar's value and maximum
    int m_value = 0, m_maximum = 0;
};

QTEST_MAIN(TestProgrammerWindow)
#include "test_programmerwindow.moc"
