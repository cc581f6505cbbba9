#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace kvt::zones {

class AreaShape;
class CoordinateLabel;
struct ZoneRecord;

// The zone editor window "Geofencing": edits one zone of the open
// document. It decodes the zone text as it is built, before it is first
// shown, and encodes its controls back when it closes, however it is
// closed.
class ZoneEditor : public QWidget {
    Q_OBJECT

public:
    // zone: 1..64. The window deletes itself when closed.
    ZoneEditor(int zone, const QString &zoneText, QWidget *parent = nullptr);
    ~ZoneEditor() override;

    int zone() const;
    // The zone text the controls encode to right now (EncodeZone).
    QString encodeZone() const;

    // The colours of the map: the square-area region without alert, and
    // the rest.
    static QColor areaColourOn();
    static QColor areaColourOff();

signals:
    // The user changed something: the document is modified.
    void edited();
    // Emitted exactly once, when the window closes, with the encoded zone.
    void closed(int zone, const QString &zoneText);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // A time of day as its two working parts, two characters each.
    struct TimeParts {
        QString hour;
        QString minute;
    };
    enum class TimePart { Hour, Minute };

    QWidget *buildMap();
    QGroupBox *buildFlagFrame(const QString &title, int firstCheck);
    QGroupBox *buildSetup();
    QGroupBox *buildAreaOptions();
    QGroupBox *buildSpeedOptions();

    void decodeZone(const ZoneRecord &record);
    ZoneRecord recordFromControls() const;
    void refreshAlertOptions();

    void advanceDigit(CoordinateLabel *label);
    void toggleHemisphere(CoordinateLabel *label, int row);
    void stepSpeed(int delta);
    void stepTime(TimeParts &time, QLineEdit *box, TimePart part, int delta);
    void showSpeed();
    static void showTime(const TimeParts &time, QLineEdit *box);

    int m_zone;
    QString m_zoneText;
    bool m_closed = false;

    QLabel *m_zoneLabel = nullptr;
    QList<QCheckBox *> m_checks;                 // Check01..Check16
    QList<CoordinateLabel *> m_lineLabels;       // TL01..TLor, BL.., LL.., RL.. in stored order
    QList<AreaShape *> m_shapes;                 // in the order of the square-area options
    QList<QRadioButton *> m_areaOptions;         // Option1..Option9
    QRadioButton *m_noAlert = nullptr;           // Option10
    QRadioButton *m_alert = nullptr;             // Option11
    QLineEdit *m_startBox = nullptr;
    QLineEdit *m_stopBox = nullptr;
    QLineEdit *m_speedBox = nullptr;
    QLineEdit *m_cellIdBox = nullptr;

    QString m_speedKnots;   // as stored after decoding, shortest form after a step
    TimeParts m_start;
    TimeParts m_stop;
};

} // namespace kvt::zones
