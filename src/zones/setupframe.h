#pragma once

#include "image/zonerecord.h"

#include <QGroupBox>

#include <array>

class QGridLayout;
class QLineEdit;

namespace kvt::zones {

using image::ZoneRecord;

// The frame "Setup" of the zone editor: the START and STOP times and the
// speed limit in read-only boxes, each over its four step buttons ("<",
// "<<", ">>", ">"), and the Cell-ID. It shows a record and reports what
// the user asks of it; the zone editor makes the change.
class SetupFrame : public QGroupBox {
    Q_OBJECT

public:
    enum Setting { Start, Stop, Speed, SettingCount };

    explicit SetupFrame(QWidget *parent = nullptr);

    // Fills the boxes from the record; no signal comes of it.
    void showRecord(const ZoneRecord &record);

    // Step button `button` (0..3, "<" to ">") of a setting applied to a
    // record; false where the rules refuse it (a limit).
    static bool step(ZoneRecord &record, Setting setting, int button);

signals:
    void stepRequested(kvt::zones::SetupFrame::Setting setting, int button);
    void cellIdEdited(const QString &text);
    // A read-only box was changed other than by its buttons (a screen
    // reader's set-text): the record is to be shown again.
    void boxTouched();

private:
    void addSetting(QGridLayout *layout, Setting setting, int column);
    void addCellIdBox(QGridLayout *layout, int column);

    bool m_showing = false;
    std::array<QLineEdit *, SettingCount> m_settingBoxes{}; // StartUTC, StopUTC, SpeedBox
    QLineEdit *m_cellIdBox = nullptr;
};

} // namespace kvt::zones
