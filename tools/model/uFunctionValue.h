#pragma once
// One sample of a plotted function.
#include "platform/SysUtils.h"

struct TFunctionValue
{
    Extended X = 0;
    Extended Y = 0;       // meaningless when not Defined
    bool Defined = false; // false where the function has no value
};
