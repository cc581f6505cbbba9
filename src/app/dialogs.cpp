#include "app/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace kvt::app {

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
                            MessageIcon icon)
{
    QMessageBox box(toBoxIcon(icon), title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool WidgetDialogs::askYesNo(QWidget *parent, const QString &title, const QString &text,
                             MessageIcon icon)
{
    QMessageBox box(toBoxIcon(icon), title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
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
                                                      nullptr,
                                                      QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace kvt::app
