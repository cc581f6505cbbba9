#include "app/splash.h"

#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QRadialGradient>
#include <QScreen>
#include <QVBoxLayout>

namespace kvt::app {

Splash::Splash(QWidget *mainWindow, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_mainWindow(mainWindow),
      m_bar(new QProgressBar(this)),
      m_timer(this)
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAccessibleName(QStringLiteral("Loading application"));

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(Splash::picture());
    picture->setFixedSize(500, 270);
    picture->setAccessibleName(QStringLiteral("MOLBERANE\u00AE KVT Series Configurator"));

    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto *label = new QLabel(QStringLiteral("Loading application"), this);
    label->setObjectName(QStringLiteral("Label1"));

    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName(label->text());
    label->setBuddy(m_bar);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 8);
    layout->addWidget(picture);
    layout->addWidget(line);
    layout->addWidget(label);
    layout->addWidget(m_bar);
    setFixedSize(sizeHint());
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());

    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setInterval(TickInterval);
    connect(&m_timer, &QTimer::timeout, this, &Splash::tick);
    m_timer.start();
}

int Splash::value() const
{
    return m_bar->value();
}

void Splash::tick()
{
    if (m_done)
        return;
    ++m_ticks;
    if (m_bar->value() != 100) {
        m_bar->setValue(qMin(100, m_bar->value() + Step));
        return;
    }
    m_done = true;
    m_timer.stop();
    if (m_mainWindow) {
        m_mainWindow->show();
        m_mainWindow->raise();
        m_mainWindow->activateWindow();
    }
    emit finished();
    close();
}

QPixmap Splash::picture()
{
    const QSize size(500, 270);
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // Night-blue sky over a dark ground line.
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(10, 32, 66));
    sky.setColorAt(0.7, QColor(28, 78, 128));
    sky.setColorAt(1, QColor(18, 44, 70));
    p.fillRect(pixmap.rect(), sky);

    // A faint grid of meridians and parallels.
    p.setPen(QPen(QColor(255, 255, 255, 28), 1));
    for (int x = 20; x < size.width(); x += 40)
        p.drawLine(x, 0, x, size.height());
    for (int y = 15; y < size.height(); y += 40)
        p.drawLine(0, y, size.width(), y);

    // A geofence square with a route crossing it.
    p.setPen(QPen(QColor(255, 196, 60), 2, Qt::DashLine));
    p.setBrush(QColor(255, 196, 60, 40));
    p.drawRect(QRectF(300, 92, 150, 110));
    QPainterPath route(QPointF(250, 250));
    route.cubicTo(QPointF(320, 200), QPointF(330, 120), QPointF(420, 130));
    route.cubicTo(QPointF(470, 135), QPointF(480, 70), QPointF(495, 40));
    p.setPen(QPen(QColor(120, 220, 255), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(route);

    // The tracked vehicle: a location pin with signal arcs.
    const QPointF pin(375, 128);
    QRadialGradient glow(pin, 60);
    glow.setColorAt(0, QColor(255, 80, 60, 110));
    glow.setColorAt(1, QColor(255, 80, 60, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(pin, 60, 60);
    QPainterPath marker;
    marker.moveTo(pin);
    marker.arcTo(QRectF(pin.x() - 16, pin.y() - 52, 32, 32), 220, -260);
    marker.closeSubpath();
    p.setBrush(QColor(235, 64, 52));
    p.drawPath(marker);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(pin.x(), pin.y() - 36), 6, 6);
    p.setBrush(Qt::NoBrush);
    for (int r = 1; r <= 3; ++r) {
        p.setPen(QPen(QColor(255, 255, 255, 200 - 50 * r), 2));
        const double d = 14.0 * r;
        p.drawArc(QRectF(pin.x() - 10 - d, pin.y() - 70 - d, 2 * (10 + d), 2 * (10 + d)), 45 * 16,
                  90 * 16);
    }

    // A satellite in the corner.
    p.save();
    p.translate(455, 38);
    p.rotate(-30);
    p.setPen(QPen(QColor(200, 210, 225), 1));
    p.setBrush(QColor(70, 110, 170));
    p.drawRect(QRectF(-30, -6, 20, 12));
    p.drawRect(QRectF(10, -6, 20, 12));
    p.setBrush(QColor(210, 215, 225));
    p.drawRect(QRectF(-8, -8, 16, 16));
    p.restore();

    // The product's name.
    p.setPen(Qt::white);
    QFont title(QStringLiteral("Sans Serif"));
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRectF(24, 30, 300, 44), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("MOLBERANE\u00AE"));
    QFont subtitle(title);
    subtitle.setPixelSize(20);
    subtitle.setBold(false);
    p.setFont(subtitle);
    p.setPen(QColor(200, 225, 255));
    p.drawText(QRectF(26, 78, 300, 28), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("KVT Series Configurator"));
    QFont small(title);
    small.setPixelSize(13);
    small.setBold(false);
    p.setFont(small);
    p.setPen(QColor(170, 195, 225));
    p.drawText(QRectF(26, 108, 260, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("version 1.2"));
    p.drawText(QRectF(26, 226, 230, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("GPS/GSM vehicle tracking units"));
    return pixmap;
}

} // namespace kvt::app
