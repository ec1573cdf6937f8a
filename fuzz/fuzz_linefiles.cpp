// The program's line files: "history.dat" (the history), "variables.txt"
// (the user variables) and "const.dat" (the constants). One input is one
// file, loaded and saved by each. The promises: the text round trip is
// lossless, so the saved file holds every line of the input byte for byte
// (also bytes that are not UTF-8), with CR LF line ends; loading what was
// saved and saving again changes nothing; a constant's line comes back as
// it was read. The length of the input chooses the decimal separator.
#include "core/uVariableManager.h"
#include "fuzz/FuzzFiles.h"
#include "platform/Classes.h"
#include "shell/fKonstanty.h"
#include "shell/uHistoryModel.h"

#include <cstddef>
#include <cstdint>

namespace {

// Load from the scratch file Name, save to Name + ".saved"; the saved bytes.
template <class List>
QByteArray RoundTrip(List &L, const QString &Name)
{
    L.LoadFromFile(ScratchFile(Name));
    L.SaveToFile(ScratchFile(Name + QStringLiteral(".saved")));
    return ReadScratch(Name + QStringLiteral(".saved"));
}

template <class List>
void CheckLossless(List &L, const QByteArray &Input, const QString &Name)
{
    WriteScratch(Name, Input);
    const QByteArray saved = RoundTrip(L, Name);
    const QByteArray expected = CrLfFile(FileLines(Input, false));
    Check(saved == expected, "a line file did not come back byte for byte", Name);
    WriteScratch(Name, saved);
    Check(RoundTrip(L, Name) == saved, "saving a saved file changed it", Name);
}

void Constants(const QByteArray &Input)
{
    WriteScratch(QStringLiteral("const.dat"), Input);
    TStringList lines;
    lines.LoadFromFile(ScratchFile(QStringLiteral("const.dat")));
    TStringList written;
    const QChar other = DecimalSeparator == u'.' ? u',' : u'.';
    for (const QString &line : lines.Lines()) {
        const TConstantLine constant = ReadConstantLine(line);
        const QString text = ConstantLineText(constant);
        const TConstantLine again = ReadConstantLine(text);
        Check(again.Id == constant.Id && again.Description == constant.Description && again.Value == constant.Value
                  && again.Unit == constant.Unit,
              "a constant's line reads back otherwise", line);
        // A line of the program's own form comes back as it was.
        if (line.count(u'#') == 3 && !line.section(u'#', 2, 2).contains(other))
            Check(text == line, "a constant's line changed", line);
        written.Add(text);
    }
    written.SaveToFile(ScratchFile(QStringLiteral("const.dat")));
    TStringList reread;
    reread.LoadFromFile(ScratchFile(QStringLiteral("const.dat")));
    Check(reread.Lines() == written.Lines(), "the saved constants read back otherwise");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 65536)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    DecimalSeparator = (size & 1) ? u',' : u'.';
    THistoryModel history;
    CheckLossless(history, input, QStringLiteral("history.dat"));
    Check(history.Count() == FileLines(input, false).size(), "the history lost lines when loaded");
    CheckLossless(*TVariableManager::Instance(), input, QStringLiteral("variables.txt"));
    Constants(input);
    TVariableManager::FreeInstance();
    DecimalSeparator = u'.';
    return 0;
}
