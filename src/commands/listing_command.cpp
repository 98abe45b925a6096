// DA: the listing from the remembered address, for the remembered count of lines.
#include <cstdio>

#include "commands/handlers.h"
#include "disasm/listing.h"
#include "expr/expression.h"

int disasmCommand(CommandArgs& args)
{
    const char* second = args.second;
    if (args.argc >= 1 && !evalArgument(args.first, "Invalid Address %s\n", &daAddress))
        return -1;
    if (args.argc >= 2) {
        uint32_t value = 0;
        if (!evalArgument(second, "Invalid size %s\n", &value))
            return -1;
        if (value > kMaxDaCount) {
            std::printf("Invalid size %s (at most %lu lines)\n", second, static_cast<unsigned long>(kMaxDaCount));
            return -1;
        }
        daCount = value;
    }
    for (uint32_t i = 0; i < daCount; ++i)
        daAddress = listLine(daAddress);
    return 0;
}
