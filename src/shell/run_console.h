// The console as the running target sees it: keys one by one, and Ctrl-C.
#pragma once

// Installs the shell's console as the run control's key source.
void installRunConsole();
