#include "WindowToFront.h"

#include <QApplication>
#include <QWidget>

void BringWindowToFront(QWidget *Window)
{
    if (Window) {
        if (Window->isMinimized())
            Window->setWindowState((Window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        Window->show();
        Window->raise();
        Window->activateWindow();
    }
    // A box the operator has not answered yet comes first.
    QWidget *target = QApplication::activeModalWidget();
    if (!target)
        target = Window;
    if (!target)
        return;
    target->raise();
    target->activateWindow();
    QApplication::alert(target);
}
