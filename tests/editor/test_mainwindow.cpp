// The main window driven as a user and a screen reader drive it, with the zone editor opened from its menu.
#include "editor/mainwindow.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "scripteddialogs.h"
#include "testdocuments.h"
#include "testenv.h"
#include "zones/zoneeditor.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using kvt::editor::MainWindow;
using kvt::image::Document;

static const QString Caption = QStringLiteral("MOLBERANE\u00AE KVT Series Configurator version 1.2 - ");
static const QString Deg = QStringLiteral("\u00B0C");
static const QString SaveFailed = QStringLiteral("Unable to save the configuration file, saving aborted...");

static QByteArray fileBytes(const QString &path) { QFile f(path); return f.open(QIODevice::ReadOnly) ? f.readAll() : ""; }

class TestMainWindow : public QObject {
    Q_OBJECT

    TestFolders m_folders;
    int m_files = 0;
    std::unique_ptr<ScriptedDialogs> d;
    std::unique_ptr<MainWindow> w;

    QString newPath() { return m_folders.file(QStringLiteral("doc%1.kvt").arg(++m_files)); }
    template <class T = QLineEdit> T *part(const QString &name) { return w->findChild<T *>(name); }
    QString text(const QString &box) { return part(box)->text(); }
    void click(const QString &button, int times = 1)
    {
        for (auto *b = part<QAbstractButton>(button); times-- > 0;)
            b->click();
    }
    const Document &doc() { return w->document(); }
    QString saveClean()
    {
        const QString path = newPath();
        openFile(path, &MainWindow::saveDocument);
        return w->isModified() ? (qFatal("save did not clear Mdf"), QString()) : path;
    }
    void openFile(const QString &path, void (MainWindow::*command)() = &MainWindow::openDocument)
    {
        d->fileAnswers.append(path);
        (w.get()->*command)();
    }
    kvt::zones::ZoneEditor *openZone(int zone)
    {
        part<QAction>(QString::asprintf(zone == 7 ? "Z%d" : "Z%02d", zone))->trigger();
        return w->findChild<kvt::zones::ZoneEditor *>();
    }
    // Closes the zone editor and waits for its zone to be back in the document.
    bool closeZone(QWidget *editor)
    {
        return editor->close() && QTest::qWaitFor([this] {
            return w->isEnabled() && !w->findChild<kvt::zones::ZoneEditor *>() && !part<QTimer>("Timer1")->isActive();
        });
    }

private slots:
    void init() { w = std::make_unique<MainWindow>(*(d = std::make_unique<ScriptedDialogs>())); }
    void cleanup() { w.reset(); }

