#pragma once
// The input form of the expression harnesses: the first byte picks the
// settings a run uses, the rest is the text, read as UTF-8.
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

struct TFuzzInput
{
    uint8_t Mode = 0;
    QString Text;
};

// Nothing for an empty input, which picks nothing.
inline std::optional<TFuzzInput> ReadFuzzInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return std::nullopt;
    return TFuzzInput{data[0], QString::fromUtf8(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1))};
}
