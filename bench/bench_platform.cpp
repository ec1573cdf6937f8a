// Number text and INI look-ups sit under every evaluation step and every
// translated caption; these measure them on their own.
#include "platform/IniFiles.h"
#include "platform/SysUtils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

static void BM_FloatToStr(benchmark::State &state)
{
    Extended x = 1.0L / 3;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FloatToStr(x));
        x += 1.25L;
    }
}
BENCHMARK(BM_FloatToStr);

static void BM_StrToFloat(benchmark::State &state)
{
    const QString text = QStringLiteral("-1.23456789012345E-20");
    for (auto _ : state)
        benchmark::DoNotOptimize(StrToFloat(text));
}
BENCHMARK(BM_StrToFloat);

static void BM_FormatFloatFunctionResult(benchmark::State &state)
{
    Extended x = 0.7071067811865475244L;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatFloat(QStringLiteral("0.#################"), x));
        x += 0.5L;
    }
}
BENCHMARK(BM_FormatFloatFunctionResult);

// A language file of 20 sections of 50 keys.
static void WriteLanguageFile(const QString &name)
{
    QFile f(name);
    f.open(QIODevice::WriteOnly);
    for (int s = 0; s < 20; ++s) {
        f.write("[Section" + QByteArray::number(s) + "]\r\n");
        for (int k = 0; k < 50; ++k)
            f.write("Key" + QByteArray::number(k) + "=Some translated text " + QByteArray::number(k) + "\r\n");
    }
}

// One look-up after another in a language file. A file written a moment
// ago (as a settings file is after a save, or a test's file) must not be
// parsed again for every look-up either.
static void IniLookups(benchmark::State &state, bool writtenLongAgo)
{
    QTemporaryDir dir;
    const QString name = dir.path() + "/lang.txt";
    WriteLanguageFile(name);
    if (writtenLongAgo) {
        QFile f(name);
        f.open(QIODevice::ReadWrite);
        f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
    }
    const TIniFile ini(name);
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ini.ReadString(QStringLiteral("section7"), QStringLiteral("key%1").arg(i % 50), QString()));
        ++i;
    }
}

static void BM_IniReadString(benchmark::State &state)
{
    IniLookups(state, true);
}
BENCHMARK(BM_IniReadString);

static void BM_IniReadStringYoungFile(benchmark::State &state)
{
    IniLookups(state, false);
}
BENCHMARK(BM_IniReadStringYoungFile);

// A window's 50 texts, read as one group.
static void BM_IniWindowTexts(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString name = dir.path() + "/lang.txt";
    WriteLanguageFile(name);
    const TIniFile ini(name);
    for (auto _ : state) {
        const TIniReadGroup texts(ini);
        for (int k = 0; k < 50; ++k)
            benchmark::DoNotOptimize(
                ini.ReadString(QStringLiteral("section7"), QStringLiteral("key%1").arg(k), QString()));
    }
}
BENCHMARK(BM_IniWindowTexts);

BENCHMARK_MAIN();
