#include "shell/uSystemLanguage.h"

#include <QLocale>

namespace {
QString &Override()
{
    static QString code;
    return code;
}
} // namespace

QString TSystemLanguage::GetIsoCode()
{
    if (!Override().isEmpty())
        return Override();
    // "sk_SK" -> "sk"; the C locale names itself "C".
    const QString name = QLocale::system().name();
    return name.section(QLatin1Char('_'), 0, 0).left(2);
}

void TSystemLanguage::OverrideIsoCode(const QString &code)
{
    Override() = code;
}
