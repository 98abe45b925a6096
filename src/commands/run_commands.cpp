// G and S: running and stepping the target program; the target services do
// the exchanges, the commands show each stop.
#include <cstdio>

#include "commands/handlers.h"
#include "commands/register_commands.h"
#include "disasm/listing.h"
#include "expr/expression.h"
#include "target/registers.h"
#include "target/run_control.h"

namespace {

// After a stop: every register, then the instruction the program stopped at.
void showStop()
{
    dumpReg();
    uint32_t pc = 0;
    readReg(REG_PC, &pc);
    listLine(pc);
}

} // namespace

int goCommand(CommandArgs&)
{
    return goTarget(showStop);
}

int stepCommand(CommandArgs& args)
{
    // A count given earlier is not reused: S alone is one step.
    uint32_t count = 1;
    if (args.argc > 0 && !evalArgument(args.first, "Invalid steps %s\n", &count))
        return -1;
    stepCount = count;
    return stepTarget(showStop);
}
