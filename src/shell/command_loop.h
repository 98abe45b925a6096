// The command loop: the prompt, a line read, an empty line standing for the
// repeat text, and the command run.
#pragma once

// Shows the prompt and runs lines until Q or the end of console input.
void commandLoop();
