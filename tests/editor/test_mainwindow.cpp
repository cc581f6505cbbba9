// The main window driven as a user and a screen reader drive it, with the zone editor opened from its menu.
#include "editor/mainwindow.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "image/parametertables.h"
#include "scripteddialogs.h"
#include "testdocuments.h"
#include "testenv.h"
#include "zones/zoneeditor.h"

#include <QtTest>
#include <QtWidgets>

using kvt::editor::MainWindow;
using kvt::image::Document;
using kvt::ui::Answer;
using kvt::ui::MessageIcon;

static const QString Caption = QStringLiteral("MOLBERANE\u00AE KVT Series Configurator version 1.2 - ");
static const QString Log = QStringLiteral("LOG memory configuration "); // then the count of records
static const QString Deg = QStringLiteral("\u00B0C");
static const QString SmsWarning =
    "Warning Message|Too short SMS catch alert timing can result in PERMANENT Tracking "
    "device Sleep mode!, please refer to the ZMT Protocol definition for more information...|!";
static const QString SaveFailed = "Error Message|Unable to save the configuration file, saving aborted...|!";

static constexpr auto accessible = &QAccessible::queryAccessibleInterface;

// What a user sees in `parent`, row by row from the top: a label in quotes, marked unless it names the box under
// it; a frame's title and fixed width; a control's name, caption, state and place (left edge + width), and for a
// step button what a screen reader says, marked unless its tip says the same.
static QStringList sketch(QWidget *parent)
{
    QMap<int, QStringList> rows; // by top; a row in the order its controls were made, left to right
    for (QWidget *c : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        QString seen = (c->objectName() + ' ' + c->property("title").toString()).trimmed();
        if (auto *label = qobject_cast<QLabel *>(c)) {
            QWidget *box = label->buddy();
            const bool names = box && box->y() > c->y() && box->x() == c->x() && box->width() == c->width();
            seen = "'" + label->text()
                + (names && accessible(box)->text(QAccessible::Name) == label->text() ? "'"
                                                                                      : "' naming no box under it");
        } else if (auto *button = qobject_cast<QAbstractButton *>(c))
            seen += ' ' + button->text();
        if (qobject_cast<QGroupBox *>(c) && c->minimumWidth() == c->maximumWidth())
            seen += QStringLiteral(" =%1").arg(c->width());
        if (qobject_cast<QPushButton *>(c))
            seen += " (" + c->toolTip()
                + (c->toolTip() == accessible(c)->text(QAccessible::Name) ? ")" : ") said otherwise");
        if (c->property("readOnly").toBool())
            seen += " read-only";
        if (auto *box = qobject_cast<QPlainTextEdit *>(c))
            seen += QString::asprintf(" %d lines%s", box->viewport()->height() / box->fontMetrics().lineSpacing(),
                                      box->verticalScrollBar()->isVisible() ? " and a scroll bar" : "");
        if (qobject_cast<QLineEdit *>(c) || qobject_cast<QPlainTextEdit *>(c) || qobject_cast<QPushButton *>(c))
            seen += QStringLiteral(" @%1+%2").arg(c->x()).arg(c->width());
        rows[c->y()] << seen;
    }
    QStringList lines;
    for (const QStringList &row : rows)
        lines << row.join(" | ");
    return lines;
}

// How a person changes a control: a screen reader's action or text edit, the mouse, the keyboard, or code.
enum Path { Toggle, Press, Insert, Replace, Delete, SetValue, Mouse, Space, Keys, Paste, Code };
struct Edit {
    QString control, input, watched, result; // `watched` shows the result
    Path path;
};
Q_DECLARE_METATYPE(Edit)

class TestMainWindow : public QObject {
    Q_OBJECT

    TestFolders m_folders;
    int m_files = 0;
    std::unique_ptr<ScriptedDialogs> d;
    std::unique_ptr<MainWindow> w;

