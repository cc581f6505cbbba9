#include "ui/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace kvt::ui {

namespace {

QMessageBox::Icon toBoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void WidgetDialogs::message(QWidget *parent, const QString &title, const QString &text,
                            MessageIcon icon, const QString &detail)
{
    QMessageBox box(toBoxIcon(icon), title, text, QMessageBox::Ok, parent);
    // Texts from a unit or the system are shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(detail);
    box.exec();
}

Answer WidgetDialogs::askYesNo(QWidget *parent, const QString &title, const QString &text,
                               MessageIcon icon)
{
    QMessageBox box(toBoxIcon(icon), title, text, QMessageBox::Yes | QMessageBox::No, parent);
    // Escape and the close button press the Cancel button, hidden: apart
    // from No, they dismiss the box.
    box.addButton(QMessageBox::Cancel)->hide();
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return Answer::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No))
        return Answer::No;
    return Answer::Dismissed;
}

std::optional<QString> WidgetDialogs::openFileName(QWidget *parent, const QString &filterText,
                                                   const QString &startPath)
{
    const QString path = QFileDialog::getOpenFileName(parent, QString(), startPath, filterText);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> WidgetDialogs::saveFileName(QWidget *parent, const QString &filterText,
                                                   const QString &startPath)
{
    const QString path = QFileDialog::getSaveFileName(parent, QString(), startPath, filterText,
                                                      nullptr, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace kvt::ui
