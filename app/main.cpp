#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>

#include "app/OrvaneApp.h"
#include "app/Translations.h"
#include "stream/FileSystem.h"

namespace {

// --help and --version are answered by a core application, which needs no
// display; the window's application comes only after it is gone. Qt's own
// options (-platform, -style, ...) pass through to that one.
void AnswerCommandLine(int argc, char* argv[]) {
    QCoreApplication cli(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));
    InstallTranslations(QLocale().uiLanguages());
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "main",
        "Drives Pelco-D and Pelco-P PTZ dome cameras over a serial line. COM1 to COM8 are the "
        "links in $XDG_CONFIG_HOME/orvane/ports (default ~/.config/orvane/ports), made with "
        "the Ports... button; see orvane(1)."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(help)) {
        parser.showHelp(0);  // exits
    }
    if (parser.isSet(version)) {
        parser.showVersion();  // exits
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    AnswerCommandLine(argc, argv);
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
