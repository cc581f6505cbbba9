#include "zones/zoneeditor.h"

#include "zones/zoneeditor_widgets.h"
#include "zones/zonerecord.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <functional>

namespace kvt::zones {

namespace {

const QString CaptionTail = QStringLiteral(" - GPS/CELL-ID Geofencing database configuration");

// The four coordinate lines, in the order their characters are stored.
struct LineRow {
    const char *title;
    const char *prefix;
    int digits;
    int digitsBeforeComma;
    char hemisphere;      // design caption
    char otherHemisphere;
    int doubleClickDigit; // the digit a double-click advances once more, or 0
};
constexpr LineRow LineRows[] = {
    {"TOP LINE LATITUDE", "TL", 9, 4, 'N', 'S', 0},
    {"BOTTOM LINE LATITUDE", "BL", 9, 4, 'S', 'N', 0},
    {"LEFT LINE LONGITUDE", "LL", 10, 5, 'W', 'E', 5},
    {"RIGHT LINE LONGITUDE", "RL", 10, 5, 'E', 'W', 0},
};
enum { TopRow, BottomRow, LeftRow, RightRow };

// Captions of Check01..Check08 (Cell-ID frame) and Check09..Check16 (GPS).
const char *const CheckCaptions[16] = {
    "Enable Cell-ID geofencing", "Alert if attached to Cell-ID", "Reserved", "Reserved",
    "Reserved", "Reserved", "Reserved", "Reserved",
    "Enable GPS geofencing", "Enable Position fix check", "Enable Time check",
    "Enable Speed check", "Process if inside Time", "Reserved", "Reserved", "Reserved",
};

// Where each square-area region sits on the map and what it is called
// there; indexed like Area.
struct MapRegion {
    const char *caption;
    int row;
    int column;
};
constexpr MapRegion MapRegions[AreaCount] = {
    {"SQUARE AREA", 1, 1}, {"NORTH ZONE", 0, 1}, {"N/E ZONE", 0, 2},
    {"EAST ZONE", 1, 2},   {"S/E ZONE", 2, 2},   {"SOUTH ZONE", 2, 1},
    {"S/W ZONE", 2, 0},    {"WEST ZONE", 1, 0},  {"N/W ZONE", 0, 0},
};

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// A working part read as a number; anything that is not all digits (a
// damaged file) counts as 0.
int partValue(const QString &part)
{
    bool ok = false;
    const int value = part.toInt(&ok);
    const bool digitsOnly = !part.isEmpty()
        && std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    return ok && digitsOnly ? value : 0;
}

// Knots x 1.852 to one decimal, a half going to the even neighbour,
// in its shortest form. Whole numbers, so the sum is exact.
QString kilometresPerHour(int knots)
{
    const int thousandths = knots * 1852;
    int tenths = thousandths / 100;
    const int rest = thousandths % 100;
    if (rest > 50 || (rest == 50 && tenths % 2 != 0))
        ++tenths;
    const int fraction = tenths % 10;
    return fraction == 0 ? QString::number(tenths / 10)
                         : QStringLiteral("%1.%2").arg(tenths / 10).arg(fraction);
}

QLineEdit *readOnlyBox(const QString &name, int widthInCharacters)
{
    auto *box = new QLineEdit;
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignCenter);
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QString(widthInCharacters, u'0'))
                         + 16);
    return box;
}

} // namespace

