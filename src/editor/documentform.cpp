#include "editor/documentform.h"

#include "image/charset.h"
#include "image/gprs.h"
#include "image/parametertables.h"
#include "ui/dialogs.h"
#include "ui/validators.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTextDocument>
#include <QVBoxLayout>

namespace kvt::editor {

using image::CheckCaptions;
using image::FirstLogCheck;
using image::logMemoryCaption;
using image::logRecordCount;
using image::logRecordSize;
using image::RtcIntCounter;
using image::RtcIntUnit;
using image::SmsCatchText;
using image::SmsCatchWarningText;
using image::StepButton;
using image::StepButtons;
using image::TempHA;
using image::TempLA;
using image::TextBoxes;
using image::TrackSeqText;
using image::ValueBox;
using image::ValueBoxes;

using image::Document;
using image::GprsField;

namespace {

constexpr int FirstGprsText = int(TextBoxes.size());

QString &documentText(Document &doc, int text)
{
    return text < FirstGprsText ? doc.*(TextBoxes[text].text) : doc.gprs[text - FirstGprsText];
}

// The text check of a box: a GPRS box's text stands on a line of its own.
ui::FileTextValidator::TextCheck textCheck(int text)
{
    return text < FirstGprsText ? image::isEncodable : image::isGprsBoxText;
}

// The GPRS frame, row by row; NoField stands for the String Length box.
constexpr int NoField = -1;
const QList<QList<int>> GprsRows = {
    {int(GprsField::Apn)},
    {NoField, int(GprsField::Ip)},
    {int(GprsField::Login), int(GprsField::Password)},
    {int(GprsField::Dns1), int(GprsField::Dns2)},
    {int(GprsField::FtpServer)},
    {int(GprsField::FtpUsername), int(GprsField::FtpPassword)},
    {int(GprsField::FtpSubDirectory)},
    {int(GprsField::Trial), int(GprsField::Port), int(GprsField::Mode), int(GprsField::Tmr1),
     int(GprsField::Tmr2)},
};

// A label above its box; as the box's buddy it also names the box for a screen reader.
QLabel *labelFor(QWidget *box, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(box);
    return label;
}

// The frames keep the widths of the usual look, and grow when larger
// text needs more room.
void setFrameWidth(QWidget *frame, int usualWidth)
{
    frame->setFixedWidth(qMax(usualWidth, frame->minimumSizeHint().width()));
}

int documentCheckState(int state)
{
    switch (state) {
    case Qt::Checked: return image::Ticked;
    case Qt::PartiallyChecked: return image::Greyed;
    default: return image::Clear;
    }
}

Qt::CheckState boxCheckState(int state)
{
    switch (state) {
    case image::Ticked: return Qt::Checked;
    case image::Greyed: return Qt::PartiallyChecked;
    default: return Qt::Unchecked;
    }
}

} // namespace

DocumentForm::DocumentForm(ui::Dialogs &dialogs, QWidget *parent)
    : QWidget(parent),
      m_dialogs(dialogs),
      m_doc(image::startupDocument())
{
    auto *columns = new QHBoxLayout(this);
    auto frame = [this](const char *name, const QString &title) {
        auto *box = new QGroupBox(title, this);
        box->setObjectName(QLatin1String(name));
        return box;
    };
    QWidget *device = buildDeviceFrame();
    auto *registers = frame("Frame2", QStringLiteral("Configuration registers"));
    m_logFrame = frame("Frame3", logMemoryCaption(0));
    buildRegisterFrames(registers, m_logFrame);
    QWidget *gprs = buildGprsFrame();
    for (QWidget *box : std::initializer_list<QWidget *>{device, registers, m_logFrame, gprs})
        columns->addWidget(box, 0, Qt::AlignTop);
    showDocument();
}

QWidget *DocumentForm::buildDeviceFrame()
{
    auto *frame = new QGroupBox(QStringLiteral("Device parameters"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *grid = new QGridLayout(frame);
    auto *validator = new ui::FileTextValidator(textCheck(0), this);
    int row = 0;
    for (int text = 0; text < FirstGprsText; ++text) {
        auto *box = new QLineEdit(frame);
        box->setObjectName(QLatin1String(TextBoxes[text].name));
        box->setMaxLength(TextBoxes[text].maxLength);
        box->setValidator(validator);
        m_texts[text] = box;
        connect(box, &QLineEdit::textChanged, this,
                [this, text](const QString &value) { takeText(text, value); });
        grid->addWidget(labelFor(box, QLatin1String(TextBoxes[text].label), frame), row++, 0, 1, 2);
        grid->addWidget(box, row++, 0, 1, 2);
    }

    // TLA and THA share a row; the other value boxes take a row each.
    const std::array<std::array<int, 2>, 5> layoutRows = {{
        {TempLA, TempHA},
        {TrackSeqText, -1},
        {RtcIntUnit, -1},
        {RtcIntCounter, -1},
        {SmsCatchText, -1},
    }};
    for (const auto &cells : layoutRows) {
        const bool shared = cells[1] >= 0;
        for (int column = 0; column < 2 && cells[column] >= 0; ++column) {
            const int index = cells[column];
            const ValueBox &valueBox = ValueBoxes[index];
            auto *box = new QLineEdit(frame);
            box->setObjectName(QLatin1String(valueBox.name));
            box->setReadOnly(true);
            m_valueBoxes[index] = box;
            // Read-only for everyone: a screen reader's "set text" is undone.
            connect(box, &QLineEdit::textChanged, this, [this, index] { showValue(index); });
            const int span = shared ? 1 : 2;
            grid->addWidget(labelFor(box, QLatin1String(valueBox.label), frame), row, column, 1,
                            span);
            grid->addWidget(box, row + 1, column, 1, span);

            auto *buttons = new QHBoxLayout;
            for (int b = 0; b < int(StepButtons.size()); ++b) {
                const StepButton &sb = StepButtons[b];
                if (sb.box != index)
                    continue;
                const QString action = sb.increases() ? QStringLiteral("Increase ")
                                                      : QStringLiteral("Decrease ");
                auto *button = new QPushButton(
                    sb.increases() ? QStringLiteral(">") : QStringLiteral("<"), frame);
                button->setObjectName(QLatin1String(sb.name));
                button->setAccessibleName(action + QLatin1String(valueBox.label));
                button->setToolTip(button->accessibleName());
                button->setAutoDefault(false);
                button->setFixedWidth(qMax(40, button->minimumSizeHint().height() * 3 / 2));
                connect(button, &QPushButton::clicked, this, [this, b] { step(b); });
                buttons->addWidget(button);
            }
            buttons->addStretch();
            grid->addLayout(buttons, row + 2, column, 1, span);
        }
        row += 3;
    }
    grid->setRowStretch(row, 1);
    setFrameWidth(frame, 230);
    return frame;
}

void DocumentForm::buildRegisterFrames(QGroupBox *registers, QGroupBox *log)
{
    auto *registerColumn = new QVBoxLayout(registers);
    auto *logColumn = new QVBoxLayout(log);
    for (int n = 1; n <= image::CheckCount; ++n) {
        QGroupBox *frame = n < FirstLogCheck ? registers : log;
        auto *box = new QCheckBox(QLatin1String(CheckCaptions[n - 1]), frame);
        box->setObjectName(QStringLiteral("Check%1").arg(n));
        m_checks[n - 1] = box;
        connect(box, &QCheckBox::stateChanged, this, [this, n](int state) { takeCheck(n, state); });
        (n < FirstLogCheck ? registerColumn : logColumn)->addWidget(box);
    }
}

QWidget *DocumentForm::buildGprsFrame()
{
    auto *frame = new QGroupBox(QStringLiteral("GPRS parameters"), this);
    frame->setObjectName(QStringLiteral("Frame4"));
    auto *rows = new QVBoxLayout(frame);
    auto *validator = new ui::FileTextValidator(textCheck(FirstGprsText), this);
    for (const auto &cells : GprsRows) {
        auto *row = new QHBoxLayout;
        for (int cell : cells) {
            auto *column = new QVBoxLayout;
            auto *box = new QLineEdit(frame);
            if (cell == NoField) {
                m_formatLen = box;
                box->setObjectName(QStringLiteral("FormatLen"));
                box->setReadOnly(true);
                box->setFixedWidth(90);
                connect(box, &QLineEdit::textChanged, this, &DocumentForm::showGprsFormat);
                column->addWidget(labelFor(box, QStringLiteral("String Length"), frame));
            } else {
                const int text = FirstGprsText + cell;
                m_texts[text] = box;
                box->setObjectName(image::gprsFieldName(GprsField(cell)));
                box->setValidator(validator);
                connect(box, &QLineEdit::textChanged, this,
                        [this, text](const QString &value) { takeText(text, value); });
                column->addWidget(labelFor(box, image::gprsFieldLabel(GprsField(cell)), frame));
            }
            column->addWidget(box);
            row->addLayout(column, cell == NoField ? 0 : 1);
        }
        rows->addLayout(row);
    }
    m_gprsFormat = new QPlainTextEdit(frame);
    m_gprsFormat->setObjectName(QStringLiteral("GprsFormat"));
    m_gprsFormat->setReadOnly(true);
    m_gprsFormat->setTabChangesFocus(true);
    m_gprsFormat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_gprsFormat->setFixedHeight(m_gprsFormat->fontMetrics().lineSpacing() * 5 + 12);
    connect(m_gprsFormat, &QPlainTextEdit::textChanged, this, &DocumentForm::showGprsFormat);
    rows->addWidget(
        labelFor(m_gprsFormat, QStringLiteral("Formatted string (255 characters max)"), frame));
    rows->addWidget(m_gprsFormat);
    rows->addStretch();
    setFrameWidth(frame, 360);
    return frame;
}

void DocumentForm::setDocument(const Document &doc)
{
    m_doc = doc;
    showDocument();
}

void DocumentForm::showDocument()
{
    for (int text = 0; text < int(m_texts.size()); ++text)
        showText(text);
    for (int box = 0; box < int(m_valueBoxes.size()); ++box)
        showValue(box);
    for (int n = 1; n <= image::CheckCount; ++n)
        showCheck(n);
    showGprsFormat();
    showLogMemoryCaption();
}

void DocumentForm::setZoneText(int zone, const QString &text)
{
    m_doc.zoneTexts[zone - 1] = text;
}

// While the main window is out of use (the zone editor or the programmer
// is open) its controls take nothing, not even from a screen reader.
bool DocumentForm::refusesEdits() const
{
    return !isEnabled();
}

void DocumentForm::takeText(int text, const QString &value)
{
    if (m_showing)
        return;
    const bool gprsLine = text >= FirstGprsText;
    if (refusesEdits() || !textCheck(text)(value)) {
        showText(text);
        return;
    }
    documentText(m_doc, text) = value;
    if (gprsLine)
        showGprsFormat();
    emit edited();
}

void DocumentForm::takeCheck(int number, int state)
{
    if (m_showing)
        return;
    if (refusesEdits()) {
        showCheck(number);
        return;
    }
    // A greyed box (only a file holds one) can be ticked or cleared, never greyed again.
    if (state != Qt::PartiallyChecked)
        m_checks[number - 1]->setTristate(false);
    m_doc.check(number) = documentCheckState(state);
    if (number >= FirstLogCheck)
        showLogMemoryCaption();
    emit edited();
}

void DocumentForm::step(int button)
{
    const StepButton &stepButton = StepButtons[button];
    double &value = m_doc.*(ValueBoxes[stepButton.box].value);
    if (refusesEdits() || !stepButton.allows(value))
        return;
    value += stepButton.step;
    showValue(stepButton.box);
    emit edited();
    if (stepButton.box == SmsCatchText && !stepButton.increases() && value == 18)
        m_dialogs.message(window(), QStringLiteral("Warning Message"), SmsCatchWarningText,
                          ui::MessageIcon::Exclamation);
}

void DocumentForm::showText(int text)
{
    const QScopedValueRollback showing(m_showing, true);
    m_texts[text]->setText(documentText(m_doc, text));
}

void DocumentForm::showValue(int box)
{
    if (m_showing)
        return;
    const QScopedValueRollback showing(m_showing, true);
    const ValueBox &valueBox = ValueBoxes[box];
    m_valueBoxes[box]->setText(valueBox.form(m_doc.*(valueBox.value)));
}

void DocumentForm::showCheck(int number)
{
    const QScopedValueRollback showing(m_showing, true);
    QCheckBox *box = m_checks[number - 1];
    box->setTristate(m_doc.check(number) == image::Greyed);
    box->setCheckState(boxCheckState(m_doc.check(number)));
}

// The formatted string, its length and its red colour when too long;
// the boxes are read-only for everyone, so any other text is undone.
void DocumentForm::showGprsFormat()
{
    if (m_showing)
        return;
    const QScopedValueRollback showing(m_showing, true);
    const QString text = image::composeGprsString(m_doc.gprs);
    // The raw text: toPlainText() would turn a no-break space into a space.
    QString shownText = m_gprsFormat->document()->toRawText();
    shownText.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    if (shownText != text)
        m_gprsFormat->setPlainText(text);
    m_formatLen->setText(QString::number(text.size()));
    QPalette palette;
    if (text.size() > image::GprsStringLimit)
        palette.setColor(QPalette::Base, QColor(255, 0, 0));
    m_gprsFormat->setPalette(palette);
}

void DocumentForm::showLogMemoryCaption()
{
    m_logRecordCount = image::logRecordCount(logRecordSize(m_doc.checks));
    m_logFrame->setTitle(logMemoryCaption(m_logRecordCount));
}

} // namespace kvt::editor
