// The zone editor driven like a user would, each family of controls shown bound to the stored zone.
#include "image/charset.h"
#include "zones/zoneeditor.h"
#include "zones/zonerecord.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace kvt::zones;

// The codes of `chars` into lines first, first + 1, ...
static QString withChars(QString text, int first, const QString &chars)
{
    for (int i = 0; i < chars.size(); ++i)
        text.replace(11 * (first + i - 1) + 6, 3, QString::asprintf("%03d", kvt::image::charCode(chars[i])));
    return text;
}

class TestZoneEditor : public QObject
{
    Q_OBJECT

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
    QString encoded(int line, int count = 1)
    {
        QString chars;
        for (int k = line; k < line + count; ++k)
            chars += kvt::image::charFromCode(m_editor->encodeZone().mid(11 * (k - 1) + 6, 3).toInt());
        return chars;
    }
    // Near the left edge: check and option boxes take clicks on indicator and text only.
    void click(const QString &name) { QTest::mouseClick(w(name), Qt::LeftButton, {}, QPoint(6, w(name)->height() / 2)); }
    // The nine shapes: exactly `on` in the colour of the region without alert.
    void checkMap(const QString &on)
    {
        for (int a = 0; a < AreaCount; ++a)
            QCOMPARE(w<QWidget>(areaShapeName(Area(a)))->palette().color(QPalette::Window),
                     areaShapeName(Area(a)) == on ? QColor(0, 64, 0) : QColor(128, 0, 0));
    }

private slots:
    void cleanup() { delete m_editor; }

