// What the platform console files provide to the platform-neutral shell.
#pragma once

#include <cstdio>
#include <memory>

#include "shell/console.h"

// The backend for the standard input: a terminal with line editing, or a
// script read line by line when the input is not a terminal.
std::unique_ptr<Console> makePlatformConsole();

// Lines from a standard input that is not a terminal: no keys to poll, each
// line echoed after the prompt so the transcript reads like a session.
std::unique_ptr<Console> makeScriptConsole();

// True when the user's locale writes UTF-8, so Japanese text is converted to it.
bool consoleWantsUtf8();

// Reads one line of any length from stream into buffer, without its line feed
// (and without the carriage return of a CR LF line end). A line that does not
// fit is consumed whole and refused with INPUT_TOO_LONG; INPUT_END when the
// stream ends before any character.
int readStreamLine(std::FILE* stream, char* buffer, int capacity);
