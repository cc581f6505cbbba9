#pragma once

#include "image/zoneedits.h"

#include <QList>
#include <QWidget>

namespace kvt::zones {

using image::Boundary;
using image::CoordinateLine;

class CoordinateLabel;

// One line of the square written out as clickable characters: its digits
// (TL01..TL09 and so on) with the fixed comma, then its hemisphere letter
// (TLor). It shows a CoordinateLine and reports what the user asks of it;
// the zone editor makes the change.
class CoordinateRow : public QWidget {
    Q_OBJECT

public:
    explicit CoordinateRow(Boundary boundary, QWidget *parent = nullptr);

    // "TOP LINE LATITUDE", ...
    QString title() const;
    void showLine(const CoordinateLine &line);

signals:
    // Digit `index` (0-based) is to count up once: a click, Space or Enter,
    // a screen reader's Press. A double-click on LL05 asks a second time.
    void digitActivated(int index);
    void hemisphereActivated();

private:
    Boundary m_boundary;
    QList<CoordinateLabel *> m_digits;
    CoordinateLabel *m_hemisphere = nullptr;
};

} // namespace kvt::zones
