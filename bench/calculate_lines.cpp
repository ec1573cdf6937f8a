// Runs every line of the standard input through the whole calculation, as
// the main window's "=" does, in one process, and writes each result (or
// "error N") on a line of its own: the calculator's side of
// scripts/arithmetic-speed.sh, whose other side is `bc -l` on the same lines.
// Default settings and state, "." as the decimal separator; with --radians
// the angles of sin and cos are radians, as bc's are.
#include "core/uCalculation.h"

#include "core/uProgramSettings.h"
#include "core/uProgramState.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

int main(int argc, char **argv)
{
    KProgramSettings::Instance()->SetDefaults();
    KProgramSettings::Instance()->SetDecimalSeparator(1);
    KProgramState *state = KProgramState::GetInstance(0);
    state->SetDefaults();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--radians") == 0) {
            state->AngleMode = 1;
        } else {
            std::fprintf(stderr, "usage: %s [--radians] < lines\n", argv[0]);
            return 2;
        }
    }
    std::ios::sync_with_stdio(false);
    std::string line;
    std::string out;
    while (std::getline(std::cin, line)) {
        const TCalculationOutcome result = CalculateExpression(QString::fromUtf8(line.data(), qsizetype(line.size())));
        if (result.Ok())
            out += result.DisplayText.toStdString();
        else
            out += "error " + std::to_string(result.Error.ErrorCode);
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
