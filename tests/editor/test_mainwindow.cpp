// The main window driven as a user, a screen reader and the keyboard drive it,
// with the zone editor opened from its menu.
#include "editor/mainwindow.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "programmer/programmerwindow.h"
#include "scripteddialogs.h"
#include "testdocuments.h"
#include "testenv.h"
#include "zones/zoneeditor.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using kvt::app::MessageIcon;
using kvt::editor::MainWindow;
using kvt::image::Document;

namespace {

const QString Caption = QStringLiteral("MOLBERANE\u00AE KVT Series Configurator version 1.2 - ");
const QString Deg = QStringLiteral("\u00B0C");
const QString NoLog = QStringLiteral("LOG memory configuration - (N/A)");
const QString InvalidText = QStringLiteral("Invalid or corrupted configuration file, loading aborted...");
const QString SaveFailed = QStringLiteral("Unable to save the configuration file, saving aborted...");

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void paste(QLineEdit *box, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    box->paste();
}

struct Step {
    const char *button, *box;
    int clicks;
    QString shown;
    bool atLimit;
};

// The value boxes with step buttons, in reading order, and their buttons.
const std::tuple<const char *, int, int> StepBoxes[] = {{"TempLA", 3, 4}, {"TempHA", 1, 2},
    {"TrackSeqText", 5, 6}, {"RtcIntUnit", 16, 15}, {"RtcIntCounter", 14, 13}, {"SmsCatchText", 7, 8}};

void collect(QAccessibleInterface *iface, QMultiHash<QString, QAccessibleInterface *> &tree)
{
    tree.insert(iface->text(QAccessible::Name), iface);
    for (int i = 0; i < iface->childCount(); ++i)
        collect(iface->child(i), tree);
}

} // namespace

