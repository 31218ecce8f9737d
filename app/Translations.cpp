#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "console/Texts.h"

namespace {

std::string Lookup(const char* context, const char* source) {
    return QCoreApplication::translate(context, source).toStdString();
}

}  // namespace

QString InstallTranslations(const QStringList& languages) {
    // Owned here, not by the application, so the next call can take them back.
    static std::unique_ptr<QTranslator> own;
    static std::unique_ptr<QTranslator> qt;
    for (auto* old : {own.get(), qt.get()}) {
        if (old != nullptr) {
            QCoreApplication::removeTranslator(old);
        }
    }
    own = std::make_unique<QTranslator>();
    qt = std::make_unique<QTranslator>();
    texts::SetLookup(&Lookup);

    const QString qtTranslations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString& language : languages) {
        const QLocale locale(language);
        if (locale.language() == QLocale::English || locale.language() == QLocale::C) {
            break;
        }
        // Embedded by the build (qt_add_translations), so nothing is read from disk.
        if (!own->load(locale, QStringLiteral("orvane"), QStringLiteral("_"),
                       QStringLiteral(":/i18n"))) {
            continue;
        }
        QCoreApplication::installTranslator(own.get());
        // Optional: without it the standard buttons and file dialogs stay English.
        if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), qtTranslations)) {
            QCoreApplication::installTranslator(qt.get());
        }
        return own->language();
    }
    return QString();
}
