// kvt-unit-sim on its own: its link and its options. How it answers shows in
// the engine's and the commands' tests.

#include "simunit.h"

#include <QtTest>

class UnitSimTest : public QObject {
    Q_OBJECT

private slots:
    void linksTheDeviceAndRefusesBadOptions()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("com1");
        QVERIFY(QFile::link("/dev/null", link));   // a link left behind is replaced
        SimUnit sim;
        QVERIFY(sim.start({"--link", link}));
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device());
        QVERIFY(sim.stop());
        QVERIFY(!QFileInfo(link).isSymLink());
        writeFile(link, "plain");   // anything else is left alone
        QCOMPARE(QProcess::execute(SimUnit::program(), {"--link", link}), 1);
        QCOMPARE(readFile(link), QByteArray("plain"));
        for (const QStringList &options : {QStringList{"--identifier", "ABC"}, {"--identifier", "ABCDEFG\u03a9"},
                                           {"--wrong-echo-at", "0"}, {"--delay", "4294967296"}, {"/dev/ttyS0"}})
            QCOMPARE(QProcess::execute(SimUnit::program(), options), 2);
    }
};

QTEST_GUILESS_MAIN(UnitSimTest)
#include "test_unitsim.moc"
