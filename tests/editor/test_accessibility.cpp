// The main window as a screen reader and the keyboard see it.
#include "editor/mainwindow.h"
#include "scripteddialogs.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMultiHash>
#include <QTest>

using kvt::editor::MainWindow;
using Role = QAccessible::Role;

namespace {

using Tree = QMultiHash<QString, QAccessibleInterface *>;

void collect(QAccessibleInterface *iface, Tree &tree, int depth = 0)
{
    if (!iface || depth > 40)
        return;
    tree.insert(iface->text(QAccessible::Name), iface);
    for (int i = 0; i < iface->childCount(); ++i)
        collect(iface->child(i), tree, depth + 1);
}

// Is there a node called `name`, with this role, standing for the object
// called `objectName` (any object when that is empty)?
bool has(const Tree &tree, const QString &name, const QString &objectName, Role role)
{
    for (QAccessibleInterface *iface : tree.values(name)) {
        if (iface->role() == role
            && (objectName.isEmpty() || (iface->object() && iface->object()->objectName() == objectName)))
            return true;
    }
    return false;
}

Role roleOf(const QString &objectName)
{
    if (objectName.startsWith("Command"))
        return Role::Button;
    if (objectName.startsWith("Check"))
        return Role::CheckBox;
    if (objectName.startsWith("Frame"))
        return Role::Grouping;
    if (objectName.startsWith("Z") || objectName.startsWith("File") || objectName.isEmpty()
        || objectName == "WriteDevice")
        return Role::MenuItem;
    return Role::EditableText;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void everyControlIsFoundByName()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        w.show();
        Tree tree;
        collect(QAccessible::queryAccessibleInterface(&w), tree);
        QList<std::pair<QString, QString>> expected = {
            {"SIM Card PIN", "SimPin"}, {"ISDN Recall number", "IsdnRecall"}, {"TLA", "TempLA"},
            {"THA", "TempHA"}, {"Tracking counter", "TrackSeqText"},
            {"RTC Interval unit", "RtcIntUnit"}, {"RTC Interval counter", "RtcIntCounter"},
            {"SMS Catch Alert Timer", "SmsCatchText"}, {"APN", "Apn"},
            {"String Length", "FormatLen"}, {"IP", "Ip"}, {"Login", "Login"},
            {"Password", "Password"}, {"DNS 1", "Dns1"}, {"DNS 2", "Dns2"},
            {"FTP Server", "FtpServer"}, {"FTP Username", "FtpUsername"},
            {"FTP Password", "FtpPassword"}, {"FTP Subdirectory", "FtpSubDirectory"},
            {"Trial", "Trial"}, {"Port", "Port"}, {"Mode", "Mode"}, {"Tmr1", "Tmr1"},
            {"Tmr2", "Tmr2"}, {"Formatted string (255 characters max)", "GprsFormat"},
            {"Device parameters", "Frame1"}, {"Configuration registers", "Frame2"},
            {"LOG memory configuration - (N/A)", "Frame3"}, {"GPRS parameters", "Frame4"},
            {"Battery ID notification on product startup", "Check1"},
            {"Enable Led  indication", "Check12"}, {"Reserved", "Check16"},
            {"Store GPS UTC time", "Check17"}, {"Add a Line feed character", "Check30"},
            {"Reserved", "Check32"}, {"File", ""}, {"Open configuration file...", "FileOpen"},
            {"Save configuration file as...", "FileSave"}, {"Exit", "FileExit"},
            {"Geofencing", ""}, {"Zone 01 to 32...", ""}, {"Zone 33 to 64...", ""},
            {"Programmer", ""}, {"Run KVT Programmer...", "WriteDevice"},
        };
        const QList<std::tuple<QString, int, int>> steps = {
            {"THA", 1, 2}, {"TLA", 3, 4}, {"Tracking counter", 5, 6},
            {"SMS Catch Alert Timer", 7, 8}, {"RTC Interval counter", 14, 13},
            {"RTC Interval unit", 16, 15}};
        for (const auto &[label, down, up] : steps) {
            expected.append({"Decrease " + label, QStringLiteral("Command%1").arg(down)});
            expected.append({"Increase " + label, QStringLiteral("Command%1").arg(up)});
        }
        const QString hex = QStringLiteral("0123456789ABCDEF");
        for (int n = 1; n <= 64; ++n) {
            const QString nn = QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
            expected.append({QStringLiteral("Zone %1 (%2%3h)").arg(nn).arg(hex[n / 16]).arg(hex[n % 16]),
                             n == 7 ? QStringLiteral("Z7") : "Z" + nn});
        }
        for (const auto &[name, objectName] : expected)
            QVERIFY2(has(tree, name, objectName, roleOf(objectName)), qPrintable(name + " " + objectName));

        // Zones 1..32 in the first submenu, 33..64 in the second.
        QCOMPARE(w.findChild<QMenu *>("Bnk01")->actions().last()->objectName(), QStringLiteral("Z32"));
        QCOMPARE(w.findChild<QMenu *>("Bnk02")->actions().first()->objectName(), QStringLiteral("Z33"));
        // A value box speaks its value and is read-only; the LOG frame its current caption.
        QAccessibleInterface *tha = QAccessible::queryAccessibleInterface(w.findChild<QWidget *>("TempHA"));
        QCOMPARE(tha->text(QAccessible::Value), QStringLiteral("+125\u00B0C"));
        QVERIFY(tha->state().readOnly);
        w.findChild<QAbstractButton *>("Check17")->click();
        QCOMPARE(QAccessible::queryAccessibleInterface(w.findChild<QWidget *>("Frame3"))->text(QAccessible::Name),
                 QStringLiteral("LOG memory configuration (5450)"));
    }

    void keyboardReachesEveryControlInReadingOrder()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget *first = w.findChild<QWidget *>("SimPin");
        first->setFocus(Qt::TabFocusReason);
        QStringList order{first->objectName()};
        for (int i = 0; i < 200; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (QApplication::focusWidget() == first)
                break;
            order << QApplication::focusWidget()->objectName();
        }
        QStringList expected = QStringLiteral(
            "SimPin IsdnRecall TempLA Command3 Command4 TempHA Command1 Command2 TrackSeqText "
            "Command5 Command6 RtcIntUnit Command16 Command15 RtcIntCounter Command14 Command13 "
            "SmsCatchText Command7 Command8").split(' ');
        for (int n = 1; n <= 32; ++n)
            expected << QStringLiteral("Check%1").arg(n);
        expected << QStringLiteral("Apn FormatLen Ip Login Password Dns1 Dns2 FtpServer FtpUsername "
                                   "FtpPassword FtpSubDirectory Trial Port Mode Tmr1 Tmr2 GprsFormat")
                        .split(' ');
        QCOMPARE(order, expected);

        // Ctrl+O and Ctrl+S show the file dialog (cancelled here).
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(d.fileFilters.size(), 2);

        // F10 opens the menu bar; Alt and a menu's first letter open that menu.
        auto *file = w.findChild<QMenu *>("FileMenu");
        QTest::keyClick(&w, Qt::Key_F10);
        QTRY_VERIFY(file->isVisible());
        file->close();
        for (const auto &[key, menuName] : {std::pair{Qt::Key_F, "FileMenu"},
                                            {Qt::Key_G, "GeoMenu"}, {Qt::Key_P, "ProgMenu"}}) {
            auto *menu = w.findChild<QMenu *>(menuName);
            QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
            QTRY_VERIFY2(menu->isVisible(), menuName);
            menu->close();
            QTRY_VERIFY(!menu->isVisible());
        }
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
