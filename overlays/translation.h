#pragma once
// Which language the programs speak, and its translation installed: the
// viewer's windows and messages and vantorel-render's messages decide alike.
// Japanese is the language the texts are written in; English comes from the
// translation built into this library.

#include <QString>
#include <QStringList>

// The languages the programs speak, as --lang names them.
bool IsOfferedLanguage(const QString& language);

// "en" or "ja". A language asked for on the command line wins; otherwise the
// first of the two among the system's UI languages (most wanted first), and
// Japanese when neither is there, as under the C locale.
QString ChooseLanguage(const QString& asked, const QStringList& uiLanguages);

// Makes every text of the application come in `language` from here on; the
// windows made afterwards show it. Japanese needs no translation. False when
// the translation cannot be loaded, which leaves the texts in Japanese.
// Needs the application object.
bool InstallTranslation(const QString& language);

// ChooseLanguage from the system's languages, then InstallTranslation; said
// on standard error, after `program`, when the translation is missing.
void SpeakChosenLanguage(const QString& asked, const char* program);
