#pragma once

#include "image/document.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;

namespace kvt::ui {
class Dialogs;
}

namespace kvt::editor {

// The main window's four frames, bound to the open document, which is
// their only state: every control shows the document, and every change
// of a control, whoever makes it (mouse, keyboard, a screen reader, code),
// goes into the document or is refused.
class DocumentForm : public QWidget {
    Q_OBJECT

public:
    DocumentForm(ui::Dialogs &dialogs, QWidget *parent = nullptr);

    const image::Document &document() const { return m_doc; }
    // Shows a whole document; marks nothing edited.
    void setDocument(const image::Document &doc);
    // The zone editor's hand-back: no control of the form shows zones.
    void setZoneText(int zone, const QString &text);
    // Records the LOG memory holds for the ticked fields; 0 when none.
    int logRecordCount() const { return m_logRecordCount; }

signals:
    // A control changed the document.
    void edited();

private:
    QWidget *buildDeviceFrame();
    void buildRegisterFrames(QGroupBox *registers, QGroupBox *log);
    QWidget *buildGprsFrame();

    void takeText(int text, const QString &value);
    void takeCheck(int number, int state);
    void step(int button);
    bool refusesEdits() const;

    void showDocument();
    void showText(int text);
    void showValue(int box);
    void showCheck(int number);
    void showGprsFormat();
    void showLogMemoryCaption();

    ui::Dialogs &m_dialogs;
    image::Document m_doc;
    bool m_showing = false; // the controls are being set from the document
    int m_logRecordCount = 0;

    // The texts a box edits: TextBoxes, then the GPRS fields.
    std::array<QLineEdit *, 2 + image::GprsFieldCount> m_texts{};
    std::array<QLineEdit *, 6> m_valueBoxes{};
    std::array<QCheckBox *, image::CheckCount> m_checks{};
    QGroupBox *m_logFrame = nullptr;
    QPlainTextEdit *m_gprsFormat = nullptr;
    QLineEdit *m_formatLen = nullptr;
};

} // namespace kvt::editor
