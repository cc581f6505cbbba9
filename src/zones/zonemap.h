#pragma once

#include "image/zoneedits.h"

#include <QWidget>

#include <array>

class QFrame;
class QLabel;

namespace kvt::zones {

using image::Area;
using image::AreaCount;
using image::Boundary;
using image::BoundaryCount;

class AreaShape;
class CoordinateRow;

// The frame "GPS Area": the square and the eight regions around it as
// nine area shapes, the lines at its edges and the four coordinate rows
// with their titles. It lays itself out from its font, so it grows with
// larger text.
class ZoneMap : public QWidget {
    Q_OBJECT

public:
    explicit ZoneMap(QWidget *parent = nullptr);

    CoordinateRow *row(Boundary boundary) const { return m_rows[int(boundary)]; }
    // Paints the region without alert in areaColourOn, the others off.
    void showArea(Area area);

    static QColor areaColourOn();
    static QColor areaColourOff();
    // Where a region lies on the map: column and row, 0..2.
    static QPoint cellOf(Area area);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool event(QEvent *event) override;

private:
    struct Metrics;
    Metrics metrics() const;
    void placeChildren();

    std::array<AreaShape *, AreaCount> m_shapes{};
    std::array<QFrame *, BoundaryCount> m_lines{};
    std::array<CoordinateRow *, BoundaryCount> m_rows{};
    std::array<QLabel *, BoundaryCount> m_titles{};
};

} // namespace kvt::zones
