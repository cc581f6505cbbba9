// The zone editor opened from the main window's Geofencing menu: what it
// does to the document and to the modified flag.
#include "editor/mainwindow.h"
#include "image/charset.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "scripteddialogs.h"
#include "testenv.h"
#include "zones/zoneeditor.h"
#include "zones/zonerecord.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace kvt;

class TestZoneMenu : public QObject
{
    Q_OBJECT

    TestFolders m_folders;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<editor::MainWindow> m_main;

    zones::ZoneEditor *openZone(int zone)
    {
        const QString item = zone == 7 ? QStringLiteral("Z7") : QString::asprintf("Z%02d", zone);
        m_main->findChild<QAction *>(item)->trigger();
        return m_main->findChild<zones::ZoneEditor *>();
    }
    // Closes the editor and waits for its zone to be back in the document.
    bool closeZone(zones::ZoneEditor *zoneEditor)
    {
        zoneEditor->close();
        return QTest::qWaitFor([this] {
            return m_main->isEnabled() && !m_main->findChild<zones::ZoneEditor *>()
                && !m_main->findChild<QTimer *>(QStringLiteral("Timer1"))->isActive();
        });
    }
    static void click(zones::ZoneEditor *zoneEditor, const char *name)
    {
        QTest::mouseClick(zoneEditor->findChild<QAbstractButton *>(name), Qt::LeftButton);
    }

private slots:
    void init()
    {
        m_main = std::make_unique<editor::MainWindow>(m_dialogs);
        m_main->show();
    }
    void cleanup() { m_main.reset(); }

    void editorTakesOverTheWindow()
    {
        zones::ZoneEditor *zoneEditor = openZone(7);
        QVERIFY(zoneEditor);
        QCOMPARE(zoneEditor->windowTitle(),
                 QStringLiteral("ZONE 07 - GPS/CELL-ID Geofencing database configuration"));
        QVERIFY(!m_main->isEnabled());
        QVERIFY(zoneEditor->isEnabled());
        click(zoneEditor, "TL01");
        QVERIFY(closeZone(zoneEditor));
        QCOMPARE(m_main->document().zoneTexts[6].mid(17 * 11, 9), QStringLiteral("007200049"));
    }

    void modifiedOnlyByEdits()
    {
        QVERIFY(closeZone(openZone(1)));
        QVERIFY(!m_main->isModified());
        zones::ZoneEditor *zoneEditor = openZone(2);
        click(zoneEditor, "Option11");
        QVERIFY(m_main->isModified());
        QVERIFY(closeZone(zoneEditor));
        QVERIFY(closeZone(openZone(3)));
        QVERIFY(m_main->isModified());
    }

    void zone64TouchesOnlyItsEntry()
    {
        const auto before = m_main->document().zoneTexts;
        zones::ZoneEditor *zoneEditor = openZone(64);
        click(zoneEditor, "LL05");
        QVERIFY(closeZone(zoneEditor));
        const auto after = m_main->document().zoneTexts;
        for (int i = 0; i < 63; ++i)
            QCOMPARE(after[i], before[i]);
        QCOMPARE(after[63], QString(before[63]).replace(41 * 11, 9, QStringLiteral("064224049")));
    }

    void openingAndClosingEveryZoneKeepsTheFile()
    {
        // Well-formed zones of every kind of content, in a saved file.
        QRandomGenerator random(2024);
        image::Document doc = image::startupDocument();
        auto chars = [&random](int count, QStringView from) {
            QString text;
            for (int i = 0; i < count; ++i)
                text += from.at(random.bounded(int(from.size())));
            return text;
        };
        QString anyChar;
        for (int code = 0; code < 256; ++code)
            anyChar += image::charFromCode(code);
        for (int zone = 1; zone <= image::ZoneCount; ++zone) {
            zones::ZoneRecord r;
            r.cellIdFlags = random.bounded(256);
            r.gpsFlags = random.bounded(256);
            r.cellId = chars(4, anyChar);
            r.speedLimit = chars(3, u"0123456789");
            r.startTime = chars(4, anyChar);
            r.stopTime = chars(4, u"0123456789");
            r.topLatitude = {chars(9, anyChar), chars(1, u"NSX").at(0)};
            r.bottomLatitude = {chars(9, u"0123456789"), chars(1, u"NS").at(0)};
            r.leftLongitude = {chars(10, anyChar), chars(1, u"EW").at(0)};
            r.rightLongitude = {chars(10, u"0123456789"), chars(1, u"EW?").at(0)};
            r.alertOptions = zones::alertOptionsFor(zones::Area(random.bounded(9)), random.bounded(2));
            doc.zoneTexts[zone - 1] = r.toZoneText(zone);
        }
        const QString original = m_folders.file("zones.kvt"), saved = m_folders.file("saved.kvt");
        QVERIFY(image::writeConfigurationFile(original, image::encodeParameters(doc)));
        m_dialogs.fileAnswers = {original, saved};
        m_main->openDocument();
        QCOMPARE(m_main->document().zoneTexts, doc.zoneTexts);

        for (int zone = 1; zone <= image::ZoneCount; ++zone)
            QVERIFY(closeZone(openZone(zone)));
        QVERIFY(!m_main->isModified());
        m_main->saveDocument();
        QFile a(original), b(saved);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), a.readAll());
    }
};

QTEST_MAIN(TestZoneMenu)
#include "test_zoneeditor_menu.moc"
