// The main window driven as a user drives it: step buttons, boxes, check
// boxes, the File commands, the save before exit and the zone hand-back.
#include "editor/mainwindow.h"
#include "image/charset.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "image/gprs.h"
#include "programmer/programmerwindow.h"
#include "scripteddialogs.h"
#include "testenv.h"
#include "zones/zoneeditor.h"
#include "zones/zonerecord.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using kvt::app::MessageIcon;
using kvt::editor::MainWindow;
using kvt::image::Document;

namespace {

const QString Caption = QStringLiteral("MOLBERANE\u00AE KVT Series Configurator version 1.2 - ");
const QString Degrees = QStringLiteral("\u00B0C");

template <class T>
T *part(QWidget &w, const QString &name)
{
    T *found = w.findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

QString boxText(MainWindow &w, const QString &name)
{
    return part<QLineEdit>(w, name)->text();
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray imageBytes(const Document &doc)
{
    return kvt::image::toWindows1252(kvt::image::encodeParameters(doc) + QStringLiteral("\r\n"))
        .value();
}

// Types text key by key, as a keyboard layout with these characters would.
void typeText(QWidget *box, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &release);
    }
}

// Clicks until the value stops changing (or a safety bound); returns the clicks that counted.
int clickToLimit(MainWindow &w, const QString &button)
{
    auto *b = part<QPushButton>(w, button);
    int counted = 0;
    for (int i = 0; i < 1000; ++i) {
        const Document before = w.document();
        b->click();
        if (w.document() == before)
            break;
        ++counted;
    }
    return counted;
}

// Answers every file dialog with the next path and notes where each started.
class RecordingDialogs final : public kvt::app::Dialogs {
public:
    QStringList answers;
    QStringList startPaths;

    void message(QWidget *, const QString &, const QString &, MessageIcon) override {}
    bool askYesNo(QWidget *, const QString &, const QString &, MessageIcon) override
    {
        return true;
    }
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
        if (answers.isEmpty())
            return std::nullopt;
        return answers.takeFirst();
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    TestFolders m_folders;
    int m_fileCount = 0;

    QString newPath() { return m_folders.file(QStringLiteral("doc%1.kvt").arg(++m_fileCount)); }

    // Saves to a fresh file so that Mdf is clear; returns the file.
    QString saveClean(MainWindow &w, ScriptedDialogs &d)
    {
        const QString path = newPath();
        d.fileAnswers.append(path);
        w.saveDocument();
        if (w.isModified())
            qFatal("save did not clear Mdf");
        return path;
    }

private slots:
    void startsWithTheDefaultDocument()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        QCOMPARE(w.objectName(), QStringLiteral("Form1"));
        QCOMPARE(w.windowTitle(), Caption);
        QVERIFY(!w.isModified());
        QVERIFY(w.documentPath().isEmpty());
        QCOMPARE(w.document(), kvt::image::startupDocument());
        QCOMPARE(boxText(w, "TempHA"), QStringLiteral("+125") + Degrees);
        QCOMPARE(boxText(w, "TempLA"), QStringLiteral("-55") + Degrees);
        QCOMPARE(boxText(w, "TrackSeqText"), QStringLiteral("5 SMS"));
        QCOMPARE(boxText(w, "SmsCatchText"), QStringLiteral("400 seconds"));
        QCOMPARE(boxText(w, "RtcIntUnit"), QStringLiteral("Second"));
        QCOMPARE(boxText(w, "RtcIntCounter"), QStringLiteral("4"));
        QVERIFY(part<QCheckBox>(w, "Check1")->isChecked());
        for (int n = 2; n <= 32; ++n)
            QVERIFY(!part<QCheckBox>(w, QStringLiteral("Check%1").arg(n))->isChecked());
        QCOMPARE(part<QGroupBox>(w, "Frame3")->title(),
                 QStringLiteral("LOG memory configuration - (N/A)"));
        const QString gprs = kvt::image::composeGprsString(kvt::image::defaultGprsTexts());
        QCOMPARE(part<QPlainTextEdit>(w, "GprsFormat")->toPlainText(), gprs);
        QCOMPARE(boxText(w, "FormatLen"), QString::number(gprs.size()));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(d.shown.isEmpty());
    }

