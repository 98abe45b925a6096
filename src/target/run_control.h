// G and S: running and stepping the target program.
#pragma once

int execTarget();
int goTarget();
int stepTarget(int argc, const char* first);
