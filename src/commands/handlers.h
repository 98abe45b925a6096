// One handler per command, each in the file of its subject; the command
// table names them.
#pragma once

#include "commands/command_line.h"

// memory_commands.cpp
int dumpByteCommand(CommandArgs& args);
int dumpWordCommand(CommandArgs& args);
int dumpLongCommand(CommandArgs& args);
int writeByteCommand(CommandArgs& args);
int writeWordCommand(CommandArgs& args);
int writeLongCommand(CommandArgs& args);
// listing_command.cpp
int disasmCommand(CommandArgs& args);
// register_commands.cpp
int registerCommand(CommandArgs& args);
// run_commands.cpp
int goCommand(CommandArgs& args);
int stepCommand(CommandArgs& args);
// breakpoint_commands.cpp
int breakSetCommand(CommandArgs& args);
int breakClearCommand(CommandArgs& args);
// flash_commands.cpp
int flashEraseCommand(CommandArgs& args);
int flashWriteCommand(CommandArgs& args);
int loadCommand(CommandArgs& args);
int userFlagCommand(CommandArgs& args);
// command_table.cpp
int quitCommand(CommandArgs& args);
int helpCommand(CommandArgs& args);
