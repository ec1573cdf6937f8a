#pragma once
// The calculator's process-wide state back to its defaults, so that one
// test's mode, separator, variables or evaluator gate never leaks into the
// next: decimal separator ".", default settings and live state, no user
// variables, no user constants, the evaluator's gate open.
#include "core/Analyzator.h"
#include "core/uCommon.h"
#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "platform/SysUtils.h"

inline void ResetEngineState()
{
    KProgramSettings::Instance()->SetDefaults();
    KProgramSettings::Instance()->SetDecimalSeparator(1);
    DecimalSeparator = u'.';
    KProgramState::GetInstance(0)->SetDefaults();
    TVariableManager::Instance()->Clear();
    ConstantItems = nullptr;
    ExpressionValid = true;
    RealPreprocessed = false;
}
