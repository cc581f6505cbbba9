#include "zones/zonemap.h"

#include "zones/areashape.h"
#include "zones/coordinaterow.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>

#include <algorithm>

namespace kvt::zones {

using image::areaShapeName;
using image::isLatitude;

namespace {

// What each square-area region is called on the map and where it lies;
// indexed like Area.
struct Region {
    const char *caption;
    int row;
    int column;
};
constexpr Region Regions[AreaCount] = {
    {"SQUARE AREA", 1, 1}, {"NORTH ZONE", 0, 1}, {"N/E ZONE", 0, 2},
    {"EAST ZONE", 1, 2},   {"S/E ZONE", 2, 2},   {"SOUTH ZONE", 2, 1},
    {"S/W ZONE", 2, 0},    {"WEST ZONE", 1, 0},  {"N/W ZONE", 0, 0},
};

constexpr int Top = int(Boundary::Top), Bottom = int(Boundary::Bottom), Left = int(Boundary::Left),
              Right = int(Boundary::Right);

QFont boldened(QFont font)
{
    font.setBold(true);
    return font;
}

} // namespace

// The map's measures, all from its font and its coordinate rows.
struct ZoneMap::Metrics {
    int text;   // height of a line of text
    int gap;    // half of it
    int row;    // height of a coordinate row
    int side;   // width of the outer columns
    int square; // width of the square
    int strip;  // height of the strip above the regions holding the longitude rows
    int outer;  // height of the outer rows of regions
    int inner;  // height of the square
};

ZoneMap::ZoneMap(QWidget *parent) : QWidget(parent)
{
    // Created bottom up: regions, then the lines on them, then rows and titles.
    for (int a = 0; a < AreaCount; ++a) {
        const Qt::Alignment where = Regions[a].row == 0 ? Qt::AlignTop
            : Regions[a].row == 1                       ? Qt::AlignVCenter
                                                        : Qt::AlignBottom;
        m_shapes[a] = new AreaShape(QString::fromLatin1(Regions[a].caption), where, this);
        m_shapes[a]->setObjectName(areaShapeName(Area(a)));
        m_shapes[a]->setColour(areaColourOff());
    }
    for (QFrame *&line : m_lines) {
        line = new QFrame(this);
        line->setAutoFillBackground(true);
        QPalette p = line->palette();
        p.setColor(QPalette::Window, Qt::black);
        line->setPalette(p);
    }
    for (int b = 0; b < BoundaryCount; ++b) {
        m_rows[b] = new CoordinateRow(Boundary(b), this);
        m_titles[b] = new QLabel(m_rows[b]->title(), this);
        m_titles[b]->setAlignment(Qt::AlignCenter);
        if (isLatitude(Boundary(b))) {
            // These two stand on the coloured regions.
            QPalette p = m_titles[b]->palette();
            p.setColor(QPalette::WindowText, Qt::white);
            m_titles[b]->setPalette(p);
            m_titles[b]->setFont(boldened(m_titles[b]->font()));
        }
    }
    placeChildren();
}

QColor ZoneMap::areaColourOn()
{
    return QColor(0, 64, 0);
}
QColor ZoneMap::areaColourOff()
{
    return QColor(128, 0, 0);
}

QPoint ZoneMap::cellOf(Area area)
{
    return {Regions[int(area)].column, Regions[int(area)].row};
}

void ZoneMap::showArea(Area area)
{
    for (int a = 0; a < AreaCount; ++a)
        m_shapes[a]->setColour(Area(a) == area ? areaColourOn() : areaColourOff());
}

ZoneMap::Metrics ZoneMap::metrics() const
{
    const QFontMetrics fm = fontMetrics();
    const QFontMetrics boldFm(boldened(font()));
    int caption = 0;
    for (const Region &region : Regions)
        caption = std::max(caption, boldFm.horizontalAdvance(QString::fromLatin1(region.caption)));
    int title = 0;
    for (const QLabel *label : m_titles)
        title = std::max(title, label->fontMetrics().horizontalAdvance(label->text()));
    const QSize latitude = m_rows[Top]->sizeHint();
    const int longitude = m_rows[Left]->sizeHint().width();

    Metrics m{};
    m.text = fm.height();
    m.gap = m.text / 2;
    m.row = latitude.height();
    // The longitude rows and their titles stand centred on the square's
    // side edges, half of them over the outer columns.
    m.side = std::max({longitude / 2 + m.gap, caption + 2 * m.gap, title / 2 + m.gap});
    m.square = std::max({longitude, latitude.width(), title, caption}) + 2 * m.gap;
    m.strip = m.text + m.gap / 2 + m.row + m.gap;
    m.outer = 2 * m.gap + m.text + m.gap + m.text + m.gap / 2 + m.row / 2;
    m.inner = m.row + 3 * m.text + 2 * m.gap;
    return m;
}

QSize ZoneMap::sizeHint() const
{
    const Metrics m = metrics();
    return {2 * m.side + m.square, m.strip + 2 * m.outer + m.inner};
}

void ZoneMap::placeChildren()
{
    const Metrics m = metrics();
    // Edges of the three columns and the three rows of regions.
    const int x[4] = {0, m.side, m.side + m.square, 2 * m.side + m.square};
    const int y[4] = {m.strip, m.strip + m.outer, m.strip + m.outer + m.inner,
                      m.strip + 2 * m.outer + m.inner};
    for (int a = 0; a < AreaCount; ++a) {
        const Region &r = Regions[a];
        m_shapes[a]->setGeometry(x[r.column], y[r.row], x[r.column + 1] - x[r.column],
                                 y[r.row + 1] - y[r.row]);
    }

    // The latitude rows lie across the square's top and bottom edges, their
    // titles inside the square; the longitude rows stand in the strip above
    // the regions, centred on the side edges, under their titles.
    const QSize latitude = m_rows[Top]->sizeHint();
    const QSize longitude = m_rows[Left]->sizeHint();
    for (int b : {Top, Bottom}) {
        const int edgeY = y[b == Top ? 1 : 2];
        m_lines[b]->setGeometry(0, edgeY - 1, x[3], 2);
        m_rows[b]->setGeometry(
            {{x[1] + m.square / 2 - latitude.width() / 2, edgeY - m.row / 2}, latitude});
        const int titleY = b == Top ? edgeY - m.row / 2 - m.gap / 4 - m.text
                                    : edgeY + m.row / 2 + m.gap / 4;
        m_titles[b]->setGeometry(x[1], titleY, m.square, m.text);
    }
    for (int b : {Left, Right}) {
        const int edgeX = x[b == Left ? 1 : 2];
        m_lines[b]->setGeometry(edgeX - 1, m.strip - m.gap, 2, y[3] - m.strip + m.gap);
        m_rows[b]->setGeometry({{edgeX - longitude.width() / 2, m.text + m.gap / 2}, longitude});
        m_titles[b]->setGeometry(edgeX - m.side, 0, 2 * m.side, m.text);
    }
}

bool ZoneMap::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::LayoutRequest: // a row's size changed
        // QWidget::changeEvent tells the parent's layout of a new font's size hint.
        placeChildren();
        break;
    default: break;
    }
    return QWidget::event(event);
}

} // namespace kvt::zones
