#pragma once
// The fuzzed entry points: each takes one input of any bytes, runs a reader of the program
// on it and checks what must hold for every input, aborting with a note when it does not.
// The libFuzzer executables call them, and the ordinary tests replay the kept inputs.

#include <cstddef>
#include <cstdint>

namespace Fuzz {

int PinyinInitials(const std::uint8_t *data, std::size_t size);
int AmountToCapitals(const std::uint8_t *data, std::size_t size);
int ParseNumber(const std::uint8_t *data, std::size_t size);
int ConfigIni(const std::uint8_t *data, std::size_t size);
int Workbook(const std::uint8_t *data, std::size_t size);

struct Target
{
    const char *name;
    int (*run)(const std::uint8_t *data, std::size_t size);
};
// Every target, by the name its corpus folder and executable carry.
inline constexpr Target kTargets[] = {
    {"pinyin", PinyinInitials},
    {"capitals", AmountToCapitals},
    {"number", ParseNumber},
    {"ini", ConfigIni},
    // The workbook reader takes the format from the contents; each format has its seeds.
    {"xls", Workbook},
    {"xlsx", Workbook},
};

} // namespace Fuzz
