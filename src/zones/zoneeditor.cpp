#include "zones/zoneeditor.h"

#include "image/charset.h"
#include "image/zonecaptions.h"
#include "image/zoneedits.h"
#include "ui/validators.h"
#include "ui/windowfit.h"
#include "zones/coordinaterow.h"
#include "zones/zonemap.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOption>

#include <utility>

namespace kvt::zones {

using image::advanceDigit;
using image::areaCaption;
using image::boundaryLine;
using image::Clock;
using image::flag;
using image::FlagCount;
using image::setArea;
using image::setFlag;
using image::setSpeedAlert;
using image::shownArea;
using image::speedAlert;
using image::speedText;
using image::stepSpeed;
using image::stepTime;
using image::TimePart;
using image::timeText;
using image::toggleHemisphere;

namespace {

const QString CaptionTail = QStringLiteral(" - GPS/CELL-ID Geofencing database configuration");

// The columns of the frame "Setup": a read-only box over its four step
// buttons; indexed by Setting.
enum Setting { Start, Stop, Speed, SettingCount };
struct SetupColumn {
    const char *label;
    const char *box;
    int widthInCharacters;
    const char *buttons[4]; // "<", "<<", ">>", ">"
};
constexpr SetupColumn SetupColumns[] = {
    {image::StartTimeLabel, "StartUTC", 8, {"Command4", "Command7", "Command6", "Command2"}},
    {image::StopTimeLabel, "StopUTC", 8, {"Command5", "Command9", "Command8", "Command3"}},
    {image::SpeedLimitLabel, "SpeedBox", 17, {"Command11", "Command12", "Command1", "Command10"}},
};

// The four step buttons under each box: a big step is an hour or ten
// knots, a small one a minute or one knot.
struct StepButton {
    const char *caption;
    int sign;
    bool big;
};
constexpr StepButton StepButtons[4] = {
    {"<", -1, false}, {"<<", -1, true}, {">>", +1, true}, {">", +1, false}};

// Where the parts of the window stand in its grid: row, column, row span,
// column span. Wide as designed; narrow, with the map on top, where the
// screen is too narrow for that.
struct Place {
    int row, column, rowSpan, columnSpan;
};
enum Part { ZoneLabel, MapFrame, CellIdFrame, GpsFrame, SetupFrame, Options, PartCount };
constexpr Place WidePlaces[PartCount] = {
    {0, 0, 1, 3}, {1, 0, 1, 1}, {1, 1, 1, 1}, {1, 2, 1, 1}, {2, 0, 1, 1}, {2, 1, 1, 2},
};
constexpr Place NarrowPlaces[PartCount] = {
    {0, 0, 1, 3}, {1, 0, 1, 3}, {2, 0, 1, 1}, {2, 1, 1, 1}, {3, 0, 1, 3}, {2, 2, 1, 1},
};

bool stepSetting(ZoneRecord &record, int setting, const StepButton &button)
{
    if (setting == Speed)
        return stepSpeed(record, button.sign * (button.big ? 10 : 1));
    return stepTime(record, setting == Start ? Clock::Start : Clock::Stop,
                    button.big ? TimePart::Hour : TimePart::Minute, button.sign);
}

QString stepName(const QString &label, bool speed, const StepButton &button)
{
    const char *unit = speed ? (button.big ? " by 10" : " by 1")
                             : (button.big ? " hour" : " minute");
    return (button.sign < 0 ? QStringLiteral("Decrease ") : QStringLiteral("Increase ")) + label
        + QLatin1String(unit);
}

QGroupBox *frame(const QString &title)
{
    auto *box = new QGroupBox(title);
    box->setAccessibleName(title);
    return box;
}

// Sets a box's text only when it differs, so the cursor of a box being
// typed in stays where it is.
void showText(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

} // namespace

ZoneEditor::ZoneEditor(int zone, const QString &zoneText, QWidget *parent)
    : QWidget(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                  | Qt::WindowCloseButtonHint),
      m_zone(zone),
      m_record(ZoneRecord::fromZoneText(zoneText))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("Geofencing"));
    setWindowTitle(QStringLiteral("ZONE %1").arg(zone, 2, 10, QLatin1Char('0')) + CaptionTail);

    QWidget *content = buildContent();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetNoConstraint); // fitToScreen sizes the window
    layout->addWidget(ui::scrollingArea(content));
    showRecord();
    // Where the screen cannot hold the wide arrangement, the map stands
    // above the frames.
    const QMargins frame = ui::expectedFrame(this);
    if (!ui::fitsScreen(this, content->sizeHint(), frame))
        arrange(true);
    ui::fitToScreen(this, content->sizeHint(), frame);
}

ZoneEditor::~ZoneEditor() = default;

