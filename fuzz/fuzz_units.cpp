// Feeds arbitrary bytes to the units-file reader, then converts a few values
// between every pair of units of every category read. A unit with a zero or
// non-finite factor must never be kept (it would divide by zero), and no
// exception may leave the reader. Byte 0 chooses the decimal separator; the
// rest is the file, at most 64 KiB.
#include "tools/model/uUnitConverter.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > 65537)
        return 0;
    DecimalSeparator = (data[0] & 1) ? u',' : u'.';
    KUnitConverter converter;
    converter.LoadFile(QString()); // a missing file: false, nothing read
    converter.LoadFromData(QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)));
    for (int c = 0; c < converter.Categories.Count(); ++c) {
        converter.SelectCategory(c);
        KUnitCategory *category = converter.Current;
        const int count = qMin(category->Units.Count(), 20);
        for (int a = 0; a < count; ++a) {
            const Extended coef = category->CoefAt(a);
            if (coef == 0 || !std::isfinite(coef) || !std::isfinite(category->OffsetAt(a)))
                std::abort();
            for (int b = 0; b < count; ++b) {
                converter.SetBaseUnit(a);
                converter.SetTargetUnit(b);
                (void)converter.Convert(1.5L);
            }
        }
    }
    DecimalSeparator = u'.';
    return 0;
}
