#include "korvid/link/link_blocks.h"

#include "common/byte_order.h"

#include <algorithm>
#include <cstring>

namespace korvid {

using common::load_be16;
using common::load_be32;
using common::store_be16;
using common::store_be32;
using common::store_le32;

const char* link_byte_name(uint8_t b)
{
    switch (b) {
    case PROBE:
        return "PROBE";
    case HELLO:
        return "HELLO";
    case hdr_ack:
        return "hdr_ack";
    case HEADER:
        return "HEADER";
    case REQ_DATA:
        return "REQ_DATA";
    case DATA:
        return "DATA";
    case DATA_NEXT:
        return "DATA_NEXT";
    case DATA_END:
        return "DATA_END";
    case DATA_ACK:
        return "DATA_ACK";
    case DATA_NACK:
        return "DATA_NACK";
    case CONNECT_ACK:
        return "CONNECT_ACK";
    case version_ack:
        return "version_ack";
    case VERSION_OK:
        return "VERSION_OK";
    case VERSION_BAD:
        return "VERSION_BAD";
    case ITEM_SIZE_REQ:
        return "ITEM_SIZE_REQ";
    case ITEM_SIZE:
        return "ITEM_SIZE";
    case CONNECT:
        return "CONNECT";
    case WRITE_DONE:
        return "WRITE_DONE";
    case REQ_BLOCK_INFO:
        return "REQ_BLOCK_INFO";
    case BLOCK_INFO:
        return "BLOCK_INFO";
    case BYE:
        return "BYE";
    default:
        return "?";
    }
}

uint16_t VersionBlock::buyer() const
{
    return load_be16(bytes);
}
uint16_t VersionBlock::model() const
{
    return load_be16(bytes + 2);
}
uint16_t VersionBlock::spare() const
{
    return load_be16(bytes + 4);
}
uint16_t VersionBlock::checksum() const
{
    return load_be16(bytes + 6);
}
uint16_t VersionBlock::computed_checksum() const
{
    return uint16_t(byte_sum(bytes, 6));
}

VersionBlock VersionBlock::make(uint16_t buyer, uint16_t model, uint16_t spare)
{
    VersionBlock v;
    store_be16(v.bytes, buyer);
    store_be16(v.bytes + 2, model);
    store_be16(v.bytes + 4, spare);
    store_be16(v.bytes + 6, v.computed_checksum());
    return v;
}

bool CheckVersion(const VersionBlock& block, uint16_t buyer_code, uint16_t model_code)
{
    uint16_t buyer = block.buyer();
    uint16_t model = block.model();
    if (buyer == 0xFFFF && model == 0xFFFF)
        return true;
    if (buyer == 0 && model == 0)
        return true;
    return buyer == buyer_code && model == model_code && block.checksum() == block.computed_checksum();
}

void TransferHeader::encode(uint8_t out[SIZE]) const
{
    store_be32(out, magic);
    store_be32(out + 4, size);
    store_be32(out + 8, type);
    store_be32(out + 12, reserved);
    store_be32(out + 16, byte_sum(out, 16));
}

bool TransferHeader::decode(const uint8_t in[SIZE])
{
    magic = load_be32(in);
    size = load_be32(in + 4);
    type = load_be32(in + 8);
    reserved = load_be32(in + 12);
    return magic == TRANSFER_MAGIC && load_be32(in + 16) == byte_sum(in, 16);
}

uint32_t byte_sum(const uint8_t* p, uint32_t n)
{
    uint32_t s = 0;
    for (uint32_t i = 0; i < n; ++i)
        s += p[i];
    return s;
}

uint32_t build_packet(const uint8_t* payload, uint32_t size, uint32_t offset, uint8_t out[PACKET_SIZE])
{
    std::memset(out, 0, PACKET_SIZE);
    uint32_t chunk = 0;
    if (offset < size)
        chunk = std::min(size - offset, PACKET_DATA_MAX);
    if (chunk)
        std::memcpy(out + 8, payload + offset, chunk);
    store_be32(out, chunk);
    store_be32(out + 4, byte_sum(out + 8, chunk));
    return chunk;
}

PacketCheck check_packet(const uint8_t in[PACKET_SIZE])
{
    PacketCheck c;
    c.length = load_be32(in);
    c.checksum = load_be32(in + 4);
    c.ok = c.length <= PACKET_DATA_MAX && byte_sum(in + 8, c.length) == c.checksum;
    return c;
}

namespace {

// Entries from the count on carry no meaning and go out as they lie in memory; a count beyond
// the table is taken as the whole table so nothing outside it is touched.
uint32_t encoded_entries(uint32_t count, uint32_t entries)
{
    return std::min(count, entries);
}

// Both tables go out the same way: entry 0 holds only the count, in word `count_word`, and the
// entries that carry meaning are big-endian; every other word goes out as it lies in memory.
template <class Table> void encode_table(const Table& table, uint32_t count_word, uint8_t* out)
{
    using Entry = typename Table::Entry;
    constexpr uint32_t WORDS = sizeof(Entry) / 4;
    static_assert(sizeof(Entry) == WORDS * 4 && Table::WIRE_SIZE == Table::ENTRIES * sizeof(Entry));
    const uint32_t n = encoded_entries(table.count(), Table::ENTRIES);
    for (uint32_t i = 0; i < Table::ENTRIES; ++i) {
        uint32_t words[WORDS];
        std::memcpy(words, &table.entry[i], sizeof words);
        for (uint32_t w = 0; w < WORDS; ++w) {
            bool big = i == 0 ? w == count_word : i < n;
            (big ? store_be32 : store_le32)(out + (i * WORDS + w) * 4, words[w]);
        }
    }
}

// The receiver's side: false when the count is 0 or beyond the table.
template <class Table> bool decode_table(Table& table, uint32_t count_word, const uint8_t* in)
{
    using Entry = typename Table::Entry;
    constexpr uint32_t WORDS = sizeof(Entry) / 4;
    table = Table{};
    const uint32_t n = load_be32(in + count_word * 4);
    if (n == 0 || n > Table::ENTRIES)
        return false;
    uint32_t words[WORDS] = {};
    words[count_word] = n;
    std::memcpy(&table.entry[0], words, sizeof words);
    for (uint32_t i = 1; i < n; ++i) {
        for (uint32_t w = 0; w < WORDS; ++w)
            words[w] = load_be32(in + (i * WORDS + w) * 4);
        std::memcpy(&table.entry[i], words, sizeof words);
    }
    return true;
}

// Where each table keeps its count in entry 0.
constexpr uint32_t BLOCK_COUNT_WORD = 0; // staddr
constexpr uint32_t ITEM_COUNT_WORD = 2;  // size

} // namespace

void FlashBlockTable::encode(uint8_t out[WIRE_SIZE]) const
{
    encode_table(*this, BLOCK_COUNT_WORD, out);
}

bool FlashBlockTable::decode(const uint8_t in[WIRE_SIZE])
{
    return decode_table(*this, BLOCK_COUNT_WORD, in);
}

uint32_t ItemTable::total_size() const
{
    uint32_t n = encoded_entries(count(), ENTRIES);
    uint32_t total = 0;
    for (uint32_t i = 1; i < n; ++i)
        total += entry[i].size;
    return total;
}

void ItemTable::encode(uint8_t out[WIRE_SIZE]) const
{
    encode_table(*this, ITEM_COUNT_WORD, out);
}

bool ItemTable::decode(const uint8_t in[WIRE_SIZE])
{
    return decode_table(*this, ITEM_COUNT_WORD, in);
}

void fill_database_flash_map(FlashBlockTable& blocks, ItemTable& items)
{
    blocks = FlashBlockTable{};
    blocks.entry[0].staddr = 6;
    blocks.entry[1] = {0x390000, 0x3EFFFF, 0x10000, 0};
    blocks.entry[2] = {0x3F0000, 0x3F7FFF, 0x2000, 0};
    blocks.entry[3] = {0x3F8000, 0x3F9FFF, 0x2000, 0};
    blocks.entry[4] = {0x3FA000, 0x3FBFFF, 0x2000, 0};
    blocks.entry[5] = {0x3FC000, 0x3FFFFF, 0x2000, 0};

    items = ItemTable{};
    items.entry[0].size = 7;
    items.entry[1] = {0, 0x390000, 0x60000};
    items.entry[2] = {0, 0x3F0000, 0x8000};
    items.entry[3] = {0, 0x3F8000, 0x2000};
    items.entry[4] = {0, 0x3FA000, 0x2000};
    items.entry[5] = {0, 0x3FC000, 0x4000};
    items.entry[6] = {1, 0, 0x4000};
}

} // namespace korvid
