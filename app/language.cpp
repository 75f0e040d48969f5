#include "app/language.h"

#include <QCoreApplication>

Language WindowLanguage()
{
    //: This translation's language code ("en"): the labels give place names in this language.
    const QString code = QCoreApplication::translate("Language", "ja");
    return code == QLatin1String("en") ? Language::English : Language::Japanese;
}
