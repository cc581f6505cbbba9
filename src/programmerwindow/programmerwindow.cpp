#include "programmerwindow/programmerwindow.h"

#include "image/configfile.h"
#include "programmer/engine.h"
#include "programmer/serialsettings.h"
#include "ui/dialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

namespace kvt::programmerwindow {

using namespace programmer;

namespace {

const QString NoFileLoaded = QStringLiteral("No file loaded");
const QString ErrorTitle = QStringLiteral("Error Message");

QAction *addItem(QMenu *menu, const QString &name, const QString &caption,
                 const QKeySequence &shortcut = {})
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    return action;
}

QAction *addSwitch(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *action = addItem(menu, name, caption);
    action->setCheckable(true);
    return action;
}

// A menu of the menu bar or a submenu; screen readers name it by its caption.
template <typename Parent>
QMenu *addMenu(Parent *parent, const QString &name, const QString &caption)
{
    QMenu *menu = parent->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name + QLatin1String("Action"));
    menu->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return menu;
}

} // namespace

ProgrammerWindow::ProgrammerWindow(ui::Dialogs &dialogs, QWidget *parent)
    : QMainWindow(parent, Qt::Window),
      m_dialogs(dialogs),
      m_engine(new ProgrammingEngine(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("Progr"));
    setWindowTitle(QStringLiteral(u"MOLBERANE\u00AE KVT Series Programmer version 2.5"));

    createMenus();
    createFrames();
    applySettings(SerialSettings{});
    // Read once here as well: a window closed before it was ever active
    // must not write the defaults over the user's settings.
    readSettingsFile();
    m_writeMenu->setEnabled(false);
    // Room for the caption and a usual path, within the screen's free area.
    QSize size(qMax(sizeHint().width(), 560), sizeHint().height());
    if (const QScreen *s = screen())
        size = size.boundedTo(s->availableGeometry().size());
    resize(size);

    connect(m_engine, &ProgrammingEngine::portOpened, this, &ProgrammerWindow::setStatus);
    connect(m_engine, &ProgrammingEngine::rangeChanged, this, [this](int maximum) {
        // A maximum of 0 would turn the bar into a busy indicator.
        m_progressBar->setRange(0, qMax(maximum, 1));
    });
    connect(m_engine, &ProgrammingEngine::progressed, this,
            [this](int done, int total, const QString &statusText) {
                if (m_progressBar->maximum() < total)
                    m_progressBar->setMaximum(total);
                m_progressBar->setValue(done);
                setStatus(statusText);
            });
    connect(m_engine, &ProgrammingEngine::finished, this, &ProgrammerWindow::showOperationEnd);
}

ProgrammerWindow::~ProgrammerWindow()
{
    // Destroyed without a close (its owner went away): the settings are
    // still kept. The engine, a child, abandons a transfer silently as it goes.
    if (!m_closed)
        writeSerialSettings(settingsFilePath(), menuSettings());
}

