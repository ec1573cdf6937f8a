#pragma once
#include <QString>

class TSystemLanguage
{
public:
    // The first two characters of the system locale's ISO 639 language name
    // (QLocale::system()), e.g. "sk"; "C" for the plain C locale.
    static QString GetIsoCode();
    // Makes GetIsoCode answer Code instead of asking the system; an empty
    // Code asks the system again. For tests.
    static void OverrideIsoCode(const QString &code);
};