    QString newPath() { return m_folders.file(QStringLiteral("doc%1.kvt").arg(++m_files)); }
    template <class T = QLineEdit> T *part(const QString &name) { return w->findChild<T *>(name); }
    void click(const QString &button, int times = 1)
    {
        while (times-- > 0)
            part<QAbstractButton>(button)->click();
    }
    const Document &doc() { return w->document(); }
    QString saveClean()
    {
        const QString path = newPath();
        openFile(path, "FileSave");
        return w->isModified() ? (qFatal("save did not clear Mdf"), QString()) : path;
    }
    // Chooses a menu item, the file dialog answering `path`.
    void openFile(const QString &path, const char *item = "FileOpen")
    {
        d->fileAnswers.append(path);
        part<QAction>(item)->trigger();
    }
    QString savedFile(const Document &saved)
    {
        const QString path = newPath();
        return kvt::image::writeConfigurationFile(path, kvt::image::encodeParameters(saved)) ? path : QString();
    }
    kvt::zones::ZoneEditor *openZone(int zone)
    {
        part<QAction>(QString::asprintf(zone == 7 ? "Z%d" : "Z%02d", zone))->trigger();
        const auto editors = w->findChildren<kvt::zones::ZoneEditor *>(); // the one closed last may still be there
        return editors.isEmpty() ? nullptr : editors.last();
    }
    // Closes the zone editor and waits for its zone to be back in the document.
    bool closeZone(QWidget *editor)
    {
        return editor->close() && QTest::qWaitFor([this] {
                   return w->isEnabled() && !w->findChild<kvt::zones::ZoneEditor *>()
                       && !part<QTimer>("Timer1")->isActive();
               });
    }
    // Every message shown: title, text, "!" for the exclamation icon, Yes/No for a question.
    QStringList messages()
    {
        QStringList all;
        for (const auto &m : d->shown)
            all << m.title + "|" + m.text + (m.icon == MessageIcon::Exclamation ? "|!" : "")
                    + (m.yesNo ? "|Yes/No" : "");
        return all;
    }
    // The menu items a user or a screen reader may choose.
    QStringList offeredCommands()
    {
        QStringList offered;
        for (QAction *command : w->menuBar()->findChildren<QAction *>())
            if (command->isEnabled() && !command->isSeparator())
                offered << command->objectName() + command->text();
        return offered;
    }
    QString shown(const QString &control)
    {
        QWidget *c = part<QWidget>(control);
        if (auto *check = qobject_cast<QCheckBox *>(c))
            return QString::number(check->checkState());
        if (auto *plain = qobject_cast<QPlainTextEdit *>(c)) // no-break spaces kept, lines ended by LF
            return plain->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
        if (auto *frame = qobject_cast<QGroupBox *>(c))
            return frame->title();
        return qobject_cast<QLineEdit *>(c)->text();
    }
    // Every control against the document: what each shows that the document does not hold.
    QString disagreements()
    {
        using namespace kvt::image;
        QStringList found;
        const auto expect = [&](const QString &name, const QString &held, QString seen = {}) {
            if ((seen.isNull() ? seen = shown(name) : seen) != held)
                found << name + " shows \"" + seen.left(40) + "\", the document \"" + held.left(40) + '"';
        };
        for (const TextBox &box : TextBoxes)
            expect(box.name, doc().*(box.text));
        for (int f = 0; f < GprsFieldCount; ++f)
            expect(gprsFieldName(GprsField(f)), doc().gprs[f]);
        for (const ValueBox &box : ValueBoxes)
            expect(box.name, box.form(doc().*(box.value)));
        for (int n = 1; n <= CheckCount; ++n)
            expect("Check" + QString::number(n), doc().check(n) == Ticked ? "2" : "0");
        const QString format = composeGprsString(doc().gprs);
        expect("GprsFormat", format);
        auto *box = part<QPlainTextEdit>("GprsFormat"); // the colour painted: red, or the usual one
        const auto group = box->isEnabled() ? QPalette::Active : QPalette::Disabled;
        expect("GprsFormat colour", format.size() > 255 ? "#ff0000" : QPalette().color(group, QPalette::Base).name(),
               box->viewport()->grab().toImage().pixelColor(1, 1).name());
        expect("Frame3", logMemoryCaption(logRecordCount(logRecordSize(doc().checks))));
        return found.join("; ");
    }
private slots:
    void init() { w = std::make_unique<MainWindow>(*(d = std::make_unique<ScriptedDialogs>())); }
    void cleanup() { w.reset(); }

