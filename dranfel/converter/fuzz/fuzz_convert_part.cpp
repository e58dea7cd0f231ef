// libFuzzer entry for the engine. The first byte decides where the input is cut into two part
// files, so the carry-over between parts is fuzzed too.
#include "dranfel/converter/ts_engine.h"

#include <cstddef>
#include <cstdint>

namespace {

void discard_output(const uint8_t*, int, void*) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    size_t body = size - 1;
    size_t cut = body * data[0] / 255;
    dranfel::TsConverter conv(&discard_output, nullptr, {nullptr});
    dranfel::MemorySource first(data + 1, cut);
    conv.convert_part(first, 0, 0, 1);
    dranfel::MemorySource second(data + 1 + cut, body - cut);
    conv.convert_part(second, 0, 0, 1);
    conv.finish();
    return 0;
}
