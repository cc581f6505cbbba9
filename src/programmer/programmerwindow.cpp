// Placeholder until the programmer window lands.
#include "programmer/programmerwindow.h"

#include <QCloseEvent>

namespace kvt::programmer {

ProgrammerWindow::ProgrammerWindow(app::Dialogs &dialogs, QWidget *parent)
    : QMainWindow(parent, Qt::Window), m_dialogs(dialogs)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("Progr"));
}

ProgrammerWindow::~ProgrammerWindow() = default;

void ProgrammerWindow::closeEvent(QCloseEvent *event)
{
    if (!m_closed) {
        m_closed = true;
        emit closed();
    }
    event->accept();
}

} // namespace kvt::programmer
