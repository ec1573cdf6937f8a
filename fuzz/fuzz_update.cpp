// The update page's answer: up to four lines (stable build, stable version,
// development build, development version). The promises: a refused answer
// leaves the versions as they were; an accepted one gives versions of one
// line each, and the answer written back from them reads back the same.
#include "fuzz/FuzzFiles.h"
#include "shell/uUpdateInformer.h"

#include <cstddef>
#include <cstdint>

namespace {

bool Same(const TVersion &A, const TVersion &B)
{
    return A.Build == B.Build && A.Version == B.Version;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray answer(reinterpret_cast<const char *>(data), qsizetype(size));
    const TVersion untouched{-7, QStringLiteral("untouched")};
    TVersion stable = untouched;
    TVersion development = untouched;
    if (!TUpdateInformer::ParseAnswer(answer, stable, development)) {
        Check(Same(stable, untouched) && Same(development, untouched), "a refused answer changed a version");
        return 0;
    }
    for (const TVersion *v : {&stable, &development})
        Check(!v->Version.contains(u'\n'), "a version of more than one line", v->Version);

    const QByteArray written = QByteArray::number(stable.Build) + '\n' + stable.Version.toUtf8() + '\n'
                               + QByteArray::number(development.Build) + '\n' + development.Version.toUtf8() + '\n';
    TVersion stableAgain, developmentAgain;
    Check(TUpdateInformer::ParseAnswer(written, stableAgain, developmentAgain), "a written answer is refused",
          QString::fromUtf8(written));
    // A blank version at the end of an answer is no line of it; "???" stands
    // for it, as for a missing one.
    const auto blankAsMissing = [](TVersion V) {
        if (V.Version.trimmed().isEmpty())
            V.Version = QStringLiteral("???");
        return V;
    };
    Check(Same(stableAgain, stable) && Same(blankAsMissing(developmentAgain), blankAsMissing(development)),
          "a written answer reads back otherwise", QString::fromUtf8(written));
    return 0;
}
