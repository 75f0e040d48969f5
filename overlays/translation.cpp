#include "overlays/translation.h"

#include <cstdio>

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace {

const char* const kJapanese = "ja";
const char* const kEnglish = "en";
// Where the build puts the compiled translations, inside the binary.
const char* const kTranslationFolder = ":/i18n";
const char* const kTranslationPrefix = "vantorel_";

// "en", "en-US" and "en_GB" are English; "english" is not.
bool IsLanguage(const QString& name, const char* language)
{
    const QString code = QString::fromLatin1(language);
    return name.compare(code, Qt::CaseInsensitive) == 0 ||
        (name.startsWith(code, Qt::CaseInsensitive) && (name.at(code.size()) == u'-' || name.at(code.size()) == u'_'));
}

}  // namespace

bool IsOfferedLanguage(const QString& language)
{
    return language == QLatin1String(kJapanese) || language == QLatin1String(kEnglish);
}

QString ChooseLanguage(const QString& asked, const QStringList& uiLanguages)
{
    if (IsOfferedLanguage(asked))
        return asked;
    for (const QString& name : uiLanguages) {
        if (IsLanguage(name, kEnglish))
            return QString::fromLatin1(kEnglish);
        if (IsLanguage(name, kJapanese))
            return QString::fromLatin1(kJapanese);
    }
    return QString::fromLatin1(kJapanese);
}

bool InstallTranslation(const QString& language)
{
    if (language == QLatin1String(kJapanese))
        return true;
    // Owned by the application, so it lives as long as any text is asked for.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(
            QString::fromLatin1(kTranslationPrefix) + language, QString::fromLatin1(kTranslationFolder))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void SpeakChosenLanguage(const QString& asked, const char* program)
{
    const QString language = ChooseLanguage(asked, QLocale::system().uiLanguages());
    if (!InstallTranslation(language))
        std::fprintf(stderr, "%s: no translation into \"%s\"\n", program, qPrintable(language));
}
