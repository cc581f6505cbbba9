// The zone editor driven like a user would, each family of controls shown bound to the stored zone.
#include "editor/mainwindow.h"
#include "image/charset.h"
#include "image/zonerecord.h"
#include "scripteddialogs.h"
#include "testenv.h"
#include "zones/zoneeditor.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>

using namespace kvt::zones;
using namespace kvt::image;

// The codes of `chars` into lines first, first + 1, ...
static QString withChars(QString text, int first, const QString &chars)
{
    for (int i = 0; i < chars.size(); ++i)
        text.replace(11 * (first + i - 1) + 6, 3, QString::asprintf("%03d", kvt::image::charCode(chars[i])));
    return text;
}
// The characters whose codes lines first .. first + count - 1 of a zone text hold.
static QString charsAt(const QString &zoneText, int first, int count = 1)
{
    QString chars;
    for (int k = first; k < first + count; ++k)
        chars += kvt::image::charFromCode(zoneText.mid(11 * (k - 1) + 6, 3).toInt());
    return chars;
}
// What a control shows: a box its text, a coordinate label its caption, a check or option box 1 or 0.
static QString shownBy(QWidget *control)
{
    if (auto *box = qobject_cast<QLineEdit *>(control))
        return box->text();
    auto *button = qobject_cast<QAbstractButton *>(control);
    return button->isCheckable() ? QString::number(button->isChecked()) : button->accessibleDescription();
}

class TestZoneEditor : public QObject {
    Q_OBJECT

    TestFolders m_folders;
    QPointer<ZoneEditor> m_editor;
    std::unique_ptr<QSignalSpy> m_edited;

    void open(const QString &text, int zone = 5)
    {
        delete m_editor;
        m_editor = new ZoneEditor(zone, text);
        m_edited = std::make_unique<QSignalSpy>(m_editor.data(), &ZoneEditor::edited);
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_editor));
    }
    template <class T = QAbstractButton> T *w(const QString &name) { return m_editor->findChild<T *>(name); }
    QString caption(const QString &name) { return w(name)->accessibleDescription(); }
    QString box(const QString &name) { return w<QLineEdit>(name)->text(); }
    QString encoded(int line, int count = 1) { return charsAt(m_editor->encodeZone(), line, count); }
    // Near the left edge: check and option boxes take clicks on indicator and text only.
    void click(QWidget *control) { QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2)); }
    void click(const QString &name) { click(w(name)); }
    // The nine shapes: exactly `on` in the colour of the region without alert.
    void checkMap(const QString &on)
    {
        for (int a = 0; a < AreaCount; ++a)
            QCOMPARE(w<QWidget>(areaShapeName(Area(a)))->palette().color(QPalette::Window),
                     areaShapeName(Area(a)) == on ? QColor(0, 64, 0) : QColor(128, 0, 0));
    }

