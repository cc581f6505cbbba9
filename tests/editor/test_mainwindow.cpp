// The main window driven as a user and a screen reader drive it, with the zone editor opened from its menu.
#include "editor/mainwindow.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "image/gprs.h"
#include "image/parametertables.h"
#include "programmerwindow/programmerwindow.h"
#include "scripteddialogs.h"
#include "testdocuments.h"
#include "testenv.h"
#include "zones/zoneeditor.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

using kvt::editor::MainWindow;
using kvt::image::Document;
using kvt::ui::Answer;

static const QString Caption = QStringLiteral("MOLBERANE\u00AE KVT Series Configurator version 1.2 - ");
static const QString Deg = QStringLiteral("\u00B0C");
static const QString SaveFailed = QStringLiteral("Unable to save the configuration file, saving aborted...");

// Every control shows the document, or the test names those that do not.
#define VERIFY_CONTROLS_SHOW_DOCUMENT()                                                                                \
    do {                                                                                                               \
        const QStringList wrong = disagreements();                                                                     \
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("; ")));                                                       \
    } while (0)

static QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : "";
}
static QAccessibleInterface *accessible(QObject *o)
{
    return QAccessible::queryAccessibleInterface(o);
}

// How a person changes a control: a screen reader's action or text edit, the mouse, the keyboard, or code.
enum Path { Toggle, Press, Insert, Replace, Delete, SetValue, Mouse, Space, Keys, Paste, Code };
Q_DECLARE_METATYPE(Path)

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
    QString savedFile(const Document &saved)
    {
        const QString path = newPath();
        return kvt::image::writeConfigurationFile(path, kvt::image::encodeParameters(saved)) ? path : QString();
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
                   return w->isEnabled() && !w->findChild<kvt::zones::ZoneEditor *>()
                       && !part<QTimer>("Timer1")->isActive();
               });
    }
    QString shown(const QString &control)
    {
        QWidget *c = part<QWidget>(control);
        if (auto *check = qobject_cast<QCheckBox *>(c))
            return QString::number(check->checkState());
        if (auto *plain = qobject_cast<QPlainTextEdit *>(c)) // no-break spaces kept, lines ended by LF
            return plain->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
        return qobject_cast<QLineEdit *>(c)->text();
    }
    // Every control against the document: what each shows that the document does not hold.
    QStringList disagreements()
    {
        using namespace kvt::image;
        QStringList found;
        const auto expect = [&](const QString &name, const QString &shownText, const QString &held) {
            if (shownText != held)
                found << QStringLiteral("%1 shows \"%2\", the document \"%3\"")
                             .arg(name, shownText.left(40), held.left(40));
        };
        for (const TextBox &box : TextBoxes)
            expect(box.name, text(box.name), doc().*(box.text));
        for (int f = 0; f < kvt::image::GprsFieldCount; ++f)
            expect(kvt::image::gprsFieldName(kvt::image::GprsField(f)),
                   text(kvt::image::gprsFieldName(kvt::image::GprsField(f))), doc().gprs[f]);
        for (const ValueBox &box : ValueBoxes)
            expect(box.name, text(box.name), box.form(doc().*(box.value)));
        for (int n = 1; n <= kvt::image::CheckCount; ++n)
            expect(QStringLiteral("Check%1").arg(n), shown(QStringLiteral("Check%1").arg(n)),
                   QString::number(doc().check(n) == kvt::image::Ticked       ? 2
                                       : doc().check(n) == kvt::image::Greyed ? 1
                                                                              : 0));
        const QString format = kvt::image::composeGprsString(doc().gprs);
        expect("GprsFormat", shown("GprsFormat"), format);
        expect("FormatLen", text("FormatLen"), QString::number(format.size()));
        expect("GprsFormat colour", part<QPlainTextEdit>("GprsFormat")->palette().color(QPalette::Base).name(),
               format.size() > 255 ? "#ff0000" : QPalette().color(QPalette::Base).name());
        expect("Frame3", part<QGroupBox>("Frame3")->title(),
               kvt::image::logMemoryCaption(kvt::image::logRecordCount(logRecordSize(doc().checks))));
        return found;
    }

