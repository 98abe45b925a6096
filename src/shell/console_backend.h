// What the platform console files provide to the platform-neutral shell.
#pragma once

#include <memory>

#include "shell/console.h"

// The backend for the standard input: a terminal with line editing, or a
// script read line by line when the input is not a terminal.
std::unique_ptr<Console> makePlatformConsole();

// True when the user's locale writes UTF-8, so Japanese text is converted to it.
bool consoleWantsUtf8();
