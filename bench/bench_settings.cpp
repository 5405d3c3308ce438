// links: brivo_settings Qt6::Core
// Settings file and language table costs, with QSettings reading the same file as the reference.
#include "platform/ProfileIni.h"
#include "settings/MemInis.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QByteArray settingsBytes(int keys)
{
    QByteArray b;
    b.reserve(keys * 40);
    const int perSection = 100;
    for (int i = 0; i < keys; ++i) {
        if (i % perSection == 0)
            b += "[Section" + QByteArray::number(i / perSection) + "]\n";
        b += "Key" + QByteArray::number(i) + "=https://example.org/page?id=" + QByteArray::number(i) + "\n";
    }
    return b;
}

QString writeTemp(QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.path() + QStringLiteral("/settings.ini");
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
    return path;
}

void BM_ProfileIniReadAllKeys(benchmark::State &state)
{
    const int keys = int(state.range(0));
    QTemporaryDir dir;
    const QString path = writeTemp(dir, settingsBytes(keys));
    for (auto _ : state) {
        ProfileIni ini(path);
        int found = 0;
        for (int i = 0; i < keys; ++i)
            found +=
                !ini.readString(QStringLiteral("Section%1").arg(i / 100), QStringLiteral("Key%1").arg(i), QString())
                     .isEmpty();
        benchmark::DoNotOptimize(found);
    }
    state.SetComplexityN(keys);
}
BENCHMARK(BM_ProfileIniReadAllKeys)->Arg(1000)->Arg(10000)->Complexity();

void BM_QSettingsReadAllKeys(benchmark::State &state)
{
    const int keys = int(state.range(0));
    QTemporaryDir dir;
    const QString path = writeTemp(dir, settingsBytes(keys));
    for (auto _ : state) {
        QSettings ini(path, QSettings::IniFormat);
        int found = 0;
        for (int i = 0; i < keys; ++i)
            found += !ini.value(QStringLiteral("Section%1/Key%2").arg(i / 100).arg(i)).toString().isEmpty();
        benchmark::DoNotOptimize(found);
    }
    state.SetComplexityN(keys);
}
BENCHMARK(BM_QSettingsReadAllKeys)->Arg(1000)->Arg(10000)->Complexity();

// One key written into a file of N keys: each write replaces the whole file atomically.
void BM_ProfileIniWriteOneKey(benchmark::State &state)
{
    const int keys = int(state.range(0));
    QTemporaryDir dir;
    const QString path = writeTemp(dir, settingsBytes(keys));
    ProfileIni ini(path);
    int n = 0;
    for (auto _ : state)
        ini.writeString(QStringLiteral("Section0"), QStringLiteral("Key0"), QString::number(++n));
    state.SetComplexityN(keys);
}
BENCHMARK(BM_ProfileIniWriteOneKey)->Arg(1000)->Arg(10000)->Complexity();

// A whole section of N keys replaced in one write.
void BM_ProfileIniReplaceSection(benchmark::State &state)
{
    const int keys = int(state.range(0));
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/settings.ini");
    QList<QPair<QString, QString>> pairs;
    for (int i = 0; i < keys; ++i)
        pairs.append({QStringLiteral("Key%1").arg(i), QStringLiteral("https://example.org/%1").arg(i)});
    ProfileIni ini(path);
    for (auto _ : state)
        ini.replaceSection(QStringLiteral("Links"), pairs);
    state.SetComplexityN(keys);
}
BENCHMARK(BM_ProfileIniReplaceSection)->Arg(1000)->Arg(10000)->Complexity();

void BM_LanguageTableLoad(benchmark::State &state)
{
    for (auto _ : state) {
        TMemIni table(QStringLiteral("JAPANESEKANJI"), QStringLiteral("INI"));
        benchmark::DoNotOptimize(table.ReadString(QStringLiteral("Const"), QStringLiteral("Browser"), QString()));
    }
}
BENCHMARK(BM_LanguageTableLoad);

void BM_MemIniLookups(benchmark::State &state)
{
    const int keys = int(state.range(0));
    QStringList lines{QStringLiteral("[Main]")};
    for (int i = 0; i < keys; ++i)
        lines << QStringLiteral("act%1=Caption %1").arg(i);
    TMemIni ini;
    ini.SetStrings(lines);
    for (auto _ : state) {
        int n = 0;
        for (int i = 0; i < keys; ++i)
            n += ini.ReadString(QStringLiteral("main"), QStringLiteral("ACT%1").arg(i), QString()).size();
        benchmark::DoNotOptimize(n);
    }
    state.SetComplexityN(keys);
}
BENCHMARK(BM_MemIniLookups)->Arg(1000)->Arg(10000)->Complexity();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
