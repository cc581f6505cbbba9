#include "zones/coordinaterow.h"

#include "image/zonecaptions.h"
#include "zones/coordinatelabel.h"

#include <QHBoxLayout>
#include <QLabel>

namespace kvt::zones {

using image::BoundaryCount;

namespace {

// Titles and commas come from the zone captions (image/zonecaptions.h).
struct RowInfo {
    const char *prefix;
    int digits;
    char hemisphere;      // design caption
    int doubleClickDigit; // the digit a double-click advances once more, or 0
};
// Indexed by Boundary.
constexpr RowInfo Rows[BoundaryCount] = {
    {"TL", 9, 'N', 0},
    {"BL", 9, 'S', 0},
    {"LL", 10, 'W', 5},
    {"RL", 10, 'E', 0},
};

} // namespace

CoordinateRow::CoordinateRow(Boundary boundary, QWidget *parent)
    : QWidget(parent),
      m_boundary(boundary)
{
    const RowInfo &row = Rows[int(boundary)];
    const QString prefix = QString::fromLatin1(row.prefix);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    for (int d = 1; d <= row.digits; ++d) {
        auto *digit = new CoordinateLabel(QStringLiteral("0"), this);
        digit->setObjectName(prefix + QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0')));
        digit->setAccessibleName(title() + QStringLiteral(" digit ") + QString::number(d));
        connect(digit, &CoordinateLabel::clicked, this, [this, d] { emit digitActivated(d - 1); });
        if (d == row.doubleClickDigit) {
            connect(digit, &CoordinateLabel::doubleClicked, this,
                    [this, d] { emit digitActivated(d - 1); });
        }
        layout->addWidget(digit);
        m_digits.append(digit);
        if (d == image::digitsBeforeComma(boundary)) {
            auto *comma = new QLabel(QStringLiteral(","), this);
            QFont bold = comma->font();
            bold.setBold(true);
            comma->setFont(bold);
            layout->addWidget(comma);
        }
    }
    m_hemisphere = new CoordinateLabel(QString(QLatin1Char(row.hemisphere)), this);
    m_hemisphere->setObjectName(prefix + QStringLiteral("or"));
    m_hemisphere->setAccessibleName(title() + QStringLiteral(" hemisphere"));
    connect(m_hemisphere, &CoordinateLabel::clicked, this, &CoordinateRow::hemisphereActivated);
    layout->addWidget(m_hemisphere);
}

QString CoordinateRow::title() const
{
    return QString::fromLatin1(image::BoundaryTitles[int(m_boundary)]);
}

void CoordinateRow::showLine(const CoordinateLine &line)
{
    for (int d = 0; d < m_digits.size(); ++d)
        m_digits[d]->setCaption(line.digits.mid(d, 1));
    m_hemisphere->setCaption(QString(line.hemisphere));
}

} // namespace kvt::zones
