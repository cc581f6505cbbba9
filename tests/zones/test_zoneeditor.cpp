// The zone editor window driven like a user would; the byte map itself is the
// zone record's test, here each family of controls is shown bound to it.
#include "image/charset.h"
#include "zones/zoneeditor.h"
#include "zones/zonerecord.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace kvt::zones;

namespace {

int valueOfLine(const QString &text, int k) { return text.mid(11 * (k - 1) + 6, 3).toInt(); }

// The codes of `chars` into lines first, first + 1, ...
QString withChars(QString text, int first, const QString &chars)
{
    for (int i = 0; i < chars.size(); ++i)
        text.replace(11 * (first + i - 1) + 6, 3, QString::asprintf("%03d", kvt::image::charCode(chars[i])));
    return text;
}

struct Step {
    int line;         // first stored line: 7 speed, 10 START, 14 STOP
    QString stored;   // empty: the default zone's
    const char *button;
    int clicks;       // then one more, refused, when at a limit
    bool atLimit;
    QString shown, storedAs;
};

} // namespace

Q_DECLARE_METATYPE(Step)

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
    template <class T = QAbstractButton> T *w(const QString &name)
    {
        T *found = m_editor->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QString caption(const QString &name) { return w(name)->accessibleDescription(); }
    QString box(const QString &name) { return w<QLineEdit>(name)->text(); }
    QString encoded(int line, int count = 1)
    {
        QString chars;
        for (int k = line; k < line + count; ++k)
            chars += kvt::image::charFromCode(valueOfLine(m_editor->encodeZone(), k));
        return chars;
    }
    // Near the left edge: check and option boxes take clicks on indicator and text only.
    void click(const QString &name)
    {
        QAbstractButton *button = w(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    // The nine shapes: exactly `on` in the colour of the region without alert.
    void checkMap(const QString &on)
    {
        for (int a = 0; a < AreaCount; ++a) {
            const QString shape = areaShapeName(Area(a));
            QCOMPARE(w<QWidget>(shape)->palette().color(QPalette::Window),
                     shape == on ? QColor(0, 64, 0) : QColor(128, 0, 0));
        }
    }

private slots:
    void cleanup() { delete m_editor; }

    void windowNamesAndDefaultZone()
    {
        open(defaultZoneText(7), 7);
        QCOMPARE(m_editor->objectName() + "|" + m_editor->windowTitle() + "|" + w<QLabel>("Label5")->text(),
                 "Geofencing|ZONE 07 - GPS/CELL-ID Geofencing database configuration|ZONE 07");
        QCOMPARE(m_editor->minimumSize(), m_editor->maximumSize());
        QCOMPARE(m_editor->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint
                                            | Qt::WindowMinimizeButtonHint), Qt::WindowCloseButtonHint);
        QCOMPARE(w("LL10")->focusPolicy(), Qt::StrongFocus);
        const QStringList named = QStringLiteral(
            "TL01=TOP LINE LATITUDE digit 1|RLor=RIGHT LINE LONGITUDE hemisphere|StopUTC=STOP UTC Time|"
            "Command4=Decrease START UTC Time minute|Command12=Decrease Max Speed Limit (Knots) by 10|"
            "TextCid=Cell-ID|Check02=Alert if attached to Cell-ID|Option5=South/East").split('|');
        for (const QString &pair : named)
            QCOMPARE(w<QWidget>(pair.section('=', 0, 0))->accessibleName(), pair.section('=', 1));

        QCOMPARE(box("TextCid") + box("SpeedBox"), QStringLiteral("~~~~999 (1850.1 KM/H)"));
        QCOMPARE(box("StartUTC") + box("StopUTC"), QStringLiteral("09:00:0017:00:00"));
        QCOMPARE(caption("TL01") + caption("TLor") + caption("BLor") + caption("LLor") + caption("RLor"),
                 QStringLiteral("0NSWE"));
        QVERIFY(w("Option1")->isChecked() && w("Option10")->isChecked());
        checkMap("Inside");
        QCOMPARE(m_editor->encodeZone(), defaultZoneText(7));
        QCOMPARE(m_edited->count(), 0);
    }

    void alertOptions()
    {
        const QList<std::tuple<int, QString, bool, int>> cases = {   // stored, option, alert, stored back
            {22, "Option8", false, 22}, {20, "Option9", false, 20}, {54, "Option8", true, 54},
            {0, "Option1", false, 30}};
        for (const auto &[stored, option, alert, back] : cases) {
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
        cid->clear();
        QTest::keyClicks(cid, "1A2B5");
        QCOMPARE(cid->text(), QStringLiteral("1A2B"));   // a fifth character is refused
        QCOMPARE(encoded(2, 4), QStringLiteral("1A2B"));
        cid->clear();
        for (QChar c : QStringLiteral("€\u03a9"))   // Greek has no 8-bit code here
            QTest::sendKeyEvent(QTest::Click, cid, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(cid->text(), QStringLiteral("€"));
        for (const QString &typed : {QStringLiteral("123"), QString()}) {
            cid->clear();
            QTest::keyClicks(cid, typed);
            QCOMPARE(encoded(2, 4), QStringLiteral("~~~~"));
        }
    }

    void stepButtons_data()
    {
        QTest::addColumn<Step>("step");
        const QString km = QStringLiteral(" KM/H)");
        QTest::newRow("speed +1") << Step{7, "000", "Command10", 999, true, "999 (1850.1" + km, "999"};
        QTest::newRow("speed -1") << Step{7, "", "Command11", 999, true, "0 (0" + km, "000"};
        QTest::newRow("speed +10") << Step{7, "000", "Command1", 99, true, "990 (1833.5" + km, "990"};
        QTest::newRow("speed -10") << Step{7, "", "Command12", 99, true, "9 (16.7" + km, "009"};
        QTest::newRow("speed 030") << Step{7, "030", "Command11", 1, false, "29 (53.7" + km, "029"};
        QTest::newRow("speed 7") << Step{7, "006", "Command10", 1, false, "7 (13" + km, "007"};
        QTest::newRow("speed damaged") << Step{7, "0A5", "Command10", 1, false, "1 (1.9" + km, "001"};
        QTest::newRow("start hour +") << Step{10, "", "Command6", 14, true, "23:00:00", "2300"};
        QTest::newRow("start hour -") << Step{10, "", "Command7", 9, true, "00:00:00", "0000"};
        QTest::newRow("start minute +") << Step{10, "", "Command2", 59, true, "09:59:00", "0959"};
        QTest::newRow("start minute -") << Step{10, "", "Command4", 0, true, "09:00:00", "0900"};
        QTest::newRow("stop hour + at 23:59") << Step{14, "2359", "Command8", 0, true, "23:59:00", "2359"};
        QTest::newRow("stop minute + at 23:59") << Step{14, "2359", "Command3", 0, true, "23:59:00", "2359"};
        QTest::newRow("stop hour -") << Step{14, "", "Command9", 17, true, "00:00:00", "0000"};
        QTest::newRow("stop minute -") << Step{14, "1701", "Command5", 1, true, "17:00:00", "1700"};
        QTest::newRow("stop damaged") << Step{14, "2A00", "Command8", 1, false, "01:00:00", "0100"};
    }
    // Each button's range, form and stored form; no carry, no wrap; no digit counts as 0.
    void stepButtons()
    {
        QFETCH(Step, step);
        open(withChars(defaultZoneText(5), step.line, step.stored));
        for (int i = 0; i < step.clicks + step.atLimit; ++i)
            w(step.button)->click();
        QCOMPARE(box(step.line == 7 ? "SpeedBox" : step.line == 10 ? "StartUTC" : "StopUTC"), step.shown);
        QCOMPARE(m_edited->count(), step.clicks);
        QCOMPARE(encoded(step.line, step.storedAs.size()), step.storedAs);
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
        QCOMPARE(m_edited->count(), 2);
        QCOMPARE(encoded(1) + encoded(6), QString(QChar(1)) + QChar(2));
    }

    void digitAndHemisphereClicks()
    {
        const QString lines = QStringLiteral("59A456789S987654321N0123456789E9876543210W");
        open(withChars(defaultZoneText(5), 18, lines));
        click("TL02");
        QCOMPARE(caption("TL02") + caption("TL01"), QStringLiteral("05"));   // no carry
        click("TL03");
        QCOMPARE(caption("TL03"), QStringLiteral("1"));   // no digit: counts as 0
        for (int i = 0; i < 10; ++i)
            click("BL07");
        QCOMPARE(caption("BL07"), QStringLiteral("3"));
        QTest::keyClick(w("RL10"), Qt::Key_Space);
        QTest::keyClick(w("RL10"), Qt::Key_Return);
        QCOMPARE(caption("RL10"), QStringLiteral("2"));
        for (const char *name : {"TLor", "TLor", "BLor", "LLor", "RLor"})
            click(name);
        QCOMPARE(m_edited->count(), 2 + 10 + 2 + 5);
        QCOMPARE(encoded(18, 42), QStringLiteral("501456789S987654321S0123456789W9876543212E"));

        // Through the platform's window: a double-click counts once, on LL05 twice.
        open(withChars(defaultZoneText(5), 27, "X"));
        for (const char *name : {"TLor", "TL01", "LL04", "LL05"}) {
            QWidget *label = w(name);
            QTest::mouseDClick(m_editor->windowHandle(), Qt::LeftButton, {},
                               label->mapTo(m_editor, label->rect().center()));
        }
        QCOMPARE(caption("TLor") + caption("TL01") + caption("LL04") + caption("LL05"),
                 QStringLiteral("X112"));
    }

    // Whatever it was given, the editor stores a well-formed zone of its own bank.
    void storesItsOwnBank()
    {
        open(defaultZoneText(1));
        for (int k = 1; k <= 64; ++k)
            QCOMPARE(m_editor->encodeZone().mid(11 * (k - 1), 11),
                     QString::asprintf("005%03d%03d\r\n", 182 + k, valueOfLine(defaultZoneText(1), k)));
        const QString zone = defaultZoneText(5);
        for (const QString &text : {QString(), zone.left(300), QString(zone).replace("\r\n", "0\r\n")}) {
            open(text);
            QVERIFY(QRegularExpression("^(005(18[3-9]|19\\d|2[0-3]\\d|24[0-6])\\d{3}\r\n){64}$")
                        .match(m_editor->encodeZone()).hasMatch());
        }
    }
};

QTEST_MAIN(TestZoneEditor)
#include "test_zoneeditor.moc"
