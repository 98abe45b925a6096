// DB and WL against replies the simulated board never gives: the dumps and
// writes as typed are in tests/sessions.
#include <string>

#include "support/target_fixture.h"

using MemoryCommands = TargetTest;

// A 0x41 reply is a stop report: its code is shown and the dump ends there,
// though the next dump still starts after the whole range asked for.
TEST_F(MemoryCommands, DumpStopsAtAnExceptionReply)
{
    port->expect(memReadRequest(0x1000, 16), frame(MEM_READ, pattern(16, 0x41)));
    port->expect(memReadRequest(0x1010, 16), frame(0x41, {9}));
    port->expect(memReadRequest(0x1030, 16), frame(0x41, {9}));
    EXPECT_EQ(run("db 0x1000 0x30"), 0);
    EXPECT_EQ(output(),
        "001000 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 ABCDEFGHIJKLMNOP\n"
        "dumpMem:Error.Responce is not MEM_READ. 65\n"
        "dumpMem:Exception:code=9\n");
    EXPECT_EQ(run("db"), 0);
    EXPECT_TRUE(port->finished());
}

// The write address advances past a done write and stays on a refused one.
TEST_F(MemoryCommands, RefusedWriteKeepsTheWriteAddress)
{
    port->expect(memWriteRequest(0x1004, {0x00, 0x00, 0x00, 0x01}), frame(MEM_WRITE, {0}));
    port->expect(memWriteRequest(0x1004, {0x02}), frame(MEM_WRITE, {1}));
    EXPECT_EQ(run("wl 0x1007 1"), 0);
    EXPECT_EQ(output(), "writeMemSingle():Responce of MEM_WRITE =NG\n");
    keyboard->typeLine("2");
    keyboard->typeLine("");
    EXPECT_EQ(run("wb"), 0);
    EXPECT_EQ(output(), "001004:>001005:>");
    EXPECT_TRUE(port->finished());
}
