// The programmer window, offscreen: its controls, menus and settings file,
// the import, and whole operations against kvt-unit-sim on a
// pseudo-terminal linked as a COM port in the test's configuration folder.

#include "image/configfile.h"
#include "image/encoder.h"
#include "programmer/programmerwindow.h"
#include "programmer/serialsettings.h"
#include "scripteddialogs.h"
#include "testenv.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using kvt::app::MessageIcon;
using kvt::programmer::ProgrammerWindow;

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
    const bool file = child<QMenu>(w, "FilePrgMenu")->menuAction()->isVisible();
    const bool com = child<QMenu>(w, "ComMenu")->menuAction()->isVisible();
    const bool prog = child<QMenu>(w, "ProgMenu")->menuAction()->isVisible();
    QAction *write = item(w, "WriteMenu");
    QString writeState = shown(prog && write->isVisible());
    if (prog && write->isVisible())
        writeState += write->isEnabled() ? " enabled" : " disabled";
    return QStringLiteral("File %1, Communication %2, Programming %3, Write %4, Read %5")
        .arg(shown(file), shown(com), shown(prog), writeState,
             shown(prog && item(w, "ReadMenu")->isVisible()));
}

// The menu tree as the user reads it: name, caption, shortcut, check mark.
void outline(QList<QAction *> actions, int depth, QStringList &lines)
{
    for (QAction *a : actions) {
        QString line = QString(depth * 2, u' ') + (a->menu() ? a->menu()->objectName() : a->objectName());
        if (!a->isSeparator())
            line += QStringLiteral(" \"%1\"").arg(a->text().remove(u'&'));
        if (!a->shortcut().isEmpty())
            line += u' ' + a->shortcut().toString(QKeySequence::PortableText);
        if (a->isCheckable())
            line += a->isChecked() ? QStringLiteral(" [x]") : QStringLiteral(" [ ]");
        lines << line;
        if (a->menu())
            outline(a->menu()->actions(), depth + 1, lines);
    }
}

// Port and switches as checked, e.g. "COM3 dtr RTS eof" (upper case: checked).
QString switches(QWidget *w)
{
    QStringList marks;
    for (int port = 1; port <= 4; ++port) {
        if (item(w, qPrintable(QStringLiteral("Com%1").arg(port)))->isChecked())
            marks << QStringLiteral("COM%1").arg(port);
    }
    for (const char *name : {"DtrEnable", "RtsEnable", "EofEnable"}) {
        const QString word = QString::fromLatin1(name, 3).toLower();
        marks << (item(w, name)->isChecked() ? word.toUpper() : word);
    }
    return marks.join(u' ');
}

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

QAccessibleInterface *accessibleChild(QAccessibleInterface *parent, const QString &name)
{
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(QAccessible::Name) == name)
            return parent->child(i);
    }
    return nullptr;
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// One kvt-unit-sim serving a pseudo-terminal linked at `link`.
class Simulator {
public:
    ~Simulator()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

    bool start(const QString &link, QStringList arguments)
    {
        m_process.start(QStringLiteral(KVT_SIM_BIN), arguments << QStringLiteral("--link") << link);
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(5000))
                return false;
        }
        const QString device = QString::fromLocal8Bit(m_process.readLine().trimmed());
        return QFileInfo(link).symLinkTarget() == device;
    }

private:
    QProcess m_process;
};

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
    void settingsFileIsReadOnEveryActivation();
    void settingsKeptWhenClosedBeforeActive();
    void settingsFileIsWrittenOnUnload_data();
    void settingsFileIsWrittenOnUnload();
    void screenReaderNamesAndStates();

    void writesWholeSavedFile();
    void operationFailures_data();
    void operationFailures();
    void readsIdentityOnChosenPort();
    void closingMidWriteEndsItCleanly();

private:
    ProgrammerWindow *openWindow();
    QString savedFile(const QString &name);
    void importSavedFile();
    QString comLink(int port) const
    {
        return m_folders->configFolder() + QStringLiteral("/com%1").arg(port);
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
    std::unique_ptr<Simulator> m_sim;
    QPointer<ProgrammerWindow> m_window;
    QList<Seen> m_seen;
};

void TestProgrammerWindow::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_sim = std::make_unique<Simulator>();
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

