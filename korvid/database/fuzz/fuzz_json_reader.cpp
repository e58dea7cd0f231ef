// libFuzzer entry for the JSON reader: any text either builds a database or is refused with a
// message, and never reads, writes or recurses out of bounds.
#include "korvid/database/database_json.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    korvid::DatabaseFromJson built =
        korvid::build_database_from_json(std::string_view(reinterpret_cast<const char*>(data), size));
    // A refusal always says why; a database that was built dumps again.
    if (!built.db && built.error.empty())
        __builtin_trap();
    if (built.db)
        (void)korvid::dump_database_json(*built.db, built.buyer, built.model);
    return 0;
}
