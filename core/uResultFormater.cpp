#include "core/uResultFormater.h"

#include "core/uProgramSettings.h"
#include "core/uProgramState.h"

QString TResultFormater::FormatResult(Extended Value)
{
    QString pattern;
    if (KProgramSettings::Instance()->ScientificNotation)
        pattern = QStringLiteral("0.################E-0");
    else
        pattern = QStringLiteral("0.") + QString(int(KProgramState::GetInstance(0)->Decimals), u'#');
    QString text = FormatFloat(pattern, Value);
    // A value too small for the chosen places must not read as zero.
    if (text == QStringLiteral("0") && Value != 0)
        text = FloatToStr(Value);
    return text;
}
