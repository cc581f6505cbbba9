#include "app/splash.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
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
    picture->setPixmap(QPixmap(QStringLiteral(":/kvt/splash.png")));
    picture->setAccessibleName(QStringLiteral("MOLBERANE\u00AE KVT Series Configurator"));

    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    auto *label = new QLabel(QStringLiteral("Loading application"), this);
    label->setObjectName(QStringLiteral("Label1"));

    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setValue(0); // 0 to 100 by default; -1 (no progress at all) before this
    m_bar->setTextVisible(false);
    label->setBuddy(m_bar); // which gives the bar its accessible name

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

void Splash::tick()
{
    // The bar takes no value above its maximum: it stops at 100.
    if (m_bar->value() != m_bar->maximum()) {
        m_bar->setValue(m_bar->value() + Step);
        return;
    }
    // The splash deletes itself on closing, its timer with it.
    if (m_mainWindow) {
        m_mainWindow->show();
        m_mainWindow->raise();
        m_mainWindow->activateWindow();
    }
    emit finished();
    close();
}

} // namespace kvt::app
