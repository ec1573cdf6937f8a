// The self-test list: one input is one list file. The promises: reading it
// and writing it back keeps every line byte for byte (CR LF line ends, the
// empty lines at the end dropped), and what is written reads back as the
// same lines; every test line is its expression, "=" and expected text and
// assignments again, and valid assignments, written out afresh, read back
// as the same pairs.
#include "core/uCommon.h"
#include "fuzz/FuzzFiles.h"
#include "shell/fKontrola.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 65536)
        return 0;
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = ReadTestList(file);
    QList<QByteArray> expected = FileLines(file, false);
    while (!expected.isEmpty() && expected.last().isEmpty())
        expected.removeLast();
    const QByteArray written = TestListBytes(lines);
    Check(written == CrLfFile(expected), "a test list did not come back byte for byte");
    Check(ReadTestList(written) == lines, "a written test list reads back otherwise");

    for (const QString &line : lines.mid(0, 200)) {
        const TSelfTest test = ParseTest(line);
        const QString whole =
            line.contains(u'=') ? test.Expression + u'=' + test.Expected + test.Assignments : test.Expression;
        Check(whole == line, "a test line is not its parts", line);
        Check(test.Assignments.isEmpty() || test.Assignments.startsWith(u'['), "assignments without \"[\"", line);
        if (!test.AssignmentsValid || test.Assignments.isEmpty())
            continue;
        QString again = QStringLiteral("[");
        for (const auto &[name, value] : test.Variables) {
            Check(IsVariableName(name) && !value.isEmpty() && value == value.trimmed(), "a bad assignment", line);
            again += name + u'=' + value + u';';
        }
        QList<QPair<QString, QString>> pairs;
        Check(ParseVariableList(again.mid(1) + u']', pairs) && pairs == test.Variables,
              "assignments read back otherwise", line);
    }
    return 0;
}
