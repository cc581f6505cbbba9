#include "editor/mainwindow.h"

#include "app/dialogs.h"
#include "editor/parametertables.h"
#include "image/charset.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "image/gprs.h"
#include "programmer/programmerwindow.h"
#include "zones/zoneeditor.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QValidator>
#include <QVBoxLayout>

namespace kvt::editor {

using image::GprsField;

namespace {

const QString WarningTitle = QStringLiteral("Warning Message");
const QString ErrorTitle = QStringLiteral("Error Message");
const QString SaveBeforeExitText = QStringLiteral("           Save before exit?");
const QString CaptionBase =
    QStringLiteral("MOLBERANE\u00AE KVT Series Configurator version 1.2");

// Refuses any text that has no code in the 8-bit set of the files, so that
// typing or pasting such text leaves the box as it was. A GPRS box also
// refuses a carriage return (pasted text can hold one): it would end the
// box's GPRS line in the file, and the save would fail.
class EncodableValidator final : public QValidator {
public:
    EncodableValidator(bool gprsLine, QObject *parent) : QValidator(parent), m_gprsLine(gprsLine)
    {
    }
    State validate(QString &input, int &) const override
    {
        if (m_gprsLine && input.contains(QLatin1Char('\r')))
            return Invalid;
        return image::isEncodable(input) ? Acceptable : Invalid;
    }

private:
    bool m_gprsLine;
};

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

// A label above its box, the label being the box's buddy and its accessible name.
QLabel *labelFor(QWidget *box, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(box);
    box->setAccessibleName(text);
    return label;
}

QString zoneItemName(int zone)
{
    if (zone == 7)
        return QStringLiteral("Z7");
    return QStringLiteral("Z%1").arg(zone, 2, 10, QLatin1Char('0'));
}

QString zoneItemCaption(int zone)
{
    return QStringLiteral("Zone %1 (%2h)")
        .arg(zone, 2, 10, QLatin1Char('0'))
        .arg(QString::number(zone, 16).toUpper(), 2, QLatin1Char('0'));
}

int documentCheckState(Qt::CheckState state)
{
    switch (state) {
    case Qt::Checked: return image::Ticked;
    case Qt::PartiallyChecked: return image::Greyed;
    case Qt::Unchecked: break;
    }
    return image::Clear;
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

MainWindow::MainWindow(app::Dialogs &dialogs, QWidget *parent)
    : QMainWindow(parent),
      m_dialogs(dialogs),
      m_doc(image::startupDocument()),
      m_handBackTimer(this)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon::fromTheme(QStringLiteral("kvt-configurator")));

    m_handBackTimer.setObjectName(QStringLiteral("Timer1"));
    m_handBackTimer.setSingleShot(true);
    m_handBackTimer.setInterval(10);
    connect(&m_handBackTimer, &QTimer::timeout, this, &MainWindow::finishZoneHandBack);

    auto *central = new QWidget(this);
    auto *columns = new QHBoxLayout(central);
    auto frame = [central](const char *name, const QString &title) {
        auto *box = new QGroupBox(title, central);
        box->setObjectName(QLatin1String(name));
        return box;
    };
    auto *device = frame("Frame1", QStringLiteral("Device parameters"));
    buildDeviceFrame(device);
    auto *registers = frame("Frame2", QStringLiteral("Configuration registers"));
    m_logFrame = frame("Frame3", logMemoryCaption(0));
    buildRegisterFrames(registers, m_logFrame);
    auto *gprs = frame("Frame4", QStringLiteral("GPRS parameters"));
    buildGprsFrame(gprs);
    for (QGroupBox *box : {device, registers, m_logFrame, gprs})
        columns->addWidget(box, 0, Qt::AlignTop);
    setCentralWidget(central);

    buildMenus();
    showDocument();
    setModified(false);
    updateCaption();

