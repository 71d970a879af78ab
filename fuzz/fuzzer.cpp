// libFuzzer's entry for one target, chosen when the executable is built.
#include "targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return Fuzz::ZENTRIK_FUZZ_TARGET(data, size);
}
