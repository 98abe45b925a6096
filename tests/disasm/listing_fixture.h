// The memory-image monitor installed as the port, with an empty cache,
// listing state and symbol table around each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "disasm/listing.h"
#include "expr/symbols.h"
#include "link/packet.h"
#include "link/serial.h"
#include "memory_port.h"
#include "target/memory.h"

// One name line and its address line in the linker map layout.
inline std::string mapPair(const std::string& name, uint32_t address) {
    char line[80];
    std::snprintf(line, sizeof line, "%34s%08X%8s24   func ,g\n", "", address, "");
    return "  " + name + "\n" + line;
}

class ListingFixture : public testing::Test {
protected:
    void SetUp() override {
        auto port = std::make_unique<MemoryPort>();
        mem = port.get();
        setComPort(std::move(port));
        resetPacketBuffer();
        clearMemCache();
        resetListing();
        resetSymbols();
    }
    void TearDown() override {
        setComPort(nullptr);
        resetSymbols();
    }

    void loadMap(const std::string& text) {
        std::string path = std::string(BF_BINARY_DIR) + "/disasm_listing_test.map";
        std::ofstream(path) << text;
        testing::internal::CaptureStdout();
        loadSymbols(path.c_str());
        std::fflush(stdout);
        testing::internal::GetCapturedStdout();
        std::remove(path.c_str());
    }

    // The program of the golden listing, at 0x1000, with its data.
    void pokeProgram() {
        mem->pokeWords(0x1000, {0xE1FF, 0xD102, 0x9105, 0xA000, 0xFFFF, 0x0009, 0x1234, 0x5678,
                                0x000B, 0x4F22, 0x7FFF, 0x8B80, 0xC720, 0xC320, 0x8012, 0x0F04,
                                0x9205});
        mem->poke(0x102E, {0xAB, 0xCD});  // MOV.W literal at offset 14 of its line
        mem->poke(0x1030, {0xEF, 0x01});  // ...and its second half in the next line
        mem->poke(0x109C, {0xDE, 0xAD, 0xBE, 0xEF});
    }

    template <typename F>
    static std::string output(F f) {
        testing::internal::CaptureStdout();
        f();
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }

    MemoryPort* mem = nullptr;
};
