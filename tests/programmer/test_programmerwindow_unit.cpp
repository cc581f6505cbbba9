// The programmer window driving a simulated unit on a pseudo-terminal,
// linked as COM1 (or COM3) in the test's configuration folder.

#include "image/configfile.h"
#include "image/encoder.h"
#include "programmer/programmerwindow.h"
#include "programmer/serialsettings.h"
#include "scripteddialogs.h"
#include "testenv.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
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

QAction *item(QWidget *window, const char *name) { return child<QAction>(window, name); }
QString status(QWidget *window) { return child<QLabel>(window, "Label2")->text(); }
QProgressBar *bar(QWidget *window) { return child<QProgressBar>(window, "ProgressBar1"); }

// What the user can reach; an item counts as shown only when its menu is.
QString menuState(QWidget *window)
{
    const auto shown = [](bool visible) { return visible ? "shown" : "hidden"; };
    const bool file = child<QMenu>(window, "FilePrgMenu")->menuAction()->isVisible();
    const bool com = child<QMenu>(window, "ComMenu")->menuAction()->isVisible();
    const bool prog = child<QMenu>(window, "ProgMenu")->menuAction()->isVisible();
    QAction *write = item(window, "WriteMenu");
    QAction *read = item(window, "ReadMenu");
    QString writeState = shown(prog && write->isVisible());
    if (prog && write->isVisible())
        writeState += write->isEnabled() ? " enabled" : " disabled";
    return QStringLiteral("File %1, Communication %2, Programming %3, Write %4, Read %5")
        .arg(shown(file), shown(com), shown(prog), writeState, shown(prog && read->isVisible()));
}

// The window as it stands while a message is up.
struct Seen {
    QString status;
    int value = -1;
    int maximum = -1;
    QString menus;
};

int lineCount(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : -1;
}

// The memory lines of a configuration file, each with its CR LF, up to the
// first GPRS line.
QByteArray memoryLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray lines;
    for (const QByteArray &line : kvt::image::splitLines(file.readAll())) {
        if (line.startsWith("GPRS:"))
            break;
        if (!line.isEmpty())
            lines += line + "\r\n";
    }
    return lines;
}

// One kvt-unit-sim process serving a pseudo-terminal linked at `link`.
class Simulator {
public:
    ~Simulator() { stop(); }

    bool start(const QString &link, QStringList arguments)
    {
        arguments << QStringLiteral("--link") << link;
        m_process.start(QStringLiteral(KVT_SIM_BIN), arguments);
        if (!m_process.waitForStarted(5000))
            return false;
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(5000))
                return false;
        }
        m_device = QString::fromLocal8Bit(m_process.readLine().trimmed());
        return QFileInfo(link).isSymLink() && QFileInfo(link).symLinkTarget() == m_device;
    }

    // Ends the unit gently, so that it saves its memory when asked to.
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
    QString m_device;
};

} // namespace

class TestProgrammerWindowUnit : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void writesWholeSavedFile();
    void writeFailures_data();
    void writeFailures();
    void readsIdentityOnChosenPort();
    void readTimeOut();
    void closingMidWriteEndsItCleanly();

private:
    ProgrammerWindow *openWindow();
    void importSavedFile();
    void watchMessages();
    QString comLink(int port) const
    {
        return m_folders->configFolder() + QStringLiteral("/com%1").arg(port);
    }

    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<Simulator> m_sim;
    QPointer<ProgrammerWindow> m_window;
    QString m_savedPath;
    QList<Seen> m_seen;
};

void TestProgrammerWindowUnit::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_sim = std::make_unique<Simulator>();
    m_seen.clear();
}

void TestProgrammerWindowUnit::cleanup()
{
    if (m_window)
        m_window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_window);
    m_sim.reset();
    m_dialogs.reset();
    m_folders.reset();
}

ProgrammerWindow *TestProgrammerWindowUnit::openWindow()
{
    m_window = new ProgrammerWindow(*m_dialogs);
    m_window->show();
    m_window->activateWindow();
    if (!QTest::qWaitForWindowActive(m_window))
        qWarning("the programmer window did not become active");
    watchMessages();
    return m_window;
}

// A file as the configurator saves it after start-up, imported.
void TestProgrammerWindowUnit::importSavedFile()
{
    m_savedPath = m_folders->file(QStringLiteral("startup.kvt"));
    QVERIFY(kvt::image::writeConfigurationFile(
        m_savedPath, kvt::image::encodeParameters(kvt::image::startupDocument())));
    m_dialogs->fileAnswers = {m_savedPath};
    item(m_window, "LoadBinary")->trigger();
    QCOMPARE(menuState(m_window), Imported);
}

