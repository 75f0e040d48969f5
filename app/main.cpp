// Ulvaren Vantorel: one elevation tile as an interactive 3D landscape.
// The first argument, if any, is a tile to open.

#include <cstdlib>
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
        // The arguments Qt has not taken, as the system's bytes: a path need
        // not be valid UTF-8.
        QByteArrayList commandLine;
        for (int i = 1; i < argc; ++i)
            commandLine.append(QByteArray(argv[i]));
        TForm1 mainWindow(loadingWindow, commandLine);
        mainWindow.show();
        // The main window starts as the active one, which opens the tile named
        // on the command line.
        mainWindow.activateWindow();
        return app.exec();
    } catch (const std::exception& error) {
        ShowMessage(QString::fromLocal8Bit(error.what()));
    }
    return EXIT_FAILURE;
}