ZoneEditor::ZoneEditor(int zone, const QString &zoneText, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_zone(zone), m_zoneText(zoneText)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("Geofencing"));
    const QString zoneName = QStringLiteral("ZONE ") + twoDigits(zone);
    setWindowTitle(zoneName + CaptionTail);

    m_zoneLabel = new QLabel(zoneName);
    m_zoneLabel->setObjectName(QStringLiteral("Label5"));
    QFont big = m_zoneLabel->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    m_zoneLabel->setFont(big);

    auto *mapFrame = new QGroupBox(QStringLiteral("GPS Area"));
    mapFrame->setAccessibleName(mapFrame->title());
    auto *mapLayout = new QVBoxLayout(mapFrame);
    mapLayout->addWidget(buildMap(), 0, Qt::AlignCenter);

    auto *grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->addWidget(m_zoneLabel, 0, 0, 1, 3);
    grid->addWidget(mapFrame, 1, 0);
    grid->addWidget(buildFlagFrame(QStringLiteral("Cell-ID"), 0), 1, 1);
    grid->addWidget(buildFlagFrame(QStringLiteral("GPS"), 8), 1, 2);
    grid->addWidget(buildSetup(), 2, 0);
    auto *options = new QHBoxLayout;
    options->addWidget(buildAreaOptions());
    options->addWidget(buildSpeedOptions());
    grid->addLayout(options, 2, 1, 1, 2);

    // Fresh window as designed, then the zone: the design state is what
    // decoding starts from (Inside and Alert selected, nothing checked).
    m_areaOptions.first()->setChecked(true);
    m_alert->setChecked(true);
    decodeZone(ZoneRecord::fromZoneText(m_zoneText));

    adjustSize();
    setFixedSize(size());
    if (const QScreen *display = screen())
        move(display->availableGeometry().center() - rect().center());
}

ZoneEditor::~ZoneEditor() = default;

int ZoneEditor::zone() const { return m_zone; }

QColor ZoneEditor::areaColourOn() { return QColor(0, 64, 0); }
QColor ZoneEditor::areaColourOff() { return QColor(128, 0, 0); }

