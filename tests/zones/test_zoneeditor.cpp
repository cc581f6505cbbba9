// The zone editor window driven like a user would: clicks on the line
// digits, the step buttons, typing, and closing.
#include "image/charset.h"
#include "zones/zoneeditor.h"
#include "zones/zonerecord.h"

#include <QAbstractButton>
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

QString withValue(QString text, int k, int value)
{
    return text.replace(11 * (k - 1) + 6, 3, QString::asprintf("%03d", value));
}

// The codes of `chars` into lines first, first + 1, ...
QString withChars(QString text, int first, const QString &chars)
{
    for (int i = 0; i < chars.size(); ++i)
        text = withValue(text, first + i, kvt::image::charCode(chars[i]));
    return text;
}

QList<int> valuesOfLines(const QString &text, int first, int count)
{
    QList<int> values;
    for (int k = first; k < first + count; ++k)
        values.append(valueOfLine(text, k));
    return values;
}

} // namespace

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
    template <class T = QAbstractButton>
    T *w(const QString &name)
    {
        T *found = m_editor->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QString caption(const QString &name) { return w(name)->accessibleDescription(); }
    QString box(const QString &name) { return w<QLineEdit>(name)->text(); }
    // Near the left edge: check boxes and option buttons take clicks on
    // their indicator and text only.
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
        QCOMPARE(m_editor->objectName(), QStringLiteral("Geofencing"));
        QCOMPARE(m_editor->windowTitle(),
                 QStringLiteral("ZONE 07 - GPS/CELL-ID Geofencing database configuration"));
        QCOMPARE(w<QLabel>("Label5")->text(), QStringLiteral("ZONE 07"));
        QCOMPARE(m_editor->minimumSize(), m_editor->maximumSize());
        const Qt::WindowFlags flags = m_editor->windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));

        for (const QString &name : {"TL01", "BL09", "LL10", "RLor"})
            QCOMPARE(w(name)->focusPolicy(), Qt::StrongFocus);
        const QStringList named = {
            "TL01=TOP LINE LATITUDE digit 1", "BL09=BOTTOM LINE LATITUDE digit 9",
            "LL10=LEFT LINE LONGITUDE digit 10", "RLor=RIGHT LINE LONGITUDE hemisphere",
            "Command4=Decrease START UTC Time minute", "Command6=Increase START UTC Time hour",
            "Command9=Decrease STOP UTC Time hour", "Command3=Increase STOP UTC Time minute",
            "Command12=Decrease Max Speed Limit (Knots) by 10",
            "Command10=Increase Max Speed Limit (Knots) by 1", "StopUTC=STOP UTC Time",
            "SpeedBox=Max Speed Limit (Knots)", "TextCid=Cell-ID",
            "Check02=Alert if attached to Cell-ID", "Check13=Process if inside Time",
            "Option5=South/East", "Option10=No alert"};
        for (const QString &pair : named)
            QCOMPARE(w<QWidget>(pair.section('=', 0, 0))->accessibleName(), pair.section('=', 1));
        QCOMPARE(w<QLineEdit>("TextCid")->maxLength(), 4);

        // The default zone, decoded.
        for (int i = 1; i <= 16; ++i)
            QVERIFY(!w<QCheckBox>(QString::asprintf("Check%02d", i))->isChecked());
        QCOMPARE(box("TextCid"), QStringLiteral("~~~~"));
        QCOMPARE(box("SpeedBox"), QStringLiteral("999 (1850.1 KM/H)"));
        QCOMPARE(box("StartUTC"), QStringLiteral("09:00:00"));
        QCOMPARE(box("StopUTC"), QStringLiteral("17:00:00"));
        QCOMPARE(caption("TL01") + caption("BL09") + caption("LL05") + caption("RL10"),
                 QStringLiteral("0000"));
        QCOMPARE(caption("TLor") + caption("BLor") + caption("LLor") + caption("RLor"),
                 QStringLiteral("NSWE"));
        QVERIFY(w("Option1")->isChecked() && w("Option10")->isChecked());
        checkMap("Inside");
        QCOMPARE(m_editor->encodeZone(), defaultZoneText(7));
        QVERIFY(m_editor->encodeZone().startsWith(QStringLiteral("007183000\r\n007184126\r\n")));
        QCOMPARE(m_edited->count(), 0);
    }

    void alertOptions_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("option");
        QTest::addColumn<bool>("alert");
        QTest::addColumn<int>("encoded");
        QTest::newRow("West") << 22 << "Option8" << false << 22;
        QTest::newRow("North/West") << 20 << "Option9" << false << 20;
        QTest::newRow("West, alert") << 54 << "Option8" << true << 54;
        QTest::newRow("0 reads as Inside") << 0 << "Option1" << false << 30;
        QTest::newRow("255 loses bits 7, 6, 0") << 255 << "Option1" << true << 62;
        QTest::newRow("no pattern reads as Inside") << 1 << "Option1" << false << 30;
    }
    void alertOptions()
    {
        QFETCH(int, stored);
        QFETCH(QString, option);
        QFETCH(bool, alert);
        open(withValue(withValue(defaultZoneText(5), 61, stored), 62, 99));
        QVERIFY(w(option)->isChecked());
        QCOMPARE(w("Option11")->isChecked(), alert);
        checkMap(areaShapeName(Area(option.mid(6).toInt() - 1)));
        QFETCH(int, encoded);
        QCOMPARE(valuesOfLines(m_editor->encodeZone(), 61, 2), (QList<int>{encoded, encoded}));
    }

    void optionClicksRepaintAndChangeTheirBits()
    {
        open(defaultZoneText(5));
        click("Option8");
        checkMap("West");
        QCOMPARE(valueOfLine(m_editor->encodeZone(), 61), 22);
        click("Option11");
        checkMap("West");
        QCOMPARE(valueOfLine(m_editor->encodeZone(), 62), 54);
        click("Option11");   // already selected: still a click
        QCOMPARE(m_edited->count(), 3);
    }

    void cellId()
    {
        open(defaultZoneText(5));
        auto *cid = w<QLineEdit>("TextCid");
        cid->clear();
        QTest::keyClicks(cid, "1A2B5");
        QCOMPARE(cid->text(), QStringLiteral("1A2B"));   // a fifth character is refused
        QVERIFY(m_edited->count() > 0);
        QCOMPARE(valuesOfLines(m_editor->encodeZone(), 2, 4), (QList<int>{49, 65, 50, 66}));
        cid->clear();
        for (QChar c : QStringLiteral("€\u03a9"))   // Greek has no 8-bit code here
            QTest::sendKeyEvent(QTest::Click, cid, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(cid->text(), QStringLiteral("€"));
        for (const QString &typed : {QStringLiteral("123"), QString()}) {
            cid->clear();
            QTest::keyClicks(cid, typed);
            QCOMPARE(valuesOfLines(m_editor->encodeZone(), 2, 4), (QList<int>{126, 126, 126, 126}));
        }
        QSignalSpy closed(m_editor.data(), &ZoneEditor::closed);
        QString shownAtClose;
        connect(m_editor, &ZoneEditor::closed, this, [&] { shownAtClose = cid->text(); });
        m_editor->close();
        QCOMPARE(shownAtClose, QStringLiteral("~~~~"));
    }

    void speedAndTimeSteps_data()
    {
        QTest::addColumn<int>("line");        // first stored line of the value
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("after");   // empty: the step does nothing
        auto speed = [](const char *stored, const char *shown, const char *button, const char *after) {
            QTest::addRow("speed %s %s", stored, button)
                << 7 << stored << "SpeedBox" << shown << button << after;
        };
        speed("999", "999 (1850.1 KM/H)", "Command10", "");
        speed("999", "999 (1850.1 KM/H)", "Command1", "");
        speed("999", "999 (1850.1 KM/H)", "Command12", "989 (1831.6 KM/H)");
        speed("999", "999 (1850.1 KM/H)", "Command11", "998 (1848.3 KM/H)");
        speed("000", "0 (0 KM/H)", "Command11", "");
        speed("000", "0 (0 KM/H)", "Command12", "");
        speed("000", "0 (0 KM/H)", "Command10", "1 (1.9 KM/H)");
        speed("000", "0 (0 KM/H)", "Command1", "10 (18.5 KM/H)");
        speed("010", "10 (18.5 KM/H)", "Command1", "20 (37 KM/H)");
        speed("010", "10 (18.5 KM/H)", "Command12", "");
        speed("011", "11 (20.4 KM/H)", "Command12", "1 (1.9 KM/H)");
        speed("988", "988 (1829.8 KM/H)", "Command1", "998 (1848.3 KM/H)");
        speed("989", "989 (1831.6 KM/H)", "Command1", "");
        speed("030", "30 (55.6 KM/H)", "Command11", "29 (53.7 KM/H)");
        speed("006", "6 (11.1 KM/H)", "Command10", "7 (13 KM/H)");
        speed("0A5", "0 (0 KM/H)", "Command10", "1 (1.9 KM/H)");    // damaged: counts as 0
        auto time = [](int line, const char *stored, const char *box, const char *shown,
                       const char *button, const char *after) {
            QTest::addRow("%s %s %s", box, stored, button)
                << line << stored << box << shown << button << after;
        };
        time(10, "0959", "StartUTC", "09:59:00", "Command2", "");
        time(10, "0959", "StartUTC", "09:59:00", "Command6", "10:59:00");
        time(10, "2300", "StartUTC", "23:00:00", "Command6", "");
        time(10, "0000", "StartUTC", "00:00:00", "Command4", "");
        time(10, "0000", "StartUTC", "00:00:00", "Command7", "");
        time(10, "0901", "StartUTC", "09:01:00", "Command4", "09:00:00");
        time(10, "2358", "StartUTC", "23:58:00", "Command2", "23:59:00");
        time(10, "1000", "StartUTC", "10:00:00", "Command7", "09:00:00");
        time(14, "0000", "StopUTC", "00:00:00", "Command5", "");
        time(14, "0000", "StopUTC", "00:00:00", "Command9", "");
        time(14, "2359", "StopUTC", "23:59:00", "Command3", "");
        time(14, "2359", "StopUTC", "23:59:00", "Command8", "");
        time(14, "1700", "StopUTC", "17:00:00", "Command3", "17:01:00");
        time(14, "1700", "StopUTC", "17:00:00", "Command8", "18:00:00");
        time(14, "1701", "StopUTC", "17:01:00", "Command5", "17:00:00");
        time(14, "1700", "StopUTC", "17:00:00", "Command9", "16:00:00");
        time(14, "2A00", "StopUTC", "2A:00:00", "Command8", "01:00:00");   // damaged: counts as 0
    }
    void speedAndTimeSteps()
    {
        QFETCH(QString, stored);
        QFETCH(QString, box);
        QFETCH(QString, after);
        QFETCH(int, line);
        QFETCH(QString, shown);
        QFETCH(QString, button);
        open(withChars(defaultZoneText(5), line, stored));
        QCOMPARE(this->box(box), shown);
        const QString before = this->box(box);
        click(button);
        QCOMPARE(this->box(box), after.isEmpty() ? before : after);
        QCOMPARE(m_edited->count(), after.isEmpty() ? 0 : 1);
        // Stored as three speed digits ("7" as "007") or as HHMM.
        const QString shownNow = this->box(box);
        const QString expected = line == 7 ? storedSpeed(shownNow.section(' ', 0, 0))
                                           : QString(shownNow).remove(':').left(4);
        const QString encoded = m_editor->encodeZone();
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(valueOfLine(encoded, line + i), int(expected[i].unicode()));
    }

    void flagBytes()
    {
        open(withValue(withValue(defaultZoneText(5), 1, 165), 6, 90));
        QStringList checked;
        for (int i = 1; i <= 16; ++i) {
            if (w<QCheckBox>(QString::asprintf("Check%02d", i))->isChecked())
                checked << QString::number(i);
        }
        QCOMPARE(checked, (QStringList{"1", "3", "6", "8", "10", "12", "13", "15"}));
        open(defaultZoneText(5));
        click("Check01");
        click("Check10");
        QCOMPARE(m_edited->count(), 2);
        QCOMPARE(valueOfLine(m_editor->encodeZone(), 1), 1);
        QCOMPARE(valueOfLine(m_editor->encodeZone(), 6), 2);
        for (int i = 2; i <= 8; ++i)
            click(QString::asprintf("Check%02d", i));
        QCOMPARE(valueOfLine(m_editor->encodeZone(), 1), 255);
    }

    void linesComeFromTheirOwnCharacters()
    {
        const QString text = withChars(withChars(defaultZoneText(5), 7, "030"), 18,
                                       "123456789S987654321N0123456789E9876543210W");
        open(text);
        QCOMPARE(caption("TL01") + caption("TL09") + caption("TLor"), QStringLiteral("19S"));
        QCOMPARE(caption("BL01") + caption("BL09") + caption("BLor"), QStringLiteral("91N"));
        QCOMPARE(caption("LL01") + caption("LL10") + caption("LLor"), QStringLiteral("09E"));
        QCOMPARE(caption("RL01") + caption("RL10") + caption("RLor"), QStringLiteral("90W"));
        QCOMPARE(m_editor->encodeZone(), text);
    }

    void digitAndHemisphereClicks()
    {
        open(withChars(defaultZoneText(5), 18, "59A"));
        click("TL02");
        QCOMPARE(caption("TL02") + caption("TL01"), QStringLiteral("05"));   // no carry
        click("TL03");
        QCOMPARE(caption("TL03"), QStringLiteral("1"));   // damaged: counts as 0
        for (int i = 0; i < 10; ++i)
            click("BL07");
        QCOMPARE(caption("BL07"), QStringLiteral("0"));
        QTest::keyClick(w("RL10"), Qt::Key_Space);
        QTest::keyClick(w("RL10"), Qt::Key_Return);
        QCOMPARE(caption("RL10"), QStringLiteral("2"));
        QString seen;
        for (const char *name : {"TLor", "TLor", "BLor", "LLor", "RLor", "RLor"}) {
            click(name);
            seen += caption(name);
        }
        QCOMPARE(seen, QStringLiteral("SNNEWE"));
        QCOMPARE(m_edited->count(), 2 + 10 + 2 + 6);

        open(withChars(defaultZoneText(5), 27, "X"));
        click("TLor");
        QCOMPARE(caption("TLor"), QStringLiteral("X"));
        QCOMPARE(m_edited->count(), 1);
    }

    void doubleClicks()
    {
        open(defaultZoneText(5));
        // Through the platform's window: press, release, press, release in
        // quick succession.
        for (const char *name : {"TL01", "LL04", "LL05"}) {
            QWidget *label = w(name);
            QTest::mouseDClick(m_editor->windowHandle(), Qt::LeftButton, {},
                               label->mapTo(m_editor, label->rect().center()));
        }
        QCOMPARE(caption("TL01") + caption("LL04") + caption("LL05"), QStringLiteral("112"));
    }

    void bankFollowsTheZone()
    {
        open(defaultZoneText(1));
        const QString text = m_editor->encodeZone();
        for (int k = 1; k <= 64; ++k)
            QCOMPARE(text.mid(11 * (k - 1), 11), QString::asprintf("005%03d%03d\r\n", 182 + k,
                                                                   valueOfLine(text, k)));
    }

    void closedOnceAndNoEditsWithoutUser()
    {
        const QString text = withChars(withValue(defaultZoneText(5), 1, 3), 2,
                                       QStringView(u"\u0000\r\u0081\u00ff", 4).toString());
        open(text);
        QSignalSpy closed(m_editor.data(), &ZoneEditor::closed);
        m_editor->activateWindow();
        QCoreApplication::processEvents();
        QCloseEvent first, second;
        QCoreApplication::sendEvent(m_editor, &first);
        QCoreApplication::sendEvent(m_editor, &second);
        m_editor->close();
        QTRY_VERIFY(m_editor.isNull());
        QCOMPARE(closed.count(), 1);
        QCOMPARE(closed.at(0).at(0).toInt(), 5);
        QCOMPARE(closed.at(0).at(1).toString(), text);   // control characters kept in the Cell-ID
        QCOMPARE(m_edited->count(), 0);
    }

    void malformedTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("shown");
        const QString zone = defaultZoneText(5);
        QTest::newRow("empty") << QString() << "SpeedBox" << "999 (1850.1 KM/H)";
        QTest::newRow("short") << zone.left(300) << "StopUTC" << "17:00:00";
        QTest::newRow("no number") << QString(zone).replace(17, 3, "abc") << "TextCid" << "~~~~";
        QTest::newRow("flag 300") << withValue(zone, 1, 300) << "Check01" << "";
        QTest::newRow("long lines") << QString(zone).replace("\r\n", "0\r\n") << "StartUTC"
                                    << "09:00:00";
    }
    void malformedTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QFETCH(QString, shown);
        open(text);
        if (field.startsWith("Check"))
            QVERIFY(!w<QCheckBox>(field)->isChecked());
        else
            QCOMPARE(box(field), shown);
        const QString stored = m_editor->encodeZone();
        QCOMPARE(stored.size(), ZoneTextLength);
        QVERIFY(QRegularExpression("^(005(18[3-9]|19\\d|2[0-3]\\d|24[0-6])\\d{3}\r\n){64}$")
                    .match(stored).hasMatch());
    }
};

QTEST_MAIN(TestZoneEditor)
#include "test_zoneeditor.moc"
