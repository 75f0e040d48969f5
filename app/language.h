#pragma once
// The language of the windows, messages and readouts: Japanese, the language
// the viewer is written in, or English from the translation built into it.

#include <QString>
#include <QStringList>

#include "places/matching.h"

// The languages the viewer speaks, as --lang names them.
bool IsOfferedLanguage(const QString& language);

// "en" or "ja". A language asked for on the command line wins; otherwise the
// first of the two among the system's UI languages (most wanted first), and
// Japanese when neither is there, as under the C locale.
QString ChooseLanguage(const QString& asked, const QStringList& uiLanguages);

// Makes every text of the application come in `language` from here on; the
// windows made afterwards show it. Japanese needs no translation. False when
// the translation cannot be loaded, which leaves the texts in Japanese.
bool InstallTranslation(const QString& language);

// The language the windows speak now, for the names on the labels.
Language WindowLanguage();
