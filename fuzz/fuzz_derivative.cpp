// The differentiation service's answer. The promises: only an answer that
// begins with "OK:" gives a derivative; a derivative is one line of text
// without blanks around it, taken whole from the answer, and the answer
// made of "OK:" and that derivative gives it again.
#include "fuzz/FuzzFiles.h"
#include "tools/fDerivacie.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray reply(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString derivative = DerivativeFromReply(reply);
    if (derivative.isEmpty())
        return 0;
    Check(reply.startsWith("OK:"), "a derivative from an answer without \"OK:\"");
    Check(derivative == derivative.trimmed(), "blanks around a derivative", derivative);
    for (const QChar c : derivative)
        Check(c.category() != QChar::Other_Control && c != QChar::LineSeparator && c != QChar::ParagraphSeparator,
              "a control character in a derivative", derivative);
    Check(reply.contains(derivative.toUtf8()), "a derivative that the answer does not hold", derivative);
    Check(DerivativeFromReply("OK:" + derivative.toUtf8()) == derivative, "a derivative reads back otherwise",
          derivative);
    return 0;
}
