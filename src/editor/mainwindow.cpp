#include "editor/mainwindow.h"

#include "editor/documentform.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "programmerwindow/programmerwindow.h"
#include "ui/dialogs.h"
#include "ui/windowfit.h"
#include "zones/zoneeditor.h"

#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QShowEvent>
#include <QStyle>
#include <QWindow>

#include <functional>

namespace kvt::editor {

namespace {

const QString WarningTitle = QStringLiteral("Warning Message");
const QString ErrorTitle = QStringLiteral("Error Message");
const QString SaveBeforeExitText = QStringLiteral("           Save before exit?");
const QString CaptionBase = QStringLiteral("MOLBERANE\u00AE KVT Series Configurator version 1.2");

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

} // namespace

MainWindow::MainWindow(ui::Dialogs &dialogs, QWidget *parent)
    : QMainWindow(parent),
      m_dialogs(dialogs),
      m_form(new DocumentForm(dialogs)),
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

    // The form scrolls only in a window that the screen cannot hold whole.
    setCentralWidget(ui::scrollingArea(m_form));
    connect(m_form, &DocumentForm::edited, this, [this] { setModified(true); });

    buildMenus();
    updateCaption();
    // Room for the title bar the desktop will add.
    fitToScreen(ui::expectedFrame(this));
}

MainWindow::~MainWindow()
{
    // The zone editor or programmer, open or waiting for deletion, is deleted
    // with this window and must not call back into it meanwhile.
    for (QObject *child : children())
        disconnect(child, nullptr, this, nullptr);
}

const image::Document &MainWindow::document() const
{
    return m_form->document();
}
bool MainWindow::isModified() const
{
    return m_modified;
}
QString MainWindow::documentPath() const
{
    return m_documentPath;
}
int MainWindow::logRecordCount() const
{
    return m_form->logRecordCount();
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
    m_menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(m_menuKey, &QShortcut::activated, this,
            [this, file] { menuBar()->setActiveAction(file->menuAction()); });

    const std::function<void(const QList<QAction *> &)> collect =
        [&](const QList<QAction *> &actions) {
            for (QAction *action : actions) {
                if (action->isSeparator())
                    continue;
                m_commands.append(action);
                if (action->menu())
                    collect(action->menu()->actions());
            }
        };
    collect(menuBar()->actions());
}

// A window out of use takes no command from anyone: the items are
// disabled themselves, so that neither a shortcut nor a screen reader's
// action reaches them.
void MainWindow::setCommandsEnabled(bool enabled)
{
    for (QAction *action : std::as_const(m_commands))
        action->setEnabled(enabled);
    m_menuKey->setEnabled(enabled);
}

// The window holds the menu bar above the form.
void MainWindow::fitToScreen(const QMargins &frame)
{
    const QSize form = m_form->sizeHint();
    ui::fitToScreen(this, QSize(form.width(), menuBar()->sizeHint().height() + form.height()),
                    frame);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The frame the desktop gave the window is known now; a window it
    // pushes off the free area is fitted again.
    const QScreen *s = screen();
    if (s && windowHandle() && !s->availableGeometry().contains(frameGeometry()))
        fitToScreen(windowHandle()->frameMargins());
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
    if (m_openWindow)
        return;
    finishZoneHandBack();
    const auto path = m_dialogs.openFileName(this, ui::ConfigurationFilter, m_dialogPath);
    if (!path)
        return;
    m_dialogPath = *path;
    setDocumentPath(*path);
    const image::LoadResult loaded = image::loadConfigurationFile(*path);
    if (loaded.status != image::LoadResult::Loaded) {
        m_dialogs.message(this, ErrorTitle, image::loadFailureText(loaded.status),
                          ui::MessageIcon::Exclamation);
        return;
    }
    m_form->setDocument(loaded.document);
    setModified(false);
}

void MainWindow::saveDocument()
{
    if (m_openWindow)
        return;
    finishZoneHandBack();
    const auto path = m_dialogs.saveFileName(this, ui::ConfigurationFilter, m_dialogPath);
    if (!path)
        return;
    m_dialogPath = *path;
    setDocumentPath(*path);
    if (writeDocument(*path))
        setModified(false);
}

bool MainWindow::writeDocument(const QString &path)
{
    if (image::writeConfigurationFile(path, image::encodeParameters(document())))
        return true;
    m_dialogs.message(this, ErrorTitle, image::SaveFailedText, ui::MessageIcon::Exclamation);
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
    if (m_modified) {
        switch (m_dialogs.askYesNo(this, WarningTitle, SaveBeforeExitText, ui::MessageIcon::None)) {
        case ui::Answer::Dismissed:
            // Closed without an answer (Escape, its close button): nothing is lost.
            event->ignore();
            return;
        case ui::Answer::No: break;
        case ui::Answer::Yes: {
            // A cancelled dialog or a failed write keeps the user in the editor with the
            // document intact: the user asked for it to be saved.
            const auto path = m_dialogs.saveFileName(this, ui::ConfigurationFilter, m_dialogPath);
            if (!path) {
                event->ignore();
                return;
            }
            m_dialogPath = *path;
            if (!writeDocument(*path)) {
                event->ignore();
                return;
            }
            setModified(false);
            break;
        }
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
    // Out of use before the editor exists, so the editor itself stays enabled.
    takeOutOfUse();
    auto *editor = new zones::ZoneEditor(zone, document().zoneTexts[zone - 1], this);
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
    m_form->setZoneText(m_pendingZone, m_pendingZoneText);
    m_pendingZone = 0;
    m_pendingZoneText.clear();
}

void MainWindow::runProgrammer()
{
    if (m_openWindow)
        return;
    finishZoneHandBack();
    takeOutOfUse();
    auto *window = new programmerwindow::ProgrammerWindow(m_dialogs, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_openWindow = window;
    connect(window, &programmerwindow::ProgrammerWindow::closed, this, &MainWindow::giveBack);
    connect(window, &QObject::destroyed, this, &MainWindow::giveBack);
    window->show();
}

void MainWindow::takeOutOfUse()
{
    setEnabled(false);
    setCommandsEnabled(false);
}

void MainWindow::giveBack()
{
    if (!m_openWindow && isEnabled())
        return;
    m_openWindow = nullptr;
    setCommandsEnabled(true);
    setEnabled(true);
    activateWindow();
}

} // namespace kvt::editor
