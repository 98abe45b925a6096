#include "support/sh_program.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

bool assembleFlashImage(const std::string& source, const std::string& image)
{
    const std::string obj = image + ".o";
    const std::string elf = image + ".elf";
    const std::string cmd = "sh4-linux-gnu-as --isa=sh2 -big -o " + obj + " " + source +
        " && sh4-linux-gnu-ld -EB -Ttext=0 -e 0 -o " + elf + " " + obj + " && sh4-linux-gnu-objcopy -O binary " + elf +
        " " + image;
    return std::system(cmd.c_str()) == 0;
}

bool srecordToFlashImage(const std::string& srec, uint32_t base, const std::string& image)
{
    const std::string data = image + ".data";
    const std::string cmd = "sh4-linux-gnu-objcopy -I srec -O binary --gap-fill 0xFF " + srec + " " + data;
    if (std::system(cmd.c_str()) != 0)
        return false;
    std::ifstream in(data, std::ios::binary);
    if (!in)
        return false;
    std::vector<char> bytes(base, static_cast<char>(0xFF));
    bytes.insert(bytes.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::ofstream out(image, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}