QWidget *ZoneEditor::buildMap()
{
    auto *map = new QWidget;
    const QFontMetrics fm = map->fontMetrics();
    const int gap = fm.height() / 2;

    // Regions first, so that lines, titles and rows lie on top of them.
    for (int a = 0; a < AreaCount; ++a) {
        const MapRegion &region = MapRegions[a];
        const Qt::Alignment where = region.row == 0 ? Qt::AlignTop
            : region.row == 1                       ? Qt::AlignVCenter
                                                    : Qt::AlignBottom;
        auto *shape = new AreaShape(QString::fromLatin1(region.caption), where, map);
        shape->setObjectName(areaShapeName(Area(a)));
        shape->setColour(areaColourOff());
        m_shapes.append(shape);
    }
    auto line = [map] {
        auto *frame = new QFrame(map);
        frame->setAutoFillBackground(true);
        QPalette p = frame->palette();
        p.setColor(QPalette::Window, Qt::black);
        frame->setPalette(p);
        return frame;
    };
    QFrame *lines[4] = {line(), line(), line(), line()};   // top, bottom, left, right

    QWidget *rows[4];
    QLabel *titles[4];
    for (int r = 0; r < 4; ++r) {
        const LineRow &lineRow = LineRows[r];
        const QString title = QString::fromLatin1(lineRow.title);
        auto *row = new QWidget(map);
        row->setAutoFillBackground(true);
        QPalette p = row->palette();
        p.setColor(QPalette::Window, Qt::white);
        p.setColor(QPalette::WindowText, Qt::black);
        row->setPalette(p);
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(1, 1, 1, 1);
        layout->setSpacing(1);
        for (int d = 1; d <= lineRow.digits; ++d) {
            auto *digit = new CoordinateLabel(QStringLiteral("0"), row);
            digit->setObjectName(QString::fromLatin1(lineRow.prefix) + twoDigits(d));
            digit->setAccessibleName(title + QStringLiteral(" digit ") + QString::number(d));
            connect(digit, &CoordinateLabel::clicked, this, [this, digit] { advanceDigit(digit); });
            if (d == lineRow.doubleClickDigit) {
                connect(digit, &CoordinateLabel::doubleClicked, this,
                        [this, digit] { advanceDigit(digit); });
            }
            layout->addWidget(digit);
            m_lineLabels.append(digit);
            if (d == lineRow.digitsBeforeComma) {
                auto *comma = new QLabel(QStringLiteral(","), row);
                QFont bold = comma->font();
                bold.setBold(true);
                comma->setFont(bold);
                layout->addWidget(comma);
            }
        }
        auto *hemisphere = new CoordinateLabel(QString(QLatin1Char(lineRow.hemisphere)), row);
        hemisphere->setObjectName(QString::fromLatin1(lineRow.prefix) + QStringLiteral("or"));
        hemisphere->setAccessibleName(title + QStringLiteral(" hemisphere"));
        connect(hemisphere, &CoordinateLabel::clicked, this,
                [this, hemisphere, r] { toggleHemisphere(hemisphere, r); });
        layout->addWidget(hemisphere);
        m_lineLabels.append(hemisphere);
        row->adjustSize();
        rows[r] = row;

        auto *titleLabel = new QLabel(title, map);
        titleLabel->setAlignment(Qt::AlignCenter);
        if (r == TopRow || r == BottomRow) {
            // These two sit on the coloured regions.
            QPalette tp = titleLabel->palette();
            tp.setColor(QPalette::WindowText, Qt::white);
            titleLabel->setPalette(tp);
            QFont bold = titleLabel->font();
            bold.setBold(true);
            titleLabel->setFont(bold);
        }
        titles[r] = titleLabel;
    }
    // Geometry: side columns wide enough for half a longitude row (the
    // left and right rows stand centred above the square's vertical
    // edges), the square wide enough for both half rows and a latitude row.
    QFont bold = map->font();
    bold.setBold(true);
    const QFontMetrics boldFm(bold);
    int captionWidth = 0;
    for (const MapRegion &region : MapRegions)
        captionWidth = qMax(captionWidth, boldFm.horizontalAdvance(QString::fromLatin1(region.caption)));
    const int latWidth = rows[TopRow]->width();
    const int lonWidth = rows[LeftRow]->width();
    const int rowHeight = rows[TopRow]->height();
    const int titleWidth = qMax(boldFm.horizontalAdvance(titles[BottomRow]->text()),
                                fm.horizontalAdvance(titles[RightRow]->text()));
    const int side = std::max({lonWidth / 2 + gap, captionWidth + 2 * gap, titleWidth / 2 + gap});
    const int square = std::max({lonWidth + 2 * gap, latWidth + 2 * gap, titleWidth + 2 * gap,
                             captionWidth + 2 * gap});
    const int stripHeight = fm.height() + gap / 2 + rowHeight + gap;
    const int outerHeight = 2 * gap + fm.height() + gap + fm.height() + gap / 2 + rowHeight / 2;
    const int innerHeight = rowHeight + 3 * fm.height() + 2 * gap;
    const int topY = stripHeight + outerHeight;
    const int bottomY = topY + innerHeight;
    const int width = 2 * side + square;
    const int height = bottomY + outerHeight;

    const int columnX[3] = {0, side, side + square};
    const int columnW[3] = {side, square, side};
    const int rowY[3] = {stripHeight, topY, bottomY};
    const int rowH[3] = {outerHeight, innerHeight, outerHeight};
    for (int a = 0; a < AreaCount; ++a) {
        const MapRegion &region = MapRegions[a];
        m_shapes[a]->setGeometry(columnX[region.column], rowY[region.row],
                                 columnW[region.column], rowH[region.row]);
    }
    lines[TopRow]->setGeometry(0, topY - 1, width, 2);
    lines[BottomRow]->setGeometry(0, bottomY - 1, width, 2);
    lines[LeftRow]->setGeometry(side - 1, stripHeight - gap, 2, height - stripHeight + gap);
    lines[RightRow]->setGeometry(side + square - 1, stripHeight - gap, 2,
                                 height - stripHeight + gap);

    const int centreX = side + square / 2;
    rows[TopRow]->move(centreX - latWidth / 2, topY - rowHeight / 2);
    titles[TopRow]->setGeometry(side, topY - rowHeight / 2 - gap / 4 - fm.height(), square,
                                fm.height());
    rows[BottomRow]->move(centreX - latWidth / 2, bottomY - rowHeight / 2);
    titles[BottomRow]->setGeometry(side, bottomY + rowHeight / 2 + gap / 4, square, fm.height());
    const int lineX[2] = {side, side + square};
    for (int r : {LeftRow, RightRow}) {
        const int x = lineX[r - LeftRow];
        titles[r]->setGeometry(x - side, 0, 2 * side, fm.height());
        rows[r]->move(x - lonWidth / 2, fm.height() + gap / 2);
    }
    for (QFrame *frame : lines)
        frame->raise();
    for (int r = 0; r < 4; ++r) {
        titles[r]->raise();
        rows[r]->raise();
    }
    map->setFixedSize(width, height);
    return map;
}