// A configuration file as the configurator saves it after start-up.
QString TestProgrammerWindow::savedFile(const QString &name)
{
    const QString path = m_folders->file(name);
    if (!kvt::image::writeConfigurationFile(
            path, kvt::image::encodeParameters(kvt::image::startupDocument())))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestProgrammerWindow::importSavedFile()
{
    m_dialogs->fileAnswers = {savedFile(QStringLiteral("startup.kvt"))};
    item(m_window, "LoadBinary")->trigger();
    QCOMPARE(menuState(m_window), Imported);
}

void TestProgrammerWindow::opensEmptyWithItsMenus()
{
    ProgrammerWindow *w = openWindow();
    QCOMPARE(w->objectName(), QStringLiteral("Progr"));
    QCOMPARE(w->windowTitle(), QStringLiteral(u"MOLBERANE\u00AE KVT Series Programmer version 2.5"));
    QCOMPARE(child<QGroupBox>(w, "Frame1")->title(), QStringLiteral("Loaded configuration file"));
    QCOMPARE(child<QGroupBox>(w, "Frame3")->title(), QStringLiteral("Progress"));
    QVERIFY(child<QGroupBox>(w, "Frame1")->isAncestorOf(child<QLabel>(w, "Label1")));
    QVERIFY(child<QGroupBox>(w, "Frame3")->isAncestorOf(child<QLabel>(w, "Label2")));
    QVERIFY(child<QGroupBox>(w, "Frame3")->isAncestorOf(bar(w)));
    QCOMPARE(text(w, "Label1"), NoFile);
    QCOMPARE(text(w, "Label2"), QString());
    QCOMPARE(bar(w)->minimum(), 0);
    QCOMPARE(bar(w)->value(), 0);
    QCOMPARE(menuState(w), JustOpened);

    // Without a settings file: COM1, DTR and RTS checked, EOF not.
    QStringList lines;
    outline(w->menuBar()->actions(), 0, lines);
    QCOMPARE(lines, (QStringList{
        QStringLiteral("FilePrgMenu \"File\""),
        QStringLiteral("  LoadBinary \"Import configuration file...\" Ctrl+L"),
        QStringLiteral("  spaca"),
        QStringLiteral("  ExitMenu \"Exit\""),
        QStringLiteral("ComMenu \"Communication\""),
        QStringLiteral("  SerialMenu \"Serial Port...\""),
        QStringLiteral("    Com1 \"COM1\" [x]"),
        QStringLiteral("    Com2 \"COM2\" [ ]"),
        QStringLiteral("    Com3 \"COM3\" [ ]"),
        QStringLiteral("    Com4 \"COM4\" [ ]"),
        QStringLiteral("  spacb"),
        QStringLiteral("  DtrEnable \"DTR Enable\" [x]"),
        QStringLiteral("  RtsEnable \"RTS Enable\" [x]"),
        QStringLiteral("  EofEnable \"EOF Enable\" [ ]"),
        QStringLiteral("ProgMenu \"Programming\""),
        QStringLiteral("  WriteMenu \"Write device...\" Ctrl+W"),
        QStringLiteral("  ReadMenu \"Read device ID...\" Ctrl+R"),
    }));

    // F10 opens the File menu from the keyboard.
    QTest::keyClick(w, Qt::Key_F10);
    QTRY_VERIFY(child<QMenu>(w, "FilePrgMenu")->isVisible());
    QTest::keyClick(child<QMenu>(w, "FilePrgMenu"), Qt::Key_Escape);
}

void TestProgrammerWindow::importChecksTheFile()
{
    ProgrammerWindow *w = openWindow();
    const QString first = savedFile(QStringLiteral("first.kvt"));
    const QString second = savedFile(QStringLiteral("second.kvt"));
    const QString shortLine = m_folders->file(QStringLiteral("short.kvt"));
    writeBytes(shortLine, readBytes(first).replace("001001", "00101"));
    const QString overRange = m_folders->file(QStringLiteral("range.kvt"));
    writeBytes(overRange, readBytes(first).replace("001001", "001256"));
    const QString gprsOnly = m_folders->file(QStringLiteral("gprs.kvt"));
    writeBytes(gprsOnly, "GPRS:internet\r\n\r\nGPRS:\r\n\r\n");
    const auto import = [&](std::optional<QString> answer) {
        m_dialogs->fileAnswers = {answer};
        item(w, "LoadBinary")->trigger();
    };

    // A missing file or a folder: silently nothing.
    import(m_folders->file(QStringLiteral("gone.kvt")));
    import(m_folders->path());
    QCOMPARE(text(w, "Label1"), NoFile);
    QCOMPARE(menuState(w), JustOpened);

    import(first);
    QCOMPARE(m_dialogs->fileFilters.last(), kvt::app::ConfigurationFilter);
    QCOMPARE(text(w, "Label1"), first);
    QCOMPARE(menuState(w), Imported);
    import(second);
    QCOMPARE(text(w, "Label1"), second);
    for (const std::optional<QString> &keeps :
         {std::optional<QString>(), std::optional<QString>(m_folders->file("gone.kvt"))}) {
        import(keeps);
        QCOMPARE(text(w, "Label1"), second);
        QCOMPARE(menuState(w), Imported);
    }
    QVERIFY(m_dialogs->shown.isEmpty());

    // A bad line refuses the whole file, even after a good import; a field
    // over 255 too, since nothing out of range may reach a unit.
    for (const QString &bad : {shortLine, overRange}) {
        import(first);
        import(bad);
        QCOMPARE(m_dialogs->last()->title, QStringLiteral("Error Message"));
        QCOMPARE(m_dialogs->last()->text,
                 QStringLiteral("Invalid or corrupted configuration file, loading aborted..."));
        QCOMPARE(m_dialogs->last()->icon, MessageIcon::Exclamation);
        QCOMPARE(text(w, "Label1"), NoFile);
        QCOMPARE(menuState(w), JustOpened);
    }
    QCOMPARE(m_dialogs->shown.size(), 2);

    import(gprsOnly);
    QCOMPARE(text(w, "Label1"), gprsOnly);
    QCOMPARE(menuState(w), Imported);
}

void TestProgrammerWindow::settingsFileIsReadOnOpening_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing file") << QByteArray() << QStringLiteral("COM1 DTR RTS eof");
    QTest::newRow("COM2 as saved") << QByteArray("2\r\n1\r\n1\r\n0\r\n")
                                   << QStringLiteral("COM2 DTR RTS eof");
    QTest::newRow("port 7 keeps COM1") << QByteArray("7\r\n0\r\n0\r\n1\r\n")
                                       << QStringLiteral("COM1 dtr rts EOF");
    QTest::newRow("only an exact 1 checks") << QByteArray("4\r\n1 \r\nTrue\r\n-1\r\n")
                                            << QStringLiteral("COM4 dtr rts eof");
    QTest::newRow("two lines") << QByteArray("3\r\n0\r\n") << QStringLiteral("COM3 dtr RTS eof");
}

