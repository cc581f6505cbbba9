// The zone editor driven like a user would, each family of controls shown bound to the stored zone.
#include "image/charset.h"
#include "image/zonerecord.h"
#include "ui/windowfit.h"
#include "zones/zoneeditor.h"

#include <QtTest>
#include <QtWidgets>

using namespace kvt::zones;
using namespace kvt::image;

// The codes of `chars` into lines first, first + 1, ...
static QString withChars(QString text, int first, const QString &chars)
{
    for (int i = 0; i < chars.size(); ++i)
        text.replace(11 * (first + i - 1) + 6, 3, QString::asprintf("%03d", charCode(chars[i])));
    return text;
}
// The characters whose codes lines first .. first + count - 1 of a zone text hold.
static QString charsAt(const QString &zoneText, int first, int count = 1)
{
    QString chars;
    for (int k = first; k < first + count; ++k)
        chars += charFromCode(zoneText.mid(11 * (k - 1) + 6, 3).toInt());
    return chars;
}
// What a control shows: a box its text, a coordinate label its caption, a check or option box 1 or 0.
static QString shownBy(QWidget *control)
{
    if (auto *box = qobject_cast<QLineEdit *>(control))
        return box->text();
    auto *button = qobject_cast<QAbstractButton *>(control);
    return button->isCheckable() ? QString::number(button->isChecked()) : button->accessibleDescription();
}
// The smallest rectangle holding the light (or else the black) pixels of `image` within `area`.
static QRect inkOf(const QImage &image, bool light, const QRect &area)
{
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (light ? qGray(image.pixel(x, y)) > 128 : qGray(image.pixel(x, y)) < 40)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

class TestZoneEditor : public QObject {
    Q_OBJECT

    QPointer<ZoneEditor> m_editor;
    std::unique_ptr<QSignalSpy> m_edited;

    static QString nameOf(QWidget *c) { return QAccessible::queryAccessibleInterface(c)->text(QAccessible::Name); }
    static QImage rgb(const QPixmap &pixmap) { return pixmap.toImage().convertToFormat(QImage::Format_RGB32); }
    static QImage shot(QWidget *c) { return rgb(c->grab()); } // as it paints itself

    // Opened from `owner`, the editor fits the screen the owner is on.
    void open(const QString &text, int zone = 5, QWidget *owner = nullptr)
    {
        delete m_editor;
        m_editor = new ZoneEditor(zone, text, owner);
        m_edited = std::make_unique<QSignalSpy>(m_editor.data(), &ZoneEditor::edited);
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowActive(m_editor));
    }
    template <class T = QAbstractButton> T *w(const QString &name) { return m_editor->findChild<T *>(name); }
    QString encoded(int line, int count = 1) { return charsAt(m_editor->encodeZone(), line, count); }
    // Near the left edge: check and option boxes take clicks on indicator and text only.
    void click(QWidget *control) { QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2)); }
    // The nine shapes: exactly `on` in the colour of the region without alert.
    void checkMap(const QString &on)
    {
        for (int a = 0; a < AreaCount; ++a)
            QCOMPARE(w<QWidget>(areaShapeName(Area(a)))->palette().color(QPalette::Window),
                     areaShapeName(Area(a)) == on ? QColor(0, 64, 0) : QColor(128, 0, 0));
    }
    // The four coordinate rows as shown, left to right.
    QString rows()
    {
        QStringList shown;
        for (const char *prefix : {"TL", "BL", "LL", "RL"}) {
            QMap<int, QString> parts; // by place
            for (QWidget *part : w(prefix + QStringLiteral("01"))->parentWidget()->findChildren<QWidget *>())
                parts[part->x()] = qobject_cast<QLabel *>(part) ? nameOf(part) : part->accessibleDescription();
            shown << parts.values().join(QString());
        }
        return shown.join(' ');
    }

public:
    // Three screens: the window stands wide on the first, narrow on the second and scrolls on the third.
    static void initMain()
    {
        static QTemporaryFile screens;
        screens.open();
        screens.write(R"({"screens": [{"name": "wide", "width": 1600, "height": 1200}, {"name": "narrow", "x": 1600,
            "width": 800, "height": 800}, {"name": "small", "x": 2400, "width": 640, "height": 480}]})");
        screens.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    }