void TestProgrammerWindowUnit::watchMessages()
{
    m_dialogs->onMessage = [this](const ScriptedDialogs::Shown &) {
        m_seen.append({status(m_window), bar(m_window)->value(), bar(m_window)->maximum(),
                       menuState(m_window)});
    };
}

void TestProgrammerWindowUnit::writesWholeSavedFile()
{
    const QString saved = m_folders->file(QStringLiteral("unit-memory.txt"));
    QVERIFY(m_sim->start(comLink(1), {QStringLiteral("--save"), saved}));
    ProgrammerWindow *w = openWindow();
    importSavedFile();

    // The window keeps running its own timers while the unit is written.
    QSet<int> barValues;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, [&] { barValues.insert(bar(w)->value()); });
    sampler.start(2);

    item(w, "WriteMenu")->trigger();
    QCOMPARE(menuState(w), Writing);
    // Shortcuts still reach items of hidden menus: they must do nothing now.
    item(w, "LoadBinary")->trigger();
    item(w, "WriteMenu")->trigger();
    item(w, "ReadMenu")->trigger();
    QVERIFY(m_dialogs->fileFilters.size() == 1);

    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs->shown.size(), 1, 60000);
    sampler.stop();
    const ScriptedDialogs::Shown &summary = m_dialogs->shown.first();
    QCOMPARE(summary.title, QStringLiteral("Programming Message"));
    QCOMPARE(summary.icon, MessageIcon::None);
    const QRegularExpression text(QStringLiteral(
        "^Tracking base successfully programmed, 4389 of 4389 bytes successfully writted , "
        "Elapsed time: \\d+sec$"));
    QVERIFY2(text.match(summary.text).hasMatch(), qPrintable(summary.text));

    QCOMPARE(m_seen.first().status, QStringLiteral("4389 of 4389 bytes successfully programmed"));
    QCOMPARE(m_seen.first().value, 4389);
    QCOMPARE(m_seen.first().maximum, 4389);
    QCOMPARE(m_seen.first().menus, Writing);

    QCOMPARE(menuState(w), Imported);
    QCOMPARE(status(w), QString());
    QCOMPARE(bar(w)->value(), 0);
    barValues.remove(0);
    barValues.remove(4389);
    QVERIFY2(barValues.size() >= 3, "the bar did not move while the unit was written");
    QCOMPARE(m_dialogs->fileFilters.size(), 1);

    // The unit holds the file's memory lines, in file order.
    m_sim->stop();
    QFile unitMemory(saved);
    QVERIFY(unitMemory.open(QIODevice::ReadOnly));
    QCOMPARE(unitMemory.readAll(), memoryLines(m_savedPath));
}

void TestProgrammerWindowUnit::writeFailures_data()
{
    QTest::addColumn<QStringList>("unit");   // simulator options; {"absent"}: no unit
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("statusThen");  // Label2 while the message is up
    QTest::addColumn<int>("valueThen");

    const QString noReply =
        QStringLiteral("No response received from tracking unit, programming aborted...");
    const QString badReply =
        QStringLiteral("Invalid response received from tracking unit, programming aborted...");
    const QString opened = QStringLiteral("Serial port COM 1 successfully opened...");
    const QString noReplyTitle = QStringLiteral("Progrmming Error Message");
    const QString badReplyTitle = QStringLiteral("Programming Error Message");

    QTest::newRow("unit never answers")
        << QStringList{QStringLiteral("--silent-after"), QStringLiteral("0")} << noReplyTitle
        << noReply << opened << 0;
    QTest::newRow("unit falls silent")
        << QStringList{QStringLiteral("--silent-after"), QStringLiteral("5")} << noReplyTitle
        << noReply << QStringLiteral("5 of 4389 bytes successfully programmed") << 5;
    QTest::newRow("wrong echo")
        << QStringList{QStringLiteral("--wrong-echo-at"), QStringLiteral("10")} << badReplyTitle
        << badReply << QStringLiteral("9 of 4389 bytes successfully programmed") << 9;
    QTest::newRow("echo doubled")
        << QStringList{QStringLiteral("--double-echo-at"), QStringLiteral("3")} << badReplyTitle
        << badReply << QStringLiteral("2 of 4389 bytes successfully programmed") << 2;
    QTest::newRow("unit unplugged")
        << QStringList{QStringLiteral("--hangup-after"), QStringLiteral("20")} << noReplyTitle
        << noReply << QStringLiteral("20 of 4389 bytes successfully programmed") << 20;
    QTest::newRow("no unit on COM1")
        << QStringList{QStringLiteral("absent")} << QStringLiteral("Error Message")
        << QStringLiteral("Unable to open the Serial Port, Programming aborted...") << QString()
        << 0;
}