void TestProgrammerWindow::settingsFileIsReadOnOpening()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    if (!content.isEmpty())
        writeBytes(kvt::programmer::settingsFilePath(), content);
    openWindow();
    QCOMPARE(switches(m_window), expected);
    // The settings file was closed again: an import still works.
    importSavedFile();
}

void TestProgrammerWindow::settingsFileIsReadOnEveryActivation()
{
    const QString path = kvt::programmer::settingsFilePath();
    writeBytes(path, "3\r\n0\r\n1\r\n1\r\n");
    ProgrammerWindow *w = openWindow();
    QCOMPARE(switches(w), QStringLiteral("COM3 dtr RTS EOF"));
    QWidget other;
    other.show();
    const auto leaveAndComeBack = [&](const QByteArray &fileMeanwhile) {
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        if (!fileMeanwhile.isEmpty())
            writeBytes(path, fileMeanwhile);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
    };

    // Choices made in the menus survive the window coming back (from a
    // message box, the file dialog, another program) while the file is
    // as it was read.
    item(w, "Com2")->trigger();
    item(w, "RtsEnable")->trigger();
    leaveAndComeBack({});
    QCOMPARE(switches(w), QStringLiteral("COM2 dtr rts EOF"));

    // A file changed meanwhile is applied.
    leaveAndComeBack("4\r\n1\r\n1\r\n0\r\n");
    QCOMPARE(switches(w), QStringLiteral("COM4 DTR RTS eof"));
}

