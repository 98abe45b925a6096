// Flash erase and programming, the user-program-first flag, and S-record loading.
#pragma once

// FE with its one argument; true once the request was sent.
bool flashEraseCommand(const char* block);
// FW with its two arguments; true once the request was sent.
bool flashWriteCommand(const char* source, const char* destination);
int loadMOT(const char* path);
int writeUserFlag();