QGroupBox *ZoneEditor::buildFlagFrame(const QString &title, int firstCheck)
{
    auto *frame = new QGroupBox(title);
    frame->setAccessibleName(title);
    auto *layout = new QVBoxLayout(frame);
    for (int i = firstCheck; i < firstCheck + 8; ++i) {
        const QString caption = QString::fromLatin1(CheckCaptions[i]);
        auto *check = new QCheckBox(caption);
        check->setObjectName(QStringLiteral("Check") + twoDigits(i + 1));
        check->setAccessibleName(caption);
        connect(check, &QCheckBox::clicked, this, &ZoneEditor::edited);
        layout->addWidget(check);
        m_checks.append(check);
    }
    layout->addStretch();
    return frame;
}

QGroupBox *ZoneEditor::buildSetup()
{
    auto *frame = new QGroupBox(QStringLiteral("Setup"));
    frame->setAccessibleName(frame->title());
    auto *layout = new QGridLayout(frame);

    struct Step {
        const char *name;
        const char *caption;
        QString accessibleName;
        std::function<void()> action;
    };
    int column = 0;
    auto addColumn = [&](const QString &labelText, QLineEdit *box, const std::array<Step, 4> &steps) {
        auto *label = new QLabel(labelText);
        label->setBuddy(box);
        box->setAccessibleName(labelText);
        layout->addWidget(label, 0, column, 1, 4);
        layout->addWidget(box, 1, column, 1, 4);
        for (int i = 0; i < 4; ++i) {
            const Step &step = steps[size_t(i)];
            auto *button = new QPushButton(QString::fromLatin1(step.caption));
            button->setObjectName(QString::fromLatin1(step.name));
            button->setAccessibleName(step.accessibleName);
            button->setToolTip(step.accessibleName);
            button->setAutoDefault(false);
            button->setMaximumWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("<<"))
                                    + 24);
            connect(button, &QPushButton::clicked, this, step.action);
            layout->addWidget(button, 2, column + i);
        }
        column += 4;
        layout->setColumnMinimumWidth(column, 12);
        ++column;
    };

    auto timeSteps = [this](const char *names[4], const QString &what, TimeParts &time,
                            QLineEdit *box) {
        return std::array<Step, 4>{{
            {names[0], "<", QStringLiteral("Decrease %1 minute").arg(what),
             [this, &time, box] { stepTime(time, box, TimePart::Minute, -1); }},
            {names[1], "<<", QStringLiteral("Decrease %1 hour").arg(what),
             [this, &time, box] { stepTime(time, box, TimePart::Hour, -1); }},
            {names[2], ">>", QStringLiteral("Increase %1 hour").arg(what),
             [this, &time, box] { stepTime(time, box, TimePart::Hour, +1); }},
            {names[3], ">", QStringLiteral("Increase %1 minute").arg(what),
             [this, &time, box] { stepTime(time, box, TimePart::Minute, +1); }},
        }};
    };

    const QString startName = QStringLiteral("START UTC Time");
    m_startBox = readOnlyBox(QStringLiteral("StartUTC"), 8);
    const char *startButtons[4] = {"Command4", "Command7", "Command6", "Command2"};
    addColumn(startName, m_startBox, timeSteps(startButtons, startName, m_start, m_startBox));

    const QString stopName = QStringLiteral("STOP UTC Time");
    m_stopBox = readOnlyBox(QStringLiteral("StopUTC"), 8);
    const char *stopButtons[4] = {"Command5", "Command9", "Command8", "Command3"};
    addColumn(stopName, m_stopBox, timeSteps(stopButtons, stopName, m_stop, m_stopBox));

    const QString speedName = QStringLiteral("Max Speed Limit (Knots)");
    m_speedBox = readOnlyBox(QStringLiteral("SpeedBox"), 17);
    addColumn(speedName, m_speedBox,
              {{
                  {"Command11", "<", QStringLiteral("Decrease %1 by 1").arg(speedName),
                   [this] { stepSpeed(-1); }},
                  {"Command12", "<<", QStringLiteral("Decrease %1 by 10").arg(speedName),
                   [this] { stepSpeed(-10); }},
                  {"Command1", ">>", QStringLiteral("Increase %1 by 10").arg(speedName),
                   [this] { stepSpeed(+10); }},
                  {"Command10", ">", QStringLiteral("Increase %1 by 1").arg(speedName),
                   [this] { stepSpeed(+1); }},
              }});

    const QString cellIdName = QStringLiteral("Cell-ID");
    m_cellIdBox = new QLineEdit;
    m_cellIdBox->setObjectName(QStringLiteral("TextCid"));
    m_cellIdBox->setMaxLength(4);
    m_cellIdBox->setValidator(new Windows1252Validator(m_cellIdBox));
    m_cellIdBox->setAlignment(Qt::AlignCenter);
    m_cellIdBox->setFixedWidth(m_cellIdBox->fontMetrics().horizontalAdvance(QStringLiteral("WWWW"))
                               + 16);
    m_cellIdBox->setAccessibleName(cellIdName);
    connect(m_cellIdBox, &QLineEdit::textEdited, this, &ZoneEditor::edited);
    auto *cellIdLabel = new QLabel(cellIdName);
    cellIdLabel->setBuddy(m_cellIdBox);
    layout->addWidget(cellIdLabel, 0, column);
    layout->addWidget(m_cellIdBox, 1, column);
    layout->setRowStretch(3, 1);
    return frame;
}