QWidget *ZoneEditor::buildContent()
{
    auto *content = new QWidget;
    auto *zoneLabel = new QLabel(windowTitle().left(7));
    zoneLabel->setObjectName(QStringLiteral("Label5"));
    QFont big = zoneLabel->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    zoneLabel->setFont(big);

    QGroupBox *mapFrame = frame(QStringLiteral("GPS Area"));
    m_map = new ZoneMap;
    (new QVBoxLayout(mapFrame))->addWidget(m_map, 0, Qt::AlignCenter);
    for (int b = 0; b < BoundaryCount; ++b) {
        CoordinateRow *row = m_map->row(Boundary(b));
        connect(row, &CoordinateRow::digitActivated, this, [this, b](int index) {
            ZoneRecord record = m_record;
            if (advanceDigit(boundaryLine(record, Boundary(b)), index))
                change(record);
        });
        connect(row, &CoordinateRow::hemisphereActivated, this, [this, b] {
            ZoneRecord record = m_record;
            if (toggleHemisphere(boundaryLine(record, Boundary(b)), Boundary(b)))
                change(record);
        });
    }

    m_grid = new QGridLayout(content);
    // The margins of a window's own layout, and the content's size as laid out.
    QStyleOption asWindow;
    asWindow.initFrom(this);
    asWindow.state |= QStyle::State_Window;
    const int margin = style()->pixelMetric(QStyle::PM_LayoutLeftMargin, &asWindow);
    m_grid->setContentsMargins(margin, margin, margin, margin);
    m_grid->setSizeConstraint(QLayout::SetFixedSize);

    auto *options = new QWidget;
    m_optionsLayout = new QBoxLayout(QBoxLayout::LeftToRight, options);
    m_optionsLayout->setContentsMargins(0, 0, 0, 0);
    m_optionsLayout->addWidget(buildAreaOptions());
    m_optionsLayout->addWidget(buildSpeedOptions());
    m_parts = {zoneLabel,
               mapFrame,
               buildFlagFrame(QLatin1String(image::CellIdFrameTitle), 0),
               buildFlagFrame(QLatin1String(image::GpsFrameTitle), 8),
               buildSetup(),
               options};
    arrange(false);
    return content;
}

QGroupBox *ZoneEditor::buildFlagFrame(const QString &title, int firstCheck)
{
    QGroupBox *box = frame(title);
    auto *layout = new QVBoxLayout(box);
    for (int f = firstCheck; f < firstCheck + 8; ++f) {
        const QString caption = QString::fromLatin1(image::ZoneFlagCaptions[f]);
        auto *check = new QCheckBox(caption);
        check->setObjectName(QStringLiteral("Check%1").arg(f + 1, 2, 10, QLatin1Char('0')));
        check->setAccessibleName(caption);
        connect(check, &QCheckBox::toggled, this, [this, f](bool on) {
            ZoneRecord record = m_record;
            setFlag(record, f, on);
            change(record);
        });
        layout->addWidget(check);
        m_checks[f] = check;
    }
    layout->addStretch();
    return box;
}

QGroupBox *ZoneEditor::buildSetup()
{
    QGroupBox *box = frame(QStringLiteral("Setup"));
    auto *layout = new QGridLayout(box);
    for (int s = 0; s < SettingCount; ++s) {
        addSetting(layout, s, 5 * s);
        layout->setColumnMinimumWidth(5 * s + 4, 12);
    }
    addCellIdBox(layout, 5 * SettingCount);
    layout->setRowStretch(3, 1);
    return box;
}

// A read-only box under its label, over its four step buttons.
void ZoneEditor::addSetting(QGridLayout *layout, int setting, int column)
{
    const SetupColumn &setup = SetupColumns[setting];
    const QString label = QString::fromLatin1(setup.label);
    auto *valueBox = new QLineEdit;
    valueBox->setObjectName(QString::fromLatin1(setup.box));
    valueBox->setAccessibleName(label);
    valueBox->setReadOnly(true);
    valueBox->setAlignment(Qt::AlignCenter);
    valueBox->setMinimumWidth(
        valueBox->fontMetrics().horizontalAdvance(QString(setup.widthInCharacters, u'0')) + 16);
    // Only the step buttons change these boxes: any other change (a screen
    // reader setting the text) is put back at once.
    connect(valueBox, &QLineEdit::textChanged, this, [this] {
        if (!m_showing)
            showRecord();
    });
    m_settingBoxes[setting] = valueBox;
    auto *title = new QLabel(label);
    title->setBuddy(valueBox);
    layout->addWidget(title, 0, column, 1, 4);
    layout->addWidget(valueBox, 1, column, 1, 4);

    for (int i = 0; i < 4; ++i) {
        const StepButton &step = StepButtons[i];
        const QString name = stepName(label, setting == Speed, step);
        auto *button = new QPushButton(QString::fromLatin1(step.caption));
        button->setObjectName(QString::fromLatin1(setup.buttons[i]));
        button->setAccessibleName(name);
        button->setToolTip(name);
        button->setAutoDefault(false);
        button->setMaximumWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("<<")) + 24);
        connect(button, &QPushButton::clicked, this, [this, setting, step] {
            ZoneRecord record = m_record;
            if (stepSetting(record, setting, step))
                change(record);
        });
        layout->addWidget(button, 2, column + i);
    }
}