    setFixedSize(sizeHint());
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow()
{
    // The zone editor or programmer, open or waiting for deletion, is deleted
    // with this window and must not call back into it meanwhile.
    for (QObject *child : children())
        disconnect(child, nullptr, this, nullptr);
}

const image::Document &MainWindow::document() const { return m_doc; }
bool MainWindow::isModified() const { return m_modified; }
QString MainWindow::documentPath() const { return m_documentPath; }
int MainWindow::logRecordCount() const { return m_logRecordCount; }

void MainWindow::buildDeviceFrame(QWidget *frame)
{
    auto *grid = new QGridLayout(frame);
    auto *validator = new EncodableValidator(false, this);
    int row = 0;
    auto freeBox = [&](const char *name, const QString &label) {
        auto *box = new QLineEdit(frame);
        box->setObjectName(QLatin1String(name));
        box->setValidator(validator);
        grid->addWidget(labelFor(box, label, frame), row++, 0, 1, 2);
        grid->addWidget(box, row++, 0, 1, 2);
        return box;
    };
    m_simPin = freeBox("SimPin", QStringLiteral("SIM Card PIN"));
    m_simPin->setMaxLength(8);
    connect(m_simPin, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_doc.simPin = text;
        if (!m_filling)
            setModified(true);
    });
    m_isdnRecall = freeBox("IsdnRecall", QStringLiteral("ISDN Recall number"));
    connect(m_isdnRecall, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_doc.isdnRecall = text;
        if (!m_filling)
            setModified(true);
    });

    // TLA and THA share a row; the other value boxes take a row each.
    const std::array<std::array<int, 2>, 5> layoutRows = {{
        {TempLA, TempHA}, {TrackSeqText, -1}, {RtcIntUnit, -1}, {RtcIntCounter, -1},
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
            const int span = shared ? 1 : 2;
            grid->addWidget(labelFor(box, QLatin1String(valueBox.label), frame), row, column, 1, span);
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
                button->setFixedWidth(40);
                connect(button, &QPushButton::clicked, this, [this, b] { step(b); });
                buttons->addWidget(button);
            }
            buttons->addStretch();
            grid->addLayout(buttons, row + 2, column, 1, span);
        }
        row += 3;
    }
    grid->setRowStretch(row, 1);
    frame->setFixedWidth(230);
}

void MainWindow::buildRegisterFrames(QGroupBox *registers, QGroupBox *log)
{
    auto *registerColumn = new QVBoxLayout(registers);
    auto *logColumn = new QVBoxLayout(log);
    for (int n = 1; n <= image::CheckCount; ++n) {
        QGroupBox *frame = n < FirstLogCheck ? registers : log;
        auto *box = new QCheckBox(QLatin1String(CheckCaptions[n - 1]), frame);
        box->setObjectName(QStringLiteral("Check%1").arg(n));
        m_checks[n - 1] = box;
        connect(box, &QCheckBox::clicked, this, [this, n] { checkClicked(n); });
        (n < FirstLogCheck ? registerColumn : logColumn)->addWidget(box);
    }
    registerColumn->addStretch();
    logColumn->addStretch();
}

void MainWindow::buildGprsFrame(QWidget *frame)
{
    auto *rows = new QVBoxLayout(frame);
    auto *validator = new EncodableValidator(true, this);
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
                column->addWidget(labelFor(box, QStringLiteral("String Length"), frame));
            } else {
                const auto field = GprsField(cell);
                m_gprsBoxes[cell] = box;
                box->setObjectName(image::gprsFieldName(field));
                box->setValidator(validator);
                column->addWidget(labelFor(box, image::gprsFieldLabel(field), frame));
                connect(box, &QLineEdit::textChanged, this, [this, cell](const QString &text) {
                    m_doc.gprs[cell] = text;
                    if (!m_filling)
                        refreshGprsFormat();
                });
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
    rows->addWidget(
        labelFor(m_gprsFormat, QStringLiteral("Formatted string (255 characters max)"), frame));
    rows->addWidget(m_gprsFormat);
    rows->addStretch();
    frame->setFixedWidth(360);
}

