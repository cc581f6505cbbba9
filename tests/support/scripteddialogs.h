#pragma once

#include "ui/dialogs.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Dialogs for tests: records every message and answers from scripts.
class ScriptedDialogs final : public kvt::ui::Dialogs {
public:
    struct Shown {
        QString title;
        QString text;
        kvt::ui::MessageIcon icon;
        bool yesNo;
        QString detail = {};
    };

    QList<Shown> shown;                        // every message, in order
    QList<kvt::ui::Answer> answers;            // taken first to last; No when empty
    QList<std::optional<QString>> fileAnswers; // taken first to last; cancel when empty
    QStringList fileFilters;                   // filter of each file dialog shown
    // Called while a message is "on screen" (e.g. to look at a window then).
    std::function<void(const Shown &)> onMessage;

    void message(QWidget *parent, const QString &title, const QString &text, kvt::ui::MessageIcon icon,
                 const QString &detail = QString()) override;
    kvt::ui::Answer askYesNo(QWidget *parent, const QString &title, const QString &text,
                             kvt::ui::MessageIcon icon) override;
    std::optional<QString> openFileName(QWidget *parent, const QString &filterText, const QString &startPath) override;
    std::optional<QString> saveFileName(QWidget *parent, const QString &filterText, const QString &startPath) override;

    const Shown *last() const { return shown.isEmpty() ? nullptr : &shown.last(); }
};
