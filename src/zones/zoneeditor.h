#pragma once

#include <QString>
#include <QWidget>

namespace kvt::zones {

// The zone editor window "Geofencing": edits one zone of the open
// document. It decodes the zone text when first activated and encodes its
// controls back when it closes, however it is closed.
class ZoneEditor : public QWidget {
    Q_OBJECT

public:
    // zone: 1..64. The window deletes itself when closed.
    ZoneEditor(int zone, const QString &zoneText, QWidget *parent = nullptr);
    ~ZoneEditor() override;

    int zone() const;
    // The zone text the controls encode to right now (EncodeZone).
    QString encodeZone() const;

signals:
    // The user changed something: the document is modified.
    void edited();
    // Emitted exactly once, when the window closes, with the encoded zone.
    void closed(int zone, const QString &zoneText);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    int m_zone;
    QString m_zoneText;
    bool m_closed = false;
};

} // namespace kvt::zones
