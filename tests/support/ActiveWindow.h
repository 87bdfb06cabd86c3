#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

// Shows `window` and makes it the application's active window, as a click on it would; false when
// the platform did not activate it.
inline bool activate(QWidget& window)
{
    window.show();
    window.activateWindow();
    QElapsedTimer waited;
    waited.start();
    while (QApplication::activeWindow() != &window && waited.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return QApplication::activeWindow() == &window;
}
