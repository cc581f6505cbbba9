#pragma once

#include "ui/dialogs.h"

#include <QList>

#include <functional>

// Dialogs for tests: records every message and answers from scripts.
class ScriptedDialogs final : public kvt::ui::Dialogs {
public:
    struct Shown {
        QString title, text;
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

    void message(QWidget *, const QString &title, const QString &text, kvt::ui::MessageIcon icon,
                 const QString &detail = QString()) override
    {
        show({title, text, icon, false, detail});
    }
    kvt::ui::Answer askYesNo(QWidget *, const QString &title, const QString &text, kvt::ui::MessageIcon icon) override
    {
        show({title, text, icon, true});
        return answers.isEmpty() ? kvt::ui::Answer::No : answers.takeFirst();
    }
    std::optional<QString> openFileName(QWidget *, const QString &f, const QString &) override { return file(f); }
    std::optional<QString> saveFileName(QWidget *, const QString &f, const QString &) override { return file(f); }

    const Shown *last() const { return shown.isEmpty() ? nullptr : &shown.last(); }

private:
    void show(const Shown &message)
    {
        shown.append(message);
        if (onMessage)
            onMessage(shown.last());
    }
    std::optional<QString> file(const QString &filter)
    {
        fileFilters.append(filter);
        return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.takeFirst();
    }
};
