// The programmer window without a unit: its controls and menus, the import
// of a configuration file, the serial settings file and accessibility.

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
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using kvt::programmer::ProgrammerWindow;

namespace {

const QString NoFile = QStringLiteral("No file loaded");
const QString JustOpened = QStringLiteral(
    "File shown, Communication shown, Programming shown, Write shown disabled, Read shown");
const QString Imported = QStringLiteral(
    "File shown, Communication shown, Programming shown, Write shown enabled, Read shown");

template <typename T>
T *child(QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

QAction *item(QWidget *window, const char *name) { return child<QAction>(window, name); }

QString text(QWidget *window, const char *label) { return child<QLabel>(window, label)->text(); }

// What the user can reach, menu by menu: an item counts as shown only when
// its menu is shown too.
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

// The menu tree as the user reads it: name, caption, shortcut, check mark.
void outline(QMenu *menu, int depth, QStringList &lines)
{
    for (QAction *action : menu->actions()) {
        QString line = QString(depth * 2, QLatin1Char(' '));
        if (action->isSeparator()) {
            lines << line + action->objectName() + QStringLiteral(" -");
            continue;
        }
        const QString name = action->menu() ? action->menu()->objectName() : action->objectName();
        line += name + QStringLiteral(" \"") + action->text().remove(QLatin1Char('&')) + u'"';
        if (!action->shortcut().isEmpty())
            line += u' ' + action->shortcut().toString(QKeySequence::PortableText);
        if (action->isCheckable())
            line += action->isChecked() ? QStringLiteral(" [x]") : QStringLiteral(" [ ]");
        lines << line;
        if (action->menu())
            outline(action->menu(), depth + 1, lines);
    }
}

QStringList menuOutline(QMainWindow *window)
{
    QStringList lines;
    for (QAction *action : window->menuBar()->actions()) {
        lines << action->menu()->objectName() + QStringLiteral(" \"")
                     + action->text().remove(QLatin1Char('&')) + u'"';
        outline(action->menu(), 1, lines);
    }
    return lines;
}

// Port, DTR, RTS and EOF as the menu shows them, e.g. "COM3 dtr RTS eof"
// (upper case when checked).
QString switches(QWidget *window)
{
    QStringList ports;
    for (int port = 1; port <= 4; ++port) {
        if (item(window, qPrintable(QStringLiteral("Com%1").arg(port)))->isChecked())
            ports << QStringLiteral("COM%1").arg(port);
    }
    const auto mark = [&](const char *name, const char *word) {
        const QString w = QLatin1String(word);
        return item(window, name)->isChecked() ? w.toUpper() : w;
    };
    return ports.join(u'+') + u' ' + mark("DtrEnable", "dtr") + u' ' + mark("RtsEnable", "rts")
           + u' ' + mark("EofEnable", "eof");
}

QAccessibleInterface *accessible(QObject *object)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    if (!iface)
        qFatal("no accessible interface for %s", qPrintable(object->objectName()));
    return iface;
}

QAccessibleInterface *accessibleChild(QAccessibleInterface *parent, const QString &name)
{
    for (int i = 0; i < parent->childCount(); ++i) {
        QAccessibleInterface *c = parent->child(i);
        if (c && c->text(QAccessible::Name) == name)
            return c;
    }
    return nullptr;
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestProgrammerWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensEmptyWithItsMenus();
    void importPassRejectAndCancel();
    void importOfUnreadableFileChangesNothing();
    void importOfGprsOnlyFile();
    void settingsFileIsReadOnOpening_data();
    void settingsFileIsReadOnOpening();
    void settingsFileIsReadOnEveryActivation();
    void settingsFileIsWrittenOnUnload_data();
    void settingsFileIsWrittenOnUnload();
    void portItemsKeepExactlyOneCheckMark();
    void screenReaderNamesAndStates();

private:
    ProgrammerWindow *openWindow();
    QString savedFile(const QString &name);

    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QPointer<ProgrammerWindow> m_window;
};

void TestProgrammerWindow::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
}

void TestProgrammerWindow::cleanup()
{
    if (m_window)
        m_window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_window);
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
    QString error;
    if (!kvt::image::writeConfigurationFile(
            path, kvt::image::encodeParameters(kvt::image::startupDocument()), &error))
        qFatal("cannot write %s: %s", qPrintable(path), qPrintable(error));
    return path;
}

