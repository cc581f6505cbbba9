#include "scripteddialogs.h"

void ScriptedDialogs::message(QWidget *, const QString &title, const QString &text, kvt::ui::MessageIcon icon,
                              const QString &detail)
{
    shown.append({title, text, icon, false, detail});
    if (onMessage)
        onMessage(shown.last());
}

kvt::ui::Answer ScriptedDialogs::askYesNo(QWidget *, const QString &title, const QString &text,
                                          kvt::ui::MessageIcon icon)
{
    shown.append({title, text, icon, true});
    if (onMessage)
        onMessage(shown.last());
    return answers.isEmpty() ? kvt::ui::Answer::No : answers.takeFirst();
}

std::optional<QString> ScriptedDialogs::openFileName(QWidget *, const QString &filterText, const QString &)
{
    fileFilters.append(filterText);
    return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.takeFirst();
}

std::optional<QString> ScriptedDialogs::saveFileName(QWidget *, const QString &filterText, const QString &)
{
    fileFilters.append(filterText);
    return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.takeFirst();
}