private slots:
    // Titles, captions and the names a screen reader speaks; the default zone as shown; a zone of another bank
    // comes back as one of its own. The map on the same window. Stored zones as shown, which is no change. A
    // coordinate label's colours.
    void captionsMapAndStoredZones()
    {
        open(defaultZoneText(1), 7);
        QCOMPARE(m_editor->objectName() + '|' + m_editor->windowTitle() + '|' + w<QLabel>("Label5")->text(),
                 "Geofencing|ZONE 07 - GPS/CELL-ID Geofencing database configuration|ZONE 07");
        QStringList frames; // each frame's title, then the names of what stands in it but coordinate labels
        for (QGroupBox *frame : m_editor->findChildren<QGroupBox *>()) {
            frames << frame->title() + ":";
            for (QWidget *control : frame->findChildren<QWidget *>()) {
                auto *push = qobject_cast<QPushButton *>(control); // its caption and tooltip too
                if (!nameOf(control).isEmpty() && control->accessibleDescription().isEmpty()) // no coordinate label
                    frames.last() += nameOf(control) + (push ? " " + push->text() + " " + push->toolTip() : "") + '|';
            }
        }
        // In Setup, each value's label, its box, then its step buttons by name, caption and tooltip.
        const QString field = "%1|%1|Decrease %1%2 < Decrease %1%2|Decrease %1%3 << Decrease %1%3|"
                              "Increase %1%3 >> Increase %1%3|Increase %1%2 > Increase %1%2|";
        QCOMPARE(
            frames.join('\n'),
            QStringLiteral("GPS Area:GPS Area|SQUARE AREA|NORTH ZONE|N/E ZONE|EAST ZONE|S/E ZONE|SOUTH ZONE|S/W ZONE|"
                           "WEST ZONE|N/W ZONE|,|TOP LINE LATITUDE|,|BOTTOM LINE LATITUDE|,|LEFT LINE LONGITUDE|,|"
                           "RIGHT LINE LONGITUDE|\n"
                           "Cell-ID:Enable Cell-ID geofencing|Alert if attached to Cell-ID|Reserved|Reserved|Reserved|"
                           "Reserved|Reserved|Reserved|\n"
                           "GPS:Enable GPS geofencing|Enable Position fix check|Enable Time check|Enable Speed check|"
                           "Process if inside Time|Reserved|Reserved|Reserved|\nSetup:%1%2%3Cell-ID|Cell-ID|\n"
                           "Square Area - no alert if:Inside|North|North/East|East|South/East|South|South/West|West|"
                           "North/West|\nSpeed Limit:No alert|Alert|")
                .arg(field.arg("START UTC Time", " minute", " hour"), field.arg("STOP UTC Time", " minute", " hour"),
                     field.arg("Max Speed Limit (Knots)", " by 1", " by 10")));
        QCOMPARE(nameOf(w("TL09")) + '|' + nameOf(w("RLor")),
                 "TOP LINE LATITUDE digit 9|RIGHT LINE LONGITUDE hemisphere");
        QCOMPARE(w<QLineEdit>("TextCid")->text(), "~~~~");
        for (const char *box : {"StartUTC", "StopUTC", "SpeedBox", "TextCid"}) // values centred in their boxes
            QCOMPARE(w<QLineEdit>(box)->alignment(), Qt::AlignCenter);
        QCOMPARE(QList({w("Option1")->isChecked(), w("Option10")->isChecked()}), QList({true, true}));
        QCOMPARE(m_editor->encodeZone(), defaultZoneText(7));

        // The map: nine regions tiling a 3 x 3 grid under a strip for the longitude rows, the outer columns and
        // rows alike; each line, coordinate row and row title centred on its edge of the square; each region's
        // caption in white and bold, centred, at the top, the middle or the bottom, and nothing on it.
        QWidget *map = w<QWidget>("Inside")->parentWidget();
        QCOMPARE(map->size(), map->sizeHint());
        const auto cell = [&](int r, int c) {
            return w<QWidget>(areaShapeName(Area("812703654"[3 * r + c] - '0')))->geometry();
        };
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                QCOMPARE(cell(r, c),
                         QRect(c ? cell(r, c - 1).right() + 1 : 0, r ? cell(r - 1, c).bottom() + 1 : cell(0, 0).top(),
                               cell(0, c % 2).width(), cell(r % 2, 0).height()));
        QCOMPARE(cell(2, 2).bottomRight(), QPoint(map->width() - 1, map->height() - 1));
        const QRect square = cell(1, 1);
        QList<QFrame *> lines = map->findChildren<QFrame *>(Qt::FindDirectChildrenOnly);
        lines.removeIf([](QFrame *line) { return qobject_cast<QLabel *>(line); });
        const QList<QLabel *> titles = map->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
        const auto middle = [](const QRect &r) { return QPoint(r.x() + r.width() / 2, r.y() + r.height() / 2); };
        for (int b = 0; b < 4; ++b) {
            const QRect row = w(QStringList{"TL01", "BL01", "LL01", "RL01"}[b])->parentWidget()->geometry();
            const QRect title = titles[b]->geometry(), line = lines[b]->geometry();
            const QPoint edge = b < 2 ? QPoint(middle(square).x(), b ? square.bottom() + 1 : square.top())
                                      : QPoint(b == 3 ? square.right() + 1 : square.left(), row.y() + row.height() / 2);
            QCOMPARE(middle(row), edge);
            if (b < 2) {                           // the row's title beside it, away from the square
                QVERIFY(titles[b]->font().bold()); // on the coloured regions: bold and white
                QCOMPARE(titles[b]->palette().color(QPalette::WindowText), QColor(Qt::white));
                QCOMPARE(line, QRect(0, edge.y() - 1, map->width(), 2));
                QCOMPARE(QList({title.x(), title.width(), b ? title.top() - row.bottom() : row.top() - title.bottom()}),
                         QList({square.x(), square.width(), 2}));
            } else { // the row above the regions, its title above it
                QCOMPARE(QList({line.x(), line.width(), line.bottom(), middle(title).x(), title.y()}),
                         QList({edge.x() - 1, 2, map->height() - 1, edge.x(), 0}));
                QVERIFY(title.bottom() < row.top() && row.bottom() < line.top() && line.top() < cell(0, 0).top());
            }
        }
        const QImage image = shot(map);
        for (int a = 0; a < AreaCount; ++a) {
            QWidget *shape = w<QWidget>(areaShapeName(Area(a)));
            const QImage alone = shot(shape);
            const QRect caption = inkOf(alone, true, alone.rect()), at = shape->rect();
            QFont bold = shape->font();
            bold.setBold(true);
            QVERIFY(caption.width() > shape->fontMetrics().boundingRect(nameOf(shape)).width() + 1);
            QVERIFY(caption.width() <= QFontMetrics(bold).boundingRect(nameOf(shape)).width() + 1);
            const int row = (shape->y() > square.y()) - (shape->y() < square.y()); // -1 top, 0 middle, 1 bottom
            QVERIFY(qAbs(middle(caption).x() - middle(at).x()) <= 2);
            QVERIFY(row ? (row < 0 ? caption.top() : at.bottom() - caption.bottom()) < at.height() / 4
                        : qAbs(middle(caption).y() - middle(at).y()) <= 1);
            QCOMPARE(image.copy(caption.translated(shape->pos())), alone.copy(caption)); // nothing covers it
        }
        // A larger font makes a larger map, laid out anew.
        const int width = map->width();
        QFont larger = m_editor->font();
        larger.setPointSizeF(larger.pointSizeF() * 1.5);
        m_editor->setFont(larger);
        QTRY_COMPARE(map->size(), map->sizeHint());
        QCOMPARE_GT(map->width(), width);
        QCOMPARE(cell(2, 2).bottomRight(), QPoint(map->width() - 1, map->height() - 1));

        // Stored flags and alert options as shown (other bits ignored, none matching: Inside) and stored back.
        for (const auto &[stored, option, alert, back] : {std::tuple{22, 8, false, 22},
                                                          {20, 9, false, 20},
                                                          {54, 8, true, 54},
                                                          {0, 1, false, 30},
                                                          {128 + 64 + 12 + 1, 3, false, 12}}) {
            open(withChars(withChars(defaultZoneText(5), 61, QString(QChar(stored)) + QChar(99)), 1,
                           QChar(165) + QString(4, '~') + QChar(90)));
            QVERIFY2(w(QString("Option%1").arg(option))->isChecked(), qPrintable(QString::number(option)));
            QCOMPARE(w("Option11")->isChecked(), alert);
            checkMap(areaShapeName(Area(option - 1)));
            QCOMPARE(encoded(61, 2) + QString::number(m_edited->count()), QString(2, charFromCode(back)) + '0');
            QString ticks;
            for (int i = 1; i <= 16; ++i)
                ticks += w(QString::asprintf("Check%02d", i))->isChecked() ? '1' : '0';
            QCOMPARE(ticks, QStringLiteral("1010010101011010"));
        }

        // A coordinate label, whatever the palette: its caption in black on white within a black border, yellow
        // while pressed, a ring in the highlight colour while it has the focus; a click shows the new caption at once.
        QPalette palette;
        palette.setColor(QPalette::ButtonText, Qt::white);
        palette.setColor(QPalette::WindowText, Qt::white);
        palette.setColor(QPalette::Highlight, Qt::blue);
        palette.setColor(QPalette::Midlight, Qt::yellow);
        QApplication::setPalette(palette);
        open(defaultZoneText(5));
        QAbstractButton *label = w("TL01");
        // Three pixels in from each end of the middle row and column (#: black, .: white, y: yellow, b: blue),
        // then whether black is drawn within.
        const auto look = [&](QWidget *widget, const QRect &within) {
            const QImage image = shot(widget);
            const int x = image.width() - 1, y = image.height() - 1;
            const QList<QRgb> colours = {0xff000000, 0xffffffff, 0xffffff00, 0xff0000ff};
            QString seen;
            for (int in : {0, 1, 2, -3, -2, -1})
                for (const QPoint p : {QPoint((x + 1 + in) % (x + 1), y / 2), QPoint(x / 2, (y + 1 + in) % (y + 1))})
                    seen += "?#.yb"[colours.indexOf(image.pixel(p)) + 1];
            return seen + (inkOf(image, false, within).isEmpty() ? "" : " and black within");
        };
        const QRect inside = label->rect().adjusted(3, 3, -3, -3);
        QCOMPARE(look(label, inside), "##........## and black within");
        label->setDown(true);
        QCOMPARE(look(label, inside), "##yyyyyyyy## and black within");
        label->setDown(false);
        label->setFocus();
        QCOMPARE(look(label, inside), "bbbb....bbbb and black within");
        const QString row = look(label->parentWidget(),
                                 label->parentWidget()->findChild<QLabel *>()->geometry()); // comma
        QCOMPARE(row.left(2) + row.mid(12), ".. and black within");
        click(label);
        const QRect at(label->mapTo(m_editor, QPoint()), label->size());
        QTRY_COMPARE(rgb(m_editor->screen()->grabWindow(m_editor->winId(), at.x(), at.y(), at.width(), at.height())),
                     shot(label));
        QApplication::setPalette(QPalette());
    }
    // Typed, a fifth character and one without an 8-bit code are refused in the Cell-ID, also when a screen
    // reader inserts it; a Cell-ID of another length is stored, and shown at close, as none. Then the step
    // buttons, and the digit and hemisphere labels. Then each family of controls on every path.
    void typedClickedAndEveryPath()
    {
        open(defaultZoneText(5));
        auto *cid = w<QLineEdit>("TextCid");
        for (const auto &[typed, stored] : {std::pair{"1A2B5", "1A2B"}, {"123", "~~~~"}, {"", "~~~~"}}) {
            cid->clear();
            QTest::keyClicks(cid, typed);
            QCOMPARE(encoded(2, 4), QLatin1String(stored));
        }
        for (QChar c : QStringLiteral("\u20AC\u03A9")) // Greek has no 8-bit code here
            QTest::sendKeyEvent(QTest::Click, cid, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(cid->text(), QStringLiteral("\u20AC"));
        QAccessible::queryAccessibleInterface(cid)->editableTextInterface()->insertText(1, QStringLiteral("\u03A9"));
        QCOMPARE(cid->text(), QStringLiteral("\u20AC"));
        QSignalSpy closed(m_editor.data(), &ZoneEditor::closed);
        m_editor->close();
        QCOMPARE(cid->text() + '|' + charsAt(closed.value(0).value(1).toString(), 2, 4), "~~~~|~~~~");

        // First stored line (7 speed, 10 START, 14 STOP), stored there (empty: the default), button, clicks
        // (then one more, refused at every limit: no carry, no wrap), shown, stored back.
        for (const QString &row :
             QStringLiteral(
                 "7|000|Command10|999|999 (1850.1 KM/H)|999;7||Command11|999|0 (0 KM/H)|000;"
                 "7|000|Command1|99|990 (1833.5 KM/H)|990;7|989|Command1|0|989 (1831.6 KM/H)|989;7||Command12|99|9 "
                 "(16.7 KM/H)|009;"
                 "7|030|Command11|1|29 (53.7 KM/H)|029;7|006|Command10|1|7 (13 KM/H)|007;"
                 "10||Command6|14|23:00:00|2300;10||Command7|9|00:00:00|0000;10||Command2|59|09:59:00|0959;"
                 "10||Command4|0|09:00:00|0900;14|2359|Command8|0|23:59:00|2359;14|2359|Command3|0|23:59:00|2359;"
                 "14||Command9|17|00:00:00|0000;14|1701|Command5|1|17:00:00|1700;"
                 "14|2A00|Command8|1|01:00:00|0100") // no digit counts as 0
                 .split(u';')) {
            const QStringList f = row.split(u'|');
            const int line = f[0].toInt(), clicks = f[3].toInt();
            open(withChars(defaultZoneText(5), line, f[1]));
            const bool atLimit = !QStringList{"030", "006", "2A00"}.contains(f[1]);
            for (int i = 0; i < clicks + atLimit; ++i)
                w(f[2])->click();
            const char *shownIn = line == 7 ? "SpeedBox" : line == 10 ? "StartUTC" : "StopUTC";
            QCOMPARE(QStringList({f[2], w<QLineEdit>(shownIn)->text(), QString::number(m_edited->count()),
                                  encoded(line, f[5].size())}),
                     QStringList({f[2], f[4], f[3], f[5]}));
        }

        open(withChars(defaultZoneText(5), 18, QStringLiteral("59A456789S987654321N0123456789E9876543210W")));
        QCOMPARE(rows(), "59A4,56789S 9876,54321N 01234,56789E 98765,43210W");
        click(w("TL02")); // no carry
        click(w("TL03")); // no digit: counts as 0
        for (int i = 0; i < 10; ++i)
            click(w("BL07"));
        QTest::keySequence(w("RL10"), QKeySequence(Qt::Key_Space, Qt::Key_Return, Qt::Key_A)); // a letter: no click
        for (const char *name : {"TLor", "TLor", "BLor", "LLor", "RLor"})
            click(w(name));
        QCOMPARE(rows(), "5014,56789S 9876,54321S 01234,56789W 98765,43212E");
        QCOMPARE(m_edited->count(), 2 + 10 + 2 + 5);
        QCOMPARE(encoded(18, 42), QStringLiteral("501456789S987654321S0123456789W9876543212E"));

        // Through the platform's window: a double-click counts once, on LL05 twice; a letter that is no
        // hemisphere stays, and is no change.
        open(withChars(defaultZoneText(5), 27, "X"));
        for (const char *name : {"TLor", "TL01", "BL01", "LL04", "LL05", "RL05"})
            QTest::mouseDClick(m_editor->windowHandle(), Qt::LeftButton, {}, w(name)->mapTo(m_editor, QPoint(4, 4)));
        QCOMPARE(rows(), "1000,00000X 1000,00000S 00012,00000W 00001,00000E");
        QCOMPARE(m_edited->count(), 6);

        // Each family of controls, acted on as a screen reader, the mouse, the keyboard or code would: the control,
        // the stored zone, edited() (the document's modified mark) and the map agree at once. Read-only boxes refuse.
        // The control; the text set or typed in it (none for buttons); the control showing the result and what it
        // shows; the first stored line concerned and its characters after the action; the region the map marks.
        const std::tuple<const char *, QString, const char *, const char *, int, QString, const char *> rows[] = {
            {"Check02", "", "Check02", "1", 1, QChar(2), "Inside"},
            {"Check13", "", "Check13", "1", 6, QChar(16), "Inside"},
            {"Option8", "", "Option8", "1", 61, QString(2, QChar(22)), "West"},
            {"Option11", "", "Option11", "1", 61, QString(2, QChar(62)), "Inside"},
            {"BL09", "", "BL09", "1", 36, "1", "Inside"},
            {"LL05", "", "LL05", "1", 42, "1", "Inside"},
            {"RLor", "", "RLor", "W", 59, "W", "Inside"},
            {"Command6", "", "StartUTC", "10:00:00", 10, "1000", "Inside"},
            {"Command12", "", "SpeedBox", "989 (1831.6 KM/H)", 7, "989", "Inside"},
            {"TextCid", "1A2B", "TextCid", "1A2B", 2, "1A2B", "Inside"},
            {"StartUTC", "12:34:00", "StartUTC", "09:00:00", 10, "0900", "Inside"},
            {"StopUTC", "12:34:00", "StopUTC", "17:00:00", 14, "1700", "Inside"},
            {"SpeedBox", "5 (9.3 KM/H)", "SpeedBox", "999 (1850.1 KM/H)", 7, "999", "Inside"},
        };
        for (const QString path : {"screen reader", "mouse", "keyboard", "code"})
            for (const auto &[control, input, shownIn, shown, line, stored, area] : rows) {
                if (!input.isEmpty() && path == "mouse")
                    continue; // a box is typed in, not clicked
                open(defaultZoneText(5));
                const bool changes = charsAt(defaultZoneText(5), line, stored.size()) != stored;
                QWidget *target = w<QWidget>(control);
                if (path == "screen reader") {
                    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(target);
                    if (!input.isEmpty())
                        iface->editableTextInterface()->replaceText(0, iface->textInterface()->characterCount(), input);
                    else // a check or option box's Toggle, a button's Press
                        iface->actionInterface()->doAction(iface->actionInterface()->actionNames().first());
                } else if (path == "mouse") {
                    click(target);
                } else if (path == "keyboard") {
                    target->setFocus();
                    QCOMPARE(QApplication::focusWidget(), target);
                    QTest::keySequence(target, input.isEmpty() ? QKeySequence(Qt::Key_Space) : QKeySequence::SelectAll);
                    QTest::keyClicks(target, input);
                } else if (auto *button = qobject_cast<QAbstractButton *>(target)) {
                    button->isCheckable() ? button->toggle() : button->click();
                } else {
                    qobject_cast<QLineEdit *>(target)->setText(input);
                }
                QTRY_VERIFY(!changes || !m_edited->isEmpty()); // a screen reader's Press clicks a moment later
                const int edits = !changes ? 0 : path == "keyboard" && !input.isEmpty() ? input.size() : 1; // one a key
                QCOMPARE(QStringList({path, control, QString::number(m_edited->count()), shownBy(w<QWidget>(shownIn)),
                                      encoded(line, stored.size())}),
                         QStringList({path, control, QString::number(edits), shown, stored}));
                checkMap(area);
            }
    }

    // On a screen that holds it the window has its content's full size: wide where there is room, narrow (the
    // map on top, the options stacked) where not. On a smaller one it opens as large as the screen allows,
    // up to that size with scroll bars. Sizes as laid out with the test platform's font.
    void windowFitsEachScreen()
    {
        const std::tuple<QString, QString, QSize> screens[] = {{"wide", "LLL MCG SOO ", {1161, 459}},
                                                               {"narrow", "LLL MMM CGO SSS ", {745, 706}},
                                                               {"small", "LLL MMM CGO SSS ", {759, 720}}};
        for (const auto &[name, picture, full] : screens) {
            QWidget owner;
            for (QScreen *screen : QGuiApplication::screens())
                if (screen->name() == name)
                    owner.setGeometry(screen->geometry().adjusted(50, 50, -50, -50));
            owner.show();
            open(defaultZoneText(5), 5, &owner);
            auto *scroll = m_editor->findChild<QScrollArea *>();
            // The parts as a picture, a letter for each: label, map, Cell-ID, GPS, Setup, options.
            const QList<QWidget *> parts = scroll->widget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
            QMap<int, int> columns, rows;
            for (QWidget *part : parts)
                columns[part->x()] = rows[part->y()] = 0;
            QString shown;
            for (int y : rows.keys()) {
                for (int x : columns.keys())
                    for (int p = 0; p < parts.size(); ++p)
                        if (parts[p]->geometry().contains(x, y))
                            shown += QStringLiteral("LMCGSO")[p];
                shown += ' ';
            }
            const bool scrolls = name == "small";
            QCOMPARE(shown, picture);
            QCOMPARE(w("Option10")->parentWidget()->y() > w("Option1")->parentWidget()->y(), name != "wide");
            QCOMPARE(m_editor->maximumSize(), full);
            QCOMPARE(m_editor->size(),
                     scrolls ? m_editor->screen()->availableSize().shrunkBy(kvt::ui::expectedFrame(m_editor)) : full);
            QCOMPARE(scroll->widget()->size(), scroll->widget()->sizeHint());
            QCOMPARE(scroll->horizontalScrollBar()->isVisible(), scrolls);
            QCOMPARE(scroll->verticalScrollBar()->isVisible(), scrolls);
        }
    }
};

QTEST_MAIN(TestZoneEditor)
#include "test_zoneeditor.moc"