void TestProgrammerWindow::opensEmptyWithItsMenus()
{
    ProgrammerWindow *w = openWindow();
    QCOMPARE(w->objectName(), QStringLiteral("Progr"));
    QCOMPARE(w->windowTitle(), QStringLiteral(u"MOLBERANE\u00AE KVT Series Programmer version 2.5"));
    QCOMPARE(child<QGroupBox>(w, "Frame1")->title(), QStringLiteral("Loaded configuration file"));
    QCOMPARE(child<QGroupBox>(w, "Frame3")->title(), QStringLiteral("Progress"));
    QCOMPARE(text(w, "Label1"), NoFile);
    QVERIFY(child<QGroupBox>(w, "Frame1")->isAncestorOf(child<QLabel>(w, "Label1")));
    QCOMPARE(text(w, "Label2"), QString());
    auto *bar = child<QProgressBar>(w, "ProgressBar1");
    QVERIFY(child<QGroupBox>(w, "Frame3")->isAncestorOf(bar));
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(menuState(w), JustOpened);

    // No settings file yet: COM1, DTR and RTS checked, EOF not.
    const QStringList expected = {
        QStringLiteral("FilePrgMenu \"File\""),
        QStringLiteral("  LoadBinary \"Import configuration file...\" Ctrl+L"),
        QStringLiteral("  spaca -"),
        QStringLiteral("  ExitMenu \"Exit\""),
        QStringLiteral("ComMenu \"Communication\""),
        QStringLiteral("  SerialMenu \"Serial Port...\""),
        QStringLiteral("    Com1 \"COM1\" [x]"),
        QStringLiteral("    Com2 \"COM2\" [ ]"),
        QStringLiteral("    Com3 \"COM3\" [ ]"),
        QStringLiteral("    Com4 \"COM4\" [ ]"),
        QStringLiteral("  spacb -"),
        QStringLiteral("  DtrEnable \"DTR Enable\" [x]"),
        QStringLiteral("  RtsEnable \"RTS Enable\" [x]"),
        QStringLiteral("  EofEnable \"EOF Enable\" [ ]"),
        QStringLiteral("ProgMenu \"Programming\""),
        QStringLiteral("  WriteMenu \"Write device...\" Ctrl+W"),
        QStringLiteral("  ReadMenu \"Read device ID...\" Ctrl+R"),
    };
    QCOMPARE(menuOutline(w), expected);
}

void TestProgrammerWindow::importPassRejectAndCancel()
{
    ProgrammerWindow *w = openWindow();
    const QString first = savedFile(QStringLiteral("first.kvt"));
    const QString second = savedFile(QStringLiteral("second.kvt"));
    QByteArray bad = readBytes(first);
    bad.replace("001001", "00101");      // one memory line of 8 characters
    const QString badPath = m_folders->file(QStringLiteral("bad.kvt"));
    writeBytes(badPath, bad);

    // A saved file passes silently and shows its full path.
    m_dialogs->fileAnswers = {first};
    item(w, "LoadBinary")->trigger();
    QCOMPARE(m_dialogs->fileFilters, QStringList{kvt::app::ConfigurationFilter});
    QVERIFY(m_dialogs->shown.isEmpty());
    QCOMPARE(text(w, "Label1"), first);
    QCOMPARE(menuState(w), Imported);

    // A second good file replaces the path.
    m_dialogs->fileAnswers = {second};
    item(w, "LoadBinary")->trigger();
    QCOMPARE(text(w, "Label1"), second);
    QCOMPARE(menuState(w), Imported);

    // Cancelling keeps the earlier import.
    item(w, "LoadBinary")->trigger();
    QCOMPARE(m_dialogs->fileFilters.size(), 3);
    QVERIFY(m_dialogs->shown.isEmpty());
    QCOMPARE(text(w, "Label1"), second);
    QCOMPARE(menuState(w), Imported);

    // A bad line refuses the whole file, even after a good import.
    m_dialogs->fileAnswers = {badPath};
    item(w, "LoadBinary")->trigger();
    QCOMPARE(m_dialogs->shown.size(), 1);
    QCOMPARE(m_dialogs->last()->title, QStringLiteral("Error Message"));
    QCOMPARE(m_dialogs->last()->text,
             QStringLiteral("Invalid or corrupted configuration file, loading aborted..."));
    QCOMPARE(m_dialogs->last()->icon, kvt::app::MessageIcon::Exclamation);
    QCOMPARE(text(w, "Label1"), NoFile);
    QCOMPARE(menuState(w), JustOpened);

    // A field over 255 is refused as well: nothing out of range may reach a unit.
    QByteArray overRange = readBytes(first);
    overRange.replace("001001", "001256");
    writeBytes(badPath, overRange);
    m_dialogs->fileAnswers = {second, badPath};
    item(w, "LoadBinary")->trigger();
    QCOMPARE(menuState(w), Imported);
    item(w, "LoadBinary")->trigger();
    QCOMPARE(m_dialogs->shown.size(), 2);
    QCOMPARE(text(w, "Label1"), NoFile);
    QCOMPARE(menuState(w), JustOpened);
}