void ProgrammerWindow::createMenus()
{
    QMenuBar *bar = menuBar();

    m_fileMenu = addMenu(bar, QStringLiteral("FilePrgMenu"), tr("&File"));
    QAction *loadBinary = addItem(m_fileMenu, QStringLiteral("LoadBinary"),
                                  tr("Import configuration file..."),
                                  QKeySequence(Qt::CTRL | Qt::Key_L));
    m_fileMenu->addSeparator()->setObjectName(QStringLiteral("spaca"));
    QAction *exitMenu = addItem(m_fileMenu, QStringLiteral("ExitMenu"), tr("Exit"));

    m_comMenu = addMenu(bar, QStringLiteral("ComMenu"), tr("&Communication"));
    QMenu *serialMenu = addMenu(m_comMenu, QStringLiteral("SerialMenu"), tr("Serial Port..."));
    // One exclusive group: choosing the checked port again keeps it checked.
    auto *portGroup = new QActionGroup(this);
    portGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (int port = 1; port <= int(m_ports.size()); ++port) {
        m_ports[port - 1] = addSwitch(serialMenu, QStringLiteral("Com%1").arg(port),
                                      portName(port));
        portGroup->addAction(m_ports[port - 1]);
    }
    m_comMenu->addSeparator()->setObjectName(QStringLiteral("spacb"));
    m_dtrEnable = addSwitch(m_comMenu, QStringLiteral("DtrEnable"), tr("DTR Enable"));
    m_rtsEnable = addSwitch(m_comMenu, QStringLiteral("RtsEnable"), tr("RTS Enable"));
    m_eofEnable = addSwitch(m_comMenu, QStringLiteral("EofEnable"), tr("EOF Enable"));

    m_progMenu = addMenu(bar, QStringLiteral("ProgMenu"), tr("&Programming"));
    m_writeMenu = addItem(m_progMenu, QStringLiteral("WriteMenu"), tr("Write device..."),
                          QKeySequence(Qt::CTRL | Qt::Key_W));
    QAction *readMenu = addItem(m_progMenu, QStringLiteral("ReadMenu"), tr("Read device ID..."),
                                QKeySequence(Qt::CTRL | Qt::Key_R));

    // The bar keeps its height while every menu is hidden, so that the
    // frames do not jump up and down at each operation.
    bar->setMinimumHeight(bar->sizeHint().height());

    // F10 opens the first menu shown, as in the main window.
    auto *menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this, bar] {
        for (QMenu *menu : {m_fileMenu, m_comMenu, m_progMenu}) {
            if (menu->menuAction()->isVisible()) {
                bar->setActiveAction(menu->menuAction());
                return;
            }
        }
    });

    connect(loadBinary, &QAction::triggered, this, &ProgrammerWindow::importConfigurationFile);
    connect(exitMenu, &QAction::triggered, this, &QWidget::close);
    connect(m_writeMenu, &QAction::triggered, this, &ProgrammerWindow::writeDevice);
    connect(readMenu, &QAction::triggered, this, &ProgrammerWindow::readDeviceId);
}

