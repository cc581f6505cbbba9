#include "zones/zoneeditor.h"

#include "image/zonecaptions.h"
#include "image/zoneedits.h"
#include "ui/windowfit.h"
#include "zones/coordinaterow.h"
#include "zones/setupframe.h"
#include "zones/zonemap.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOption>

#include <utility>

namespace kvt::zones {

using image::advanceDigit;
using image::areaCaption;
using image::boundaryLine;
using image::flag;
using image::FlagCount;
using image::setArea;
using image::setFlag;
using image::setSpeedAlert;
using image::shownArea;
using image::speedAlert;
using image::toggleHemisphere;

namespace {

const QString CaptionTail = QStringLiteral(" - GPS/CELL-ID Geofencing database configuration");

// Where the parts of the window stand in its grid: each fills the cells its
// letter fills in the picture, in the order of enum Part. Wide as designed;
// narrow, with the map on top, where the screen is too narrow for that.
enum Part { ZoneLabel, MapFrame, CellIdFrame, GpsFrame, SetupPart, Options, PartCount };
constexpr char PartLetters[PartCount + 1] = "LMCGSO";
const QStringList WidePicture = {QStringLiteral("LLL"), QStringLiteral("MCG"),
                                 QStringLiteral("SOO")};
const QStringList NarrowPicture = {QStringLiteral("LLL"), QStringLiteral("MMM"),
                                   QStringLiteral("CGO"), QStringLiteral("SSS")};

// The cells of `letter` in a picture: x and width count columns, y and
// height rows.
QRect cellsOf(const QStringList &picture, char letter)
{
    QRect cells;
    for (int row = 0; row < picture.size(); ++row) {
        for (int column = 0; column < picture[row].size(); ++column) {
            if (picture[row][column] == QLatin1Char(letter))
                cells |= QRect(column, row, 1, 1);
        }
    }
    return cells;
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

    auto *mapFrame = new QGroupBox(QStringLiteral("GPS Area"));
    m_map = new ZoneMap;
    (new QVBoxLayout(mapFrame))->addWidget(m_map, 0, Qt::AlignCenter);
    for (int b = 0; b < BoundaryCount; ++b) {
        CoordinateRow *row = m_map->row(Boundary(b));
        connect(row, &CoordinateRow::digitActivated, this, [this, b](int index) {
            ZoneRecord record = m_record;
            advanceDigit(boundaryLine(record, Boundary(b)), index);
            change(record); // none when nothing changed
        });
        connect(row, &CoordinateRow::hemisphereActivated, this, [this, b] {
            ZoneRecord record = m_record;
            toggleHemisphere(boundaryLine(record, Boundary(b)), Boundary(b));
            change(record);
        });
    }

    m_grid = new QGridLayout(content);
    // The margins of a window's own layout, and the content's size as laid out.
    QStyleOption asWindow;
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
    auto *box = new QGroupBox(title);
    auto *layout = new QVBoxLayout(box);
    for (int f = firstCheck; f < firstCheck + 8; ++f) {
        auto *check = new QCheckBox(QString::fromLatin1(image::ZoneFlagCaptions[f]));
        check->setObjectName(QStringLiteral("Check%1").arg(f + 1, 2, 10, QLatin1Char('0')));
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
    m_setup = new SetupFrame;
    connect(m_setup, &SetupFrame::stepRequested, this,
            [this](SetupFrame::Setting setting, int button) {
                ZoneRecord record = m_record;
                if (SetupFrame::step(record, setting, button))
                    change(record);
            });
    connect(m_setup, &SetupFrame::cellIdEdited, this, [this](const QString &text) {
        ZoneRecord record = m_record;
        record.cellId = text;
        change(record);
    });
    connect(m_setup, &SetupFrame::boxTouched, this, [this] {
        if (!m_showing)
            showRecord();
    });
    return m_setup;
}

QGroupBox *ZoneEditor::buildAreaOptions()
{
    auto *box = new QGroupBox(QLatin1String(image::AreaFrameTitle));
    auto *layout = new QGridLayout(box);
    for (int a = 0; a < AreaCount; ++a) {
        auto *option = new QRadioButton(areaCaption(Area(a)));
        option->setObjectName(QStringLiteral("Option") + QString::number(a + 1));
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
    auto *box = new QGroupBox(QLatin1String(image::SpeedAlertFrameTitle));
    auto *layout = new QVBoxLayout(box);
    m_noAlert = new QRadioButton(QLatin1String(image::NoAlertCaption));
    m_noAlert->setObjectName(QStringLiteral("Option10"));
    m_alert = new QRadioButton(QLatin1String(image::AlertCaption));
    m_alert->setObjectName(QStringLiteral("Option11"));
    for (QRadioButton *option : {m_noAlert, m_alert}) {
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
        const QRect cells = cellsOf(narrow ? NarrowPicture : WidePicture, PartLetters[p]);
        // A part already in the grid leaves its old cell as it is added.
        m_grid->addWidget(m_parts[p], cells.y(), cells.x(), cells.height(), cells.width());
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
    m_setup->showRecord(m_record);
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

// The event comes accepted: the window always closes.
void ZoneEditor::closeEvent(QCloseEvent *)
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
}

} // namespace kvt::zones
