#include <QApplication>

#include "app/OrvaneApp.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
#ifdef ORVANE_DESKTOP_ID
    QApplication::setDesktopFileName(QStringLiteral(ORVANE_DESKTOP_ID));
#endif
    COrvaneApp app;
    return app.InitInstance() ? QApplication::exec() : 0;
}