void TestProgrammerWindow::importOfUnreadableFileChangesNothing()
{
    ProgrammerWindow *w = openWindow();
    const QString good = savedFile(QStringLiteral("good.kvt"));
    m_dialogs->fileAnswers = {m_folders->file(QStringLiteral("gone.kvt")), good,
                              m_folders->file(QStringLiteral("gone.kvt")), m_folders->path()};
    item(w, "LoadBinary")->trigger();
    QCOMPARE(text(w, "Label1"), NoFile);
    QCOMPARE(menuState(w), JustOpened);
    item(w, "LoadBinary")->trigger();
    item(w, "LoadBinary")->trigger();       // a missing file
    item(w, "LoadBinary")->trigger();       // a folder
    QVERIFY(m_dialogs->shown.isEmpty());
    QCOMPARE(text(w, "Label1"), good);
    QCOMPARE(menuState(w), Imported);
}

void TestProgrammerWindow::importOfGprsOnlyFile()
{
    ProgrammerWindow *w = openWindow();
    const QString path = m_folders->file(QStringLiteral("gprs.kvt"));
    writeBytes(path, "GPRS:internet\r\n\r\nGPRS:\r\n\r\n");
    m_dialogs->fileAnswers = {path};
    item(w, "LoadBinary")->trigger();
    QVERIFY(m_dialogs->shown.isEmpty());
    QCOMPARE(text(w, "Label1"), path);
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
    QTest::newRow("two lines") << QByteArray("3\r\n0\r\n")
                               << QStringLiteral("COM3 dtr RTS eof");
}

void TestProgrammerWindow::settingsFileIsReadOnOpening()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    if (!content.isEmpty())
        writeBytes(kvt::programmer::settingsFilePath(), content);
    ProgrammerWindow *w = openWindow();
    QCOMPARE(switches(w), expected);

    // The settings file is closed again: an import still works after it.
    const QString path = savedFile(QStringLiteral("after.kvt"));
    m_dialogs->fileAnswers = {path};
    item(w, "LoadBinary")->trigger();
    QCOMPARE(text(w, "Label1"), path);
}