void TestProgrammerWindow::settingsKeptWhenClosedBeforeActive()
{
    // Closed before it was ever active: it writes back what the file held,
    // not the defaults.
    const QString path = kvt::programmer::settingsFilePath();
    writeBytes(path, "3\r\n0\r\n1\r\n1\r\n");
    m_window = new ProgrammerWindow(*m_dialogs);
    m_window->close();
    QCOMPARE(readBytes(path), QByteArray("3\r\n0\r\n1\r\n1\r\n"));
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
    QCOMPARE(readBytes(kvt::programmer::settingsFilePath()), QByteArray("<missing>"));

    if (byExit)
        item(w, "ExitMenu")->trigger();
    else
        w->close();
    QCOMPARE(readBytes(kvt::programmer::settingsFilePath()), QByteArray("4\r\n0\r\n1\r\n1\r\n"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_window);
    QCOMPARE(closed.size(), 1);

    // The next window starts with these settings and no file.
    w = openWindow();
    QCOMPARE(switches(w), QStringLiteral("COM4 dtr RTS EOF"));
    QCOMPARE(text(w, "Label1"), NoFile);
}

void TestProgrammerWindow::screenReaderNamesAndStates()
{
    ProgrammerWindow *w = openWindow();
    const auto name = [](QObject *o) { return accessible(o)->text(QAccessible::Name); };
    QCOMPARE(name(child<QGroupBox>(w, "Frame1")), QStringLiteral("Loaded configuration file"));
    QCOMPARE(name(child<QGroupBox>(w, "Frame3")), QStringLiteral("Progress"));
    QCOMPARE(name(child<QLabel>(w, "Label1")), NoFile);
    // An empty status line says nothing (not its frame's caption).
    QCOMPARE(name(child<QLabel>(w, "Label2")), QString());
    QCOMPARE(name(bar(w)), QStringLiteral("Progress"));
    QAccessibleValueInterface *value = accessible(bar(w))->valueInterface();
    QVERIFY(value);
    QCOMPARE(value->currentValue().toInt(), 0);

    // The label speaks the path exactly, "&" included.
    QVERIFY(QDir(m_folders->path()).mkdir(QStringLiteral("Fleet & Co")));
    const QString path = savedFile(QStringLiteral("Fleet & Co/van 12.kvt"));
    m_dialogs->fileAnswers = {path};
    item(w, "LoadBinary")->trigger();
    QCOMPARE(name(child<QLabel>(w, "Label1")), path);

    // Menus and items by their captions, check marks as checked states.
    for (const char *caption : {"File", "Communication", "Programming"})
        QVERIFY2(accessibleChild(accessible(w->menuBar()), QLatin1String(caption)), caption);
    QAccessibleInterface *com = accessible(child<QMenu>(w, "ComMenu"));
    QCOMPARE(com->text(QAccessible::Name), QStringLiteral("Communication"));
    QVERIFY(accessibleChild(com, QStringLiteral("Serial Port...")));
    QAccessibleInterface *dtr = accessibleChild(com, QStringLiteral("DTR Enable"));
    QAccessibleInterface *eof = accessibleChild(com, QStringLiteral("EOF Enable"));
    QVERIFY(dtr && dtr->state().checkable && dtr->state().checked);
    QVERIFY(eof && eof->state().checkable && !eof->state().checked);
    item(w, "Com2")->trigger();
    for (int port = 1; port <= 4; ++port) {
        QAccessibleInterface *p = accessibleChild(accessible(child<QMenu>(w, "SerialMenu")),
                                                  QStringLiteral("COM%1").arg(port));
        QVERIFY(p);
        QCOMPARE(bool(p->state().checked), port == 2);
    }
    QAccessibleInterface *prog = accessible(child<QMenu>(w, "ProgMenu"));
    QVERIFY(accessibleChild(prog, QStringLiteral("Write device...")));
    QVERIFY(accessibleChild(prog, QStringLiteral("Read device ID...")));
}

void TestProgrammerWindow::writesWholeSavedFile()
{
    QVERIFY(m_sim->start(comLink(1), {}));
    ProgrammerWindow *w = openWindow();
    importSavedFile();

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
    QVERIFY2(summary.match(m_dialogs->last()->text).hasMatch(),
             qPrintable(m_dialogs->last()->text));
    const Seen then = m_seen.first();
    QCOMPARE(then.status, QStringLiteral("4389 of 4389 bytes successfully programmed"));
    QCOMPARE(then.value, 4389);
    QCOMPARE(then.maximum, 4389);
    QCOMPARE(then.menus, Writing);

    QCOMPARE(menuState(w), Imported);
    QCOMPARE(text(w, "Label2"), QString());
    QCOMPARE(bar(w)->value(), 0);
    QCOMPARE(m_dialogs->fileFilters.size(), 1);
    barValues -= QSet<int>{0, 4389};
    QVERIFY2(barValues.size() >= 3, "the bar did not move while the unit was written");
}

void TestProgrammerWindow::operationFailures_data()
{
    QTest::addColumn<QString>("operation");   // the menu item chosen
    QTest::addColumn<QStringList>("unit");    // simulator options; {"absent"}: no unit
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("done");            // lines acknowledged; -1: none counted yet

    const QString noReply =
        QStringLiteral("No response received from tracking unit, programming aborted...");
    const QString badReply =
        QStringLiteral("Invalid response received from tracking unit, programming aborted...");
    const QString noReplyTitle = QStringLiteral("Progrmming Error Message");
    const QString badReplyTitle = QStringLiteral("Programming Error Message");
    const auto sim = [](const char *option, const char *n) {
        return QStringList{QLatin1String(option), QLatin1String(n)};
    };

    QTest::newRow("unit never answers") << "WriteMenu" << sim("--silent-after", "0")
                                        << noReplyTitle << noReply << -1;
    QTest::newRow("unit falls silent") << "WriteMenu" << sim("--silent-after", "5")
                                       << noReplyTitle << noReply << 5;
    QTest::newRow("wrong echo") << "WriteMenu" << sim("--wrong-echo-at", "10") << badReplyTitle
                                << badReply << 9;
    QTest::newRow("echo doubled") << "WriteMenu" << sim("--double-echo-at", "3")
                                  << badReplyTitle << badReply << 2;
    QTest::newRow("unit unplugged") << "WriteMenu" << sim("--hangup-after", "20")
                                    << noReplyTitle << noReply << 20;
    QTest::newRow("no unit on COM1")
        << "WriteMenu" << QStringList{QStringLiteral("absent")} << QStringLiteral("Error Message")
        << QStringLiteral("Unable to open the Serial Port, Programming aborted...") << -1;
    QTest::newRow("unit falls silent while read")
        << "ReadMenu" << sim("--silent-after", "7") << QStringLiteral("Reading Error Message")
        << QStringLiteral("No response received from tracking unit, Reading aborted...") << -1;
}

void TestProgrammerWindow::operationFailures()
{
    QFETCH(QString, operation);
    QFETCH(QStringList, unit);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(int, done);

    const bool absent = unit == QStringList{QStringLiteral("absent")};
    if (absent)
        QVERIFY(QFile::link(m_folders->file(QStringLiteral("no-such-tty")), comLink(1)));
    else
        QVERIFY(m_sim->start(comLink(1), unit));
    ProgrammerWindow *w = openWindow();
    const bool writing = operation == QLatin1String("WriteMenu");
    if (writing)
        importSavedFile();
    const QString idle = writing ? Imported : JustOpened;

    QElapsedTimer clock;
    clock.start();
    item(w, qPrintable(operation))->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs->shown.size(), 1, 10000);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(m_dialogs->last()->title, title);
    QCOMPARE(m_dialogs->last()->text, message);
    QCOMPARE(m_dialogs->last()->icon, MessageIcon::Exclamation);

    // While the message is up the status line still shows where it stopped.
    Seen then = m_seen.first();
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
    const QString log = m_folders->file(QStringLiteral("requests.log"));
    QVERIFY(m_sim->start(comLink(3), {"--identifier", "KVT12345", "--serial", "SN0000042",
                                      "--firmware", "1023", "--date", "1108", "--delay", "10",
                                      "--log", log}));
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
    QCOMPARE(readBytes(log).count('\n'), 25);
}

