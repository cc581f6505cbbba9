// The main window as a screen reader and the keyboard see it.
#include "editor/mainwindow.h"
#include "scripteddialogs.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMultiHash>
#include <QTest>

using kvt::editor::MainWindow;

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

// The interface named `name` whose object is named `objectName` (any object
// when objectName is empty), with the role given.
QAccessibleInterface *find(const Tree &tree, const QString &name, const QString &objectName,
                           QAccessible::Role role)
{
    for (auto it = tree.find(name); it != tree.end() && it.key() == name; ++it) {
        QAccessibleInterface *iface = it.value();
        if (iface->role() != role)
            continue;
        if (objectName.isEmpty() || (iface->object() && iface->object()->objectName() == objectName))
            return iface;
    }
    return nullptr;
}

struct Expected {
    QString name;
    QString objectName;
    QAccessible::Role role;
};

QList<Expected> expectedControls()
{
    using R = QAccessible::Role;
    QList<Expected> list = {
        {"SIM Card PIN", "SimPin", R::EditableText},
        {"ISDN Recall number", "IsdnRecall", R::EditableText},
        {"TLA", "TempLA", R::EditableText},
        {"THA", "TempHA", R::EditableText},
        {"Tracking counter", "TrackSeqText", R::EditableText},
        {"RTC Interval unit", "RtcIntUnit", R::EditableText},
        {"RTC Interval counter", "RtcIntCounter", R::EditableText},
        {"SMS Catch Alert Timer", "SmsCatchText", R::EditableText},
        {"Decrease THA", "Command1", R::Button},
        {"Increase THA", "Command2", R::Button},
        {"Decrease TLA", "Command3", R::Button},
        {"Increase TLA", "Command4", R::Button},
        {"Decrease Tracking counter", "Command5", R::Button},
        {"Increase Tracking counter", "Command6", R::Button},
        {"Decrease SMS Catch Alert Timer", "Command7", R::Button},
        {"Increase SMS Catch Alert Timer", "Command8", R::Button},
        {"Increase RTC Interval counter", "Command13", R::Button},
        {"Decrease RTC Interval counter", "Command14", R::Button},
        {"Increase RTC Interval unit", "Command15", R::Button},
        {"Decrease RTC Interval unit", "Command16", R::Button},
        {"APN", "Apn", R::EditableText},
        {"String Length", "FormatLen", R::EditableText},
        {"IP", "Ip", R::EditableText},
        {"Login", "Login", R::EditableText},
        {"Password", "Password", R::EditableText},
        {"DNS 1", "Dns1", R::EditableText},
        {"DNS 2", "Dns2", R::EditableText},
        {"FTP Server", "FtpServer", R::EditableText},
        {"FTP Username", "FtpUsername", R::EditableText},
        {"FTP Password", "FtpPassword", R::EditableText},
        {"FTP Subdirectory", "FtpSubDirectory", R::EditableText},
        {"Trial", "Trial", R::EditableText},
        {"Port", "Port", R::EditableText},
        {"Mode", "Mode", R::EditableText},
        {"Tmr1", "Tmr1", R::EditableText},
        {"Tmr2", "Tmr2", R::EditableText},
        {"Formatted string (255 characters max)", "GprsFormat", R::EditableText},
        {"Device parameters", "Frame1", R::Grouping},
        {"Configuration registers", "Frame2", R::Grouping},
        {"LOG memory configuration - (N/A)", "Frame3", R::Grouping},
        {"GPRS parameters", "Frame4", R::Grouping},
        {"Battery ID notification on product startup", "Check1", R::CheckBox},
        {"Enable Led  indication", "Check12", R::CheckBox},
        {"Reserved", "Check16", R::CheckBox},
        {"Store GPS UTC time", "Check17", R::CheckBox},
        {"Store GPS Speed (in knots)", "Check25", R::CheckBox},
        {"Add a Line feed character", "Check30", R::CheckBox},
        {"Reserved", "Check31", R::CheckBox},
        {"Reserved", "Check32", R::CheckBox},
        {"File", "", R::MenuItem},
        {"Open configuration file...", "FileOpen", R::MenuItem},
        {"Save configuration file as...", "FileSave", R::MenuItem},
        {"Exit", "FileExit", R::MenuItem},
        {"Geofencing", "", R::MenuItem},
        {"Zone 01 to 32...", "", R::MenuItem},
        {"Zone 33 to 64...", "", R::MenuItem},
        {"Programmer", "", R::MenuItem},
        {"Run KVT Programmer...", "WriteDevice", R::MenuItem},
    };
    for (int n = 1; n <= 64; ++n) {
        list.append({QStringLiteral("Zone %1 (%2h)")
                         .arg(n, 2, 10, QLatin1Char('0'))
                         .arg(QString::number(n, 16).toUpper().rightJustified(2, '0')),
                     n == 7 ? QStringLiteral("Z7")
                            : QStringLiteral("Z%1").arg(n, 2, 10, QLatin1Char('0')),
                     R::MenuItem});
    }
    return list;
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
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Tree tree;
        collect(QAccessible::queryAccessibleInterface(&w), tree);
        for (const Expected &e : expectedControls()) {
            QVERIFY2(find(tree, e.name, e.objectName, e.role),
                     qPrintable(e.name + QStringLiteral(" / ") + e.objectName));
        }
        // Every check box is named by its caption.
        for (int n = 1; n <= 32; ++n) {
            auto *box = w.findChild<QWidget *>(QStringLiteral("Check%1").arg(n));
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(box);
            QVERIFY(!iface->text(QAccessible::Name).isEmpty());
            QCOMPARE(iface->text(QAccessible::Name), box->property("text").toString());
        }
        // A value box speaks its value and is read-only.
        QAccessibleInterface *tha = find(tree, "THA", "TempHA", QAccessible::EditableText);
        QCOMPARE(tha->text(QAccessible::Value), QStringLiteral("+125\u00B0C"));
        QVERIFY(tha->state().readOnly);
    }

    void theLogCaptionIsSpokenAsItChanges()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        auto *frame = w.findChild<QWidget *>(QStringLiteral("Frame3"));
        w.findChild<QAbstractButton *>(QStringLiteral("Check17"))->click();
        QCOMPARE(QAccessible::queryAccessibleInterface(frame)->text(QAccessible::Name),
                 QStringLiteral("LOG memory configuration (5450)"));
    }

    void tabWalksTheWindowInReadingOrder()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget *first = w.findChild<QWidget *>(QStringLiteral("SimPin"));
        first->setFocus(Qt::TabFocusReason);
        QStringList order{first->objectName()};
        for (int i = 0; i < 200; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *now = QApplication::focusWidget();
            if (now == first)
                break;
            order << now->objectName();
        }
        QStringList expected = {
            "SimPin", "IsdnRecall", "TempLA", "Command3", "Command4", "TempHA", "Command1",
            "Command2", "TrackSeqText", "Command5", "Command6", "RtcIntUnit", "Command16",
            "Command15", "RtcIntCounter", "Command14", "Command13", "SmsCatchText", "Command7",
            "Command8"};
        for (int n = 1; n <= 32; ++n)
            expected << QStringLiteral("Check%1").arg(n);
        expected << QStringList{"Apn", "FormatLen", "Ip", "Login", "Password", "Dns1", "Dns2",
                                "FtpServer", "FtpUsername", "FtpPassword", "FtpSubDirectory",
                                "Trial", "Port", "Mode", "Tmr1", "Tmr2", "GprsFormat"};
        QCOMPARE(order, expected);
    }

    void f10OpensTheMenuBar()
    {
        ScriptedDialogs d;
        MainWindow w(d);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto *file = w.findChild<QMenu *>(QStringLiteral("FileMenu"));
        QTest::keyClick(&w, Qt::Key_F10);
        QTRY_VERIFY(file->isVisible());
        QCOMPARE(w.menuBar()->activeAction(), file->menuAction());
        file->close();
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