    // One row per control family and path. Afterwards the control shows what is expected, every control
    // shows the document, the modified mark says whether the document changed, and a save holds it.
    void everyPathGoesThroughTheDocument_data()
    {
        QTest::addColumn<Edit>("e");
        const auto row = [](const QString &tag, const char *control, Path path, const QString &input,
                            const char *watched, const QString &result) {
            QTest::newRow(qPrintable(tag)) << Edit{control, input, watched, result, path};
        };
        const QString apn = QStringLiteral("\"internet.example\"");
        for (const auto &[name, box] : {std::pair{"register", "Check5"}, {"LOG", "Check17"}})
            for (const auto &[how, path] :
                 {std::pair{"Toggle", Toggle}, {"mouse", Mouse}, {"Space", Space}, {"code", Code}})
                row(QStringLiteral("%1 box, %2").arg(name, how), box, path, {}, box, "2");
        row("PIN, set text", "SimPin", SetValue, "123456789", "SimPin", "12345678");
        row("PIN, typed", "SimPin", Keys, "123456789", "SimPin", "12345678");
        row("ISDN, typed 17", "IsdnRecall", Keys, "+3312345678901234", "IsdnRecall", "+331234567890123");
        row("ISDN, code", "IsdnRecall", Code, "0612", "IsdnRecall", "0612");
        // No box takes a character the files cannot hold, nor a GPRS box a carriage return, which
        // would split its line in the file and make every later save fail.
        row("PIN, Insert refused", "SimPin", Insert, u"1\u03A9"_qs, "SimPin", "");
        row("ISDN, typed, one refused, the cursor stays", "IsdnRecall", Keys, u"ab\t\u03A9c"_qs, "IsdnRecall", "cab");
        row("GPRS, pasted refused", "Tmr2", Paste, u"\u4E2D"_qs, "Tmr2", "60");
        row("GPRS, pasted carriage return refused", "Apn", Paste, "x\ry", "Apn", apn);
        row("GPRS, Insert", "Apn", Insert, "x", "Apn", "x" + apn);
        row("GPRS, set text", "Tmr2", SetValue, QString(300, u'9'), "Tmr2", QString(300, u'9'));
        row("GPRS, typed", "Mode", Keys, "1", "Mode", "01");
        row("GPRS, code", "Ip", Code, "10.0.0.1", "Ip", "10.0.0.1");
        row("GPRS, carriage return refused", "Apn", SetValue, "a\rb", "Apn", apn);
        // The formatted string's box is red above 255 characters, in the usual colour up to 255.
        row("GPRS, 255 characters", "Apn", SetValue, apn + QString(94, u'a'), "FormatLen", "255");
        row("GPRS, 256 characters", "Apn", Keys, QString(95, u'a'), "FormatLen", "256");
        for (const auto &[how, path] : {std::pair{"Press", Press}, {"mouse", Mouse}, {"Space", Space}, {"code", Code}})
            row(QStringLiteral("step button, %1").arg(how), "Command1", path, {}, "TempHA", "+124.5" + Deg);
        for (const auto &[how, path] :
             {std::pair{"set text", SetValue}, {"Insert", Insert}, {"Delete", Delete}, {"code", Code}}) {
            row(QStringLiteral("value box, %1 refused").arg(how), "TempHA", path, "+20" + Deg, "TempHA", "+125" + Deg);
            row(QStringLiteral("string length, %1 refused").arg(how), "FormatLen", path, "3", "FormatLen", "161");
        }
        row("formatted string, Insert refused", "GprsFormat", Insert, "x", "FormatLen", "161");
        row("formatted string, Replace refused", "GprsFormat", Replace, "x", "FormatLen", "161");
    }
    void everyPathGoesThroughTheDocument()
    {
        QFETCH(Edit, e);
        const auto &[control, input, watched, result, path] = e;
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
        case Space: QTest::keyClick(c, Qt::Key_Space); break;
        case Keys: // any character, as an input method types it; a tab stands for Home
            for (const QChar ch : input)
                ch == u'\t' ? QTest::keyClick(c, Qt::Key_Home)
                            : QTest::sendKeyEvent(QTest::Press, c, Qt::Key(0), QString(ch), {});
            break;
        case Paste:
            QGuiApplication::clipboard()->setText(input);
            qobject_cast<QLineEdit *>(c)->paste();
            break;
        case Code: // as a program would: no click, no typing
            if (auto *button = qobject_cast<QAbstractButton *>(c))
                button->isCheckable() ? button->toggle() : button->click();
            else
                qobject_cast<QLineEdit *>(c)->setText(input);
            break;
        }
        QTRY_COMPARE(shown(watched), result);
        QCOMPARE(disagreements(), QString()); // every control shows the document
        const bool changed = result != before;
        QCOMPARE(w->windowTitle(), Caption + (changed ? "*" : ""));
        QCOMPARE(doc() == kvt::image::startupDocument(), !changed);
        QCOMPARE(kvt::image::loadConfigurationFile(saveClean()).document, doc());
    }
    // Each step button's range and form; a further step at a limit changes nothing: no value, no text, no mark,
    // no message. The SMS catch alert warns on the step down to 180 seconds, on no other. The LOG boxes ticked
    // give the count of records in the frame's caption.
    void stepButtons()
    {
        // buttons (a number: that box)/box/clicks each/text shown
        for (const QString &row :
             QStringLiteral(
                 "Command1/TempHA/360/-55\u00B0C;Command2/TempHA/0/+125\u00B0C;Command3/TempLA/0/-55\u00B0C;"
                 "Command4/TempLA/360/+125\u00B0C;Command1/TempHA/250/+0\u00B0C;Command1/TempHA/251/-0.5\u00B0C;"
                 "Command5/TrackSeqText/4/1 SMS;Command6/TrackSeqText/250/255 SMS;Command7/SmsCatchText/39/10 seconds;"
                 "Command8/SmsCatchText/215/2550 seconds;Command13/RtcIntCounter/251/255;Command14/RtcIntCounter/3/1;"
                 "Command15/RtcIntUnit/2/Hour;Command15/RtcIntUnit/3/Month;Command16/RtcIntUnit/0/Second;"
                 "31/Frame3/0/- (N/A);31 32/Frame3/1/- (N/A);17/Frame3/1/(5450);17 26/Frame3/1/(4088);17 19 20 21 22 "
                 "29 30/Frame3/1/(1128);"
                 "17 18 19 20 21 22 23 24 25 26 27 28 29 30/Frame3/1/(641)")
                 .split(u';')) {
            const QStringList f = row.split(u'/');
            init();
            QString warnedAt; // the warning comes on the step from 190 to 180 seconds only
            d->onMessage = [&](const ScriptedDialogs::Shown &) { warnedAt += shown(f[1]); };
            for (const QString &button : f[0].split(u' '))
                click(button.toInt() ? "Check" + button : button, f[2].toInt());
            QCOMPARE(warnedAt, f[0] == "Command7" ? "180 seconds" : "");
            const auto seen = [&] {
                return f.mid(0, 3).join(u'/') + '/' + shown(f[1]).remove(Log) + (w->isModified() ? "*" : "");
            };
            QCOMPARE(seen(), row + (f[2] != "0" ? "*" : ""));
            if (f[1] == "Frame3" || QStringList{"+0" + Deg, "-0.5" + Deg, "Hour"}.contains(f[3]))
                continue; // not at a limit
            saveClean();
            const Document before = doc();
            click(f[0]);
            QCOMPARE(seen(), row);
            QCOMPARE(doc(), before);
            click("Command8", f[0] == "Command7" ? 17 : 0); // up to 180 seconds: no warning
            QCOMPARE(messages(), f[0] == "Command7" ? QStringList{SmsWarning} : QStringList());
        }
    }
    // At half as large a text again and at the usual size no label, caption or title is cut, and the window lies
    // centred within the screen's free area, showing the whole height where the screen has room, scrolling what it
    // cannot. Then what a user sees and a screen reader speaks: the frames, their controls row by row, the menus
    // with their Alt keys and shortcuts.
    void controlsAsDescribed()
    {
        const QFont usual = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(usual); });
        for (const double scale : {1.5, 1.0}) {
            QFont font = usual;
            font.setPointSizeF(usual.pointSizeF() * scale);
            QApplication::setFont(font);
            init();
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            QStringList cut;
            for (QWidget *c : w->findChildren<QWidget *>())
                if (((qobject_cast<QLabel *>(c) || qobject_cast<QCheckBox *>(c)) && c->width() < c->sizeHint().width())
                    || (qobject_cast<QGroupBox *>(c) && c->width() < c->minimumSizeHint().width()))
                    cut << accessible(c)->text(QAccessible::Name);
            QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
            const QRect area = w->screen()->availableGeometry();
            QVERIFY(area.contains(w->frameGeometry()));
            QCOMPARE_LE((w->frameGeometry().center() - area.center()).manhattanLength(), 2);
            auto *scroll = part<QScrollArea>(QString());
            const QSize hidden = (scroll->widget()->size() - scroll->viewport()->size()).expandedTo(QSize(0, 0));
            // At the usual size this screen has room for the whole height, not the width.
            QCOMPARE(QSize(scroll->horizontalScrollBar()->maximum(), scroll->verticalScrollBar()->maximum()),
                     scale == 1.0 ? QSize(hidden.width(), 0) : hidden);
        }
        QStringList seen = sketch(part<QWidget>("Frame1")->parentWidget());
        for (const char *frame : {"Frame1", "Frame2", "Frame3", "Frame4"})
            seen += sketch(part<QWidget>(frame));
        // layout.txt: the window as sketch() writes it, the register boxes with their captions.
        QCOMPARE(seen, QString(readFile(KVT_LAYOUT)).trimmed().split(u'\n'));

        QStringList menus{w->objectName() + ' ' + w->windowTitle()};
        for (QMenu *menu : w->menuBar()->findChildren<QMenu *>(QRegularExpression("."))) { // in the order made
            menus << menu->objectName() + ' ' + menu->title() + ':';
            for (QAction *item : menu->actions())
                menus.last() += QStringLiteral(" %1 %2 %3;")
                                    .arg(item->menu() ? item->menu()->objectName() : item->objectName(), item->text(),
                                         item->shortcut().toString());
        }
        QString zones[2];
        for (int zone = 1; zone <= 64; ++zone)
            zones[zone > 32] += QString::asprintf(zone == 7 ? " Z%d Zone %02d (%02Xh) ;" : " Z%02d Zone %02d (%02Xh) ;",
                                                  zone, zone, zone);
        QCOMPARE(menus,
                 QStringList({"Form1 " + Caption,
                              "FileMenu &File: FileOpen Open configuration file... Ctrl+O; FileSave Save "
                              "configuration file as... Ctrl+S; FileSpace  ; FileExit Exit ;",
                              "GeoMenu &Geofencing: Bnk01 Zone 01 to 32... ; Bnk02 Zone 33 to 64... ;",
                              "Bnk01 Zone 01 to 32...:" + zones[0], "Bnk02 Zone 33 to 64...:" + zones[1],
                              "ProgMenu &Programmer: WriteDevice Run KVT Programmer... Ctrl+R;"}));
    }
    // The file dialogs' filter. Any document a file may hold opens as it was, shown
    // by every control, and saves byte for byte, also after each of its well-formed zones (the first round) was
    // opened in the zone editor and closed without edits. Then cancelled dialogs and refused files change nothing
    // but the path, and a failed write says so; a GPRS text longer than a box holds is refused rather than cut.
    void filesOpenAndSave()
    {
        w->show();
        saveClean();
        QCOMPARE(d->fileFilters, QStringList{QStringLiteral("Molberane configuration file (*.kvt)")});
        QRandomGenerator random(7);
        for (int round = 0; round < 5; ++round) {
            const Document saved = kvt::testing::randomDocument(random, round == 0);
            const QString path = savedFile(saved);
            click("Command5"); // modified before the open
            openFile(path);
            for (int zone = 1; round == 0 && zone <= kvt::image::ZoneCount; ++zone)
                QVERIFY(closeZone(openZone(zone)));
            QCOMPARE(w->windowTitle(), Caption + path);
            QCOMPARE(doc(), saved);
            QCOMPARE(disagreements(), QString()); // every control shows the document
            QCOMPARE(readFile(saveClean()), readFile(path));
        }
        QCOMPARE(messages(), QStringList());

        const QString saved = saveClean(), unreadable = newPath(), tooLong = newPath();
        click("Check5");
        const Document before = doc();
        for (const char *command : {"FileOpen", "FileSave"})
            part<QAction>(command)->trigger(); // nothing scripted: cancelled
        QCOMPARE(w->windowTitle(), Caption + saved + "*");
        writeFile(tooLong, readFile(saved) + "GPRS:" + QByteArray(40000, 'a') + "\r\n");
        openFile(unreadable);
        openFile(tooLong);
        QCOMPARE(w->windowTitle(), Caption + tooLong + "*");
        openFile(m_folders.file("missing/doc.kvt"), "FileSave");
        QCOMPARE(
            messages(),
            QStringList({"Error Message|Unable to read the configuration file, loading aborted...|!",
                         "Error Message|Invalid or corrupted configuration file, loading aborted...|!", SaveFailed}));
        QCOMPARE(doc(), before);
        QCOMPARE(disagreements(), QString()); // every control shows the document
    }
    // Save before exit: not modified, No, dismissed (Escape, the close button), Yes and a cancelled dialog, Yes and
    // a file, Yes and a failed write. Only No and a written file end the program.
    void exit()
    {
        for (int row = 0; row < 6; ++row) { // the cases above, in that order
            const bool modified = row > 0;
            const Answer answer = row < 2 ? Answer::No : row == 2 ? Answer::Dismissed : Answer::Yes;
            const int file = qMax(0, row - 3); // 0 cancelled, 1 writable, 2 unwritable
            init();
            const QString opened = saveClean();
            click("Check2", modified);
            const QString target = file == 2 ? m_folders.file("no/dir.kvt") : newPath();
            d->answers.append(answer);
            d->fileAnswers.append(file ? std::optional(target) : std::nullopt);
            w->show();
            QSignalSpy closed(w.get(), &MainWindow::closed);
            part<QAction>("FileExit")->trigger();
            const bool stays = answer == Answer::Dismissed || (answer == Answer::Yes && file != 1);
            // the window, its end, the save dialogs (none unless Yes), the file, the path (left alone), the mark
            QCOMPARE(QStringList({w->isVisible() ? "open" : "closed", QString::number(closed.size()),
                                  QString::number(d->fileFilters.size()), QFile::exists(target) ? "written" : "none",
                                  w->documentPath(), w->isModified() ? "*" : ""}),
                     QStringList({stays ? "open" : "closed", stays ? "0" : "1", answer == Answer::Yes ? "2" : "1",
                                  file == 1 ? "written" : "none", opened, modified && file != 1 ? "*" : ""}));
            QCOMPARE(messages(),
                     QStringList({"Warning Message|           Save before exit?|Yes/No", SaveFailed})
                         .mid(modified ? 0 : 2, file == 2 ? 2 : 1));
            if (file == 1)
                QCOMPARE(readFile(target), readFile(saveClean()));
        }
    }
    // While the zone editor or the programmer is open, no command of the window runs, whether a screen reader or
    // a shortcut chooses its menu item or code calls it, and no control takes an edit; afterwards all work again.
    void commandsWaitForTheOtherWindow()
    {
        for (const char *opener : {"Z03", "WriteDevice"}) {
            init();
            w->show();
            click("Check3");
            const QStringList commands = offeredCommands();
            const QString other = savedFile(kvt::testing::randomDocument(*QRandomGenerator::global()));
            d->fileAnswers = QList<std::optional<QString>>(80, other);
            d->answers = QList<Answer>(80, Answer::Yes);
            part<QAction>(opener)->trigger();
            const Document before = doc();
            QCOMPARE(offeredCommands(), QStringList());
            w->openDocument();
            w->saveDocument();
            w->runProgrammer();
            w->displayGeofencingForm(5);
            QCOMPARE(w->close(), false);
            part<QCheckBox>("Check4")->setChecked(true);
            for (const char *box : {"SimPin", "Apn"})
                accessible(part(box))->editableTextInterface()->insertText(0, "1");
            QCOMPARE(disagreements(), QString()); // every control shows the document
            QCOMPARE(doc(), before);
            QCOMPARE(d->fileFilters, QStringList());
            QCOMPARE(messages(), QStringList());
            QCOMPARE(w->windowTitle(), Caption + "*");
            const auto opened = [this] {
                QWidgetList open = w->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
                open.removeIf([](QWidget *c) { return !c->isWindow() || !c->isVisible(); });
                return open;
            };
            QCOMPARE(opened().size(), 1); // the window opened, and only it
            QPointer<QWidget> window = opened().value(0);
            QVERIFY(window->close());
            QTRY_VERIFY(!window); // deleted
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(w.get()));
            for (int zone : {0, 65}) // no such zone
                w->displayGeofencingForm(zone);
            QCOMPARE(offeredCommands(), commands);
            QCOMPARE(doc(), before);
            part<QAction>(opener)->trigger();
            delete opened().value(0); // deleted without closing: the window is in use again
            QCOMPARE(offeredCommands(), commands);
            part<QAction>(opener)->trigger(); // still open when the main window goes
            QCOMPARE(w->isEnabled(), false);
        }
    }
    // The zone comes back from the zone editor into the document once the editor has closed, by itself or at once
    // for a command that follows; zone 64 is entry 63 only.
    void zoneHandBack()
    {
        for (const QString then : {"", "FileSave", "FileExit", "FileOpen", "Z64"}) {
            init();
            w->show();
            const Document unedited = doc();
            auto expected = unedited.zoneTexts;
            auto *editor = openZone(64);
            editor->findChild<QAbstractButton *>("LL05")->click();
            QCOMPARE(w->windowTitle(), Caption + "*");
            QVERIFY(editor->close());
            expected[63].replace(41 * 11, 9, QStringLiteral("064224049"));
            const QString path = then == "FileOpen" ? savedFile(unedited) : newPath();
            d->answers.append(Answer::Yes); // save before exit
            if (then == "Z64")
                QVERIFY(closeZone(openZone(64)));
            else if (!then.isEmpty())
                openFile(path, qPrintable(then));
            if (then == "FileOpen")
                expected = unedited.zoneTexts;
            else if (QFile::exists(path))
                QCOMPARE(kvt::image::loadConfigurationFile(path).document.zoneTexts, expected);
            QTRY_VERIFY(!part<QTimer>("Timer1")->isActive());
            QCOMPARE(doc().zoneTexts, expected);
            QCOMPARE(then + (w->isModified() ? "*" : ""), then + (then.isEmpty() || then == "Z64" ? "*" : ""));
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