void TestProgrammerWindowUnit::writeFailures()
{
    QFETCH(QStringList, unit);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, statusThen);
    QFETCH(int, valueThen);

    if (unit == QStringList{QStringLiteral("absent")})
        QVERIFY(QFile::link(m_folders->file(QStringLiteral("no-such-tty")), comLink(1)));
    else
        QVERIFY(m_sim->start(comLink(1), unit));
    ProgrammerWindow *w = openWindow();
    importSavedFile();

    QElapsedTimer clock;
    clock.start();
    item(w, "WriteMenu")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs->shown.size(), 1, 10000);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(m_dialogs->last()->title, title);
    QCOMPARE(m_dialogs->last()->text, text);
    QCOMPARE(m_dialogs->last()->icon, MessageIcon::Exclamation);
    QCOMPARE(m_seen.first().menus, Writing);
    if (QTest::currentDataTag() == QByteArray("unit unplugged")) {
        // The last echo may be lost with the line: the hang-up flushes it.
        QVERIFY2(elapsed < 900, "a unit that hung up was waited for like a silent one");
        QVERIFY(m_seen.first().value == valueThen || m_seen.first().value == valueThen - 1);
        valueThen = m_seen.first().value;
        statusThen = QStringLiteral("%1 of 4389 bytes successfully programmed").arg(valueThen);
    }
    QCOMPARE(m_seen.first().status, statusThen);
    QCOMPARE(m_seen.first().value, valueThen);

    QCOMPARE(menuState(w), Imported);
    QCOMPARE(status(w), QString());
    QCOMPARE(bar(w)->value(), 0);
    QTest::qWait(50);
    QCOMPARE(m_dialogs->shown.size(), 1);
}

void TestProgrammerWindowUnit::readsIdentityOnChosenPort()
{
    const QString log = m_folders->file(QStringLiteral("requests.log"));
    QVERIFY(m_sim->start(comLink(3),
                         {QStringLiteral("--identifier"), QStringLiteral("KVT12345"),
                          QStringLiteral("--serial"), QStringLiteral("SN0000042"),
                          QStringLiteral("--firmware"), QStringLiteral("1023"),
                          QStringLiteral("--date"), QStringLiteral("1108"),
                          QStringLiteral("--delay"), QStringLiteral("10"),
                          QStringLiteral("--log"), log}));
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
    QCOMPARE(status(w), QString());
    QCOMPARE(bar(w)->value(), 0);
    QTest::qWait(100);
    QCOMPARE(m_dialogs->shown.size(), 1);
    QCOMPARE(lineCount(log), 25);
}

void TestProgrammerWindowUnit::readTimeOut()
{
    QVERIFY(m_sim->start(comLink(1), {QStringLiteral("--silent-after"), QStringLiteral("7")}));
    ProgrammerWindow *w = openWindow();
    item(w, "ReadMenu")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs->shown.size(), 1, 10000);
    QCOMPARE(m_dialogs->last()->title, QStringLiteral("Reading Error Message"));
    QCOMPARE(m_dialogs->last()->text,
             QStringLiteral("No response received from tracking unit, Reading aborted..."));
    QCOMPARE(m_dialogs->last()->icon, MessageIcon::Exclamation);
    QCOMPARE(m_seen.first().menus, Reading);
    QCOMPARE(menuState(w), JustOpened);
    QCOMPARE(status(w), QString());
}

void TestProgrammerWindowUnit::closingMidWriteEndsItCleanly()
{
    const QString log = m_folders->file(QStringLiteral("requests.log"));
    QVERIFY(m_sim->start(comLink(1), {QStringLiteral("--delay"), QStringLiteral("2"),
                                       QStringLiteral("--log"), log}));
    ProgrammerWindow *w = openWindow();
    importSavedFile();
    item(w, "WriteMenu")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(bar(w)->value() >= 10, 10000);

    // A settings file changed meanwhile is not applied to a running write.
    QFile::remove(kvt::programmer::settingsFilePath());
    QVERIFY(kvt::programmer::writeSerialSettings(kvt::programmer::settingsFilePath(),
                                                 {2, false, false, true}));
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(w, &activate);

    QSignalSpy closed(w, &ProgrammerWindow::closed);
    w->close();
    QCOMPARE(closed.size(), 1);
    QFile settings(kvt::programmer::settingsFilePath());
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(settings.readAll(), QByteArray("1\r\n1\r\n1\r\n0\r\n"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_window);

    // No request after the close, and no late time-out message.
    QTest::qWait(50);
    const int sent = lineCount(log);
    QVERIFY(sent >= 10 && sent < 4389);
    QTest::qWait(1200);
    QCOMPARE(lineCount(log), sent);
    QVERIFY(m_dialogs->shown.isEmpty());
    QCOMPARE(closed.size(), 1);
}

QTEST_MAIN(TestProgrammerWindowUnit)
#include "test_programmerwindow_unit.moc"
