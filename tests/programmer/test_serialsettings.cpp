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

    void readsLineByLine_data();
    void readsLineByLine();
    void writesFourCrLfLinesAtomically();
    void portNamesMapToDevices();

private:
    std::unique_ptr<TestFolders> m_folders;
};

void SerialSettingsTest::readsLineByLine_data()
{
    QTest::addColumn<QByteArray>("file");   // null: no file
    QTest::addColumn<SerialSettings>("expected");
    // Read over port 3, DTR off, RTS on, EOF on.
    QTest::newRow("missing file") << QByteArray() << SerialSettings{3, false, true, true};
    QTest::newRow("empty file") << QByteArray("") << SerialSettings{3, false, true, true};
    QTest::newRow("all four lines") << QByteArray("1\r\n1\r\n0\r\n0\r\n") << SerialSettings{1, true, false, false};
    QTest::newRow("port 7 keeps the port") << QByteArray("7\r\n1\r\n1\r\n1\r\n") << SerialSettings{3, true, true, true};
    QTest::newRow("trailing blank and True are off") << QByteArray("2\r\n1 \r\nTrue\r\n-1\r\n")
                                                     << SerialSettings{2, false, false, false};
    QTest::newRow("port with blank kept") << QByteArray("2 \r\n1\r\n0\r\n0\r\n") << SerialSettings{3, true, false, false};
    QTest::newRow("two lines") << QByteArray("4\r\n1\r\n") << SerialSettings{4, true, true, true};
    QTest::newRow("two lines, no last line end") << QByteArray("4\r\n1") << SerialSettings{4, true, true, true};
    QTest::newRow("lone CR ends a line") << QByteArray("2\r0\r0\r1\r") << SerialSettings{2, false, false, true};
    // The file edited with a Linux text editor.
    QTest::newRow("lone LF ends a line") << QByteArray("2\n0\n0\n1\n") << SerialSettings{2, false, false, true};
    QTest::newRow("LF CR is two line ends") << QByteArray("4\n\r1\r\n") << SerialSettings{4, false, true, true};
}

void SerialSettingsTest::readsLineByLine()
{
    QFETCH(QByteArray, file);
    QFETCH(SerialSettings, expected);
    QCOMPARE(settingsFilePath(), m_folders->configFolder() + QStringLiteral("/MolbSerial.cfg"));
    if (!file.isNull()) {
        QFile out(settingsFilePath());
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
    }
    QCOMPARE(readSerialSettings(settingsFilePath(), SerialSettings{3, false, true, true}), expected);
}

void SerialSettingsTest::writesFourCrLfLinesAtomically()
{
    // The configuration folder is made when it is missing.
    QVERIFY(QDir(m_folders->configFolder()).removeRecursively());
    const SerialSettings chosen{2, true, true, false};
    QVERIFY(writeSerialSettings(settingsFilePath(), chosen));
    QFile file(settingsFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("2\r\n1\r\n1\r\n0\r\n"));
    QCOMPARE(readSerialSettings(settingsFilePath(), SerialSettings{}), chosen);
    const SerialSettings other{4, false, true, true};
    QVERIFY(writeSerialSettings(settingsFilePath(), other));
    QCOMPARE(readSerialSettings(settingsFilePath(), SerialSettings{}), other);

    // A plain file where the folder should be.
    const QString blocked = m_folders->file(QStringLiteral("blocked"));
    QVERIFY(QFile(blocked).open(QIODevice::WriteOnly));
    QVERIFY(!writeSerialSettings(blocked + QStringLiteral("/MolbSerial.cfg"), SerialSettings{}));

    // A failed write leaves the earlier file as it was.
    QFile::setPermissions(m_folders->configFolder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool written = writeSerialSettings(settingsFilePath(), SerialSettings{1, false, false, false});
    QFile::setPermissions(m_folders->configFolder(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!written)   // root writes anyway
        QCOMPARE(readSerialSettings(settingsFilePath(), SerialSettings{}), other);
}

void SerialSettingsTest::portNamesMapToDevices()
{
    QCOMPARE(portName(4), QStringLiteral("COM4"));
    QCOMPARE(portDevice(QStringLiteral("COM1")), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(portDevice(QStringLiteral("COM4")), QStringLiteral("/dev/ttyS3"));
    for (const char *other : {"/dev/ttyUSB0", "COM5", "COM10"})
        QCOMPARE(portDevice(QLatin1String(other)), QLatin1String(other));

    const QString folder = m_folders->configFolder();
    QVERIFY(QDir(folder).mkpath(QStringLiteral("dev")));
    QVERIFY(QFile::link(QStringLiteral("/dev/ttyACM0"), folder + QStringLiteral("/com1")));
    QCOMPARE(portDevice(QStringLiteral("COM1")), QStringLiteral("/dev/ttyACM0"));
    QCOMPARE(portDevice(QStringLiteral("com1")), QStringLiteral("/dev/ttyACM0"));
    QCOMPARE(portDevice(QStringLiteral("COM2")), QStringLiteral("/dev/ttyS1"));
    // A relative link is taken from the configuration folder.
    QVERIFY(QFile::link(QStringLiteral("dev/ttyUSB7"), folder + QStringLiteral("/com3")));
    QCOMPARE(portDevice(QStringLiteral("COM3")), folder + QStringLiteral("/dev/ttyUSB7"));
}

QTEST_GUILESS_MAIN(SerialSettingsTest)
#include "test_serialsettings.moc"
