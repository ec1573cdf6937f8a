#pragma once
// The input form of the expression harnesses: the first byte picks the
// settings a run uses, the rest is the text, read as UTF-8.
#include <QString>

#include <cstddef>
#include <cstdint>

struct TFuzzInput
{
    uint8_t Mode = 0;
    QString Text;
};

// False for an empty input, which picks nothing.
inline bool ReadFuzzInput(const uint8_t *data, size_t size, TFuzzInput &input)
{
    if (size == 0)
        return false;
    input.Mode = data[0];
    input.Text = QString::fromUtf8(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    return true;
}
