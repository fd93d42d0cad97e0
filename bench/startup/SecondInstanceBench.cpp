// How fast a second instance of the program ends while another holds the lock: from
// starting the process to its end, against starting /bin/true as the floor.
#include "app/Startup.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

// Starts the program and waits for it; false when it could not start or did not end with 0.
bool runOnce(const QByteArray& program)
{
    char* argv[] = { const_cast<char*>(program.constData()), nullptr };
    pid_t pid = 0;
    if (::posix_spawn(&pid, program.constData(), nullptr, nullptr, argv, environ) != 0)
        return false;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_SecondInstanceEnds(benchmark::State& state)
{
    QTemporaryDir install;
    QTemporaryDir runtime;
    const QString program = install.filePath("quillmoor");
    QFile::copy(QStringLiteral(QM_PROGRAM), program);
    QFile config(install.filePath("config.ini"));
    if (!config.open(QIODevice::WriteOnly) || config.write("[App]\nFlag=1\n") < 0) {
        state.SkipWithError("cannot write the settings file");
        return;
    }
    config.close();

    // The benchmark plays the running instance: it holds the lock the program looks for.
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    SingleInstance running(SingleInstance::DefaultLockPath());
    if (running.tryAcquire() != SingleInstance::Result::Acquired) {
        state.SkipWithError("cannot take the lock");
        return;
    }

    const QByteArray path = QFile::encodeName(program);
    for (auto _ : state) {
        if (!runOnce(path)) {
            state.SkipWithError("the second instance did not end cleanly");
            break;
        }
    }
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
}
BENCHMARK(BM_SecondInstanceEnds)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StartTrueForComparison(benchmark::State& state)
{
    const QByteArray path("/bin/true");
    for (auto _ : state) {
        if (!runOnce(path)) {
            state.SkipWithError("/bin/true did not run");
            break;
        }
    }
}
BENCHMARK(BM_StartTrueForComparison)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
