#include "zones/setupframe.h"

#include "image/charset.h"
#include "image/zonecaptions.h"
#include "image/zoneedits.h"
#include "ui/validators.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

namespace kvt::zones {

namespace {

using image::Clock;
using image::TimePart;

// The columns of the frame: a read-only box over its four step buttons;
// indexed by Setting.
struct SetupColumn {
    const char *label;
    const char *box;
    int widthInCharacters;
    const char *buttons[4]; // "<", "<<", ">>", ">"
};
constexpr SetupColumn SetupColumns[] = {
    {image::StartTimeLabel, "StartUTC", 8, {"Command4", "Command7", "Command6", "Command2"}},
    {image::StopTimeLabel, "StopUTC", 8, {"Command5", "Command9", "Command8", "Command3"}},
    {image::SpeedLimitLabel, "SpeedBox", 17, {"Command11", "Command12", "Command1", "Command10"}},
};

// The four step buttons under each box: a big step is an hour or ten
// knots, a small one a minute or one knot.
struct StepButton {
    const char *caption;
    int sign;
    bool big;
};
constexpr StepButton StepButtons[4] = {
    {"<", -1, false}, {"<<", -1, true}, {">>", +1, true}, {">", +1, false}};

QString stepName(const QString &label, bool speed, const StepButton &button)
{
    const char *unit = speed ? (button.big ? " by 10" : " by 1")
                             : (button.big ? " hour" : " minute");
    return (button.sign < 0 ? QStringLiteral("Decrease ") : QStringLiteral("Increase ")) + label
        + QLatin1String(unit);
}

// Sets a box's text only when it differs, so the cursor of a box being
// typed in stays where it is.
void showText(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

} // namespace

SetupFrame::SetupFrame(QWidget *parent) : QGroupBox(QStringLiteral("Setup"), parent)
{
    auto *layout = new QGridLayout(this);
    for (int s = 0; s < SettingCount; ++s) {
        addSetting(layout, Setting(s), 5 * s);
        layout->setColumnMinimumWidth(5 * s + 4, 12);
    }
    addCellIdBox(layout, 5 * SettingCount);
    layout->setRowStretch(3, 1);
}

bool SetupFrame::step(ZoneRecord &record, Setting setting, int button)
{
    const StepButton &b = StepButtons[button];
    if (setting == Speed)
        return image::stepSpeed(record, b.sign * (b.big ? 10 : 1));
    return image::stepTime(record, setting == Start ? Clock::Start : Clock::Stop,
                           b.big ? TimePart::Hour : TimePart::Minute, b.sign);
}

void SetupFrame::showRecord(const ZoneRecord &record)
{
    const bool wasShowing = std::exchange(m_showing, true);
    showText(m_cellIdBox, record.cellId);
    showText(m_settingBoxes[Start], image::timeText(record, Clock::Start));
    showText(m_settingBoxes[Stop], image::timeText(record, Clock::Stop));
    showText(m_settingBoxes[Speed], image::speedText(record));
    m_showing = wasShowing;
}

// A read-only box under its label, over its four step buttons.
void SetupFrame::addSetting(QGridLayout *layout, Setting setting, int column)
{
    const SetupColumn &setup = SetupColumns[setting];
    const QString label = QString::fromLatin1(setup.label);
    auto *valueBox = new QLineEdit;
    valueBox->setObjectName(QString::fromLatin1(setup.box));
    valueBox->setReadOnly(true);
    valueBox->setAlignment(Qt::AlignCenter);
    valueBox->setMinimumWidth(
        valueBox->fontMetrics().horizontalAdvance(QString(setup.widthInCharacters, u'0')) + 16);
    // Only the step buttons change these boxes: any other change (a screen
    // reader setting the text) is put back at once.
    connect(valueBox, &QLineEdit::textChanged, this, [this] {
        if (!m_showing)
            emit boxTouched();
    });
    m_settingBoxes[setting] = valueBox;
    auto *title = new QLabel(label);
    title->setBuddy(valueBox);
    layout->addWidget(title, 0, column, 1, 4);
    layout->addWidget(valueBox, 1, column, 1, 4);

    for (int i = 0; i < 4; ++i) {
        const StepButton &step = StepButtons[i];
        const QString name = stepName(label, setting == Speed, step);
        auto *button = new QPushButton(QString::fromLatin1(step.caption));
        button->setObjectName(QString::fromLatin1(setup.buttons[i]));
        button->setAccessibleName(name);
        button->setToolTip(name);
        button->setAutoDefault(false);
        button->setMaximumWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("<<")) + 24);
        connect(button, &QPushButton::clicked, this,
                [this, setting, i] { emit stepRequested(setting, i); });
        layout->addWidget(button, 2, column + i);
    }
}

void SetupFrame::addCellIdBox(QGridLayout *layout, int column)
{
    const QString cellIdName = QLatin1String(image::CellIdLabel);
    m_cellIdBox = new QLineEdit;
    m_cellIdBox->setObjectName(QStringLiteral("TextCid"));
    m_cellIdBox->setMaxLength(4);
    m_cellIdBox->setValidator(new ui::FileTextValidator(image::isEncodable, m_cellIdBox));
    m_cellIdBox->setAlignment(Qt::AlignCenter);
    m_cellIdBox->setFixedWidth(m_cellIdBox->fontMetrics().horizontalAdvance(QStringLiteral("WWWW"))
                               + 16);
    connect(m_cellIdBox, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (m_showing)
            return;
        // Text set around the validator (a screen reader's insert) that
        // has no 8-bit code is refused like typed text.
        if (!image::isEncodable(text))
            emit boxTouched();
        else
            emit cellIdEdited(text);
    });
    auto *cellIdLabel = new QLabel(cellIdName);
    cellIdLabel->setBuddy(m_cellIdBox);
    layout->addWidget(cellIdLabel, 0, column);
    layout->addWidget(m_cellIdBox, 1, column);
}

} // namespace kvt::zones