void MainWindow::buildMenus()
{
    // The menus' first letters are their Alt keys (Alt+F, Alt+G, Alt+P).
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    QAction *open = file->addAction(QStringLiteral("Open configuration file..."));
    open->setObjectName(QStringLiteral("FileOpen"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, this, &MainWindow::openDocument);
    QAction *save = file->addAction(QStringLiteral("Save configuration file as..."));
    save->setObjectName(QStringLiteral("FileSave"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, &MainWindow::saveDocument);
    file->addSeparator()->setObjectName(QStringLiteral("FileSpace"));
    QAction *exit = file->addAction(QStringLiteral("Exit"));
    exit->setObjectName(QStringLiteral("FileExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu *geo = menuBar()->addMenu(QStringLiteral("&Geofencing"));
    geo->setObjectName(QStringLiteral("GeoMenu"));
    QMenu *bank = nullptr;
    for (int zone = 1; zone <= image::ZoneCount; ++zone) {
        if (zone == 1 || zone == 33) {
            bank = geo->addMenu(zone == 1 ? QStringLiteral("Zone 01 to 32...")
                                          : QStringLiteral("Zone 33 to 64..."));
            bank->setObjectName(zone == 1 ? QStringLiteral("Bnk01") : QStringLiteral("Bnk02"));
        }
        QAction *item = bank->addAction(zoneItemCaption(zone));
        item->setObjectName(zoneItemName(zone));
        connect(item, &QAction::triggered, this, [this, zone] { displayGeofencingForm(zone); });
    }

    QMenu *prog = menuBar()->addMenu(QStringLiteral("&Programmer"));
    prog->setObjectName(QStringLiteral("ProgMenu"));
    QAction *write = prog->addAction(QStringLiteral("Run KVT Programmer..."));
    write->setObjectName(QStringLiteral("WriteDevice"));
    write->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(write, &QAction::triggered, this, &MainWindow::runProgrammer);

    // F10 opens the menu bar from the keyboard, as on most Linux desktops.
    auto *menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this,
            [this, file] { menuBar()->setActiveAction(file->menuAction()); });
}

void MainWindow::step(int button)
{
    const StepButton &stepButton = StepButtons[button];
    double &value = m_doc.*(ValueBoxes[stepButton.box].value);
    if (!stepButton.allows(value))
        return;
    value += stepButton.step;
    writeValueBox(stepButton.box);
    setModified(true);
    if (stepButton.box == SmsCatchText && !stepButton.increases() && value == 18)
        m_dialogs.message(this, WarningTitle, SmsCatchWarningText, app::MessageIcon::Exclamation);
}

void MainWindow::writeValueBox(int box)
{
    const ValueBox &valueBox = ValueBoxes[box];
    const QString text = valueBox.form(m_doc.*(valueBox.value));
    // An RTC unit code outside 4..7 (only a file can hold one) has no word:
    // the box keeps the unit it showed before.
    if (!text.isEmpty())
        m_valueBoxes[box]->setText(text);
}

void MainWindow::refreshGprsFormat()
{
    const QString text = image::composeGprsString(m_doc.gprs);
    if (m_gprsFormat->toPlainText() != text)
        m_gprsFormat->setPlainText(text);
    m_formatLen->setText(QString::number(text.size()));
    const bool tooLong = text.size() > image::GprsStringLimit;
    if (tooLong) {
        QPalette red = m_gprsFormat->palette();
        red.setColor(QPalette::Base, QColor(255, 0, 0));
        m_gprsFormat->setPalette(red);
    } else {
        m_gprsFormat->setPalette(QPalette());
    }
    setModified(true);
}

void MainWindow::refreshLogMemoryCaption()
{
    m_logRecordCount = editor::logRecordCount(logRecordSize(m_doc.checks));
    m_logFrame->setTitle(logMemoryCaption(m_logRecordCount));
    setModified(true);
}

void MainWindow::checkClicked(int number)
{
    QCheckBox *box = m_checks[number - 1];
    if (box->checkState() != Qt::PartiallyChecked)
        box->setTristate(false);
    m_doc.check(number) = documentCheckState(box->checkState());
    if (number < FirstLogCheck)
        setModified(true);
    else
        refreshLogMemoryCaption();
}

// Puts the whole document into the controls; the caller decides Mdf.
void MainWindow::showDocument()
{
    m_filling = true;
    m_simPin->setText(m_doc.simPin);
    m_isdnRecall->setText(m_doc.isdnRecall);
    for (int i = 0; i < int(ValueBoxes.size()); ++i)
        writeValueBox(i);
    for (int n = 1; n <= image::CheckCount; ++n) {
        QCheckBox *box = m_checks[n - 1];
        box->setTristate(m_doc.check(n) == image::Greyed);
        box->setCheckState(boxCheckState(m_doc.check(n)));
    }
    for (int f = 0; f < image::GprsFieldCount; ++f)
        m_gprsBoxes[f]->setText(m_doc.gprs[f]);
    m_filling = false;
    refreshGprsFormat();
    refreshLogMemoryCaption();
}

void MainWindow::setModified(bool modified)
{
    if (modified == m_modified)
        return;
    m_modified = modified;
    updateCaption();
    emit modifiedChanged(modified);
}

void MainWindow::setDocumentPath(const QString &path)
{
    m_documentPath = path;
    updateCaption();
}

void MainWindow::updateCaption()
{
    QString caption = CaptionBase + QStringLiteral(" - ") + m_documentPath;
    if (m_modified)
        caption += QLatin1Char('*');
    setWindowTitle(caption);
}

void MainWindow::openDocument()
{
    finishZoneHandBack();
    const auto path =
        m_dialogs.openFileName(this, app::ConfigurationFilter, m_dialogPath);
    if (!path)
        return;
    m_dialogPath = *path;
    setDocumentPath(*path);
    image::LoadResult loaded = image::loadConfigurationFile(*path);
    switch (loaded.status) {
    case image::LoadResult::Unreadable:
        m_dialogs.message(this, ErrorTitle, image::UnreadableFileText,
                          app::MessageIcon::Exclamation);
        return;
    case image::LoadResult::Invalid:
        m_dialogs.message(this, ErrorTitle, image::InvalidFileText,
                          app::MessageIcon::Exclamation);
        return;
    case image::LoadResult::Loaded:
        break;
    }
    m_doc = std::move(loaded.document);
    showDocument();
    setModified(false);
}

void MainWindow::saveDocument()
{
    finishZoneHandBack();
    const auto path =
        m_dialogs.saveFileName(this, app::ConfigurationFilter, m_dialogPath);
    if (!path)
        return;
    m_dialogPath = *path;
    setDocumentPath(*path);
    if (writeDocument(*path))
        setModified(false);
}

bool MainWindow::writeDocument(const QString &path)
{
    if (image::writeConfigurationFile(path, image::encodeParameters(m_doc)))
        return true;
    m_dialogs.message(this, ErrorTitle, image::SaveFailedText, app::MessageIcon::Exclamation);
    return false;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // While the zone editor or the programmer is open this window takes no input.
    if (m_openWindow) {
        event->ignore();
        return;
    }
    finishZoneHandBack();
    if (m_modified
        && m_dialogs.askYesNo(this, WarningTitle, SaveBeforeExitText, app::MessageIcon::None)) {
        const auto path =
            m_dialogs.saveFileName(this, app::ConfigurationFilter, m_dialogPath);
        if (path) {
            m_dialogPath = *path;
            // A failed write keeps the user in the editor with the document intact.
            if (!writeDocument(*path)) {
                event->ignore();
                return;
            }
            setModified(false);
        }
    }
    event->accept();
    emit closed();
}

void MainWindow::displayGeofencingForm(int zone)
{
    if (zone < 1 || zone > image::ZoneCount || m_openWindow)
        return;
    finishZoneHandBack();
    // Disabled before the editor exists, so the editor itself stays enabled.
    setEnabled(false);
    auto *editor = new zones::ZoneEditor(zone, m_doc.zoneTexts[zone - 1], this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    m_openWindow = editor;
    connect(editor, &zones::ZoneEditor::edited, this, [this] { setModified(true); });
    connect(editor, &zones::ZoneEditor::closed, this, [this, zone](int, const QString &text) {
        m_pendingZone = zone;
        m_pendingZoneText = text;
        m_handBackTimer.start();
        giveBack();
    });
    connect(editor, &QObject::destroyed, this, &MainWindow::giveBack);
    editor->show();
}

void MainWindow::finishZoneHandBack()
{
    if (m_pendingZone == 0)
        return;
    m_handBackTimer.stop();
    m_doc.zoneTexts[m_pendingZone - 1] = m_pendingZoneText;
    m_pendingZone = 0;
    m_pendingZoneText.clear();
}

void MainWindow::runProgrammer()
{
    if (m_openWindow)
        return;
    finishZoneHandBack();
    setEnabled(false);
    auto *window = new programmer::ProgrammerWindow(m_dialogs, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_openWindow = window;
    connect(window, &programmer::ProgrammerWindow::closed, this, &MainWindow::giveBack);
    connect(window, &QObject::destroyed, this, &MainWindow::giveBack);
    window->show();
}

void MainWindow::giveBack()
{
    if (!m_openWindow && isEnabled())
        return;
    m_openWindow = nullptr;
    setEnabled(true);
    activateWindow();
}

} // namespace kvt::editor
