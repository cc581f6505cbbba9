#pragma once

#include "image/document.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTimer>

class QAction;
class QShortcut;

namespace kvt::ui {
class Dialogs;
}

namespace kvt::editor {

class DocumentForm;

// The configurator's main window "Form1": edits one unit's parameter set
// (the open document), opens and saves configuration files, hands zones to
// the zone editor and starts the programmer window.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(ui::Dialogs &dialogs, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The open document's values, always current.
    const image::Document &document() const;
    // The document-modified flag (Mdf).
    bool isModified() const;
    // Path of the file last opened or saved (DocumentPath); empty at start.
    QString documentPath() const;
    // Records the LOG memory holds for the ticked fields; 0 when none.
    int logRecordCount() const;

    // The File and Programmer menu commands. Like every command of the
    // window they do nothing while the zone editor or the programmer is open.
    void openDocument();
    void saveDocument();
    void runProgrammer();
    // Opens the zone editor on zone 1..64 (DisplayGeofencingForm).
    void displayGeofencingForm(int zone);

signals:
    void modifiedChanged(bool modified);
    // The window has accepted its close: the document's life is over.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus();
    void setCommandsEnabled(bool enabled);
    void fitToScreen(const QMargins &frame);

    void setModified(bool modified);
    void setDocumentPath(const QString &path);
    void updateCaption();
    bool writeDocument(const QString &path);
    void finishZoneHandBack();
    void takeOutOfUse();
    void giveBack();

    ui::Dialogs &m_dialogs;
    DocumentForm *m_form;
    bool m_modified = false;
    QString m_documentPath;
    QString m_dialogPath;        // the file dialog's last chosen path
    QList<QAction *> m_commands; // every menu and menu item
    QShortcut *m_menuKey = nullptr;

    QTimer m_handBackTimer; // Timer1: the zone hand-back, after the editor is gone
    int m_pendingZone = 0;
    QString m_pendingZoneText;
    QPointer<QWidget> m_openWindow; // zone editor or programmer while open
};

} // namespace kvt::editor