QGroupBox *ZoneEditor::buildAreaOptions()
{
    auto *frame = new QGroupBox(QStringLiteral("Square Area - no alert if"));
    frame->setAccessibleName(frame->title());
    auto *layout = new QGridLayout(frame);
    for (int a = 0; a < AreaCount; ++a) {
        const QString caption = areaCaption(Area(a));
        auto *option = new QRadioButton(caption);
        option->setObjectName(QStringLiteral("Option") + QString::number(a + 1));
        option->setAccessibleName(caption);
        connect(option, &QRadioButton::toggled, this, &ZoneEditor::refreshAlertOptions);
        connect(option, &QRadioButton::clicked, this, &ZoneEditor::edited);
        // Laid out like the map, so each option stands where its region is.
        layout->addWidget(option, MapRegions[a].row, MapRegions[a].column);
        m_areaOptions.append(option);
    }
    return frame;
}

QGroupBox *ZoneEditor::buildSpeedOptions()
{
    auto *frame = new QGroupBox(QStringLiteral("Speed Limit"));
    frame->setAccessibleName(frame->title());
    auto *layout = new QVBoxLayout(frame);
    m_noAlert = new QRadioButton(QStringLiteral("No alert"));
    m_noAlert->setObjectName(QStringLiteral("Option10"));
    m_alert = new QRadioButton(QStringLiteral("Alert"));
    m_alert->setObjectName(QStringLiteral("Option11"));
    for (QRadioButton *option : {m_noAlert, m_alert}) {
        option->setAccessibleName(option->text());
        connect(option, &QRadioButton::clicked, this, &ZoneEditor::edited);
        layout->addWidget(option);
    }
    layout->addStretch();
    return frame;
}

void ZoneEditor::decodeZone(const ZoneRecord &record)
{
    for (int bit = 0; bit < 8; ++bit) {
        if (record.cellIdFlags & (1 << bit))
            m_checks[bit]->setChecked(true);
        if (record.gpsFlags & (1 << bit))
            m_checks[8 + bit]->setChecked(true);
    }
    m_cellIdBox->setText(record.cellId);

    m_speedKnots = record.speedLimit;
    showSpeed();
    m_start = {record.startTime.mid(0, 2), record.startTime.mid(2, 2)};
    m_stop = {record.stopTime.mid(0, 2), record.stopTime.mid(2, 2)};
    showTime(m_start, m_startBox);
    showTime(m_stop, m_stopBox);

    const CoordinateLine *lines[4] = {&record.topLatitude, &record.bottomLatitude,
                                      &record.leftLongitude, &record.rightLongitude};
    int index = 0;
    for (int r = 0; r < 4; ++r) {
        for (int d = 0; d < LineRows[r].digits; ++d)
            m_lineLabels[index++]->setCaption(lines[r]->digits.mid(d, 1));
        m_lineLabels[index++]->setCaption(QString(lines[r]->hemisphere));
    }

    if (const auto area = areaOfAlertOptions(record.alertOptions))
        m_areaOptions[int(*area)]->setChecked(true);
    (record.alertOptions & 0x20 ? m_alert : m_noAlert)->setChecked(true);
    refreshAlertOptions();
}

