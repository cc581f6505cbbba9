// The serial settings file and the names of the COM ports.

#include "programmer/serialsettings.h"

#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace kvt::programmer;

class SerialSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_folders = std::make_unique<TestFolders>(); }
    void cleanup() { m_folders.reset(); }

    void livesInTheConfigurationFolder();
    void missingFileChangesNothing();
    void roundTripWritesFourCrLfLines();
    void readsLineByLine_data();
    void readsLineByLine();
    void writeFailsQuietly();
    void portNamesMapToDevices();

private:
    QString writeSettings(const QByteArray &bytes)
    {
        QFile file(settingsFilePath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write the settings file");
        file.write(bytes);
        return file.fileName();
    }

    std::unique_ptr<TestFolders> m_folders;
};

void SerialSettingsTest::livesInTheConfigurationFolder()
{
    QCOMPARE(configFolder(), m_folders->configFolder());
    QCOMPARE(settingsFilePath(), m_folders->configFolder() + QStringLiteral("/MolbSerial.cfg"));
}

void SerialSettingsTest::missingFileChangesNothing()
{
    SerialSettings current;
    current.port = 4;
    current.dtr = false;
    current.eof = true;
    QCOMPARE(readSerialSettings(settingsFilePath(), current), current);
    QCOMPARE(readSerialSettings(settingsFilePath(), SerialSettings{}), SerialSettings{});
}

void SerialSettingsTest::roundTripWritesFourCrLfLines()
{
    const SerialSettings chosen{2, true, true, false};
    QVERIFY(writeSerialSettings(settingsFilePath(), chosen));
    QFile file(settingsFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("2\r\n1\r\n1\r\n0\r\n"));
    QCOMPARE(readSerialSettings(settingsFilePath(), SerialSettings{}), chosen);

    const SerialSettings other{4, false, true, true};
    QVERIFY(writeSerialSettings(settingsFilePath(), other));
    QCOMPARE(readSerialSettings(settingsFilePath(), SerialSettings{}), other);

    // The folder is made when it is missing.
    QDir(m_folders->configFolder()).removeRecursively();
    QVERIFY(writeSerialSettings(settingsFilePath(), chosen));
    QCOMPARE(readSerialSettings(settingsFilePath(), SerialSettings{}), chosen);
}

void SerialSettingsTest::readsLineByLine_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<SerialSettings>("expected");
    // Read over port 3, DTR off, RTS on, EOF on.
    QTest::newRow("all four lines") << QByteArray("1\r\n1\r\n0\r\n0\r\n") << SerialSettings{1, true, false, false};
    QTest::newRow("port 7 keeps the port") << QByteArray("7\r\n1\r\n1\r\n1\r\n") << SerialSettings{3, true, true, true};
    QTest::newRow("trailing blank and True are off") << QByteArray("2\r\n1 \r\nTrue\r\n-1\r\n")
                                                     << SerialSettings{2, false, false, false};
    QTest::newRow("port with blank kept") << QByteArray("2 \r\n1\r\n0\r\n0\r\n") << SerialSettings{3, true, false, false};
    QTest::newRow("two lines") << QByteArray("4\r\n1\r\n") << SerialSettings{4, true, true, true};
    QTest::newRow("two lines, no last line end") << QByteArray("4\r\n1") << SerialSettings{4, true, true, true};
    QTest::newRow("empty file") << QByteArray() << SerialSettings{3, false, true, true};
    QTest::newRow("lone CR ends a line") << QByteArray("2\r0\r0\r1\r") << SerialSettings{2, false, false, true};
    QTest::newRow("lone LF stays in the line") << QByteArray("2\n\r\n1\r\n1\r\n1\r\n")
                                               << SerialSettings{3, true, true, true};
}

void SerialSettingsTest::readsLineByLine()
{
    QFETCH(QByteArray, file);
    QFETCH(SerialSettings, expected);
    writeSettings(file);
    QCOMPARE(readSerialSettings(settingsFilePath(), SerialSettings{3, false, true, true}), expected);
}

void SerialSettingsTest::writeFailsQuietly()
{
    // A plain file where the folder should be.
    const QString blocked = m_folders->file(QStringLiteral("blocked"));
    QFile file(blocked);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(!writeSerialSettings(blocked + QStringLiteral("/MolbSerial.cfg"), SerialSettings{}));

    // A failed write leaves the earlier file as it was.
    QVERIFY(writeSerialSettings(settingsFilePath(), SerialSettings{2, true, false, false}));
    QFile::setPermissions(m_folders->configFolder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool written = writeSerialSettings(settingsFilePath(), SerialSettings{4, false, false, false});
    QFile::setPermissions(m_folders->configFolder(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!written)
        QCOMPARE(readSerialSettings(settingsFilePath(), SerialSettings{}), (SerialSettings{2, true, false, false}));
}

void SerialSettingsTest::portNamesMapToDevices()
{
    QCOMPARE(portName(1), QStringLiteral("COM1"));
    QCOMPARE(portName(4), QStringLiteral("COM4"));

    QCOMPARE(portDevice(QStringLiteral("COM1")), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(portDevice(QStringLiteral("COM4")), QStringLiteral("/dev/ttyS3"));
    QCOMPARE(portDevice(QStringLiteral("/dev/ttyUSB0")), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(portDevice(QStringLiteral("COM5")), QStringLiteral("COM5"));
    QCOMPARE(portDevice(QStringLiteral("COM10")), QStringLiteral("COM10"));

    const QString folder = m_folders->configFolder();
    QVERIFY(QFile::link(QStringLiteral("/dev/ttyACM0"), folder + QStringLiteral("/com1")));
    QCOMPARE(portDevice(QStringLiteral("COM1")), QStringLiteral("/dev/ttyACM0"));
    QCOMPARE(portDevice(QStringLiteral("com1")), QStringLiteral("/dev/ttyACM0"));
    QCOMPARE(portDevice(QStringLiteral("COM2")), QStringLiteral("/dev/ttyS1"));

    // A relative link is taken from the configuration folder.
    QVERIFY(QDir(folder).mkpath(QStringLiteral("dev")));
    QVERIFY(QFile::link(QStringLiteral("dev/ttyUSB7"), folder + QStringLiteral("/com3")));
    QCOMPARE(portDevice(QStringLiteral("COM3")), folder + QStringLiteral("/dev/ttyUSB7"));
}

QTEST_GUILESS_MAIN(SerialSettingsTest)
#include "test_serialsettings.moc"
