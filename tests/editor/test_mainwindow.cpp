// The main window driven as a user drives it: step buttons, boxes, check
// boxes, the File commands, the save before exit and the zone hand-back.
#include "editor/mainwindow.h"
#include "image/charset.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "programmer/programmerwindow.h"
#include "scripteddialogs.h"
#include "testenv.h"
#include "zones/zoneeditor.h"
#include "zones/zonerecord.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>

using kvt::app::MessageIcon;
using kvt::editor::MainWindow;
using kvt::image::Document;

namespace {

const QString Caption = QStringLiteral("MOLBERANE\u00AE KVT Series Configurator version 1.2 - ");
const QString Deg = QStringLiteral("\u00B0C");
const QString InvalidText = QStringLiteral("Invalid or corrupted configuration file, loading aborted...");
const QString SaveFailed = QStringLiteral("Unable to save the configuration file, saving aborted...");

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Answers the file dialogs with the next path and notes where each started.
class StartPathDialogs final : public kvt::app::Dialogs {
public:
    QStringList answers;      // taken first to last; cancel when empty
    QStringList startPaths;

    void message(QWidget *, const QString &, const QString &, MessageIcon) override {}
    bool askYesNo(QWidget *, const QString &, const QString &, MessageIcon) override { return true; }
    std::optional<QString> openFileName(QWidget *, const QString &, const QString &start) override
    {
        return next(start);
    }
    std::optional<QString> saveFileName(QWidget *, const QString &, const QString &start) override
    {
        return next(start);
    }

private:
    std::optional<QString> next(const QString &start)
    {
        startPaths << start;
        return answers.isEmpty() ? std::nullopt : std::optional(answers.takeFirst());
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    TestFolders m_folders;
    int m_files = 0;
    std::unique_ptr<ScriptedDialogs> d;
    std::unique_ptr<MainWindow> w;

    QString newPath() { return m_folders.file(QStringLiteral("doc%1.kvt").arg(++m_files)); }
    template <class T = QLineEdit> T *part(const QString &name)
    {
        T *found = w->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QString text(const QString &box) { return part(box)->text(); }
    // Clicks a button or check box, or chooses a menu item.
    void click(const QString &control, int times = 1)
    {
        QAction *item = w->findChild<QAction *>(control);
        for (int i = 0; i < times; ++i)
            item ? item->trigger() : part<QAbstractButton>(control)->click();
    }
    const Document &doc() { return w->document(); }
    // Saves to a fresh file, which clears Mdf; returns the file.
    QString saveClean()
    {
        const QString path = newPath();
        d->fileAnswers.append(path);
        w->saveDocument();
        if (w->isModified())
            qFatal("save did not clear Mdf");
        return path;
    }

private slots:
    void init()
    {
        w.reset();
        d = std::make_unique<ScriptedDialogs>();
        w = std::make_unique<MainWindow>(*d);
    }
    void cleanup() { w.reset(); }

    void startsWithTheDefaultDocument()
    {
        QCOMPARE(w->windowTitle(), Caption);
        QVERIFY(!w->isModified());
        QCOMPARE(doc(), kvt::image::startupDocument());
        const QStringList shown = {text("TempHA"), text("TempLA"), text("TrackSeqText"),
                                   text("SmsCatchText"), text("RtcIntUnit"), text("RtcIntCounter")};
        QCOMPARE(shown, QStringList({"+125" + Deg, "-55" + Deg, "5 SMS", "400 seconds", "Second", "4"}));
        QCOMPARE(part<QGroupBox>("Frame3")->title(), QStringLiteral("LOG memory configuration - (N/A)"));
        QCOMPARE(text("FormatLen").toInt(), part<QPlainTextEdit>("GprsFormat")->toPlainText().size());
        QCOMPARE(w->minimumSize(), w->maximumSize());
    }

    void stepButtonsStopAtTheirLimits_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("limitText");
        QTest::newRow("THA down") << "Command1" << "TempHA" << 360 << "-55" + Deg;
        QTest::newRow("THA up") << "Command2" << "TempHA" << 0 << "+125" + Deg;
        QTest::newRow("TLA down") << "Command3" << "TempLA" << 0 << "-55" + Deg;
        QTest::newRow("TLA up") << "Command4" << "TempLA" << 360 << "+125" + Deg;
        QTest::newRow("tracking down") << "Command5" << "TrackSeqText" << 4 << "1 SMS";
        QTest::newRow("tracking up") << "Command6" << "TrackSeqText" << 250 << "255 SMS";
        QTest::newRow("sms down") << "Command7" << "SmsCatchText" << 39 << "10 seconds";
        QTest::newRow("sms up") << "Command8" << "SmsCatchText" << 215 << "2550 seconds";
        QTest::newRow("counter up") << "Command13" << "RtcIntCounter" << 251 << "255";
        QTest::newRow("counter down") << "Command14" << "RtcIntCounter" << 3 << "1";
        QTest::newRow("unit up") << "Command15" << "RtcIntUnit" << 3 << "Month";
        QTest::newRow("unit down") << "Command16" << "RtcIntUnit" << 0 << "Second";
    }

    void stepButtonsStopAtTheirLimits()
    {
        QFETCH(QString, button);
        QFETCH(QString, box);
        QFETCH(int, steps);
        QFETCH(QString, limitText);
        int counted = 0;
        for (Document before; counted < 1000 && before != doc(); ++counted) {
            before = doc();
            click(button);
        }
        QCOMPARE(counted - 1, steps);
        QCOMPARE(text(box), limitText);

        // A refused step does nothing at all: no value, text, signal, flag or message.
        saveClean();
        const Document before = doc();
        const auto messages = d->shown.size();
        bool changed = false;
        connect(part(box), &QLineEdit::textChanged, this, [&changed] { changed = true; });
        click(button);
        QVERIFY(doc() == before && !changed && !w->isModified());
        QCOMPARE(text(box), limitText);
        QCOMPARE(d->shown.size(), messages);
    }

    void stepsShowTheirForms()
    {
        click("Command1", 249);
        QCOMPARE(text("TempHA"), "+0.5" + Deg);
        click("Command1");
        QCOMPARE(text("TempHA"), "+0" + Deg);
        click("Command1");
        QCOMPARE(text("TempHA"), "-0.5" + Deg);
        QCOMPARE(doc().tempLowAlert, -55.0);   // the thresholds are independent
        QStringList units;
        for (int i = 0; i < 3; ++i, units << text("RtcIntUnit"))
            click("Command15");
        click("Command16");
        units << text("RtcIntUnit");
        QCOMPARE(units, QStringList({"Minute", "Hour", "Month", "Hour"}));
        click("Command13");
        click("Command6");
        QCOMPARE(text("RtcIntCounter") + "/" + text("TrackSeqText"), QStringLiteral("5/6 SMS"));
    }

    void smsCatchWarningOnlyFrom19To18()
    {
        click("Command7", 21);   // 40 -> 19
        QCOMPARE(text("SmsCatchText"), QStringLiteral("190 seconds"));
        QVERIFY(d->shown.isEmpty());
        QString shownMeanwhile;
        d->onMessage = [&](const ScriptedDialogs::Shown &) { shownMeanwhile = text("SmsCatchText"); };
        click("Command7");
        QCOMPARE(d->shown.size(), 1);
        QCOMPARE(d->last()->title, QStringLiteral("Warning Message"));
        QCOMPARE(d->last()->text, QStringLiteral(
            "Too short SMS catch alert timing can result in PERMANENT Tracking device Sleep "
            "mode!, please refer to the ZMT Protocol definition for more information..."));
        QCOMPARE(d->last()->icon, MessageIcon::Exclamation);
        QCOMPARE(shownMeanwhile, QStringLiteral("180 seconds"));
        click("Command7");   // 17
        click("Command8");   // 18 upward
        QCOMPARE(text("SmsCatchText"), QStringLiteral("180 seconds"));
        QCOMPARE(d->shown.size(), 1);
    }

    void logMemoryCaption_data()
    {
        QTest::addColumn<QList<int>>("ticked");
        QTest::addColumn<int>("count");   // 0: N/A
        QTest::newRow("none") << QList<int>{} << 0;
        QTest::newRow("reserved") << QList<int>{31, 32} << 0;
        QTest::newRow("utc") << QList<int>{17} << 5450;
        QTest::newRow("4087.5 to even") << QList<int>{17, 26} << 4088;
        QTest::newRow("1362.5 to even") << QList<int>{19, 21, 27} << 1362;
        QTest::newRow("1127.59") << QList<int>{17, 19, 20, 21, 22, 29, 30} << 1128;
        // All fourteen fields: 51 characters per record.
        QTest::newRow("all") << QList<int>{17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30}
                             << 641;
    }

    void logMemoryCaption()
    {
        QFETCH(QList<int>, ticked);
        QFETCH(int, count);
        for (int n : ticked)
            click(QStringLiteral("Check%1").arg(n));
        QCOMPARE(part<QGroupBox>("Frame3")->title(),
                 count ? QStringLiteral("LOG memory configuration (%1)").arg(count)
                       : QStringLiteral("LOG memory configuration - (N/A)"));
        QCOMPARE(w->logRecordCount(), count);
        QCOMPARE(w->isModified(), !ticked.isEmpty());
    }

    void everyKindOfEditSetsMdf()
    {
        const QList<std::pair<const char *, std::function<void()>>> edits = {
            {"SIM PIN", [&] { QTest::keyClicks(part("SimPin"), "1"); }},
            {"ISDN", [&] { QTest::keyClicks(part("IsdnRecall"), "+3"); }},
            {"step", [&] { click("Command5"); }},
            {"register box", [&] { click("Check16"); }},
            {"LOG box", [&] { click("Check31"); }},
            {"GPRS box", [&] { QTest::keyClicks(part("Mode"), "1"); }},
            {"zone edit", [&] {
                 click("Z03");
                 emit w->findChild<kvt::zones::ZoneEditor *>()->edited();
                 w->findChild<kvt::zones::ZoneEditor *>()->close();
             }},
        };
        for (const auto &[what, edit] : edits) {
            const QString path = saveClean();
            QCOMPARE(w->windowTitle(), Caption + path);
            edit();
            QVERIFY2(w->isModified(), what);
            QCOMPARE(w->windowTitle(), Caption + path + "*");
        }
        QCOMPARE(doc().simPin + doc().isdnRecall, QStringLiteral("1+3"));
        QVERIFY(doc().check(16) == 1 && doc().check(31) == 1);
        QCOMPARE(doc().gprsText(kvt::image::GprsField::Mode), QStringLiteral("01"));
        QCOMPARE(part<QGroupBox>("Frame3")->title(), QStringLiteral("LOG memory configuration - (N/A)"));
    }

    void boxesRefuseWhatTheFilesCannotHold()
    {
        QTest::keyClicks(part("SimPin"), "123456789");
        QCOMPARE(doc().simPin, QStringLiteral("12345678"));
        QLineEdit *apn = part("Apn");
        apn->clear();
        for (QChar c : QStringLiteral("caf\u00E9\u20AC\u03A9\u4E2D")) {   // the last two have no code
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(apn, &key);
        }
        QInputMethodEvent compose;
        compose.setCommitString(QStringLiteral("\u0394"));
        QApplication::sendEvent(apn, &compose);
        QCOMPARE(apn->text(), QStringLiteral("caf\u00E9\u20AC"));
        QLineEdit *isdn = part("IsdnRecall");
        QGuiApplication::clipboard()->setText(QStringLiteral("+33 \u2460"));
        isdn->paste();
        QVERIFY(isdn->text().isEmpty());
        QGuiApplication::clipboard()->setText(QStringLiteral("+33 612"));
        isdn->paste();
        QCOMPARE(doc().isdnRecall, QStringLiteral("+33 612"));
        // Every box a user can type into, pasted into and typed into.
        const Document before = doc();
        int editable = 0;
        for (QLineEdit *box : w->findChildren<QLineEdit *>()) {
            if (box->isReadOnly())
                continue;
            ++editable;
            QGuiApplication::clipboard()->setText(QStringLiteral("\u4E2D"));
            box->paste();
            QKeyEvent omega(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                            QStringLiteral("\u03A9"));
            QApplication::sendEvent(box, &omega);
            QVERIFY2(doc() == before, qPrintable(box->objectName()));
        }
        QCOMPARE(editable, 2 + kvt::image::GprsFieldCount);

        // A carriage return would end a GPRS line of the file: refused, and
        // the document still saves. A line feed stays inside its line.
        QLineEdit *login = part("Login");
        login->clear();
        QGuiApplication::clipboard()->setText(QStringLiteral("user\r\n"));
        login->paste();
        QGuiApplication::clipboard()->setText(QStringLiteral("a\tb\nc"));
        login->paste();
        QCOMPARE(doc().gprsText(kvt::image::GprsField::Login), QStringLiteral("a\tb\nc"));
        saveClean();
        QVERIFY(d->shown.isEmpty());
    }

    void gprsBoxesRecomposeTheString()
    {
        auto *format = part<QPlainTextEdit>("GprsFormat");
        const QColor normal = format->palette().color(QPalette::Base);
        for (int f = 0; f < kvt::image::GprsFieldCount; ++f)
            part(kvt::image::gprsFieldName(kvt::image::GprsField(f)))->clear();
        QCOMPARE(format->toPlainText() + text("FormatLen"), QStringLiteral(",,,,,;,,;,,,,;14"));
        part("Login")->setText(QStringLiteral("a,b"));
        QCOMPARE(format->toPlainText(), QStringLiteral(",a,b,,,,;,,;,,,,;"));
        const QList<std::tuple<int, QString, QColor>> lengths = {
            {255, "255", normal}, {256, "256", QColor(255, 0, 0)}, {300, "256", QColor(255, 0, 0)},
            {18, "18", normal}};
        for (const auto &[length, shown, colour] : lengths) {
            part("Apn")->setText(QString(length - 17, QLatin1Char('x')));
            QCOMPARE(text("FormatLen"), shown);
            QCOMPARE(format->toPlainText().size(), shown.toInt());
            QCOMPARE(format->palette().color(QPalette::Base), colour);
        }
    }

    void savingRightAfterStartUpWritesWhatKvtNewWrites()
    {
        const QString saved = saveClean();
        QCOMPARE(fileBytes(saved), kvt::image::toWindows1252(
                     kvt::image::encodeParameters(kvt::image::startupDocument()) + "\r\n").value());
        QCOMPARE(d->fileFilters, QStringList{QStringLiteral("Molberane configuration file (*.kvt)")});
        const QString written = newPath();
        QCOMPARE(QProcess::execute(QStringLiteral(KVT_CLI), {QStringLiteral("new"), written}), 0);
        QCOMPARE(fileBytes(written), fileBytes(saved));
        QCOMPARE(w->documentPath(), saved);
    }

    void openThenSaveGivesTheSameBytes()
    {
        QTest::keyClicks(part("SimPin"), "0000");
        for (const char *control : {"Command1", "Command1", "Command8", "Command15", "Command13",
                                    "Check1", "Check9", "Check17", "Check21", "Check30"})
            click(control);
        part("FtpSubDirectory")->setText(QStringLiteral("\"/t\u00FCr\""));
        const QString saved = saveClean();
        const Document first = doc();

        init();
        click("Command5");   // modified before the open
        d->fileAnswers.append(saved);
        w->openDocument();
        QVERIFY(d->shown.isEmpty() && !w->isModified());
        QCOMPARE(doc(), first);
        QCOMPARE(text("TempHA") + text("RtcIntUnit") + text("SimPin"), "+124" + Deg + "Minute0000");
        QVERIFY(!part<QCheckBox>("Check1")->isChecked());
        QCOMPARE(part<QGroupBox>("Frame3")->title(), QStringLiteral("LOG memory configuration (1924)"));
        QCOMPARE(w->windowTitle(), Caption + saved);
        QCOMPARE(fileBytes(saveClean()), fileBytes(saved));
    }

    void rtcUnitCodeWithoutAWordKeepsThePreviousText()
    {
        Document odd = kvt::image::startupDocument();
        odd.rtcIntervalUnit = 9;
        const QString path = newPath();
        QVERIFY(kvt::image::writeConfigurationFile(path, kvt::image::encodeParameters(odd)));
        click("Command15");   // "Minute"
        d->fileAnswers.append(path);
        w->openDocument();
        QCOMPARE(doc().rtcIntervalUnit, 9.0);
        QCOMPARE(text("RtcIntUnit"), QStringLiteral("Minute"));
        click("Command15");   // refused
        QVERIFY(doc().rtcIntervalUnit == 9 && !w->isModified());
        click("Command16");
        QCOMPARE(text("RtcIntUnit"), QStringLiteral("Minute"));
        QVERIFY(w->isModified());   // the stored code changed though the box did not
        click("Command16");
        QCOMPARE(text("RtcIntUnit"), QStringLiteral("Month"));
    }

    void cancelledDialogsChangeNothing()
    {
        const QString path = saveClean();
        click("Command5");
        const Document before = doc();
        w->openDocument();   // nothing scripted: cancel
        w->saveDocument();
        QCOMPARE(doc(), before);
        QCOMPARE(w->windowTitle(), Caption + path + "*");
        QVERIFY(d->shown.isEmpty());
    }

    // One dialog for Open, Save and the save before exit: each offers the
    // path chosen last, even a refused or cancelled-after one.
    void fileDialogStartsAtTheLastChosenPath()
    {
        StartPathDialogs paths;
        MainWindow window(paths);
        const QString saved = newPath();
        const QString missing = m_folders.file(QStringLiteral("absent.kvt"));
        paths.answers = {saved, missing};
        window.saveDocument();
        window.openDocument();
        window.saveDocument();   // cancelled
        window.findChild<QAbstractButton *>("Check2")->click();
        window.close();          // Yes, then cancelled
        QCOMPARE(paths.startPaths, QStringList({QString(), saved, missing, missing}));
    }

    void rejectedFilesChangeNothingButThePath_data()
    {
        QTest::addColumn<QByteArray>("content");   // empty: no such file
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("modifiedBefore");
        QTest::newRow("bad line") << QByteArray("001001000\r\n01234\r\n") << InvalidText << true;
        QTest::newRow("value above 255") << QByteArray("001001256\r\n") << InvalidText << false;
        QByteArray shortFile;
        for (int a = 1; a <= 37; ++a)
            shortFile += kvt::image::memoryLine(1, a, 0).toLatin1() + "\r\n";
        QTest::newRow("ends early") << shortFile << InvalidText << true;
        QTest::newRow("unreadable") << QByteArray()
            << QStringLiteral("Unable to read the configuration file, loading aborted...") << false;
    }

    void rejectedFilesChangeNothingButThePath()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QFETCH(bool, modifiedBefore);
        click("Check5");
        part("Tmr1")->setText(QStringLiteral("45"));
        if (!modifiedBefore)
            saveClean();
        const Document before = doc();
        const QString path = newPath();
        QFile f(path);
        if (!content.isEmpty() && f.open(QIODevice::WriteOnly))
            f.write(content), f.close();
        d->fileAnswers.append(path);
        w->openDocument();
        QCOMPARE(d->shown.size(), 1);
        QCOMPARE(d->last()->title + d->last()->text, "Error Message" + message);
        QCOMPARE(d->last()->icon, MessageIcon::Exclamation);
        QCOMPARE(doc(), before);
        QVERIFY(part<QCheckBox>("Check5")->isChecked() && text("Tmr1") == "45");
        QCOMPARE(w->windowTitle(), Caption + path + (modifiedBefore ? "*" : ""));
    }

