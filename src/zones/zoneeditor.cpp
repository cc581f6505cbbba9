// Placeholder until the zone editor window lands: keeps the main window's
// zone menu working by handing the zone back unchanged.
#include "zones/zoneeditor.h"

#include <QCloseEvent>

namespace kvt::zones {

ZoneEditor::ZoneEditor(int zone, const QString &zoneText, QWidget *parent)
    : QWidget(parent, Qt::Window), m_zone(zone), m_zoneText(zoneText)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("Geofencing"));
}

ZoneEditor::~ZoneEditor() = default;

int ZoneEditor::zone() const { return m_zone; }

QString ZoneEditor::encodeZone() const { return m_zoneText; }

void ZoneEditor::closeEvent(QCloseEvent *event)
{
    if (!m_closed) {
        m_closed = true;
        emit closed(m_zone, encodeZone());
    }
    event->accept();
}

} // namespace kvt::zones
