#include "zones/coordinaterow.h"

#include "image/zonecaptions.h"
#include "zones/coordinatelabel.h"

#include <QHBoxLayout>
#include <QLabel>

namespace kvt::zones {

using image::BoundaryCount;

namespace {

// The rows' names, indexed by Boundary; their titles and commas come from
// the zone captions (image/zonecaptions.h).
constexpr const char *Prefixes[BoundaryCount] = {"TL", "BL", "LL", "RL"};

} // namespace

CoordinateRow::CoordinateRow(Boundary boundary, QWidget *parent)
    : QWidget(parent),
      m_boundary(boundary)
{
    const QString prefix = QString::fromLatin1(Prefixes[int(boundary)]);
    const int before = image::digitsBeforeComma(boundary);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    // Digits, comma and hemisphere letter in bold.
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    for (int d = 1; d <= before + 5; ++d) {
        auto *digit = new CoordinateLabel(this);
        digit->setObjectName(prefix + QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0')));
        digit->setAccessibleName(title() + QStringLiteral(" digit ") + QString::number(d));
        const auto activate = [this, d] { emit digitActivated(d - 1); };
        connect(digit, &CoordinateLabel::clicked, this, activate);
        if (boundary == Boundary::Left && d == 5) // LL05: a double-click advances it once more
            connect(digit, &CoordinateLabel::doubleClicked, this, activate);
        layout->addWidget(digit);
        m_digits.append(digit);
        if (d == before) {
            layout->addWidget(new QLabel(QStringLiteral(","), this));
        }
    }
    m_hemisphere = new CoordinateLabel(this);
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
