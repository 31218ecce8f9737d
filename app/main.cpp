#include <QApplication>

#include "app/OrvaneApp.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    COrvaneApp app;
    return app.InitInstance() ? QApplication::exec() : 0;
}
