#include <cstdio>

#include "shell/startup.h"

int main(int argc, char** argv)
{
    // Lines appear as they are finished, also when the output is a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    return runBrackenfell(argc, argv);
}