    // Every control is found in the accessibility tree by its name; the default zone as shown.
    void windowNamesAndDefaultZone()
    {
        open(defaultZoneText(7), 7);
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
        QVERIFY(w("Option1")->isChecked() && w("Option10")->isChecked() && m_edited->count() == 0);
        checkMap("Inside");
        QCOMPARE(m_editor->encodeZone(), defaultZoneText(7));
    }
    void alertOptions()
    {
        for (const auto &[stored, option, alert, back] : {std::tuple{22, QStringLiteral("Option8"), false, 22},
                 {20, QStringLiteral("Option9"), false, 20}, {54, QStringLiteral("Option8"), true, 54},
                 {0, QStringLiteral("Option1"), false, 30}}) {   // stored, option, alert, stored back
            open(withChars(defaultZoneText(5), 61, QString(QChar(stored)) + QChar(99)));
            QVERIFY2(w(option)->isChecked() && w("Option11")->isChecked() == alert, qPrintable(option));
            checkMap(areaShapeName(Area(option.mid(6).toInt() - 1)));
            QCOMPARE(encoded(61, 2), QString(2, kvt::image::charFromCode(back)));
        }
        open(defaultZoneText(5));
        click("Option8");
        checkMap("West");
        click("Option11");
        click("Option11");   // already selected: still a click
        QVERIFY(encoded(61, 2) == QString(2, QChar(22 + 32)) && m_edited->count() == 3);
    }
    void cellId()
    {
        open(defaultZoneText(5));
        auto *cid = w<QLineEdit>("TextCid");
        for (const auto &[typed, stored] : {std::pair{"1A2B5", "1A2B"}, {"123", "~~~~"}, {"", "~~~~"}}) {
            cid->clear();
            QTest::keyClicks(cid, typed);   // a fifth character is refused
            QCOMPARE(encoded(2, 4), QLatin1String(stored));
        }
        for (QChar c : QStringLiteral("\u20AC\u03A9"))   // Greek has no 8-bit code here
            QTest::sendKeyEvent(QTest::Click, cid, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(cid->text(), QStringLiteral("\u20AC"));
    }
    void stepButtons()
    {
        // First stored line (7 speed, 10 START, 14 STOP), stored there (empty: the default), button, clicks
        // (then one more, refused at every limit: no carry, no wrap), shown, stored back.
        const std::tuple<int, const char *, const char *, int, QString, QString> rows[] = {
            {7, "000", "Command10", 999, "999 (1850.1 KM/H)", "999"}, {7, "", "Command11", 999, "0 (0 KM/H)", "000"},
            {7, "000", "Command1", 99, "990 (1833.5 KM/H)", "990"}, {7, "", "Command12", 99, "9 (16.7 KM/H)", "009"},
            {7, "030", "Command11", 1, "29 (53.7 KM/H)", "029"}, {7, "006", "Command10", 1, "7 (13 KM/H)", "007"},
            {10, "", "Command6", 14, "23:00:00", "2300"}, {10, "", "Command7", 9, "00:00:00", "0000"},
            {10, "", "Command2", 59, "09:59:00", "0959"}, {10, "", "Command4", 0, "09:00:00", "0900"},
            {14, "2359", "Command8", 0, "23:59:00", "2359"}, {14, "2359", "Command3", 0, "23:59:00", "2359"},
            {14, "", "Command9", 17, "00:00:00", "0000"}, {14, "1701", "Command5", 1, "17:00:00", "1700"},
            {14, "2A00", "Command8", 1, "01:00:00", "0100"}};   // no digit counts as 0
        for (const auto &[line, stored, button, clicks, shown, storedAs] : rows) {
            open(withChars(defaultZoneText(5), line, QLatin1String(stored)));
            const bool atLimit = !QStringList{"030", "006", "2A00"}.contains(QLatin1String(stored));
            for (int i = 0; i < clicks + atLimit; ++i)
                w(button)->click();
            QCOMPARE(QStringList({button, box(line == 7 ? "SpeedBox" : line == 10 ? "StartUTC" : "StopUTC"),
                                  QString::number(m_edited->count()), encoded(line, storedAs.size())}),
                     QStringList({button, shown, QString::number(clicks), storedAs}));
        }
    }
    void flagBytes()
    {
        open(withChars(withChars(defaultZoneText(5), 1, QChar(165)), 6, QChar(90)));
        QString ticks;
        for (int i = 1; i <= 16; ++i)
            ticks += w(QString::asprintf("Check%02d", i))->isChecked() ? '1' : '0';
        QCOMPARE(ticks, QStringLiteral("1010010101011010"));
        open(defaultZoneText(5));
        click("Check01");
        click("Check10");
        QVERIFY(m_edited->count() == 2 && encoded(1) + encoded(6) == QString(QChar(1)) + QChar(2));
    }
    void digitAndHemisphereClicks()
    {
        open(withChars(defaultZoneText(5), 18, QStringLiteral("59A456789S987654321N0123456789E9876543210W")));
        click("TL02");   // no carry
        click("TL03");   // no digit: counts as 0
        for (int i = 0; i < 10; ++i)
            click("BL07");
        QTest::keyClick(w("RL10"), Qt::Key_Space);
        QTest::keyClick(w("RL10"), Qt::Key_Return);
        for (const char *name : {"TLor", "TLor", "BLor", "LLor", "RLor"})
            click(name);
        QCOMPARE(caption("TL01") + caption("TL02") + caption("TL03") + caption("BL07") + caption("RL10")
                     + caption("TLor"), QStringLiteral("50132S"));
        QCOMPARE(m_edited->count(), 2 + 10 + 2 + 5);
        QCOMPARE(encoded(18, 42), QStringLiteral("501456789S987654321S0123456789W9876543212E"));

        // Through the platform's window: a double-click counts once, on LL05 twice.
        open(withChars(defaultZoneText(5), 27, "X"));
        for (const char *name : {"TLor", "TL01", "LL04", "LL05"}) {
            QWidget *label = w(name);
            QTest::mouseDClick(m_editor->windowHandle(), Qt::LeftButton, {},
                               label->mapTo(m_editor, label->rect().center()));
        }
        QCOMPARE(caption("TLor") + caption("TL01") + caption("LL04") + caption("LL05"), QStringLiteral("X112"));
    }
    // A zone of another bank comes back as one of its own.
    void storesItsOwnBank()
    {
        open(defaultZoneText(1));
        QCOMPARE(m_editor->encodeZone(), defaultZoneText(5));
    }
};

QTEST_MAIN(TestZoneEditor)
#include "test_zoneeditor.moc"
