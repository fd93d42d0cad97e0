#include "Command.h"

namespace {
std::vector<QmCommand>& table()
{
    static std::vector<QmCommand> commands;
    return commands;
}
} // namespace

const std::vector<QmCommand>& qmCommands()
{
    return table();
}

QmCommandRegistration::QmCommandRegistration(const QmCommand& command)
{
    table().push_back(command);
}