    // Each step button's range and form; a further step at a limit changes nothing at all.
    void stepButtons()
    {
        const std::tuple<const char *, const char *, int, QString> rows[] = {
            {"Command1", "TempHA", 360, "-55" + Deg}, {"Command2", "TempHA", 0, "+125" + Deg},
            {"Command3", "TempLA", 0, "-55" + Deg}, {"Command4", "TempLA", 360, "+125" + Deg},
            {"Command1", "TempHA", 251, "-0.5" + Deg}, {"Command5", "TrackSeqText", 4, "1 SMS"},
            {"Command6", "TrackSeqText", 250, "255 SMS"}, {"Command7", "SmsCatchText", 39, "10 seconds"},
            {"Command8", "SmsCatchText", 215, "2550 seconds"}, {"Command13", "RtcIntCounter", 251, "255"},
            {"Command14", "RtcIntCounter", 3, "1"}, {"Command15", "RtcIntUnit", 2, "Hour"},
            {"Command15", "RtcIntUnit", 3, "Month"}, {"Command16", "RtcIntUnit", 0, "Second"}};
        for (const auto &[button, box, clicks, shown] : rows) {
            init();
            click(button, clicks);
            QCOMPARE(QStringList({button, text(box), w->isModified() ? "*" : ""}),
                     QStringList({button, shown, clicks ? "*" : ""}));
            if (shown.contains('.') || shown == "Hour")
                continue;
            saveClean();
            const Document before = doc();
            const auto messages = d->shown.size();
            QSignalSpy changed(part(box), &QLineEdit::textChanged);
            click(button);
            QVERIFY2(doc() == before && changed.isEmpty() && !w->isModified() && d->shown.size() == messages, button);
        }
    }
    void smsCatchWarningOnlyFrom19To18()
    {
        QString shownAt;
        d->onMessage = [&](const ScriptedDialogs::Shown &) { shownAt += text("SmsCatchText") + ';'; };
        click("Command7", 24);   // 40 -> 16
        click("Command8", 2);    // 18 upward
        QCOMPARE(shownAt, QStringLiteral("180 seconds;"));
        QCOMPARE(d->last()->title + "|" + d->last()->text, QStringLiteral(
            "Warning Message|Too short SMS catch alert timing can result in PERMANENT Tracking device "
            "Sleep mode!, please refer to the ZMT Protocol definition for more information..."));
        QCOMPARE(d->last()->icon, kvt::app::MessageIcon::Exclamation);
    }
    void logMemoryCaption()
    {
        const std::pair<QList<int>, int> rows[] = {{{}, 0}, {{31, 32}, 0}, {{17}, 5450}, {{17, 26}, 4088},   // 0: N/A
            {{17, 19, 20, 21, 22, 29, 30}, 1128}, {{17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30}, 641}};
        for (const auto &[ticked, count] : rows) {
            init();
            for (int n : ticked)
                click(QStringLiteral("Check%1").arg(n));
            QCOMPARE(part<QGroupBox>("Frame3")->title(), count ? QStringLiteral("LOG memory configuration (%1)").arg(count)
                                                               : QStringLiteral("LOG memory configuration - (N/A)"));
            QCOMPARE(w->isModified(), !ticked.isEmpty());
        }
    }
    void everyKindOfEditSetsMdf()
    {
        const std::function<void()> edits[] = {[&] { QTest::keyClicks(part("SimPin"), "1"); },
            [&] { QTest::keyClicks(part("IsdnRecall"), "+3"); }, [&] { click("Command5"); },
            [&] { click("Check16"); }, [&] { click("Check31"); }, [&] { QTest::keyClicks(part("Mode"), "1"); }};
        for (const auto &edit : edits) {
            const QString path = saveClean();
            QCOMPARE(w->windowTitle(), Caption + path);
            edit();
            QVERIFY(w->isModified() && w->windowTitle() == Caption + path + "*");
        }
    }
    // No box takes a character the files cannot hold, typed or pasted, nor a GPRS box a
    // carriage return, which would split its line and make every later save fail.
    void boxesRefuseWhatTheFilesCannotHold()
    {
        for (const char *name : {"SimPin", "IsdnRecall", "Apn", "Tmr2"}) {
            QLineEdit *box = part(name);
            box->clear();
            QTest::keyClicks(box, "a");
            QKeyEvent omega(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral(u"\u03A9"));
            QCoreApplication::sendEvent(box, &omega);
            QTest::keyClicks(box, "b");
            QGuiApplication::clipboard()->setText(QStringLiteral(u"\u4E2D"));
            box->paste();
            QCOMPARE(box->text(), QStringLiteral("ab"));
        }
        QGuiApplication::clipboard()->setText(QStringLiteral("x\ry"));
        part("Apn")->paste();
        QVERIFY(!text("Apn").contains(QLatin1Char('\r')));
    }
    // Saving right after start-up writes what `kvt new` writes; any document a file may hold
    // opens as it was and saves byte for byte.
    void savedFilesAreByteForByte()
    {
        const QString atStart = saveClean(), written = newPath();
        QCOMPARE(d->fileFilters, QStringList{QStringLiteral("Molberane configuration file (*.kvt)")});
        QCOMPARE(QProcess::execute(QStringLiteral(KVT_CLI), {QStringLiteral("new"), written}), 0);
        QCOMPARE(fileBytes(atStart), fileBytes(written));
        QRandomGenerator random(7);
        for (int round = 0; round < 5; ++round) {
            const Document saved = kvt::testing::randomDocument(random);
            const QString path = newPath();
            QVERIFY(kvt::image::writeConfigurationFile(path, kvt::image::encodeParameters(saved)));
            click("Command5");   // modified before the open
            openFile(path);
            QVERIFY(d->shown.isEmpty() && !w->isModified() && w->windowTitle() == Caption + path && doc() == saved);
            QCOMPARE(fileBytes(saveClean()), fileBytes(path));
        }
    }
    // Cancelled dialogs and rejected files change nothing but the path; a failed write says so.
    void cancelledOrRejectedChangeNothing()
    {
        const QString saved = saveClean();
        click("Check5");
        const Document before = doc();
        w->openDocument();   // nothing scripted: cancel
        w->saveDocument();
        QVERIFY(doc() == before && d->shown.isEmpty() && w->windowTitle() == Caption + saved + "*");
        const QString unreadable = newPath(), bad = newPath();
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("001001000\r\n01234\r\n") > 0 && f.flush());
        openFile(unreadable);
        openFile(bad);
        QCOMPARE(w->windowTitle(), Caption + bad + "*");
        openFile(m_folders.file("missing/doc.kvt"), &MainWindow::saveDocument);
        QCOMPARE(d->shown.size(), 3);
        QCOMPARE(d->shown[0].title + d->shown[0].text + d->shown[1].title + d->shown[1].text + d->shown[2].text,
                 "Error MessageUnable to read the configuration file, loading aborted..."
                 "Error MessageInvalid or corrupted configuration file, loading aborted..." + SaveFailed);
        QVERIFY(d->shown[0].icon == kvt::app::MessageIcon::Exclamation && d->shown[1].icon == d->shown[0].icon
                && doc() == before && part<QCheckBox>("Check5")->isChecked() && w->isModified());
    }
    // Save before exit: not modified, No, Yes and cancel, Yes and a file, Yes and a failed write.
    void exit()
    {
        for (const auto &[modified, yes, file] : {std::tuple{false, false, 0}, {true, false, 0}, {true, true, 0},
                 {true, true, 1}, {true, true, 2}}) {   // file: 0 cancel, 1 writable, 2 unwritable
            init();
            const QString opened = saveClean();
            click("Check2", modified);
            const Document edited = doc();
            const QString target = file == 2 ? m_folders.file("no/dir.kvt") : newPath();
            d->yesNoAnswers.append(yes);
            d->fileAnswers.append(file ? std::optional(target) : std::nullopt);
            w->show();
            QCOMPARE(w->close(), file != 2);   // a failed write keeps the user in the editor
            QCOMPARE(d->shown.size(), modified ? (file == 2 ? 2 : 1) : 0);
            QVERIFY(!modified || (d->shown[0].text == "           Save before exit?" && d->shown[0].yesNo
                && d->shown[0].title == "Warning Message" && d->shown[0].icon == kvt::app::MessageIcon::None));
            QVERIFY(w->documentPath() == opened && QFile::exists(target) == (file == 1));   // path left alone
            QVERIFY(file != 1 || fileBytes(target) == fileBytes(saveClean()));
            QVERIFY(file != 2 || (d->last()->text == SaveFailed && w->isVisible() && w->isModified() && doc() == edited));
        }
    }
    // The main window waits for the zone editor and takes the zone back; zone 64 is entry 63 only.
    void zoneHandBack()
    {
        w->show();
        auto expected = doc().zoneTexts;
        QPointer<kvt::zones::ZoneEditor> editor = openZone(64);
        QVERIFY(editor && editor->zone() == 64 && !w->isEnabled() && !w->close());
        editor->findChild<QAbstractButton *>("LL05")->click();
        QVERIFY(w->isModified() && editor->close());
        const QString saved = saveClean();   // at once: the zone is in
        expected[63].replace(41 * 11, 9, QStringLiteral("064224049"));
        QCOMPARE(doc().zoneTexts, expected);
        QTRY_VERIFY(!editor);
        click("Check5");
        QVERIFY(closeZone(openZone(3)) && w->isModified() && doc().zoneTexts == expected);
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
        for (int zone = 1; zone <= kvt::image::ZoneCount; ++zone)
            QVERIFY(closeZone(openZone(zone)));
        QVERIFY(!w->isModified());
        QCOMPARE(fileBytes(saveClean()), fileBytes(original));
    }
    // Every control is in the accessibility tree under the name a screen reader speaks:
    // a box's label (its buddy), a caption, a step button's action and its box's label.
    void everyControlIsFoundByName()
    {
        w->show();
        QSet<QString> tree;   // object, role, name
        auto key = [](QObject *o, QAccessible::Role role, const QString &name) {
            return QStringLiteral("%1 %2 %3").arg(quintptr(o)).arg(role).arg(name);
        };
        std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *iface) {
            tree.insert(key(iface->object(), iface->role(), iface->text(QAccessible::Name)));
            for (int i = 0; i < iface->childCount(); ++i)
                walk(iface->child(i));
        };
        walk(QAccessible::queryAccessibleInterface(w.get()));
        int missing = 0;
        auto find = [&](QObject *object, QAccessible::Role role, const QString &name) {
            if (!tree.contains(key(object, role, name)) && ++missing)
                qWarning("not found: %s as \"%s\"", qPrintable(object->objectName()), qPrintable(name));
        };
        QHash<QWidget *, QString> labels;
        for (QLabel *label : w->findChildren<QLabel *>())
            labels.insert(label->buddy(), label->text());
        QList<QWidget *> boxes{part<QWidget>("GprsFormat")};
        for (QLineEdit *box : w->findChildren<QLineEdit *>())
            boxes << box;
        QCOMPARE(boxes.size(), 8 + 1 + kvt::image::GprsFieldCount + 1);
        for (QWidget *box : boxes)
            find(box, QAccessible::EditableText, labels.value(box, "(no label)"));
        for (QCheckBox *check : w->findChildren<QCheckBox *>())
            find(check, QAccessible::CheckBox, check->text());
        for (QGroupBox *frame : w->findChildren<QGroupBox *>())
            find(frame, QAccessible::Grouping, frame->title());
        for (QAction *item : w->findChildren<QAction *>())
            if (!item->text().isEmpty())
                find(item, QAccessible::MenuItem, item->text().remove('&'));
        for (const auto &[box, down, up] : {std::tuple{"TempLA", 3, 4}, {"TempHA", 1, 2}, {"TrackSeqText", 5, 6},
                 {"RtcIntUnit", 16, 15}, {"RtcIntCounter", 14, 13}, {"SmsCatchText", 7, 8}}) {
            find(part<QWidget>(QStringLiteral("Command%1").arg(down)), QAccessible::Button, "Decrease " + labels[part(box)]);
            find(part<QWidget>(QStringLiteral("Command%1").arg(up)), QAccessible::Button, "Increase " + labels[part(box)]);
        }
        QCOMPARE(missing, 0);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
