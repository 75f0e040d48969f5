// Ulvaren Vantorel: one elevation tile as an interactive 3D landscape.
// The first argument, if any, is a tile to open.

#include <exception>

#include <QApplication>

#include "app/apunit1.h"
#include "app/messagebox.h"
#include "loading/unitfileload.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantorel"));
    try {
        // The loading window creates the run's large buffers, which the main
        // window's views draw from.
        TForm2 loadingWindow;
        TForm1 mainWindow(loadingWindow, QApplication::arguments().mid(1));
        mainWindow.show();
        // The main window starts as the active one, which opens the tile named
        // on the command line.
        mainWindow.activateWindow();
        return app.exec();
    } catch (const std::exception& error) {
        ShowMessage(QString::fromLocal8Bit(error.what()));
    }
    return 0;
}
