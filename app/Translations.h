#pragma once

#include <QString>
#include <QStringList>

// The window in the operator's language: the first of `languages` (most
// preferred first, as QLocale::uiLanguages gives them) that Orvane has a
// translation for, with Qt's own for its standard dialogs. English, the
// source, stays when an English one comes first or none has one. Installing
// again replaces the earlier choice; the window's texts are made after it.
// Returns the translation's name ("zh_CN"), empty for English.
QString InstallTranslations(const QStringList& languages);
