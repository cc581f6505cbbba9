// The serial settings file and the names of the COM ports.

#include "programmer/serialsettings.h"

#include "simunit.h"
#include "testenv.h"

#include <QtTest>

using namespace kvt::programmer;
using S = SerialSettings;

class SerialSettingsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestFolders> m_folders;

private slots:
    void init() { m_folders = std::make_unique<TestFolders>(); }
    void cleanup() { m_folders.reset(); }

    void readsLineByLine_data()
    {
        QTest::addColumn<QByteArray>("file");   // null: no file
        QTest::addColumn<SerialSettings>("expected");
        // Read over port 3, DTR off, RTS on, EOF on.
        QTest::newRow("missing file") << QByteArray() << S{3, false, true, true};
        QTest::newRow("all four lines") << QByteArray("1\r\n1\r\n0\r\n0\r\n") << S{1, true, false, false};
        QTest::newRow("port 7 keeps the port") << QByteArray("7\r\n1\r\n1\r\n1\r\n") << S{3, true, true, true};
        QTest::newRow("\"1 \", True, -1 are off") << QByteArray("2\r\n1 \r\nTrue\r\n-1") << S{2, false, false, false};
        QTest::newRow("two lines") << QByteArray("4\r\n1") << S{4, true, true, true};
        // The file edited with a Linux text editor.
        QTest::newRow("LF line ends") << QByteArray("2\n0\n0\n1\n") << S{2, false, false, true};
    }

    void readsLineByLine()
    {
        QFETCH(QByteArray, file);
        QFETCH(SerialSettings, expected);
        QCOMPARE(settingsFilePath(), m_folders->configFolder() + QStringLiteral("/MolbSerial.cfg"));
        if (!file.isNull())
            writeFile(settingsFilePath(), file);
        QCOMPARE(readSerialSettings(settingsFilePath(), S{3, false, true, true}), expected);
    }

    void writesFourCrLfLines()
    {
        QVERIFY(QDir(m_folders->configFolder()).removeRecursively());   // made when missing
        QVERIFY(writeSerialSettings(settingsFilePath(), S{2, true, true, false}));
        QCOMPARE(readFile(settingsFilePath()), QByteArray("2\r\n1\r\n1\r\n0\r\n"));
        const QString blocked = writeFile(m_folders->file(QStringLiteral("blocked")), "");
        QVERIFY(!writeSerialSettings(blocked + QStringLiteral("/MolbSerial.cfg"), S{}));
    }

    void portNamesMapToDevices()
    {
        const QString folder = m_folders->configFolder();
        QVERIFY(QFile::link(QStringLiteral("/dev/ttyACM0"), folder + QStringLiteral("/com1")));
        // A relative link is taken from the configuration folder.
        QVERIFY(QFile::link(QStringLiteral("dev/ttyUSB7"), folder + QStringLiteral("/com3")));
        const QList<std::pair<const char *, QString>> names{
            {"COM1", "/dev/ttyACM0"}, {"com1", "/dev/ttyACM0"}, {"COM2", "/dev/ttyS1"},
            {"COM3", folder + "/dev/ttyUSB7"}, {"/dev/ttyUSB0", "/dev/ttyUSB0"}, {"COM5", "COM5"}};
        for (const auto &[name, device] : names)
            QCOMPARE(portDevice(QLatin1String(name)), device);
    }
};

QTEST_GUILESS_MAIN(SerialSettingsTest)
#include "test_serialsettings.moc"