void ProgrammerWindow::createFrames()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);

    auto *frame1 = new QGroupBox(tr("Loaded configuration file"), central);
    frame1->setObjectName(QStringLiteral("Frame1"));
    m_label1 = new QLabel(frame1);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setTextFormat(Qt::PlainText);
    m_label1->setWordWrap(true);
    // A long path without blanks cannot wrap: let it be cut rather than
    // stretch the window; the tool tip keeps the whole path.
    m_label1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_label1->setMinimumWidth(320);
    auto *frame1Layout = new QVBoxLayout(frame1);
    frame1Layout->addWidget(m_label1);
    setLoadedFile(NoFileLoaded);

    auto *frame3 = new QGroupBox(tr("Progress"), central);
    frame3->setObjectName(QStringLiteral("Frame3"));
    // A label straight inside a group box takes the box's title as its
    // accessible name when it is empty; the status line must then say
    // nothing, so it sits in a plain panel of the box.
    auto *progressPanel = new QWidget(frame3);
    m_label2 = new QLabel(progressPanel);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setTextFormat(Qt::PlainText);
    // Keeps its line when empty, so the bar does not jump.
    m_label2->setMinimumHeight(m_label2->fontMetrics().height());
    m_progressBar = new QProgressBar(progressPanel);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setAccessibleName(tr("Progress"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    auto *panelLayout = new QVBoxLayout(progressPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(m_label2);
    panelLayout->addWidget(m_progressBar);
    auto *frame3Layout = new QVBoxLayout(frame3);
    frame3Layout->addWidget(progressPanel);
    setStatus(QString());

    layout->addWidget(frame1);
    layout->addWidget(frame3);
    layout->addStretch();
    setCentralWidget(central);
}

bool ProgrammerWindow::event(QEvent *event)
{
    // The settings file may have been changed by another window or run
    // since this one was last active; a running transfer keeps its port.
    if (event->type() == QEvent::WindowActivate && m_operation == Operation::Idle && !m_closed)
        readSettingsFile();
    return QMainWindow::event(event);
}

void ProgrammerWindow::readSettingsFile()
{
    // The window comes back active after each of its own message boxes and
    // file dialogs, and after the user looked at another program: the
    // choices made in the menus since the file was read stay, unless the
    // file itself has changed meanwhile.
    QFile file(settingsFilePath());
    const QByteArray content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();
    if (m_settingsFileRead && content == m_settingsFileSeen)
        return;
    m_settingsFileRead = true;
    m_settingsFileSeen = content;
    applySettings(readSerialSettings(settingsFilePath(), menuSettings()));
}

// The event comes accepted: the window always closes.
void ProgrammerWindow::closeEvent(QCloseEvent *)
{
    unload();
}

void ProgrammerWindow::unload()
{
    if (m_closed)
        return;
    if (m_engine->isBusy())
        m_engine->cancel();
    writeSerialSettings(settingsFilePath(), menuSettings());
    m_closed = true;
    emit closed();
}

void ProgrammerWindow::importConfigurationFile()
{
    // The shortcut reaches the item even while its menu is hidden.
    if (m_operation != Operation::Idle)
        return;
    const std::optional<QString> path = m_dialogs.openFileName(this, ui::ConfigurationFilter,
                                                               m_importPath);
    if (!path)
        return;
    const image::LoadResult::Status status = image::checkConfigurationFile(*path);
    if (status != image::LoadResult::Loaded)
        m_dialogs.message(this, ErrorTitle, image::loadFailureText(status),
                          ui::MessageIcon::Exclamation);
    // A file that cannot be read leaves the earlier import; a refused one ends it.
    if (status == image::LoadResult::Unreadable)
        return;
    const bool loaded = status == image::LoadResult::Loaded;
    m_importPath = loaded ? *path : QString();
    setLoadedFile(loaded ? *path : NoFileLoaded);
    m_writeMenu->setEnabled(loaded);
}

void ProgrammerWindow::writeDevice()
{
    if (m_operation != Operation::Idle || m_importPath.isEmpty() || m_engine->isBusy())
        return;
    const SerialSettings settings = menuSettings();
    setOperation(Operation::Writing);
    m_engine->startWrite(m_importPath, settings, portName(settings.port));
}

void ProgrammerWindow::readDeviceId()
{
    // Choosing it again while a read runs is ignored.
    if (m_operation != Operation::Idle || m_engine->isBusy())
        return;
    const SerialSettings settings = menuSettings();
    setOperation(Operation::Reading);
    m_engine->startReadId(settings, portName(settings.port));
}

void ProgrammerWindow::showOperationEnd(const Outcome &outcome)
{
    // The engine keeps the port open until this returns, and the status
    // line still shows the last count while the message is up.
    if (outcome.kind != Outcome::Cancelled && !outcome.text.isEmpty()) {
        m_dialogs.message(this, outcome.title, outcome.text,
                          outcome.exclamation ? ui::MessageIcon::Exclamation
                                              : ui::MessageIcon::None,
                          outcome.detail);
    }
    setOperation(Operation::Idle);
}

void ProgrammerWindow::setOperation(Operation operation)
{
    m_operation = operation;
    const bool idle = operation == Operation::Idle;
    m_fileMenu->menuAction()->setVisible(idle);
    m_comMenu->menuAction()->setVisible(idle);
    m_progMenu->menuAction()->setVisible(operation != Operation::Writing);
    m_writeMenu->setVisible(idle);
    if (idle) {
        setStatus(QString());
        m_progressBar->setValue(0);
    }
}

void ProgrammerWindow::setLoadedFile(const QString &text)
{
    m_label1->setText(text);
    // The label speaks its text and nothing else (no mnemonic stripping).
    m_label1->setAccessibleName(text);
    m_label1->setToolTip(text == NoFileLoaded ? QString() : text);
}

void ProgrammerWindow::setStatus(const QString &text)
{
    m_label2->setText(text);
    m_label2->setAccessibleName(text);
}

SerialSettings ProgrammerWindow::menuSettings() const
{
    SerialSettings settings;
    for (int port = 1; port <= int(m_ports.size()); ++port) {
        if (m_ports[port - 1]->isChecked()) {
            settings.port = port;
            break;
        }
    }
    settings.dtr = m_dtrEnable->isChecked();
    settings.rts = m_rtsEnable->isChecked();
    settings.eof = m_eofEnable->isChecked();
    return settings;
}

void ProgrammerWindow::applySettings(const SerialSettings &settings)
{
    // readSerialSettings() keeps the port within COM1..COM4.
    m_ports.at(settings.port - 1)->setChecked(true);
    m_dtrEnable->setChecked(settings.dtr);
    m_rtsEnable->setChecked(settings.rts);
    m_eofEnable->setChecked(settings.eof);
}

} // namespace kvt::programmerwindow
