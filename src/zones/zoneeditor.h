#pragma once

#include "image/zonerecord.h"

#include <QString>
#include <QWidget>

#include <array>

class QBoxLayout;
class QCheckBox;
class QGridLayout;
class QGroupBox;
class QRadioButton;

namespace kvt::zones {

using image::AreaCount;
using image::ZoneRecord;

class SetupFrame;
class ZoneMap;

// The zone editor window "Geofencing": edits one zone of the open
// document. It holds the zone as one ZoneRecord, which every control
// shows and every change goes through, however the change is made (mouse,
// keyboard, a screen reader or code). It stores the record when it closes,
// however it is closed.
class ZoneEditor : public QWidget {
    Q_OBJECT

public:
    // zone: 1..64. The window deletes itself when closed.
    ZoneEditor(int zone, const QString &zoneText, QWidget *parent = nullptr);
    ~ZoneEditor() override;

    int zone() const { return m_zone; }
    // The zone text the record is stored as right now (EncodeZone).
    QString encodeZone() const;

signals:
    // The zone changed: the document is modified. Showing the zone is no
    // change.
    void edited();
    // Emitted exactly once, when the window closes, with the stored zone.
    void closed(int zone, const QString &zoneText);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *buildContent();
    QGroupBox *buildFlagFrame(const QString &title, int firstCheck);
    QGroupBox *buildSetup();
    QGroupBox *buildAreaOptions();
    QGroupBox *buildSpeedOptions();
    void arrange(bool narrow);

    // Takes a changed record from a control: stored, shown, edited().
    void change(const ZoneRecord &record);
    // Fills every control from the record, which is no change.
    void showRecord();

    const int m_zone;
    ZoneRecord m_record;
    bool m_showing = false;
    bool m_closed = false;

    QGridLayout *m_grid = nullptr;
    std::array<QWidget *, 6> m_parts{}; // in the order of the placing tables
    QBoxLayout *m_optionsLayout = nullptr;
    ZoneMap *m_map = nullptr;
    std::array<QCheckBox *, 16> m_checks{};                // Check01..Check16
    std::array<QRadioButton *, AreaCount> m_areaOptions{}; // Option1..Option9
    QRadioButton *m_noAlert = nullptr;                     // Option10
    QRadioButton *m_alert = nullptr;                       // Option11
    SetupFrame *m_setup = nullptr;
};

} // namespace kvt::zones