    void saveCommandReportsAFailedWrite()
    {
        click("Command6");
        d->fileAnswers.append(m_folders.file(QStringLiteral("missing/doc.kvt")));
        w->saveDocument();
        QCOMPARE(d->shown.size(), 1);
        QCOMPARE(d->last()->title + d->last()->text, "Error Message" + SaveFailed);
        QVERIFY(w->isModified());
        QCOMPARE(doc().trackingCounter, 6.0);
    }

    void exit_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("file");   // 0 cancel, 1 writable, 2 unwritable
        QTest::newRow("not modified") << false << false << 0;
        QTest::newRow("no") << true << false << 0;
        QTest::newRow("yes, cancel") << true << true << 0;
        QTest::newRow("yes, file") << true << true << 1;
        QTest::newRow("yes, failed write") << true << true << 2;
    }

    void exit()
    {
        QFETCH(bool, modified);
        QFETCH(bool, yes);
        QFETCH(int, file);
        const QString opened = saveClean();
        if (modified)
            click("Check2");
        const Document edited = doc();
        const QString target = file == 2 ? m_folders.file("no/dir.kvt") : newPath();
        d->yesNoAnswers.append(yes);
        if (file)
            d->fileAnswers.append(target);
        QSignalSpy closed(w.get(), &MainWindow::closed);
        w->show();
        const bool ended = w->close();

        QCOMPARE(d->shown.size(), modified ? (file == 2 ? 2 : 1) : 0);
        if (modified) {
            QCOMPARE(d->shown.first().title + "|" + d->shown.first().text,
                     QStringLiteral("Warning Message|           Save before exit?"));
            QVERIFY(d->shown.first().yesNo && d->shown.first().icon == MessageIcon::None);
        }
        QCOMPARE(w->documentPath(), opened);   // the exit save leaves the path alone
        QCOMPARE(QFile::exists(target), file == 1);
        if (file == 1)
            QCOMPARE(fileBytes(target), fileBytes(saveClean()));
        // A failed write keeps the user in the editor, the document intact.
        QCOMPARE(ended, file != 2);
        QCOMPARE(closed.size(), file != 2 ? 1 : 0);
        if (file == 2) {
            QCOMPARE(d->last()->text, SaveFailed);
            QVERIFY(w->isVisible() && w->isModified() && doc() == edited);
        }
    }

