// PLACEHOLDER: replaced by the shell.
#include "shell/console.h"
static std::unique_ptr<Console> gConsole;
void initConsole() {}
void setConsole(std::unique_ptr<Console> c) { gConsole = std::move(c); }
Console* console() { return gConsole.get(); }
bool keyWaiting() { return gConsole && gConsole->keyWaiting(); }
int readKey() { return gConsole ? gConsole->readKey() : KEY_ESC; }
int inputLine(char* b, int cap) { return gConsole ? gConsole->readLine(b, cap) : INPUT_END; }
void showHelp() {}
