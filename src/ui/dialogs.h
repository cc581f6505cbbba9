#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace kvt::ui {

enum class MessageIcon { None, Exclamation, Information };

// The answer to a box with Yes and No. Dismissed: closed with neither
// (Escape, the box's close button), which callers take as "not now".
enum class Answer { Yes, No, Dismissed };

// Every modal message box and file dialog of the windows goes through this
// interface, so that tests can read each message and script each answer.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal box with an OK button; `detail` goes in the box's
    // informative text, below the message.
    virtual void message(QWidget *parent, const QString &title, const QString &text,
                         MessageIcon icon, const QString &detail = QString()) = 0;
    // A modal box with Yes and No.
    virtual Answer askYesNo(QWidget *parent, const QString &title, const QString &text,
                            MessageIcon icon) = 0;
    // File dialogs with one filter entry; nothing when cancelled.
    // The save dialog asks nothing before replacing a file and adds no
    // extension to a typed name.
    virtual std::optional<QString> openFileName(QWidget *parent, const QString &filterText,
                                                const QString &startPath) = 0;
    virtual std::optional<QString> saveFileName(QWidget *parent, const QString &filterText,
                                                const QString &startPath) = 0;
};

// The configuration file filter of every file dialog.
inline const QString ConfigurationFilter = QStringLiteral("Molberane configuration file (*.kvt)");

// The real dialogs, with QMessageBox and QFileDialog.
class WidgetDialogs final : public Dialogs {
public:
    void message(QWidget *parent, const QString &title, const QString &text, MessageIcon icon,
                 const QString &detail = QString()) override;
    Answer askYesNo(QWidget *parent, const QString &title, const QString &text,
                    MessageIcon icon) override;
    std::optional<QString> openFileName(QWidget *parent, const QString &filterText,
                                        const QString &startPath) override;
    std::optional<QString> saveFileName(QWidget *parent, const QString &filterText,
                                        const QString &startPath) override;
};

} // namespace kvt::ui
