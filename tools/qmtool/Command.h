#pragma once
// qmtool's command table. Each cmd_<name>.cpp registers one command with a static
// QmCommandRegistration; main() looks the first argument up here.
#include <QStringList>
#include <QTextStream>
#include <vector>

struct QmCommand {
    const char* name;
    const char* usage;   // one line: arguments after the command name
    const char* summary; // one line: what it does
    // Runs the command on its arguments (the command name removed); returns the exit code.
    int (*run)(const QStringList& args, QTextStream& out, QTextStream& err);
};

const std::vector<QmCommand>& qmCommands();

struct QmCommandRegistration {
    explicit QmCommandRegistration(const QmCommand& command);
};