ZoneRecord ZoneEditor::recordFromControls() const
{
    ZoneRecord record;
    record.cellIdFlags = 0;
    record.gpsFlags = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (m_checks[bit]->isChecked())
            record.cellIdFlags |= 1 << bit;
        if (m_checks[8 + bit]->isChecked())
            record.gpsFlags |= 1 << bit;
    }
    record.cellId = m_cellIdBox->text();
    record.speedLimit = storedSpeed(m_speedKnots);
    record.startTime = m_start.hour + m_start.minute;
    record.stopTime = m_stop.hour + m_stop.minute;

    CoordinateLine *lines[4] = {&record.topLatitude, &record.bottomLatitude,
                                &record.leftLongitude, &record.rightLongitude};
    int index = 0;
    for (int r = 0; r < 4; ++r) {
        QString digits;
        for (int d = 0; d < LineRows[r].digits; ++d)
            digits += m_lineLabels[index++]->caption().left(1);
        lines[r]->digits = digits;
        const QString hemisphere = m_lineLabels[index++]->caption();
        lines[r]->hemisphere = hemisphere.isEmpty() ? QChar() : hemisphere.at(0);
    }

    int selected = 0;
    while (selected < AreaCount - 1 && !m_areaOptions[selected]->isChecked())
        ++selected;
    record.alertOptions = alertOptionsFor(Area(selected), m_alert->isChecked());
    return record;
}

QString ZoneEditor::encodeZone() const
{
    return recordFromControls().toZoneText(m_zone);
}

void ZoneEditor::refreshAlertOptions()
{
    for (int a = 0; a < AreaCount; ++a)
        m_shapes[a]->setColour(m_areaOptions[a]->isChecked() ? areaColourOn() : areaColourOff());
}

void ZoneEditor::advanceDigit(CoordinateLabel *label)
{
    const QString caption = label->caption();
    label->setCaption(caption == QStringLiteral("9") ? QStringLiteral("0")
                                                     : QString::number(partValue(caption) + 1));
    emit edited();
}

void ZoneEditor::toggleHemisphere(CoordinateLabel *label, int row)
{
    const LineRow &lineRow = LineRows[row];
    const QString caption = label->caption();
    if (caption == QLatin1Char(lineRow.hemisphere))
        label->setCaption(QString(QLatin1Char(lineRow.otherHemisphere)));
    else if (caption == QLatin1Char(lineRow.otherHemisphere))
        label->setCaption(QString(QLatin1Char(lineRow.hemisphere)));
    emit edited();
}

void ZoneEditor::stepSpeed(int delta)
{
    const int knots = partValue(storedSpeed(m_speedKnots));
    const bool atLimit = (delta == -1 && knots <= 0) || (delta == -10 && knots < 11)
        || (delta == 10 && knots > 988) || (delta == 1 && knots >= 999);
    if (atLimit)
        return;
    m_speedKnots = QString::number(knots + delta);
    showSpeed();
    emit edited();
}

void ZoneEditor::showSpeed()
{
    const int knots = partValue(storedSpeed(m_speedKnots));
    m_speedBox->setText(QStringLiteral("%1 (%2 KM/H)").arg(knots).arg(kilometresPerHour(knots)));
}

void ZoneEditor::stepTime(TimeParts &time, QLineEdit *box, TimePart part, int delta)
{
    QString &text = part == TimePart::Hour ? time.hour : time.minute;
    const int value = partValue(text);
    const int highest = part == TimePart::Hour ? 23 : 59;
    if ((delta > 0 && value >= highest) || (delta < 0 && value <= 0))
        return;
    text = twoDigits(value + delta);
    showTime(time, box);
    emit edited();
}

void ZoneEditor::showTime(const TimeParts &time, QLineEdit *box)
{
    box->setText(time.hour + QLatin1Char(':') + time.minute + QStringLiteral(":00"));
}

void ZoneEditor::closeEvent(QCloseEvent *event)
{
    if (!m_closed) {
        m_closed = true;
        // A Cell-ID of another length is stored as none; the box shows it.
        if (m_cellIdBox->text().size() != 4)
            m_cellIdBox->setText(QStringLiteral("~~~~"));
        emit closed(m_zone, encodeZone());
    }
    event->accept();
}

} // namespace kvt::zones