Q_DECLARE_METATYPE(Step)

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
    QString logCaption() { return part<QGroupBox>("Frame3")->title(); }
    void click(const QString &button, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            part<QAbstractButton>(button)->click();
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
    void openFile(const QString &path)
    {
        d->fileAnswers.append(path);
        w->openDocument();
    }
    kvt::zones::ZoneEditor *openZone(int zone)
    {
        part<QAction>(zone == 7 ? QStringLiteral("Z7") : QString::asprintf("Z%02d", zone))->trigger();
        return w->findChild<kvt::zones::ZoneEditor *>();
    }
    // Closes the zone editor and waits for its zone to be back in the document.
    bool closeZone(QWidget *editor)
    {
        editor->close();
        return QTest::qWaitFor([this] {
            return w->isEnabled() && !w->findChild<kvt::zones::ZoneEditor *>()
                && !part<QTimer>("Timer1")->isActive();
        });
    }

private slots:
    void init()
    {
        d = std::make_unique<ScriptedDialogs>();
        w = std::make_unique<MainWindow>(*d);
    }
    void cleanup() { w.reset(); }

    void stepButtons_data()
    {
        QTest::addColumn<Step>("step");
        QTest::newRow("THA down") << Step{"Command1", "TempHA", 360, "-55" + Deg, true};
        QTest::newRow("THA up") << Step{"Command2", "TempHA", 0, "+125" + Deg, true};
        QTest::newRow("TLA down") << Step{"Command3", "TempLA", 0, "-55" + Deg, true};
        QTest::newRow("TLA up") << Step{"Command4", "TempLA", 360, "+125" + Deg, true};
        QTest::newRow("THA +0.5") << Step{"Command1", "TempHA", 249, "+0.5" + Deg, false};
        QTest::newRow("THA +0") << Step{"Command1", "TempHA", 250, "+0" + Deg, false};
        QTest::newRow("THA -0.5") << Step{"Command1", "TempHA", 251, "-0.5" + Deg, false};
        QTest::newRow("tracking down") << Step{"Command5", "TrackSeqText", 4, "1 SMS", true};
        QTest::newRow("tracking up") << Step{"Command6", "TrackSeqText", 250, "255 SMS", true};
        QTest::newRow("sms down") << Step{"Command7", "SmsCatchText", 39, "10 seconds", true};
        QTest::newRow("sms up") << Step{"Command8", "SmsCatchText", 215, "2550 seconds", true};
        QTest::newRow("counter up") << Step{"Command13", "RtcIntCounter", 251, "255", true};
        QTest::newRow("counter down") << Step{"Command14", "RtcIntCounter", 3, "1", true};
        QTest::newRow("unit Minute") << Step{"Command15", "RtcIntUnit", 1, "Minute", false};
        QTest::newRow("unit Hour") << Step{"Command15", "RtcIntUnit", 2, "Hour", false};
        QTest::newRow("unit up") << Step{"Command15", "RtcIntUnit", 3, "Month", true};
        QTest::newRow("unit down") << Step{"Command16", "RtcIntUnit", 0, "Second", true};
    }
    // Each step button's range and form; a further step at a limit changes nothing at all.
    void stepButtons()
    {
        QFETCH(Step, step);
        QVERIFY(w->windowTitle() == Caption && !w->isModified());
        click(step.button, step.clicks);
        QCOMPARE(text(step.box), step.shown);
        QCOMPARE(w->isModified(), step.clicks > 0);
        if (!step.atLimit)
            return;
        saveClean();
        const Document before = doc();
        const auto messages = d->shown.size();
        QSignalSpy changed(part(step.box), &QLineEdit::textChanged);
        click(step.button);
        QVERIFY(doc() == before && changed.isEmpty() && !w->isModified() && d->shown.size() == messages);
    }

    void smsCatchWarningOnlyFrom19To18()
    {
        click("Command7", 21);   // 40 -> 19: no warning yet
        QVERIFY(text("SmsCatchText") == "190 seconds" && d->shown.isEmpty());
        QString shownMeanwhile;
        d->onMessage = [&](const ScriptedDialogs::Shown &) { shownMeanwhile = text("SmsCatchText"); };
        click("Command7");
        QCOMPARE(d->shown.size(), 1);
        QCOMPARE(d->last()->title + "|" + d->last()->text, QStringLiteral(
            "Warning Message|Too short SMS catch alert timing can result in PERMANENT Tracking device "
            "Sleep mode!, please refer to the ZMT Protocol definition for more information..."));
        QVERIFY(d->last()->icon == MessageIcon::Exclamation && shownMeanwhile == "180 seconds");
        click("Command7");   // 17
        click("Command8");   // 18 upward
        QVERIFY(text("SmsCatchText") == "180 seconds" && d->shown.size() == 1);
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
        QTest::newRow("all fourteen") << QList<int>{17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30}
                                      << 641;
    }
    void logMemoryCaption()
    {
        QFETCH(QList<int>, ticked);
        QFETCH(int, count);
        for (int n : ticked)
            click(QStringLiteral("Check%1").arg(n));
        QCOMPARE(logCaption(), count ? QStringLiteral("LOG memory configuration (%1)").arg(count) : NoLog);
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
        };
        for (const auto &[what, edit] : edits) {
            const QString path = saveClean();
            QCOMPARE(w->windowTitle(), Caption + path);
            edit();
            QVERIFY2(w->isModified(), what);
            QCOMPARE(w->windowTitle(), Caption + path + "*");
        }
        QCOMPARE(doc().simPin + doc().isdnRecall + doc().gprsText(kvt::image::GprsField::Mode), "1+301");
        QVERIFY(doc().check(16) == 1 && doc().check(31) == 1);
    }

    void boxesRefuseWhatTheFilesCannotHold()
    {
        QTest::keyClicks(part("SimPin"), "123456789");
        QCOMPARE(doc().simPin, QStringLiteral("12345678"));
        QLineEdit *apn = part("Apn");
        apn->clear();
        for (QChar c : QStringLiteral("caf\u00E9\u20AC\u03A9\u4E2D"))   // the last two have no code
            QTest::sendKeyEvent(QTest::Click, apn, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(apn->text(), QStringLiteral("caf\u00E9\u20AC"));

        // Every box a user can type into refuses such text, a paste as a whole.
        const Document before = doc();
        int editable = 0;
        for (QLineEdit *box : w->findChildren<QLineEdit *>()) {
            if (box->isReadOnly())
                continue;
            ++editable;
            paste(box, QStringLiteral("+33 \u2460"));
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QStringLiteral("\u03A9"), Qt::NoModifier);
            QVERIFY2(doc() == before, qPrintable(box->objectName()));
        }
        QCOMPARE(editable, 2 + kvt::image::GprsFieldCount);
        paste(part("IsdnRecall"), QStringLiteral("+33 612"));
        QCOMPARE(doc().isdnRecall, QStringLiteral("+33 612"));

        // A carriage return would end a GPRS line of the file; a line feed stays inside it.
        part("Login")->clear();
        paste(part("Login"), QStringLiteral("user\r\n"));
        paste(part("Login"), QStringLiteral("a\tb\nc"));
        QCOMPARE(doc().gprsText(kvt::image::GprsField::Login), QStringLiteral("a\tb\nc"));
        saveClean();
        QVERIFY(d->shown.isEmpty());
    }

    // Every GPRS box recomposes the string and its length; above 255 characters it turns red.
    void gprsBoxesRecomposeTheString()
    {
        auto *format = part<QPlainTextEdit>("GprsFormat");
        const QColor normal = format->palette().color(QPalette::Base);
        for (int f = 0; f < kvt::image::GprsFieldCount; ++f)
            part(kvt::image::gprsFieldName(kvt::image::GprsField(f)))->setText(QString::number(f));
        QCOMPARE(format->toPlainText(), QStringLiteral("0,2,3,1,4,5;13,10,14;6,7,8,11,12;9"));
        const int others = format->toPlainText().size() - 1;   // all but the APN
        for (const auto &[length, red] : {std::pair{255, false}, {256, true}, {300, true}, {others, false}}) {
            part("Apn")->setText(QString(length - others, QLatin1Char('x')));
            QCOMPARE(text("FormatLen"), QString::number(qMin(length, 256)));
            QCOMPARE(format->toPlainText().size(), qMin(length, 256));
            QCOMPARE(format->palette().color(QPalette::Base), red ? QColor(255, 0, 0) : normal);
        }
    }

    void savingRightAfterStartUpWritesWhatKvtNewWrites()
    {
        QVERIFY(doc() == kvt::image::startupDocument() && w->minimumSize() == w->maximumSize());
        const QString saved = saveClean(), written = newPath();
        QCOMPARE(d->fileFilters, QStringList{QStringLiteral("Molberane configuration file (*.kvt)")});
        QCOMPARE(QProcess::execute(QStringLiteral(KVT_CLI), {QStringLiteral("new"), written}), 0);
        QCOMPARE(fileBytes(saved), fileBytes(written));
    }

    // Any document a file may hold opens as it was and saves byte for byte.
    void openThenSaveGivesTheSameBytes()
    {
        QRandomGenerator random(7);
        for (int round = 0; round < 5; ++round) {
            const Document saved = kvt::testing::randomDocument(random);
            const QString path = newPath();
            QVERIFY(kvt::image::writeConfigurationFile(path, kvt::image::encodeParameters(saved)));
            click("Command5");   // modified before the open
            openFile(path);
            QVERIFY(d->shown.isEmpty() && !w->isModified() && w->windowTitle() == Caption + path);
            QCOMPARE(doc(), saved);
            QCOMPARE(text("SimPin") + text("Apn"), saved.simPin + saved.gprsText(kvt::image::GprsField::Apn));
            QCOMPARE(part<QCheckBox>("Check9")->isChecked(), saved.check(9) == 1);
            QCOMPARE(fileBytes(saveClean()), fileBytes(path));
        }
    }

    // Cancelled dialogs change nothing and say nothing; a failed write says so.
    void cancelledOrFailedCommandsChangeNothing()
    {
        const QString path = saveClean();
        click("Command6");
        const Document before = doc();
        w->openDocument();   // nothing scripted: cancel
        w->saveDocument();
        QVERIFY(doc() == before && d->shown.isEmpty());
        QCOMPARE(w->windowTitle(), Caption + path + "*");
        d->fileAnswers.append(m_folders.file("missing/doc.kvt"));
        w->saveDocument();
        QCOMPARE(d->shown.size(), 1);
        QCOMPARE(d->last()->title + d->last()->text, "Error Message" + SaveFailed);
        QVERIFY(w->isModified() && doc() == before);
    }

    void rejectedFilesChangeNothingButThePath_data()
    {
        QTest::addColumn<QByteArray>("content");   // empty: no such file
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("modifiedBefore");
        QTest::newRow("bad line") << QByteArray("001001000\r\n01234\r\n") << InvalidText << true;
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
        QVERIFY(content.isEmpty() || (f.open(QIODevice::WriteOnly) && f.write(content) > 0));
        f.close();
        openFile(path);
        QCOMPARE(d->shown.size(), 1);
        QCOMPARE(d->last()->title + d->last()->text, "Error Message" + message);
        QCOMPARE(d->last()->icon, MessageIcon::Exclamation);
        QCOMPARE(doc(), before);
        QVERIFY(part<QCheckBox>("Check5")->isChecked() && text("Tmr1") == "45");
        QCOMPARE(w->windowTitle(), Caption + path + (modifiedBefore ? "*" : ""));
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
        w->show();
        QCOMPARE(w->close(), file != 2);   // a failed write keeps the user in the editor
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
        if (file == 2)
            QVERIFY(d->last()->text == SaveFailed && w->isVisible() && w->isModified() && doc() == edited);
    }

    // The main window waits for the zone editor, takes the zone back once, counts only edits.
    void zoneHandBack()
    {
        w->show();
        const auto before = doc().zoneTexts;
        QPointer<kvt::zones::ZoneEditor> editor = openZone(7);
        QVERIFY(editor && editor->zone() == 7 && editor->isEnabled() && !w->isEnabled());
        QVERIFY(!w->close());   // the main window takes no input meanwhile
        openZone(1);
        QCOMPARE(w->findChildren<kvt::zones::ZoneEditor *>().size(), 1);
        QSignalSpy closed(editor.data(), &kvt::zones::ZoneEditor::closed);
        QCloseEvent first;   // then closed once more
        QCoreApplication::sendEvent(editor, &first);
        QVERIFY(closeZone(editor));
        QVERIFY(closed.size() == 1 && doc().zoneTexts == before && !w->isModified());

        editor = openZone(64);
        editor->findChild<QAbstractButton *>("LL05")->click();
        QVERIFY(w->isModified());
        editor->close();
        const QString saved = saveClean();   // at once: the zone is in
        auto expected = before;
        expected[63].replace(41 * 11, 9, QStringLiteral("064224049"));
        QCOMPARE(doc().zoneTexts, expected);
        QVERIFY(fileBytes(saved).contains(expected[63].toLatin1()));
        QTRY_VERIFY(!editor);
        click("Check5");
        QVERIFY(closeZone(openZone(3)) && w->isModified());   // no edits: still modified
    }

    // Well-formed zones of every kind opened and closed without edits save byte for byte.
    void openingAndClosingEveryZoneKeepsTheFile()
    {
        w->show();
        QRandomGenerator random(2024);
        Document zones = kvt::image::startupDocument();
        for (int zone = 1; zone <= kvt::image::ZoneCount; ++zone) {
            auto record = kvt::testing::randomZoneRecord(random);
            if (zone == 1)
                record.cellId = QStringView(u"\u0000\r\u0081\u00ff", 4).toString();
            zones.zoneTexts[zone - 1] = record.toZoneText(zone);
        }
        const QString original = newPath();
        QVERIFY(kvt::image::writeConfigurationFile(original, kvt::image::encodeParameters(zones)));
        openFile(original);
        QCOMPARE(doc().zoneTexts, zones.zoneTexts);
        for (int zone = 1; zone <= kvt::image::ZoneCount; ++zone)
            QVERIFY(closeZone(openZone(zone)));
        QVERIFY(!w->isModified());
        QCOMPARE(fileBytes(saveClean()), fileBytes(original));
    }

    // A child window takes the main window out of use, and is not to call back into it.
    void childWindows()
    {
        w->show();
        QCOMPARE(part<QAction>("WriteDevice")->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
        part<QAction>("WriteDevice")->trigger();
        auto *programmer = w->findChild<kvt::programmer::ProgrammerWindow *>();
        QVERIFY(programmer && programmer->isVisible() && !programmer->isModal() && !w->isEnabled());
        QVERIFY(programmer->close() && w->isEnabled() && openZone(12));
        w.reset();   // with the zone editor open
    }

    // Every control is in the accessibility tree under the name a screen reader speaks:
    // a box's label (its buddy), a caption, a step button's action and its box's label.
    void everyControlIsFoundByName()
    {
        w->show();
        QMultiHash<QString, QAccessibleInterface *> tree;
        collect(QAccessible::queryAccessibleInterface(w.get()), tree);
        auto found = [&](const QString &name, QObject *object, QAccessible::Role role) {
            for (QAccessibleInterface *iface : tree.values(name))
                if (iface->role() == role && iface->object() == object)
                    return true;
            qWarning("not found: %s (%s)", qPrintable(name), qPrintable(object->objectName()));
            return false;
        };
        QHash<QWidget *, QString> labels;
        for (QLabel *label : w->findChildren<QLabel *>())
            labels.insert(label->buddy(), label->text());
        QList<QWidget *> boxes{part<QWidget>("GprsFormat")};
        for (QLineEdit *box : w->findChildren<QLineEdit *>())
            boxes << box;
        QCOMPARE(boxes.size(), 8 + 1 + kvt::image::GprsFieldCount + 1);
        for (QWidget *box : boxes)
            QVERIFY(labels.contains(box) && found(labels[box], box, QAccessible::EditableText));
        for (QCheckBox *check : w->findChildren<QCheckBox *>())
            QVERIFY(found(check->text(), check, QAccessible::CheckBox));
        for (QGroupBox *frame : w->findChildren<QGroupBox *>())
            QVERIFY(found(frame->title(), frame, QAccessible::Grouping));
        for (QAction *item : w->findChildren<QAction *>())
            QVERIFY(item->text().isEmpty() || found(item->text().remove('&'), item, QAccessible::MenuItem));
        for (const auto &[box, down, up] : StepBoxes)
            for (const auto &[verb, button] : {std::pair{"Decrease ", down}, {"Increase ", up}}) {
                QWidget *stepButton = part<QWidget>(QStringLiteral("Command%1").arg(button));
                QVERIFY(found(verb + labels[part(box)], stepButton, QAccessible::Button));
            }
        // Names as written, blanks included; the zone items in their submenus.
        QCOMPARE(labels[part("TempHA")] + '|' + labels[part("Apn")] + '|'
                     + labels[part<QWidget>("GprsFormat")], "THA|APN|Formatted string (255 characters max)");
        QCOMPARE(part<QAbstractButton>("Check12")->text(), "Enable Led  indication");
        for (int n = 1; n <= 64; ++n)
            QCOMPARE(part<QAction>(n == 7 ? "Z7" : QString::asprintf("Z%02d", n))->text(),
                     QString::asprintf("Zone %02d (%02Xh)", n, n));
        QCOMPARE(part<QMenu>("Bnk01")->actions().last()->objectName(), QStringLiteral("Z32"));
        QCOMPARE(part<QMenu>("Bnk02")->actions().first()->objectName(), QStringLiteral("Z33"));

        // A value box speaks its value and is read-only; the LOG frame its current caption.
        QAccessibleInterface *tha = QAccessible::queryAccessibleInterface(part("TempHA"));
        QVERIFY(tha->text(QAccessible::Value) == "+125" + Deg && tha->state().readOnly);
        click("Check17");
        QCOMPARE(QAccessible::queryAccessibleInterface(part<QWidget>("Frame3"))->text(QAccessible::Name),
                 QStringLiteral("LOG memory configuration (5450)"));
    }

    void keyboardReachesEveryControlInReadingOrder()
    {
        w->show();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QWidget *first = part("SimPin");
        first->setFocus(Qt::TabFocusReason);
        QStringList order{first->objectName()};
        for (int i = 0; i < 200; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (QApplication::focusWidget() == first)
                break;
            order << QApplication::focusWidget()->objectName();
        }
        QStringList expected{"SimPin", "IsdnRecall"};
        for (const auto &[box, down, up] : StepBoxes)
            expected << box << QStringLiteral("Command%1").arg(down) << QStringLiteral("Command%1").arg(up);
        for (int n = 1; n <= 32; ++n)
            expected << QStringLiteral("Check%1").arg(n);
        expected << QStringLiteral("Apn FormatLen Ip Login Password Dns1 Dns2 FtpServer FtpUsername "
                                   "FtpPassword FtpSubDirectory Trial Port Mode Tmr1 Tmr2 GprsFormat")
                        .split(' ');
        QCOMPARE(order, expected);
        // Ctrl+O and Ctrl+S show the file dialog (cancelled here).
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(d->fileFilters.size(), 2);
        // F10 opens the menu bar; Alt and a menu's first letter open that menu.
        QTest::keyClick(w.get(), Qt::Key_F10);
        QTRY_VERIFY(part<QMenu>("FileMenu")->isVisible());
        part<QMenu>("FileMenu")->close();
        for (const auto &[key, name] :
             {std::pair{Qt::Key_F, "FileMenu"}, {Qt::Key_G, "GeoMenu"}, {Qt::Key_P, "ProgMenu"}}) {
            auto *menu = part<QMenu>(name);
            QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
            QTRY_VERIFY2(menu->isVisible(), name);
            menu->close();
            QTRY_VERIFY(!menu->isVisible());
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
