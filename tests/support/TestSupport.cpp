#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QFile>
#include <gtest/gtest.h>

namespace qmtest {

QString corpusDir()
{
    const QString fromEnv = qEnvironmentVariable("QM_CORPUS");
    return QDir::cleanPath(fromEnv.isEmpty() ? QStringLiteral("../shared/corpus") : fromEnv);
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

ScriptedPrompts::ScriptedPrompts() { setPrompts(this); }
ScriptedPrompts::~ScriptedPrompts() { setPrompts(nullptr); }

void ScriptedPrompts::message(QWidget*, Icon icon, const QString& caption, const QString& text)
{
    messages.push_back({ icon, caption, text });
}

Prompts::Answer ScriptedPrompts::question(QWidget*, Icon icon, const QString& caption, const QString& text)
{
    questions.push_back({ icon, caption, text });
    if (answers.empty())
        return Answer::Closed;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

bool ScriptedPrompts::inputBox(QWidget*, const QString&, const QString&, QString& value)
{
    if (inputs.empty())
        return false;
    value = inputs.front();
    inputs.pop_front();
    return true;
}

QStringList ScriptedPrompts::openFiles(QWidget*, const QString&, const QString&, const QString&, bool)
{
    if (fileChoices.empty())
        return {};
    QStringList v = fileChoices.front();
    fileChoices.pop_front();
    return v;
}

QString ScriptedPrompts::saveFile(QWidget*, const QString&, const QString&, const QString&)
{
    if (saveChoices.empty())
        return {};
    QString v = saveChoices.front();
    saveChoices.pop_front();
    return v;
}

QString ScriptedPrompts::chooseFolder(QWidget*, const QString&, const QString&)
{
    if (folderChoices.empty())
        return {};
    QString v = folderChoices.front();
    folderChoices.pop_front();
    return v;
}

} // namespace qmtest
