#include <QApplication>

#include "app/OrvaneApp.h"
#include "stream/FileSystem.h"

int main(int argc, char* argv[]) {
    // A file size limit then fails the save instead of killing the program.
    IgnoreFileSizeSignal();
    QApplication application(argc, argv);
#ifdef ORVANE_DESKTOP_ID
    QApplication::setDesktopFileName(QStringLiteral(ORVANE_DESKTOP_ID));
#endif
    COrvaneApp app;
    return app.InitInstance() ? QApplication::exec() : 0;
}
