// Settings reads and writes: every call opens, reads (and for a write, replaces) the file.
#include "shared/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A settings file of the usual size: every section the program uses, ten recent folders.
QByteArray typicalSettings()
{
    QByteArray s = "[App]\nFlag=1\nLeft=1500\nTop=30\n[Preview]\nIsPlayOrder=1\nIsMax=0\n"
                   "FavoriteDir=/home/user/Movies/Flash\n[Finished]\nNumber=10\n";
    for (int i = 0; i < 10; ++i)
        s += "Item" + QByteArray::number(i) + "=/home/user/Downloads/flash collection " + QByteArray::number(i) + "\n";
    s += "[SaveFile]\nSavePath=/home/user/Downloads\n";
    return s;
}

struct SettingsFile {
    QTemporaryDir dir;
    QString path = dir.filePath("config.ini");
    SettingsFile()
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(typicalSettings());
    }
};

void BM_ReadConfig(benchmark::State& state)
{
    SettingsFile file;
    IniFile ini(file.path);
    for (auto _ : state)
        benchmark::DoNotOptimize(ini.read("SaveFile", "SavePath"));
}
BENCHMARK(BM_ReadConfig);

void BM_WriteConfig(benchmark::State& state)
{
    SettingsFile file;
    IniFile ini(file.path);
    int i = 0;
    for (auto _ : state)
        ini.write("Finished", "Item5", QString::number(++i));
}
BENCHMARK(BM_WriteConfig);

} // namespace

BENCHMARK_MAIN();
