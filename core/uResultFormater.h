#pragma once
// The display text of a real value in the small tool windows: the user's
// notation setting and number of decimal places, no other bases, no digit
// groups (the main display uses FormatNumber instead).
#include "platform/SysUtils.h"

#include <QString>

class TResultFormater
{
public:
    static QString FormatResult(Extended Value);
};