void ZoneEditor::addCellIdBox(QGridLayout *layout, int column)
{
    const QString cellIdName = QLatin1String(image::CellIdLabel);
    m_cellIdBox = new QLineEdit;
    m_cellIdBox->setObjectName(QStringLiteral("TextCid"));
    m_cellIdBox->setMaxLength(4);
    m_cellIdBox->setValidator(new ui::FileTextValidator(image::isEncodable, m_cellIdBox));
    m_cellIdBox->setAlignment(Qt::AlignCenter);
    m_cellIdBox->setFixedWidth(m_cellIdBox->fontMetrics().horizontalAdvance(QStringLiteral("WWWW"))
                               + 16);
    m_cellIdBox->setAccessibleName(cellIdName);
    connect(m_cellIdBox, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_showing)
            return;
        // Text set around the validator (a screen reader's insert) that
        // has no 8-bit code is refused like typed text.
        if (!image::isEncodable(text))
            return showRecord();
        ZoneRecord record = m_record;
        record.cellId = text;
        change(record);
    });
    auto *cellIdLabel = new QLabel(cellIdName);
    cellIdLabel->setBuddy(m_cellIdBox);
    layout->addWidget(cellIdLabel, 0, column);
    layout->addWidget(m_cellIdBox, 1, column);
}

QGroupBox *ZoneEditor::buildAreaOptions()
{
    QGroupBox *box = frame(QLatin1String(image::AreaFrameTitle));
    auto *layout = new QGridLayout(box);
    for (int a = 0; a < AreaCount; ++a) {
        const QString caption = areaCaption(Area(a));
        auto *option = new QRadioButton(caption);
        option->setObjectName(QStringLiteral("Option") + QString::number(a + 1));
        option->setAccessibleName(caption);
        connect(option, &QRadioButton::toggled, this, [this, a](bool on) {
            if (!on)
                return;
            ZoneRecord record = m_record;
            setArea(record, Area(a));
            change(record);
        });
        // Laid out like the map, so each option stands where its region is.
        const QPoint cell = ZoneMap::cellOf(Area(a));
        layout->addWidget(option, cell.y(), cell.x());
        m_areaOptions[a] = option;
    }
    return box;
}

QGroupBox *ZoneEditor::buildSpeedOptions()
{
    QGroupBox *box = frame(QLatin1String(image::SpeedAlertFrameTitle));
    auto *layout = new QVBoxLayout(box);
    m_noAlert = new QRadioButton(QLatin1String(image::NoAlertCaption));
    m_noAlert->setObjectName(QStringLiteral("Option10"));
    m_alert = new QRadioButton(QLatin1String(image::AlertCaption));
    m_alert->setObjectName(QStringLiteral("Option11"));
    for (QRadioButton *option : {m_noAlert, m_alert}) {
        option->setAccessibleName(option->text());
        connect(option, &QRadioButton::toggled, this, [this, alert = option == m_alert](bool on) {
            if (!on)
                return;
            ZoneRecord record = m_record;
            setSpeedAlert(record, alert);
            change(record);
        });
        layout->addWidget(option);
    }
    layout->addStretch();
    return box;
}

void ZoneEditor::arrange(bool narrow)
{
    for (int p = 0; p < PartCount; ++p) {
        const Place &place = (narrow ? NarrowPlaces : WidePlaces)[p];
        m_grid->removeWidget(m_parts[p]);
        m_grid->addWidget(m_parts[p], place.row, place.column, place.rowSpan, place.columnSpan);
    }
    m_optionsLayout->setDirection(narrow ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
}

void ZoneEditor::change(const ZoneRecord &record)
{
    if (m_showing || record == m_record)
        return;
    m_record = record;
    showRecord();
    emit edited();
}

void ZoneEditor::showRecord()
{
    const bool wasShowing = std::exchange(m_showing, true);
    for (int f = 0; f < FlagCount; ++f)
        m_checks[f]->setChecked(flag(m_record, f));
    showText(m_cellIdBox, m_record.cellId);
    showText(m_settingBoxes[Start], timeText(m_record, Clock::Start));
    showText(m_settingBoxes[Stop], timeText(m_record, Clock::Stop));
    showText(m_settingBoxes[Speed], speedText(m_record));
    for (int b = 0; b < BoundaryCount; ++b)
        m_map->row(Boundary(b))->showLine(boundaryLine(m_record, Boundary(b)));
    const Area area = shownArea(m_record);
    m_areaOptions[int(area)]->setChecked(true);
    (speedAlert(m_record) ? m_alert : m_noAlert)->setChecked(true);
    m_map->showArea(area);
    m_showing = wasShowing;
}

QString ZoneEditor::encodeZone() const
{
    return m_record.toZoneText(m_zone);
}

void ZoneEditor::closeEvent(QCloseEvent *event)
{
    if (!m_closed) {
        m_closed = true;
        // The window shows what is stored: a Cell-ID of another length
        // than four as "~~~~".
        const QString stored = encodeZone();
        m_record = ZoneRecord::fromZoneText(stored);
        showRecord();
        emit closed(m_zone, stored);
    }
    event->accept();
}

} // namespace kvt::zones