private slots:
    void cleanup() { delete m_editor; }

    // Every control is found in the accessibility tree by its name; the default zone as shown, which is no
    // change; a zone of another bank comes back as one of its own.
    void windowNamesAndDefaultZone()
    {
        open(defaultZoneText(1), 7);
        QCOMPARE(m_editor->objectName() + "|" + m_editor->windowTitle() + "|" + w<QLabel>("Label5")->text(),
                 "Geofencing|ZONE 07 - GPS/CELL-ID Geofencing database configuration|ZONE 07");
        QHash<QObject *, QString> tree;
        std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *iface) {
            tree.insert(iface->object(), iface->text(QAccessible::Name));
            for (int i = 0; i < iface->childCount(); ++i)
                walk(iface->child(i));
        };
        walk(QAccessible::queryAccessibleInterface(m_editor));
        for (QWidget *control : m_editor->findChildren<QWidget *>())
            if (qobject_cast<QAbstractButton *>(control) || qobject_cast<QLineEdit *>(control))
                QVERIFY2(!tree.value(control).isEmpty(), qPrintable(control->objectName()));
        QCOMPARE(box("TextCid") + box("SpeedBox") + box("StartUTC") + box("StopUTC"),
                 QStringLiteral("~~~~999 (1850.1 KM/H)09:00:0017:00:00"));
        QCOMPARE(caption("TL01") + caption("TLor") + caption("BLor") + caption("LLor") + caption("RLor"),
                 QStringLiteral("0NSWE"));
        QCOMPARE(w("Option1")->isChecked(), true);
        QCOMPARE(w("Option10")->isChecked(), true);
        QCOMPARE(m_edited->count(), 0);
        checkMap("Inside");
        QCOMPARE(m_editor->encodeZone(), defaultZoneText(7));
    }
    // Stored alert options as shown (other bits ignored, none matching: Inside) and stored back.
    void alertOptions()
    {
        for (const auto &[stored, option, alert, back] : {std::tuple{22, QStringLiteral("Option8"), false, 22},
                                                          {20, QStringLiteral("Option9"), false, 20},
                                                          {54, QStringLiteral("Option8"), true, 54},
                                                          {0, QStringLiteral("Option1"), false, 30},
                                                          {128 + 64 + 12 + 1, QStringLiteral("Option3"), false, 12}}) {
            open(withChars(defaultZoneText(5), 61, QString(QChar(stored)) + QChar(99)));
            QVERIFY2(w(option)->isChecked(), qPrintable(option));
            QCOMPARE(w("Option11")->isChecked(), alert);
            checkMap(areaShapeName(Area(option.mid(6).toInt() - 1)));
            QCOMPARE(encoded(61, 2), QString(2, kvt::image::charFromCode(back)));
            QCOMPARE(m_edited->count(), 0);
        }
    }
    void flagBytesShown()
    {
        open(withChars(withChars(defaultZoneText(5), 1, QChar(165)), 6, QChar(90)));
        QString ticks;
        for (int i = 1; i <= 16; ++i)
            ticks += w(QString::asprintf("Check%02d", i))->isChecked() ? '1' : '0';
        QCOMPARE(ticks, QStringLiteral("1010010101011010"));
    }
    // Typed, a fifth character and one without an 8-bit code are refused, also when a screen reader inserts
    // it; a Cell-ID of another length is stored, and shown at close, as none.
    void cellId()
    {
        open(defaultZoneText(5));
        auto *cid = w<QLineEdit>("TextCid");
        for (const auto &[typed, stored] : {std::pair{"1A2B5", "1A2B"}, {"123", "~~~~"}, {"", "~~~~"}}) {
            cid->selectAll();
            QTest::keyClick(cid, Qt::Key_Delete);
            QTest::keyClicks(cid, typed);
            QCOMPARE(encoded(2, 4), QLatin1String(stored));
        }
        for (QChar c : QStringLiteral("\u20AC\u03A9")) // Greek has no 8-bit code here
            QTest::sendKeyEvent(QTest::Click, cid, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(cid->text(), QStringLiteral("\u20AC"));
        QAccessible::queryAccessibleInterface(cid)->editableTextInterface()->insertText(1, QStringLiteral("\u03A9"));
        QCOMPARE(cid->text(), QStringLiteral("\u20AC"));
        QSignalSpy closed(m_editor.data(), &ZoneEditor::closed);
        m_editor->close();
        QCOMPARE(cid->text(), QStringLiteral("~~~~"));
        QCOMPARE(charsAt(closed.value(0).value(1).toString(), 2, 4), QStringLiteral("~~~~"));
    }
    // The time and speed boxes change only by their buttons: every other edit is put back at once.
    void readOnlyBoxesRefuseEveryEdit()
    {
        open(defaultZoneText(5));
        for (const char *name : {"StartUTC", "StopUTC", "SpeedBox"}) {
            auto *valueBox = w<QLineEdit>(name);
            const QString shown = valueBox->text();
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(valueBox);
            const std::function<void()> edits[] = {
                [&] { iface->setText(QAccessible::Value, QStringLiteral("12:34:00")); },
                [&] {
                    if (auto *e = iface->editableTextInterface())
                        e->insertText(0, QStringLiteral("1"));
                },
                [&] {
                    if (auto *e = iface->editableTextInterface())
                        e->deleteText(0, 2);
                },
                [&] {
                    if (auto *e = iface->editableTextInterface())
                        e->replaceText(0, 2, QStringLiteral("23"));
                },
                [&] { valueBox->setText(QStringLiteral("5 (9.3 KM/H)")); },
                [&] {
                    valueBox->selectAll();
                    QTest::keyClicks(valueBox, "7");
                    QTest::keyClick(valueBox, Qt::Key_Backspace);
                },
            };
            for (const auto &edit : edits) {
                edit();
                QCOMPARE(valueBox->text(), shown);
            }
        }
        QCOMPARE(m_edited->count(), 0);
        QCOMPARE(m_editor->encodeZone(), defaultZoneText(5));
    }
    void stepButtons()
    {
        // First stored line (7 speed, 10 START, 14 STOP), stored there (empty: the default), button, clicks
        // (then one more, refused at every limit: no carry, no wrap), shown, stored back.
        const std::tuple<int, const char *, const char *, int, QString, QString> rows[] = {
            {7, "000", "Command10", 999, "999 (1850.1 KM/H)", "999"},
            {7, "", "Command11", 999, "0 (0 KM/H)", "000"},
            {7, "000", "Command1", 99, "990 (1833.5 KM/H)", "990"},
            {7, "", "Command12", 99, "9 (16.7 KM/H)", "009"},
            {7, "030", "Command11", 1, "29 (53.7 KM/H)", "029"},
            {7, "006", "Command10", 1, "7 (13 KM/H)", "007"},
            {10, "", "Command6", 14, "23:00:00", "2300"},
            {10, "", "Command7", 9, "00:00:00", "0000"},
            {10, "", "Command2", 59, "09:59:00", "0959"},
            {10, "", "Command4", 0, "09:00:00", "0900"},
            {14, "2359", "Command8", 0, "23:59:00", "2359"},
            {14, "2359", "Command3", 0, "23:59:00", "2359"},
            {14, "", "Command9", 17, "00:00:00", "0000"},
            {14, "1701", "Command5", 1, "17:00:00", "1700"},
            {14, "2A00", "Command8", 1, "01:00:00", "0100"}}; // no digit counts as 0
        for (const auto &[line, stored, button, clicks, shown, storedAs] : rows) {
            open(withChars(defaultZoneText(5), line, QLatin1String(stored)));
            const bool atLimit = !QStringList{"030", "006", "2A00"}.contains(QLatin1String(stored));
            for (int i = 0; i < clicks + atLimit; ++i)
                w(button)->click();
            QCOMPARE(QStringList({button,
                                  box(line == 7        ? "SpeedBox"
                                          : line == 10 ? "StartUTC"
                                                       : "StopUTC"),
                                  QString::number(m_edited->count()), encoded(line, storedAs.size())}),
                     QStringList({button, shown, QString::number(clicks), storedAs}));
        }
    }
    void digitAndHemisphereClicks()
    {
        open(withChars(defaultZoneText(5), 18, QStringLiteral("59A456789S987654321N0123456789E9876543210W")));
        click("TL02"); // no carry
        click("TL03"); // no digit: counts as 0
        for (int i = 0; i < 10; ++i)
            click("BL07");
        QTest::keyClick(w("RL10"), Qt::Key_Space);
        QTest::keyClick(w("RL10"), Qt::Key_Return);
        for (const char *name : {"TLor", "TLor", "BLor", "LLor", "RLor"})
            click(name);
        QCOMPARE(caption("TL01") + caption("TL02") + caption("TL03") + caption("BL07") + caption("RL10")
                     + caption("TLor"),
                 QStringLiteral("50132S"));
        QCOMPARE(m_edited->count(), 2 + 10 + 2 + 5);
        QCOMPARE(encoded(18, 42), QStringLiteral("501456789S987654321S0123456789W9876543212E"));

        // Through the platform's window: a double-click counts once, on LL05 twice; a letter that is no
        // hemisphere stays, and is no change.
        open(withChars(defaultZoneText(5), 27, "X"));
        for (const char *name : {"TLor", "TL01", "LL04", "LL05"}) {
            QWidget *label = w(name);
            m_editor->findChild<QScrollArea *>()->ensureWidgetVisible(label);
            QTest::mouseDClick(m_editor->windowHandle(), Qt::LeftButton, {},
                               label->mapTo(m_editor, label->rect().center()));
        }
        QCOMPARE(caption("TLor") + caption("TL01") + caption("LL04") + caption("LL05"), QStringLiteral("X112"));
        QCOMPARE(m_edited->count(), 4);
    }

    // Each family of controls, acted on as a screen reader, the mouse, the keyboard or code would: the
    // control, the stored zone and edited() agree at once, and the main window's document and modified mark
    // once the editor is closed. Read-only boxes refuse.
    void everyControlOnEveryPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("input"); // text set or typed; none for buttons
        QTest::addColumn<QString>("shownIn");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("line");       // first stored line concerned
        QTest::addColumn<QString>("stored"); // its characters after the action
        QTest::addColumn<QString>("area");   // the region the map marks
        struct Row {
            const char *family, *control, *input, *shownIn, *shown;
            int line;
            QString stored;
            const char *area;
        };
        const Row rows[] = {
            {"Cell-ID flags", "Check02", "", "Check02", "1", 1, QChar(2), "Inside"},
            {"GPS flags", "Check13", "", "Check13", "1", 6, QChar(16), "Inside"},
            {"square-area options", "Option8", "", "Option8", "1", 61, QString(2, QChar(22)), "West"},
            {"speed options", "Option11", "", "Option11", "1", 61, QString(2, QChar(62)), "Inside"},
            {"latitude digits", "BL09", "", "BL09", "1", 36, "1", "Inside"},
            {"longitude digits", "LL05", "", "LL05", "1", 42, "1", "Inside"},
            {"hemisphere letters", "RLor", "", "RLor", "W", 59, "W", "Inside"},
            {"time steps", "Command6", "", "StartUTC", "10:00:00", 10, "1000", "Inside"},
            {"speed steps", "Command12", "", "SpeedBox", "989 (1831.6 KM/H)", 7, "989", "Inside"},
            {"Cell-ID", "TextCid", "1A2B", "TextCid", "1A2B", 2, "1A2B", "Inside"},
            {"START box", "StartUTC", "12:34:00", "StartUTC", "09:00:00", 10, "0900", "Inside"},
            {"STOP box", "StopUTC", "12:34:00", "StopUTC", "17:00:00", 14, "1700", "Inside"},
            {"speed box", "SpeedBox", "5 (9.3 KM/H)", "SpeedBox", "999 (1850.1 KM/H)", 7, "999", "Inside"},
        };
        for (const char *path : {"screen reader", "mouse", "keyboard", "code"}) {
            for (const Row &r : rows) {
                if (*r.input && QLatin1String(path) == "mouse")
                    continue; // a box is typed in, not clicked
                QTest::addRow("%s, %s", path, r.family)
                    << path << r.control << r.input << r.shownIn << r.shown << r.line << r.stored << r.area;
            }
        }
    }
    void everyControlOnEveryPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, control);
        QFETCH(QString, input);
        QFETCH(QString, shownIn);
        QFETCH(QString, shown);
        QFETCH(int, line);
        QFETCH(QString, stored);
        QFETCH(QString, area);

        ScriptedDialogs dialogs;
        kvt::editor::MainWindow main(dialogs);
        main.show();
        main.displayGeofencingForm(5);
        m_editor = main.findChild<ZoneEditor *>();
        QVERIFY(m_editor);
        QVERIFY(QTest::qWaitForWindowExposed(m_editor));
        QSignalSpy edited(m_editor.data(), &ZoneEditor::edited);
        const bool changes = charsAt(defaultZoneText(5), line, stored.size()) != stored;
        QWidget *target = w<QWidget>(control);

        if (path == "screen reader") {
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(target);
            if (!input.isEmpty()) {
                if (auto *text = iface->editableTextInterface())
                    text->replaceText(0, iface->textInterface()->characterCount(), input);
            } else {
                QAccessibleActionInterface *actions = iface->actionInterface();
                const QString toggle = QAccessibleActionInterface::toggleAction();
                actions->doAction(actions->actionNames().contains(toggle) ? toggle
                                                                          : QAccessibleActionInterface::pressAction());
            }
        } else if (path == "mouse") {
            click(target);
        } else if (path == "keyboard") {
            m_editor->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_editor));
            target->setFocus();
            QCOMPARE(QApplication::focusWidget(), target);
            if (input.isEmpty()) {
                QTest::keyClick(target, Qt::Key_Space);
            } else {
                QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(target, input);
            }
        } else if (auto *box = qobject_cast<QLineEdit *>(target)) {
            box->setText(input);
        } else {
            auto *button = qobject_cast<QAbstractButton *>(target);
            button->isCheckable() ? button->toggle() : button->click();
        }
        if (changes && edited.isEmpty())
            QVERIFY(edited.wait(1000));                            // a screen reader's Press clicks a moment later
        const bool typed = path == "keyboard" && !input.isEmpty(); // one change a key
        QCOMPARE(edited.count(), changes ? int(typed ? input.size() : 1) : 0);
        QCOMPARE(shownBy(w<QWidget>(shownIn)), shown);
        const QString zoneText = m_editor->encodeZone();
        QCOMPARE(charsAt(zoneText, line, stored.size()), stored);
        checkMap(area);
        QCOMPARE(main.isModified(), changes);

        m_editor->close();
        QTRY_VERIFY(!m_editor);
        QTRY_COMPARE(main.document().zoneTexts[4], zoneText);
        QCOMPARE(main.isModified(), changes);
    }

    // On a screen smaller than the window it lies within the available area and every part can be
    // scrolled into view.
    void windowFitsTheScreen()
    {
        open(defaultZoneText(5));
        QVERIFY(m_editor->screen()->availableGeometry().contains(m_editor->frameGeometry()));
        auto *scroll = m_editor->findChild<QScrollArea *>();
        for (const char *name : {"Check16", "Option11", "TextCid", "Label5", "Command10"}) {
            QWidget *part = w<QWidget>(name);
            scroll->ensureWidgetVisible(part, 0, 0);
            QVERIFY2(
                scroll->viewport()->rect().contains(QRect(part->mapTo(scroll->viewport(), QPoint()), part->size())),
                name);
        }
    }
};

QTEST_MAIN(TestZoneEditor)
#include "test_zoneeditor.moc"