void TestProgrammerWindow::settingsFileIsReadOnEveryActivation()
{
    ProgrammerWindow *w = openWindow();
    QCOMPARE(switches(w), QStringLiteral("COM1 DTR RTS eof"));

    // Another window takes the focus while the file changes underneath.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    writeBytes(kvt::programmer::settingsFilePath(), "3\r\n0\r\n1\r\n1\r\n");
    QCOMPARE(switches(w), QStringLiteral("COM1 DTR RTS eof"));

    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QCOMPARE(switches(w), QStringLiteral("COM3 dtr RTS EOF"));
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
    item(w, "Com4")->trigger();
    item(w, "DtrEnable")->trigger();
    item(w, "EofEnable")->trigger();
    QCOMPARE(readBytes(kvt::programmer::settingsFilePath()), QByteArray("<missing>"));

    if (byExit)
        item(w, "ExitMenu")->trigger();
    else
        w->close();
    QCOMPARE(closed.size(), 1);
    QCOMPARE(readBytes(kvt::programmer::settingsFilePath()), QByteArray("4\r\n0\r\n1\r\n1\r\n"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_window);
    QCOMPARE(closed.size(), 1);

    // The next window starts with these settings and no file.
    w = openWindow();
    QCOMPARE(switches(w), QStringLiteral("COM4 dtr RTS EOF"));
    QCOMPARE(text(w, "Label1"), NoFile);
}

void TestProgrammerWindow::portItemsKeepExactlyOneCheckMark()
{
    ProgrammerWindow *w = openWindow();
    item(w, "Com1")->trigger();
    QCOMPARE(switches(w), QStringLiteral("COM1 DTR RTS eof"));
    item(w, "Com3")->trigger();
    QCOMPARE(switches(w), QStringLiteral("COM3 DTR RTS eof"));
    item(w, "Com3")->trigger();
    QCOMPARE(switches(w), QStringLiteral("COM3 DTR RTS eof"));
    item(w, "Com2")->trigger();
    item(w, "RtsEnable")->trigger();
    QCOMPARE(switches(w), QStringLiteral("COM2 DTR rts eof"));
    item(w, "RtsEnable")->trigger();
    QCOMPARE(switches(w), QStringLiteral("COM2 DTR RTS eof"));
}

void TestProgrammerWindow::screenReaderNamesAndStates()
{
    ProgrammerWindow *w = openWindow();
    QCOMPARE(accessible(child<QGroupBox>(w, "Frame1"))->text(QAccessible::Name),
             QStringLiteral("Loaded configuration file"));
    QCOMPARE(accessible(child<QGroupBox>(w, "Frame3"))->text(QAccessible::Name),
             QStringLiteral("Progress"));
    QCOMPARE(accessible(child<QLabel>(w, "Label1"))->text(QAccessible::Name), NoFile);
    QCOMPARE(accessible(child<QLabel>(w, "Label2"))->text(QAccessible::Name), QString());

    QAccessibleInterface *bar = accessible(child<QProgressBar>(w, "ProgressBar1"));
    QCOMPARE(bar->text(QAccessible::Name), QStringLiteral("Progress"));
    QVERIFY(bar->valueInterface());
    QCOMPARE(bar->valueInterface()->currentValue().toInt(), 0);
    QCOMPARE(bar->valueInterface()->minimumValue().toInt(), 0);

    // The label speaks the path exactly, "&" included.
    QVERIFY(QDir(m_folders->path()).mkdir(QStringLiteral("Fleet & Co")));
    const QString path = savedFile(QStringLiteral("Fleet & Co/van 12.kvt"));
    m_dialogs->fileAnswers = {path};
    item(w, "LoadBinary")->trigger();
    QCOMPARE(text(w, "Label1"), path);
    QCOMPARE(accessible(child<QLabel>(w, "Label1"))->text(QAccessible::Name), path);

    // Menus and items by their captions, check marks as checked states.
    QAccessibleInterface *menuBar = accessible(w->menuBar());
    for (const char *caption : {"File", "Communication", "Programming"})
        QVERIFY2(accessibleChild(menuBar, QLatin1String(caption)), caption);
    QAccessibleInterface *com = accessible(child<QMenu>(w, "ComMenu"));
    QCOMPARE(com->text(QAccessible::Name), QStringLiteral("Communication"));
    QAccessibleInterface *dtr = accessibleChild(com, QStringLiteral("DTR Enable"));
    QAccessibleInterface *eof = accessibleChild(com, QStringLiteral("EOF Enable"));
    QVERIFY(dtr && eof && accessibleChild(com, QStringLiteral("Serial Port...")));
    QVERIFY(dtr->state().checkable && dtr->state().checked);
    QVERIFY(eof->state().checkable && !eof->state().checked);
    QAccessibleInterface *ports = accessible(child<QMenu>(w, "SerialMenu"));
    item(w, "Com2")->trigger();
    for (int port = 1; port <= 4; ++port) {
        QAccessibleInterface *p = accessibleChild(ports, QStringLiteral("COM%1").arg(port));
        QVERIFY(p);
        QCOMPARE(bool(p->state().checked), port == 2);
    }
    QAccessibleInterface *prog = accessible(child<QMenu>(w, "ProgMenu"));
    QVERIFY(accessibleChild(prog, QStringLiteral("Write device...")));
    QVERIFY(accessibleChild(prog, QStringLiteral("Read device ID...")));
}

QTEST_MAIN(TestProgrammerWindow)
#include "test_programmerwindow.moc"