private slots:
    void init() { w = std::make_unique<MainWindow>(*(d = std::make_unique<ScriptedDialogs>())); }
    void cleanup() { w.reset(); }

    // One row per control family and path. Afterwards the control shows what is expected, every control
    // shows the document, the modified mark says whether the document changed, and a save holds it.
    void everyPathGoesThroughTheDocument_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<Path>("path");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("watched"); // the control that shows the result
        QTest::addColumn<QString>("result");
        const auto row = [](const char *tag, const char *control, Path path, const QString &input, const char *watched,
                            const QString &result) {
            QTest::newRow(tag) << QString(control) << path << input << QString(watched) << result;
        };
        const QString apn = QStringLiteral("\"internet.example\"");
        for (const auto &[name, box] : {std::pair{"register", "Check5"}, {"LOG", "Check17"}}) {
            for (const auto &[how, path] :
                 {std::pair{"Toggle", Toggle}, {"mouse", Mouse}, {"Space", Space}, {"code", Code}})
                row(qPrintable(QStringLiteral("%1 box, %2").arg(name, how)), box, path, {}, box, "2");
        }
        row("PIN, Insert", "SimPin", Insert, "1234", "SimPin", "1234");
        row("PIN, set text", "SimPin", SetValue, "123456789", "SimPin", "12345678");
        row("PIN, typed", "SimPin", Keys, "123456789", "SimPin", "12345678");
        row("ISDN, typed 17", "IsdnRecall", Keys, "+3312345678901234", "IsdnRecall", "+331234567890123");
        row("ISDN, Insert 17", "IsdnRecall", Insert, "+3312345678901234", "IsdnRecall", "+331234567890123");
        row("ISDN, code", "IsdnRecall", Code, "0612", "IsdnRecall", "0612");
        // No box takes a character the files cannot hold, nor a GPRS box a carriage return, which
        // would split its line in the file and make every later save fail.
        row("PIN, Insert refused", "SimPin", Insert, u"1\u03A9"_qs, "SimPin", "");
        row("ISDN, typed, one refused", "IsdnRecall", Keys, u"a\u03A9b"_qs, "IsdnRecall", "ab");
        row("GPRS, pasted refused", "Tmr2", Paste, u"\u4E2D"_qs, "Tmr2", "60");
        row("GPRS, pasted carriage return refused", "Apn", Paste, "x\ry", "Apn", apn);
        row("GPRS, Insert", "Apn", Insert, "x", "Apn", "x" + apn);
        row("GPRS, Replace", "Apn", Replace, "'", "Apn", "'" + apn.mid(1));
        row("GPRS, Delete", "Apn", Delete, {}, "Apn", apn.mid(1));
        row("GPRS, set text", "Tmr2", SetValue, QString(300, u'9'), "Tmr2", QString(300, u'9'));
        row("GPRS, typed", "Mode", Keys, "1", "Mode", "01");
        row("GPRS, code", "Ip", Code, "10.0.0.1", "Ip", "10.0.0.1");
        row("GPRS, carriage return refused", "Apn", SetValue, "a\rb", "Apn", apn);
        for (const auto &[how, path] : {std::pair{"Press", Press}, {"mouse", Mouse}, {"Space", Space}, {"code", Code}})
            row(qPrintable(QStringLiteral("step button, %1").arg(how)), "Command1", path, {}, "TempHA", "+124.5" + Deg);
        for (const auto &[how, path] :
             {std::pair{"set text", SetValue}, {"Insert", Insert}, {"Delete", Delete}, {"code", Code}}) {
            row(qPrintable(QStringLiteral("value box, %1 refused").arg(how)), "TempHA", path, "+20" + Deg, "TempHA",
                "+125" + Deg);
            row(qPrintable(QStringLiteral("string length, %1 refused").arg(how)), "FormatLen", path, "3", "FormatLen",
                "161");
        }
        row("formatted string, Insert refused", "GprsFormat", Insert, "x", "FormatLen", "161");
        row("formatted string, Replace refused", "GprsFormat", Replace, "x", "FormatLen", "161");
    }
    void everyPathGoesThroughTheDocument()
    {
        QFETCH(QString, control);
        QFETCH(Path, path);
        QFETCH(QString, input);
        QFETCH(QString, watched);
        QFETCH(QString, result);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        const QString before = shown(watched);
        QWidget *c = part<QWidget>(control);
        QAccessibleInterface *iface = accessible(c);
        switch (path) {
        case Toggle: iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction()); break;
        case Press: iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction()); break;
        case Insert: iface->editableTextInterface()->insertText(0, input); break;
        case Replace: iface->editableTextInterface()->replaceText(0, 1, input); break;
        case Delete: iface->editableTextInterface()->deleteText(0, 1); break;
        case SetValue: iface->setText(QAccessible::Value, input); break;
        case Mouse: QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(c->height() / 2, c->height() / 2)); break;
        case Space:
            c->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            break;
        case Keys: // any character, as an input method types it
            for (const QChar ch : input) {
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
                QCoreApplication::sendEvent(c, &press);
            }
            break;
        case Paste:
            QGuiApplication::clipboard()->setText(input);
            qobject_cast<QLineEdit *>(c)->paste();
            break;
        case Code: // as a program would: no click, no typing
            if (auto *box = qobject_cast<QLineEdit *>(c))
                box->setText(input);
            else if (auto *check = qobject_cast<QCheckBox *>(c))
                check->setChecked(!check->isChecked());
            else
                qobject_cast<QAbstractButton *>(c)->click();
            break;
        }
        QTRY_COMPARE(shown(watched), result);
        VERIFY_CONTROLS_SHOW_DOCUMENT();
        const bool changed = result != before;
        QCOMPARE(w->isModified(), changed);
        QCOMPARE(w->windowTitle(), Caption + (changed ? "*" : ""));
        QCOMPARE(doc() == kvt::image::startupDocument(), !changed);
        const Document edited = doc();
        QCOMPARE(kvt::image::loadConfigurationFile(saveClean()).document, edited);
    }
    // Each step button's range and form; a further step at a limit changes nothing at all.
    void stepButtons()
    {
        const std::tuple<const char *, const char *, int, QString> rows[] = {
            {"Command1", "TempHA", 360, "-55" + Deg},
            {"Command2", "TempHA", 0, "+125" + Deg},
            {"Command3", "TempLA", 0, "-55" + Deg},
            {"Command4", "TempLA", 360, "+125" + Deg},
            {"Command1", "TempHA", 251, "-0.5" + Deg},
            {"Command5", "TrackSeqText", 4, "1 SMS"},
            {"Command6", "TrackSeqText", 250, "255 SMS"},
            {"Command7", "SmsCatchText", 39, "10 seconds"},
            {"Command8", "SmsCatchText", 215, "2550 seconds"},
            {"Command13", "RtcIntCounter", 251, "255"},
            {"Command14", "RtcIntCounter", 3, "1"},
            {"Command15", "RtcIntUnit", 2, "Hour"},
            {"Command15", "RtcIntUnit", 3, "Month"},
            {"Command16", "RtcIntUnit", 0, "Second"}};
        for (const auto &[button, box, clicks, shownText] : rows) {
            init();
            click(button, clicks);
            QCOMPARE(QStringList({button, text(box), w->isModified() ? "*" : ""}),
                     QStringList({button, shownText, clicks ? "*" : ""}));
            if (shownText.contains('.') || shownText == "Hour")
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
        click("Command7", 24); // 40 -> 16
        click("Command8", 2);  // 18 upward
        QCOMPARE(shownAt, QStringLiteral("180 seconds;"));
        QCOMPARE(
            d->last()->title + "|" + d->last()->text,
            QStringLiteral("Warning Message|Too short SMS catch alert timing can result in PERMANENT Tracking device "
                           "Sleep mode!, please refer to the ZMT Protocol definition for more information..."));
        QCOMPARE(d->last()->icon, kvt::ui::MessageIcon::Exclamation);
    }
    void logMemoryCaption()
    {
        const std::pair<QList<int>, int> rows[] = {{{}, 0},
                                                   {{31, 32}, 0},
                                                   {{17}, 5450},
                                                   {{17, 26}, 4088}, // 0: N/A
                                                   {{17, 19, 20, 21, 22, 29, 30}, 1128},
                                                   {{17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30}, 641}};
        for (const auto &[ticked, count] : rows) {
            init();
            for (int n : ticked)
                click(QStringLiteral("Check%1").arg(n));
            QCOMPARE(part<QGroupBox>("Frame3")->title(),
                     count ? QStringLiteral("LOG memory configuration (%1)").arg(count)
                           : QStringLiteral("LOG memory configuration - (N/A)"));
            QCOMPARE(w->isModified(), !ticked.isEmpty());
        }
    }
    // Saving right after start-up writes what `kvt new` writes; any document a file may hold
    // opens as it was, shown by every control, and saves byte for byte.
    void savedFilesAreByteForByte()
    {
        const QString atStart = saveClean(), written = newPath();
        QCOMPARE(d->fileFilters, QStringList{QStringLiteral("Molberane configuration file (*.kvt)")});
        QCOMPARE(QProcess::execute(QStringLiteral(KVT_CLI), {QStringLiteral("new"), written}), 0);
        QCOMPARE(fileBytes(atStart), fileBytes(written));
        QRandomGenerator random(7);
        for (int round = 0; round < 5; ++round) {
            const Document saved = kvt::testing::randomDocument(random);
            const QString path = savedFile(saved);
            click("Command5"); // modified before the open
            openFile(path);
            QVERIFY(d->shown.isEmpty() && !w->isModified() && w->windowTitle() == Caption + path && doc() == saved);
            VERIFY_CONTROLS_SHOW_DOCUMENT();
            QCOMPARE(fileBytes(saveClean()), fileBytes(path));
        }
    }
    // Cancelled dialogs and refused files change nothing but the path; a failed write says so.
    // A named pipe is refused without being opened; a GPRS text longer than a box holds is
    // refused rather than cut, one that fits is kept whole; a unit code without a word shows its number.
    void cancelledOrRefusedChangeNothing()
    {
        const QString saved = saveClean();
        click("Check5");
        const Document before = doc();
        w->openDocument(); // nothing scripted: cancel
        w->saveDocument();
        QVERIFY(doc() == before && d->shown.isEmpty() && w->windowTitle() == Caption + saved + "*");
        Document longText = kvt::image::startupDocument();
        longText.gprs[0] = QString(40000, u'a');
        const QString unreadable = newPath(), bad = newPath(), pipePath = m_folders.file("x.kvt");
        QVERIFY(kvt::image::writeConfigurationFile(bad, kvt::image::encodeParameters(kvt::image::startupDocument())));
        QFile f(bad);
        QVERIFY(f.open(QIODevice::Append) && f.write(("GPRS:" + longText.gprs[0] + "\r\n").toLatin1()) > 0
                && f.flush());
        NamedPipe pipe(pipePath);
        QVERIFY(pipe.created());
        for (const QString &path : {unreadable, pipePath, bad})
            openFile(path);
        QVERIFY(!pipe.wasOpened());
        QCOMPARE(w->windowTitle(), Caption + bad + "*");
        openFile(m_folders.file("missing/doc.kvt"), &MainWindow::saveDocument);
        QStringList messages;
        for (const auto &shownMessage : d->shown)
            messages << shownMessage.title + "|" + shownMessage.text;
        const QString unreadableText = "Error Message|Unable to read the configuration file, loading aborted...";
        QCOMPARE(messages,
                 QStringList({unreadableText, unreadableText,
                              "Error Message|Invalid or corrupted configuration file, loading aborted...",
                              "Error Message|" + SaveFailed}));
        QVERIFY(d->shown[0].icon == kvt::ui::MessageIcon::Exclamation && d->shown[2].icon == d->shown[0].icon
                && doc() == before && part<QCheckBox>("Check5")->isChecked() && w->isModified());

        Document kept = kvt::image::startupDocument();
        kept.gprs[0] = QString(32767, u'k');
        kept.rtcIntervalUnit = 9;
        const QString keptPath = savedFile(kept);
        openFile(keptPath);
        QVERIFY(doc() == kept);
        VERIFY_CONTROLS_SHOW_DOCUMENT();
        QCOMPARE(fileBytes(saveClean()), fileBytes(keptPath));
        QCOMPARE(text("RtcIntUnit"), QStringLiteral("Unit 9"));
        click("Command15"); // at or above 7: nothing
        QCOMPARE(text("RtcIntUnit") + (w->isModified() ? "*" : ""), QStringLiteral("Unit 9"));
        for (const char *next : {"Unit 8", "Month"}) {
            click("Command16");
            QCOMPARE(text("RtcIntUnit"), QLatin1String(next));
        }
    }
    // Save before exit: not modified, No, dismissed (Escape, the close button), Yes and a cancelled
    // dialog, Yes and a file, Yes and a failed write. Only No and a written file end the program.
    void exit()
    {
        for (const auto &[modified, answer, file] : {std::tuple{false, Answer::No, 0},
                                                     {true, Answer::No, 0},
                                                     {true, Answer::Dismissed, 0},
                                                     {true, Answer::Yes, 0},
                                                     {true, Answer::Yes, 1},
                                                     {true, Answer::Yes, 2}}) {
            init(); // file: 0 cancel, 1 writable, 2 unwritable
            const QString opened = saveClean();
            click("Check2", modified);
            const Document edited = doc();
            const QString target = file == 2 ? m_folders.file("no/dir.kvt") : newPath();
            d->answers.append(answer);
            d->fileAnswers.append(file ? std::optional(target) : std::nullopt);
            w->show();
            const bool stays = answer == Answer::Dismissed || (answer == Answer::Yes && file != 1);
            QCOMPARE(w->close(), !stays);
            QCOMPARE(d->shown.size(), modified ? (file == 2 ? 2 : 1) : 0);
            QVERIFY(!modified
                    || (d->shown[0].text == "           Save before exit?" && d->shown[0].yesNo
                        && d->shown[0].title == "Warning Message" && d->shown[0].icon == kvt::ui::MessageIcon::None));
            QVERIFY(w->documentPath() == opened && QFile::exists(target) == (file == 1)); // path left alone
            QCOMPARE(d->fileFilters.size(), 1 + (answer == Answer::Yes));                 // no save dialog unless Yes
            QVERIFY(file != 1 || fileBytes(target) == fileBytes(saveClean()));
            QVERIFY(file != 2 || d->last()->text == SaveFailed);
            QVERIFY(!stays || (w->isVisible() && w->isModified() && doc() == edited));
        }
    }
    // While the zone editor or the programmer is open, every command of the window does nothing,
    // whether a screen reader activates its menu item or code calls it; afterwards they work again.
    void commandsWaitForTheOtherWindow()
    {
        for (const bool programmer : {false, true}) {
            init();
            w->show();
            click("Check3");
            const QString other = savedFile(kvt::testing::randomDocument(*QRandomGenerator::global()));
            d->fileAnswers = QList<std::optional<QString>>(80, other);
            d->answers = QList<Answer>(80, Answer::Yes);
            QPointer<QWidget> window = programmer ? static_cast<QWidget *>(nullptr) : openZone(3);
            if (programmer) {
                part<QAction>("WriteDevice")->trigger();
                window = w->findChild<kvt::programmerwindow::ProgrammerWindow *>();
            }
            QVERIFY(window && window->isVisible());
            const Document before = doc();
            QStringList pressed;
            std::function<void(QAccessibleInterface *)> pressAll = [&](QAccessibleInterface *iface) {
                if (iface->role() == QAccessible::MenuItem && qobject_cast<QAction *>(iface->object())) {
                    pressed << iface->object()->objectName() + (iface->state().disabled ? "" : " (offered)");
                    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
                }
                for (int i = 0; i < iface->childCount(); ++i)
                    pressAll(iface->child(i));
            };
            pressAll(accessible(w.get()));
            for (const char *command : {"FileOpen", "FileSave", "FileExit", "Z01", "Z7", "Z64", "WriteDevice"})
                QVERIFY2(pressed.contains(command), command); // found, and offered to nobody
            w->openDocument();
            w->saveDocument();
            w->runProgrammer();
            w->displayGeofencingForm(5);
            QVERIFY(!w->close());
            QCOMPARE(d->fileFilters, QStringList());
            QCOMPARE(d->shown.size(), 0);
            QVERIFY(doc() == before && w->isModified() && w->isVisible() && window && window->isVisible());
            QCOMPARE(w->findChildren<kvt::zones::ZoneEditor *>().size()
                         + w->findChildren<kvt::programmerwindow::ProgrammerWindow *>().size(),
                     1);
            QVERIFY(programmer ? window->close() : closeZone(window));
            QTRY_VERIFY(part<QAction>("FileSave")->isEnabled() && w->isEnabled());
            QCOMPARE(doc(), before);
            w->saveDocument();
            QVERIFY(!w->isModified());
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
        const QString saved = saveClean(); // at once: the zone is in
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
        const QString original = savedFile(zones);
        openFile(original);
        for (int zone = 1; zone <= kvt::image::ZoneCount; ++zone)
            QVERIFY(closeZone(openZone(zone)));
        QVERIFY(!w->isModified());
        QCOMPARE(fileBytes(saveClean()), fileBytes(original));
    }
    // With text half as large again no label, caption or title is cut, and the window lies within
    // the screen's free area, scrolling what the screen cannot hold.
    void largerTextIsNeverCut()
    {
        const QFont usual = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(usual); });
        QFont larger = usual;
        larger.setPointSizeF(usual.pointSizeF() * 1.5);
        QApplication::setFont(larger);
        init();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QStringList cut;
        for (QWidget *c : w->findChildren<QWidget *>()) {
            const bool hasText = qobject_cast<QLabel *>(c) || qobject_cast<QCheckBox *>(c)
                || qobject_cast<QGroupBox *>(c);
            const int needed = qobject_cast<QGroupBox *>(c) ? c->minimumSizeHint().width() : c->sizeHint().width();
            if (hasText && c->width() < needed)
                cut << accessible(c)->text(QAccessible::Name);
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
        QVERIFY(w->screen()->availableGeometry().contains(w->frameGeometry()));
        auto *scroll = part<QScrollArea>(QString()); // what the window cannot show can be scrolled to
        const QSize hidden = scroll->widget()->size() - scroll->viewport()->size();
        QCOMPARE(QSize(scroll->horizontalScrollBar()->maximum(), scroll->verticalScrollBar()->maximum()),
                 hidden.expandedTo(QSize(0, 0)));
    }
    // Every control is in the accessibility tree under the name a screen reader speaks:
    // a box's label (its buddy), a caption, a step button's action and its box's label.
    void everyControlIsFoundByName()
    {
        w->show();
        QSet<QString> tree; // object, role, name
        auto key = [](QObject *o, QAccessible::Role role, const QString &name) {
            return QStringLiteral("%1 %2 %3").arg(quintptr(o)).arg(role).arg(name);
        };
        std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *iface) {
            tree.insert(key(iface->object(), iface->role(), iface->text(QAccessible::Name)));
            for (int i = 0; i < iface->childCount(); ++i)
                walk(iface->child(i));
        };
        walk(accessible(w.get()));
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
        for (const auto &[box, down, up] : {std::tuple{"TempLA", 3, 4},
                                            {"TempHA", 1, 2},
                                            {"TrackSeqText", 5, 6},
                                            {"RtcIntUnit", 16, 15},
                                            {"RtcIntCounter", 14, 13},
                                            {"SmsCatchText", 7, 8}}) {
            find(part<QWidget>(QStringLiteral("Command%1").arg(down)), QAccessible::Button,
                 "Decrease " + labels[part(box)]);
            find(part<QWidget>(QStringLiteral("Command%1").arg(up)), QAccessible::Button,
                 "Increase " + labels[part(box)]);
        }
        QCOMPARE(missing, 0);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