void TestProgrammerWindow::closingMidWriteEndsItCleanly()
{
    const QString log = m_folders->file(QStringLiteral("requests.log"));
    QVERIFY(m_sim->start(comLink(1), {"--delay", "2", "--log", log}));
    ProgrammerWindow *w = openWindow();
    importSavedFile();
    item(w, "WriteMenu")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(bar(w)->value() >= 10, 10000);

    // A settings file changed meanwhile is not applied to a running write.
    writeBytes(kvt::programmer::settingsFilePath(), "2\r\n0\r\n0\r\n1\r\n");
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(w, &activate);

    QSignalSpy closed(w, &ProgrammerWindow::closed);
    w->close();
    QCOMPARE(closed.size(), 1);
    QCOMPARE(readBytes(kvt::programmer::settingsFilePath()), QByteArray("1\r\n1\r\n1\r\n0\r\n"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_window);

    // No request after the close, and no late time-out message.
    QTest::qWait(50);
    const qsizetype sent = readBytes(log).count('\n');
    QVERIFY(sent >= 10 && sent < 4389);
    QTest::qWait(1200);
    QCOMPARE(readBytes(log).count('\n'), sent);
    QVERIFY(m_dialogs->shown.isEmpty());
    QCOMPARE(closed.size(), 1);
}

QTEST_MAIN(TestProgrammerWindow)
#include "test_programmerwindow.moc"
