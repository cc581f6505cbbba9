#pragma once

#include "image/document.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <array>

class QAction;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;

namespace kvt::app { class Dialogs; }

namespace kvt::editor {

// The configurator's main window "Form1": edits one unit's parameter set
// (the open document), opens and saves configuration files, hands zones to
// the zone editor and starts the programmer window.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(app::Dialogs &dialogs, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The open document's values, always current.
    const image::Document &document() const;
    // The document-modified flag (Mdf).
    bool isModified() const;
    // Path of the file last opened or saved (DocumentPath); empty at start.
    QString documentPath() const;
    // Records the LOG memory holds for the ticked fields; 0 when none.
    int logRecordCount() const;

    // The File and Programmer menu commands.
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

private:
    void buildDeviceFrame(QWidget *frame);
    void buildRegisterFrames(QGroupBox *registers, QGroupBox *log);
    void buildGprsFrame(QWidget *frame);
    void buildMenus();

    void step(int button);
    void writeValueBox(int box);
    void refreshGprsFormat();
    void refreshLogMemoryCaption();
    void checkClicked(int number);

    void showDocument();
    void setModified(bool modified);
    void setDocumentPath(const QString &path);
    void updateCaption();
    bool writeDocument(const QString &path);
    void finishZoneHandBack();
    void giveBack();

    app::Dialogs &m_dialogs;
    image::Document m_doc;
    bool m_modified = false;
    bool m_filling = false;
    QString m_documentPath;
    QString m_dialogPath;      // the file dialog's last chosen path
    int m_logRecordCount = 0;

    std::array<QLineEdit *, 6> m_valueBoxes{};
    QLineEdit *m_simPin = nullptr;
    QLineEdit *m_isdnRecall = nullptr;
    std::array<QCheckBox *, image::CheckCount> m_checks{};
    QGroupBox *m_logFrame = nullptr;
    std::array<QLineEdit *, image::GprsFieldCount> m_gprsBoxes{};
    QPlainTextEdit *m_gprsFormat = nullptr;
    QLineEdit *m_formatLen = nullptr;

    QTimer m_handBackTimer;    // Timer1: the zone hand-back, after the editor is gone
    int m_pendingZone = 0;
    QString m_pendingZoneText;
    QPointer<QWidget> m_openWindow;   // zone editor or programmer while open
};

} // namespace kvt::editor
