#include <QApplication>
#include <QLocale>

#include "app/OrvaneApp.h"
#include "app/Translations.h"
#include "stream/FileSystem.h"

int main(int argc, char* argv[]) {
    // A file size limit then fails the save instead of killing the program.
    IgnoreFileSizeSignal();
    QApplication application(argc, argv);
#ifdef ORVANE_DESKTOP_ID
    QApplication::setDesktopFileName(QStringLiteral(ORVANE_DESKTOP_ID));
#endif
    // LANGUAGE, LC_ALL, LC_MESSAGES and LANG choose, as for other programs.
    InstallTranslations(QLocale().uiLanguages());
    COrvaneApp app;
    return app.InitInstance() ? QApplication::exec() : 0;
}