    void zoneHandBackTouchesOnlyItsEntry()
    {
        w->show();
        const Document before = doc();
        click("Z7");   // opened and closed without edits: nothing changes
        auto *editor = w->findChild<kvt::zones::ZoneEditor *>();
        QVERIFY(editor && editor->zone() == 7 && editor->isVisible());
        QVERIFY(editor->close() && w->isEnabled());
        QTest::qWait(30);
        QVERIFY(doc() == before && !w->isModified());

        click("Z64");
        editor = w->findChild<kvt::zones::ZoneEditor *>();
        QVERIFY(editor && editor->zone() == 64 && editor->isEnabled() && !w->isEnabled());
        QVERIFY(!w->close());   // the main window takes no input meanwhile
        click("Z01");
        QCOMPARE(w->findChildren<kvt::zones::ZoneEditor *>().size(), 1);
        const QString marker = kvt::zones::defaultZoneText(64).replace('9', '8');
        emit editor->closed(64, marker);
        editor->blockSignals(true);
        delete editor;
        QVERIFY(w->isEnabled());
        QCOMPARE(doc(), before);   // the copy comes after the editor has gone
        QTRY_COMPARE(doc().zoneTexts[63], marker);
        Document expected = before;
        expected.zoneTexts[63] = marker;
        QCOMPARE(doc(), expected);
        QVERIFY(!w->isModified());

        click("Z02");   // a save right after the closing includes the zone
        editor = w->findChild<kvt::zones::ZoneEditor *>();
        emit editor->closed(2, marker);
        editor->blockSignals(true);
        delete editor;
        QVERIFY(fileBytes(saveClean()).contains(marker.toLatin1()));
    }

    void programmerTakesTheMainWindowOutOfUse()
    {
        w->show();
        QCOMPARE(part<QAction>("WriteDevice")->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
        for (bool byClosing : {true, false}) {
            part<QAction>("WriteDevice")->trigger();
            auto *programmer = w->findChild<kvt::programmer::ProgrammerWindow *>();
            QVERIFY(programmer && programmer->isVisible() && programmer->isEnabled());
            QVERIFY(!programmer->isModal() && !w->isEnabled());
            if (byClosing)
                programmer->close();
            else
                delete programmer;
            QVERIFY(w->isEnabled());
            QTRY_VERIFY(!w->findChild<kvt::programmer::ProgrammerWindow *>());
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