    void stepButtonsStopAtTheirLimits_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QString>("limitText");
        QTest::newRow("THA down") << "Command1" << "TempHA" << 360 << "-55" + Degrees;
        QTest::newRow("THA up") << "Command2" << "TempHA" << 0 << "+125" + Degrees;
        QTest::newRow("TLA down") << "Command3" << "TempLA" << 0 << "-55" + Degrees;
        QTest::newRow("TLA up") << "Command4" << "TempLA" << 360 << "+125" + Degrees;
        QTest::newRow("tracking down") << "Command5" << "TrackSeqText" << 4 << "1 SMS";
        QTest::newRow("tracking up") << "Command6" << "TrackSeqText" << 250 << "255 SMS";
        QTest::newRow("sms down") << "Command7" << "SmsCatchText" << 39 << "10 seconds";
        QTest::newRow("sms up") << "Command8" << "SmsCatchText" << 215 << "2550 seconds";
        QTest::newRow("rtc counter up") << "Command13" << "RtcIntCounter" << 251 << "255";
        QTest::newRow("rtc counter down") << "Command14" << "RtcIntCounter" << 3 << "1";
        QTest::newRow("rtc unit up") << "Command15" << "RtcIntUnit" << 3 << "Month";
        QTest::newRow("rtc unit down") << "Command16" << "RtcIntUnit" << 0 << "Second";
    }

    void stepButtonsStopAtTheirLimits()
    {
        QFETCH(QString, button);
        QFETCH(QString, box);
        QFETCH(int, clicks);
        QFETCH(QString, limitText);
        ScriptedDialogs d;
        MainWindow w(d);
        QCOMPARE(clickToLimit(w, button), clicks);
        QCOMPARE(boxText(w, box), limitText);
        QCOMPARE(w.isModified(), clicks > 0);

        // A refused step does nothing at all: no value, text, flag or message.
        saveClean(w, d);
        const Document before = w.document();
        const int messages = d.shown.size();
        auto *edit = part<QLineEdit>(w, box);
        bool changed = false;
        connect(edit, &QLineEdit::textChanged, this, [&changed] { changed = true; });
        part<QPushButton>(w, button)->click();
        QCOMPARE(w.document(), before);
        QCOMPARE(boxText(w, box), limitText);
        QVERIFY(!changed);
        QVERIFY(!w.isModified());
        QCOMPARE(w.windowTitle().endsWith(QLatin1Char('*')), false);
        QCOMPARE(d.shown.size(), messages);
    }

    void stepsShowTheirForms()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        auto *down = part<QPushButton>(w, "Command1");
        for (int i = 0; i < 249; ++i)
            down->click();
        QCOMPARE(boxText(w, "TempHA"), "+0.5" + Degrees);
        down->click();
        QCOMPARE(boxText(w, "TempHA"), "+0" + Degrees);
        down->click();
        QCOMPARE(boxText(w, "TempHA"), "-0.5" + Degrees);
        QCOMPARE(w.document().tempHighAlert, -0.5);
        QCOMPARE(w.document().tempLowAlert, -55.0);   // the thresholds are independent

        QStringList units;
        for (int i = 0; i < 3; ++i) {
            part<QPushButton>(w, "Command15")->click();
            units << boxText(w, "RtcIntUnit");
        }
        QCOMPARE(units, QStringList({"Minute", "Hour", "Month"}));
        part<QPushButton>(w, "Command16")->click();
        QCOMPARE(boxText(w, "RtcIntUnit"), QStringLiteral("Hour"));
        QCOMPARE(w.document().rtcIntervalUnit, 6.0);

        part<QPushButton>(w, "Command13")->click();
        QCOMPARE(boxText(w, "RtcIntCounter"), QStringLiteral("5"));
        part<QPushButton>(w, "Command6")->click();
        QCOMPARE(boxText(w, "TrackSeqText"), QStringLiteral("6 SMS"));
        QCOMPARE(w.document().trackingCounter, 6.0);
    }

    void smsCatchWarningOnlyFrom19To18()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        auto *down = part<QPushButton>(w, "Command7");
        auto *up = part<QPushButton>(w, "Command8");
        for (int i = 0; i < 20; ++i)   // 40 -> 20
            down->click();
        QCOMPARE(boxText(w, "SmsCatchText"), QStringLiteral("200 seconds"));
        down->click();
        QCOMPARE(boxText(w, "SmsCatchText"), QStringLiteral("190 seconds"));
        QVERIFY(d.shown.isEmpty());

        // The box already shows 180 seconds when the warning is on screen.
        QString shownWhileWarning;
        d.onMessage = [&](const ScriptedDialogs::Shown &) {
            shownWhileWarning = boxText(w, "SmsCatchText");
        };
        down->click();
        QCOMPARE(d.shown.size(), 1);
        QCOMPARE(d.last()->title, QStringLiteral("Warning Message"));
        QCOMPARE(d.last()->text,
                 QStringLiteral("Too short SMS catch alert timing can result in PERMANENT "
                                "Tracking device Sleep mode!, please refer to the ZMT Protocol "
                                "definition for more information..."));
        QCOMPARE(d.last()->icon, MessageIcon::Exclamation);
        QVERIFY(!d.last()->yesNo);
        QCOMPARE(shownWhileWarning, QStringLiteral("180 seconds"));

        down->click();
        QCOMPARE(boxText(w, "SmsCatchText"), QStringLiteral("170 seconds"));
        up->click();   // 17 -> 18 upward: no warning
        QCOMPARE(boxText(w, "SmsCatchText"), QStringLiteral("180 seconds"));
        QCOMPARE(d.shown.size(), 1);
    }

    void logMemoryCaption_data()
    {
        QTest::addColumn<QList<int>>("ticked");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("count");
        const QString na = QStringLiteral("LOG memory configuration - (N/A)");
        QTest::newRow("none") << QList<int>{} << na << 0;
        QTest::newRow("reserved 31") << QList<int>{31} << na << 0;
        QTest::newRow("reserved 32") << QList<int>{32} << na << 0;
        QTest::newRow("utc") << QList<int>{17} << "LOG memory configuration (5450)" << 5450;
        QTest::newRow("4087.5 to even") << QList<int>{17, 26}
                                        << "LOG memory configuration (4088)" << 4088;
        QTest::newRow("1362.5 to even") << QList<int>{19, 21, 27}
                                        << "LOG memory configuration (1362)" << 1362;
        QTest::newRow("29 characters") << QList<int>{17, 19, 20, 21, 22, 29, 30}
                                       << "LOG memory configuration (1128)" << 1128;
        QList<int> all;
        for (int n = 17; n <= 32; ++n)
            all << n;
        // All fourteen fields: 51 characters per record.
        QTest::newRow("all") << all << "LOG memory configuration (641)" << 641;
    }

    void logMemoryCaption()
    {
        QFETCH(QList<int>, ticked);
        QFETCH(QString, caption);
        QFETCH(int, count);
        ScriptedDialogs d;
        MainWindow w(d);
        for (int n : ticked)
            part<QCheckBox>(w, QStringLiteral("Check%1").arg(n))->click();
        QCOMPARE(part<QGroupBox>(w, "Frame3")->title(), caption);
        QCOMPARE(w.logRecordCount(), count);
        for (int n : ticked)
            QCOMPARE(w.document().check(n), 1);
        QCOMPARE(w.isModified(), !ticked.isEmpty());
    }

    void everyKindOfEditSetsMdf()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QList<std::pair<const char *, std::function<void()>>> edits = {
            {"typing the SIM PIN", [&] { QTest::keyClicks(part<QLineEdit>(w, "SimPin"), "1"); }},
            {"typing the ISDN number",
             [&] { QTest::keyClicks(part<QLineEdit>(w, "IsdnRecall"), "+3"); }},
            {"a step", [&] { part<QPushButton>(w, "Command5")->click(); }},
            {"a register box", [&] { part<QCheckBox>(w, "Check16")->click(); }},
            {"a LOG box", [&] { part<QCheckBox>(w, "Check31")->click(); }},
            {"a GPRS box", [&] { QTest::keyClicks(part<QLineEdit>(w, "Mode"), "1"); }},
        };
        for (const auto &[what, edit] : edits) {
            const QString path = saveClean(w, d);
            QCOMPARE(w.windowTitle(), Caption + path);
            edit();
            QVERIFY2(w.isModified(), what);
            QCOMPARE(w.windowTitle(), Caption + path + QLatin1Char('*'));
        }
        QCOMPARE(w.document().simPin, QStringLiteral("1"));
        QCOMPARE(w.document().isdnRecall, QStringLiteral("+3"));
        QCOMPARE(w.document().check(16), 1);
        QCOMPARE(w.document().check(31), 1);
        QCOMPARE(w.document().gprsText(kvt::image::GprsField::Mode), QStringLiteral("01"));
        // The register box left the LOG caption alone; the reserved LOG box has no size.
        QCOMPARE(part<QGroupBox>(w, "Frame3")->title(),
                 QStringLiteral("LOG memory configuration - (N/A)"));
    }

    void boxesRefuseWhatTheFilesCannotHold()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *pin = part<QLineEdit>(w, "SimPin");
        QTest::keyClicks(pin, "123456789");
        QCOMPARE(pin->text(), QStringLiteral("12345678"));
        QCOMPARE(w.document().simPin, QStringLiteral("12345678"));

        auto *apn = part<QLineEdit>(w, "Apn");
        apn->clear();
        typeText(apn, QStringLiteral("caf\u00E9 \u20AC"));   // both have a code
        typeText(apn, QStringLiteral("\u03A9\u4E2D"));       // neither has one
        QCOMPARE(apn->text(), QStringLiteral("caf\u00E9 \u20AC"));
        QInputMethodEvent compose;
        compose.setCommitString(QStringLiteral("\u0394"));
        QApplication::sendEvent(apn, &compose);
        QCOMPARE(apn->text(), QStringLiteral("caf\u00E9 \u20AC"));

        auto *isdn = part<QLineEdit>(w, "IsdnRecall");
        QGuiApplication::clipboard()->setText(QStringLiteral("+33 \u2460"));
        isdn->setFocus();
        isdn->paste();
        QVERIFY(isdn->text().isEmpty());
        QGuiApplication::clipboard()->setText(QStringLiteral("+33 612"));
        isdn->paste();
        QCOMPARE(isdn->text(), QStringLiteral("+33 612"));

        for (auto *box : w.findChildren<QLineEdit *>())
            QVERIFY2(kvt::image::isEncodable(box->text()), qPrintable(box->objectName()));
    }

    void gprsBoxesRecomposeTheString()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        auto *format = part<QPlainTextEdit>(w, "GprsFormat");
        const QColor normal = format->palette().color(QPalette::Base);
        for (int f = 0; f < kvt::image::GprsFieldCount; ++f)
            part<QLineEdit>(w, kvt::image::gprsFieldName(kvt::image::GprsField(f)))->clear();
        QCOMPARE(format->toPlainText(), QStringLiteral(",,,,,;,,;,,,,;"));
        QCOMPARE(boxText(w, "FormatLen"), QStringLiteral("14"));

        part<QLineEdit>(w, "Login")->setText(QStringLiteral("a,b"));
        QCOMPARE(format->toPlainText(), QStringLiteral(",a,b,,,,;,,;,,,,;"));

        auto *apn = part<QLineEdit>(w, "Apn");
        apn->setText(QString(255 - 17, QLatin1Char('x')));
        QCOMPARE(boxText(w, "FormatLen"), QStringLiteral("255"));
        QCOMPARE(format->palette().color(QPalette::Base), normal);
        apn->setText(QString(256 - 17, QLatin1Char('x')));
        QCOMPARE(boxText(w, "FormatLen"), QStringLiteral("256"));
        QCOMPARE(format->palette().color(QPalette::Base), QColor(255, 0, 0));
        apn->setText(QString(300 - 17, QLatin1Char('x')));
        QCOMPARE(format->toPlainText().size(), 256);
        QCOMPARE(boxText(w, "FormatLen"), QStringLiteral("256"));
        apn->setText(QStringLiteral("x"));
        QCOMPARE(boxText(w, "FormatLen"), QStringLiteral("18"));
        QCOMPARE(format->palette().color(QPalette::Base), normal);
        QVERIFY(w.isModified());
    }

    void savingRightAfterStartUpWritesTheNewDocument()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        const QString path = saveClean(w, d);
        QCOMPARE(fileBytes(path), imageBytes(kvt::image::startupDocument()));
        QCOMPARE(w.documentPath(), path);
        QCOMPARE(w.windowTitle(), Caption + path);
        QCOMPARE(d.fileFilters, QStringList{kvt::app::ConfigurationFilter});
        QVERIFY(d.shown.isEmpty());
    }

    void savingRightAfterStartUpMatchesKvtNew()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        const QString saved = saveClean(w, d);
        const QString written = newPath();
        QProcess kvt;
        kvt.start(QStringLiteral(KVT_CLI), {QStringLiteral("new"), written});
        QVERIFY(kvt.waitForFinished());
        QCOMPARE(kvt.exitCode(), 0);
        QCOMPARE(fileBytes(written), fileBytes(saved));
    }

    void openThenSaveGivesTheSameBytes()
    {
        ScriptedDialogs d;
        MainWindow first(d);
        QTest::keyClicks(part<QLineEdit>(first, "SimPin"), "0000");
        for (const char *button : {"Command1", "Command1", "Command3", "Command8", "Command15",
                                   "Command13", "Command6"})
            part<QPushButton>(first, button)->click();
        for (const char *box : {"Check1", "Check9", "Check17", "Check21", "Check30"})
            part<QCheckBox>(first, box)->click();
        part<QLineEdit>(first, "FtpSubDirectory")->setText(QStringLiteral("\"/t\u00FCr\""));
        const QString saved = saveClean(first, d);

        ScriptedDialogs d2;
        MainWindow second(d2);
        part<QPushButton>(second, "Command5")->click();   // modified before the open
        d2.fileAnswers.append(saved);
        second.openDocument();
        QVERIFY(d2.shown.isEmpty());
        QVERIFY(!second.isModified());
        QCOMPARE(second.document(), first.document());
        QCOMPARE(boxText(second, "TempHA"), "+124" + Degrees);
        QCOMPARE(boxText(second, "RtcIntUnit"), QStringLiteral("Minute"));
        QCOMPARE(boxText(second, "SimPin"), QStringLiteral("0000"));
        QVERIFY(!part<QCheckBox>(second, "Check1")->isChecked());
        QCOMPARE(part<QGroupBox>(second, "Frame3")->title(),
                 QStringLiteral("LOG memory configuration (1924)"));   // 6 + 10 + 1 characters
        QCOMPARE(second.windowTitle(), Caption + saved);

        const QString again = saveClean(second, d2);
        QCOMPARE(fileBytes(again), fileBytes(saved));
    }

    void theFileDialogStartsAtTheLastChosenPath()
    {
        RecordingDialogs d;
        MainWindow w(d);
        const QString saved = newPath();
        const QString rejected = m_folders.file(QStringLiteral("absent.kvt"));
        d.answers = {saved, rejected};
        w.saveDocument();
        w.openDocument();
        w.saveDocument();   // cancelled
        w.openDocument();   // cancelled
        QCOMPARE(d.startPaths, QStringList({QString(), saved, rejected, rejected}));
    }

    void rtcUnitCodeWithoutAWordKeepsThePreviousText()
    {
        Document odd = kvt::image::startupDocument();
        odd.rtcIntervalUnit = 9;
        const QString path = newPath();
        QVERIFY(kvt::image::writeConfigurationFile(path, kvt::image::encodeParameters(odd)));

        ScriptedDialogs d;
        MainWindow w(d);
        part<QPushButton>(w, "Command15")->click();   // "Minute"
        d.fileAnswers.append(path);
        w.openDocument();
        QCOMPARE(w.document().rtcIntervalUnit, 9.0);
        QCOMPARE(boxText(w, "RtcIntUnit"), QStringLiteral("Minute"));
        QVERIFY(!w.isModified());
        part<QPushButton>(w, "Command15")->click();   // at or above 7: refused
        QCOMPARE(w.document().rtcIntervalUnit, 9.0);
        QVERIFY(!w.isModified());
        part<QPushButton>(w, "Command16")->click();
        QCOMPARE(w.document().rtcIntervalUnit, 8.0);
        QCOMPARE(boxText(w, "RtcIntUnit"), QStringLiteral("Minute"));
        QVERIFY(w.isModified());   // the stored code changed even if the box did not
        part<QPushButton>(w, "Command16")->click();
        QCOMPARE(boxText(w, "RtcIntUnit"), QStringLiteral("Month"));
    }

    void cancelledDialogsChangeNothing()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        const QString path = saveClean(w, d);
        part<QPushButton>(w, "Command5")->click();
        const Document before = w.document();
        w.openDocument();   // no answer scripted: cancel
        w.saveDocument();
        QCOMPARE(d.fileFilters.size(), 3);
        QCOMPARE(w.document(), before);
        QCOMPARE(w.documentPath(), path);
        QVERIFY(w.isModified());
        QCOMPARE(w.windowTitle(), Caption + path + QLatin1Char('*'));
        QVERIFY(d.shown.isEmpty());
    }

    void rejectedFilesChangeNothingButThePath_data()
    {
        QTest::addColumn<QByteArray>("content");   // empty: no such file
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("modifiedBefore");
        const QString invalid =
            QStringLiteral("Invalid or corrupted configuration file, loading aborted...");
        QTest::newRow("bad line") << QByteArray("001001000\r\n01234\r\n") << invalid << true;
        QTest::newRow("value above 255") << QByteArray("001001256\r\n") << invalid << false;
        QByteArray shortFile;
        for (int a = 1; a <= 37; ++a)
            shortFile += kvt::image::memoryLine(1, a, 0).toLatin1() + "\r\n";
        QTest::newRow("ends early") << shortFile << invalid << true;
        QTest::newRow("unreadable")
            << QByteArray()
            << QStringLiteral("Unable to read the configuration file, loading aborted...") << false;
    }

    void rejectedFilesChangeNothingButThePath()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QFETCH(bool, modifiedBefore);
        ScriptedDialogs d;
        MainWindow w(d);
        part<QCheckBox>(w, "Check5")->click();
        part<QLineEdit>(w, "Tmr1")->setText(QStringLiteral("45"));
        if (!modifiedBefore)
            saveClean(w, d);
        const Document before = w.document();
        const QString path = newPath();
        if (!content.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        d.fileAnswers.append(path);
        w.openDocument();
        QCOMPARE(d.shown.size(), 1);
        QCOMPARE(d.last()->title, QStringLiteral("Error Message"));
        QCOMPARE(d.last()->text, message);
        QCOMPARE(d.last()->icon, MessageIcon::Exclamation);
        QCOMPARE(w.document(), before);
        QVERIFY(part<QCheckBox>(w, "Check5")->isChecked());
        QCOMPARE(boxText(w, "Tmr1"), QStringLiteral("45"));
        QCOMPARE(w.isModified(), modifiedBefore);
        QCOMPARE(w.documentPath(), path);
        QCOMPARE(w.windowTitle(), Caption + path + (modifiedBefore ? "*" : ""));
    }

    void failedSaveKeepsTheDocumentModified()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        part<QPushButton>(w, "Command6")->click();
        const QString path = m_folders.file(QStringLiteral("missing/folder/doc.kvt"));
        d.fileAnswers.append(path);
        w.saveDocument();
        QCOMPARE(d.shown.size(), 1);
        QCOMPARE(d.last()->title, QStringLiteral("Error Message"));
        QCOMPARE(d.last()->text,
                 QStringLiteral("Unable to save the configuration file, saving aborted..."));
        QCOMPARE(d.last()->icon, MessageIcon::Exclamation);
        QVERIFY(w.isModified());
        QVERIFY(!QFile::exists(path));
        QCOMPARE(w.document().trackingCounter, 6.0);
    }

    void exitWithoutChangesAsksNothing()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        QSignalSpy closed(&w, &MainWindow::closed);
        w.show();
        QVERIFY(w.close());
        QVERIFY(d.shown.isEmpty());
        QCOMPARE(closed.size(), 1);
    }

    void saveBeforeExit_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("chooseFile");
        QTest::addColumn<bool>("writable");
        QTest::newRow("no") << false << false << true;
        QTest::newRow("yes, cancel") << true << false << true;
        QTest::newRow("yes, file") << true << true << true;
        QTest::newRow("yes, failed write") << true << true << false;
    }

    void saveBeforeExit()
    {
        QFETCH(bool, yes);
        QFETCH(bool, chooseFile);
        QFETCH(bool, writable);
        ScriptedDialogs d;
        MainWindow w(d);
        const QString opened = saveClean(w, d);
        part<QCheckBox>(w, "Check2")->click();
        const Document edited = w.document();
        const QString target = writable ? newPath()
                                        : m_folders.file(QStringLiteral("no/such/dir.kvt"));
        d.yesNoAnswers.append(yes);
        if (chooseFile)
            d.fileAnswers.append(target);
        w.show();
        const bool ended = w.close();

        QCOMPARE(d.shown.first().title, QStringLiteral("Warning Message"));
        QCOMPARE(d.shown.first().text, QStringLiteral("           Save before exit?"));
        QCOMPARE(d.shown.first().icon, MessageIcon::None);
        QVERIFY(d.shown.first().yesNo);
        QCOMPARE(w.documentPath(), opened);   // the exit save does not move the document
        if (chooseFile && !writable) {
            QVERIFY(!ended);
            QVERIFY(w.isVisible());
            QCOMPARE(d.shown.size(), 2);
            QCOMPARE(d.last()->text,
                     QStringLiteral("Unable to save the configuration file, saving aborted..."));
            QVERIFY(w.isModified());
            QCOMPARE(w.document(), edited);
            return;
        }
        QVERIFY(ended);
        QCOMPARE(d.shown.size(), 1);
        QCOMPARE(QFile::exists(target), chooseFile);
        if (chooseFile) {
            QCOMPARE(fileBytes(target), imageBytes(edited));
            QVERIFY(!w.isModified());
        }
    }

    void zoneMenuItems()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        QCOMPARE(part<QMenu>(w, "GeoMenu")->title(), QStringLiteral("Geofencing"));
        auto *bank1 = part<QMenu>(w, "Bnk01");
        auto *bank2 = part<QMenu>(w, "Bnk02");
        QCOMPARE(bank1->title(), QStringLiteral("Zone 01 to 32..."));
        QCOMPARE(bank2->title(), QStringLiteral("Zone 33 to 64..."));
        QList<QAction *> items = bank1->actions() + bank2->actions();
        QCOMPARE(items.size(), 64);
        QCOMPARE(bank1->actions().size(), 32);
        for (int n = 1; n <= 64; ++n) {
            const QString name = n == 7 ? QStringLiteral("Z7")
                                        : QStringLiteral("Z%1").arg(n, 2, 10, QLatin1Char('0'));
            QCOMPARE(items[n - 1]->objectName(), name);
        }
        QCOMPARE(items[0]->text(), QStringLiteral("Zone 01 (01h)"));
        QCOMPARE(items[9]->text(), QStringLiteral("Zone 10 (0Ah)"));
        QCOMPARE(items[32]->text(), QStringLiteral("Zone 33 (21h)"));
        QCOMPARE(items[63]->text(), QStringLiteral("Zone 64 (40h)"));
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("Z07")));
    }

    void zoneHandBackTouchesOnlyItsEntry()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        w.show();
        part<QAction>(w, "Z64")->trigger();
        auto *editor = w.findChild<kvt::zones::ZoneEditor *>();
        QVERIFY(editor);
        QCOMPARE(editor->zone(), 64);
        QVERIFY(!w.isEnabled());
        QVERIFY(editor->isEnabled());
        QVERIFY(!w.close());   // the main window takes no input meanwhile
        part<QAction>(w, "Z01")->trigger();
        QCOMPARE(w.findChildren<kvt::zones::ZoneEditor *>().size(), 1);

        const Document before = w.document();
        const QString marker = kvt::zones::defaultZoneText(64).replace(QLatin1Char('9'), QLatin1Char('8'));
        emit editor->closed(64, marker);
        editor->blockSignals(true);
        delete editor;
        QVERIFY(w.isEnabled());
        QCOMPARE(w.document(), before);   // the copy comes after the editor has gone
        QTRY_COMPARE(w.document().zoneTexts[63], marker);
        for (int i = 0; i < 63; ++i)
            QCOMPARE(w.document().zoneTexts[i], before.zoneTexts[i]);
        QVERIFY(!w.isModified());   // the hand-back itself never marks the document
    }

    void zoneOpenedAndClosedWithoutEditsKeepsMdf()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        w.show();
        const Document before = w.document();
        part<QAction>(w, "Z7")->trigger();
        auto *editor = w.findChild<kvt::zones::ZoneEditor *>();
        QVERIFY(editor);
        QCOMPARE(editor->zone(), 7);
        QVERIFY(editor->isVisible());
        QVERIFY(editor->close());
        QVERIFY(w.isEnabled());
        QTest::qWait(30);
        QCOMPARE(w.document(), before);
        QVERIFY(!w.isModified());

        part<QAction>(w, "Z05")->trigger();
        editor = w.findChild<kvt::zones::ZoneEditor *>();
        QVERIFY(editor);
        emit editor->edited();
        QVERIFY(w.isModified());
        editor->close();
        QVERIFY(w.isEnabled());
    }

    void saveRightAfterAZoneClosesIncludesIt()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        part<QAction>(w, "Z02")->trigger();
        auto *editor = w.findChild<kvt::zones::ZoneEditor *>();
        QVERIFY(editor);
        const QString marker = kvt::zones::defaultZoneText(2).replace(QLatin1Char('9'), QLatin1Char('7'));
        emit editor->closed(2, marker);
        editor->blockSignals(true);
        delete editor;
        const QString path = saveClean(w, d);   // before the 10 ms hand-back tick
        QCOMPARE(w.document().zoneTexts[1], marker);
        QVERIFY(fileBytes(path).contains(marker.toLatin1()));
    }

    void programmerTakesTheMainWindowOutOfUse()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        w.show();
        auto *write = part<QAction>(w, "WriteDevice");
        QCOMPARE(write->text(), QStringLiteral("Run KVT Programmer..."));
        QCOMPARE(write->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
        write->trigger();
        auto *programmer = w.findChild<kvt::programmer::ProgrammerWindow *>();
        QVERIFY(programmer);
        QVERIFY(programmer->isVisible());
        QVERIFY(programmer->isEnabled());
        QVERIFY(!programmer->isModal());
        QVERIFY(!w.isEnabled());
        programmer->close();
        QTRY_VERIFY(w.isEnabled());

        write->trigger();
        programmer = w.findChild<kvt::programmer::ProgrammerWindow *>();
        QVERIFY(programmer);
        QVERIFY(!w.isEnabled());
        delete programmer;
        QVERIFY(w.isEnabled());
    }

    void menuBarLayout()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        auto *file = part<QMenu>(w, "FileMenu");
        QCOMPARE(file->title(), QStringLiteral("File"));
        QStringList names, captions;
        for (QAction *a : file->actions()) {
            names << a->objectName();
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        }
        QCOMPARE(names, QStringList({"FileOpen", "FileSave", "FileSpace", "FileExit"}));
        QCOMPARE(captions, QStringList({"Open configuration file...",
                                        "Save configuration file as...", "-", "Exit"}));
        QCOMPARE(part<QAction>(w, "FileOpen")->shortcut(), QKeySequence("Ctrl+O"));
        QCOMPARE(part<QAction>(w, "FileSave")->shortcut(), QKeySequence("Ctrl+S"));
        QCOMPARE(part<QMenu>(w, "ProgMenu")->title(), QStringLiteral("Programmer"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
