#pragma once
// The bytes and blocks of the serial protocol with the receiver, in their exact wire layout.
// Every multi-byte field on the wire is big-endian; the tables are kept in host order and only
// their encoded copies are big-endian.
#include <cstdint>

namespace korvid {

// Link bytes. The receiver leads with one-byte requests; the PC answers each with one byte,
// sometimes followed by a block.
constexpr uint8_t PROBE = 0x47;
constexpr uint8_t HELLO = 0x82;
constexpr uint8_t hdr_ack = 0x83;
constexpr uint8_t HEADER = 0x84;
constexpr uint8_t REQ_DATA = 0x85;
constexpr uint8_t DATA = 0x86;
constexpr uint8_t DATA_NEXT = 0x88;
constexpr uint8_t DATA_END = 0x89;
constexpr uint8_t DATA_ACK = 0x8A;
constexpr uint8_t DATA_NACK = 0x8B;
constexpr uint8_t CONNECT_ACK = 0x90;
constexpr uint8_t version_ack = 0x91;
constexpr uint8_t VERSION_OK = 0x92;
constexpr uint8_t VERSION_BAD = 0x93;
constexpr uint8_t ITEM_SIZE_REQ = 0x94;
constexpr uint8_t ITEM_SIZE = 0x95;
constexpr uint8_t CONNECT = 0x96;
constexpr uint8_t WRITE_DONE = 0x99;
constexpr uint8_t REQ_BLOCK_INFO = 0x9B;
constexpr uint8_t BLOCK_INFO = 0x9C;
constexpr uint8_t BYE = 0xA0;

// A readable name for traces ("HELLO", "0x47 PROBE" style is up to the caller); "?" when unknown.
const char* link_byte_name(uint8_t b);

// 8 bytes after version_ack: buyer, model, spare, checksum (sum of bytes 0..5 mod 65536).
struct VersionBlock
{
    static constexpr uint32_t SIZE = 8;
    uint8_t bytes[SIZE] = {};

    uint16_t buyer() const;
    uint16_t model() const;
    uint16_t spare() const;
    uint16_t checksum() const;
    uint16_t computed_checksum() const;
    static VersionBlock make(uint16_t buyer, uint16_t model, uint16_t spare = 0);
};

// Whether the receiver may take what we hold: 0xFFFF/0xFFFF and 0/0 pass always, otherwise the
// codes must equal ours and the checksum must hold.
bool CheckVersion(const VersionBlock& block, uint16_t buyer_code, uint16_t model_code);

constexpr uint32_t TRANSFER_MAGIC = 0x04212500;
constexpr uint32_t HEADER_DB_TO_RECEIVER = 3;
constexpr uint32_t HEADER_DB_FROM_RECEIVER = 35;
constexpr uint32_t HEADER_MAIN_SOFTWARE = 2;
constexpr uint32_t HEADER_BOOT_SOFTWARE = 136;
constexpr uint32_t HEADER_OTA_SOFTWARE = 153;

// 20 bytes after HEADER: magic, size, type, reserved, checksum (byte sum of the first 16).
struct TransferHeader
{
    static constexpr uint32_t SIZE = 20;
    uint32_t magic = TRANSFER_MAGIC;
    uint32_t size = 0;
    uint32_t type = 0;
    uint32_t reserved = 0;

    void encode(uint8_t out[SIZE]) const;
    // False when the magic or the checksum is wrong; the fields are filled either way.
    bool decode(const uint8_t in[SIZE]);
};

// 1032 bytes after DATA: length (at most 1024), checksum (byte sum of the valid bytes), data.
constexpr uint32_t PACKET_SIZE = 1032;
constexpr uint32_t PACKET_DATA_MAX = 1024;

uint32_t byte_sum(const uint8_t* p, uint32_t n);
// Builds the packet for offset `offset` of a payload of `size` bytes; returns its length (0 for
// the packet after the last full one when the size is a multiple of 1024, and when the offset
// lies at or past the end).
uint32_t build_packet(const uint8_t* payload, uint32_t size, uint32_t offset, uint8_t out[PACKET_SIZE]);
// The length and checksum fields of a received packet, and whether the packet is sound: a length
// of at most 1024 whose data sum to the checksum.
struct PacketCheck
{
    uint32_t length = 0;
    uint32_t checksum = 0;
    bool ok = false;
};
PacketCheck check_packet(const uint8_t in[PACKET_SIZE]);

// 34 entries of four words; entry 0 holds the entry count (itself included) in its first word.
struct FlashBlockTable
{
    static constexpr uint32_t ENTRIES = 34;
    static constexpr uint32_t WIRE_SIZE = ENTRIES * 16;
    struct Entry
    {
        uint32_t staddr = 0;
        uint32_t edaddr = 0;
        uint32_t bassize = 0;
        uint32_t totsize = 0;
    };
    Entry entry[ENTRIES] = {};

    uint32_t count() const { return entry[0].staddr; }
    // The wire copy: the count word and entries 1..count-1 big-endian, the words that carry no
    // meaning as they are in memory. The table itself is left in host order.
    void encode(uint8_t out[WIRE_SIZE]) const;
    // Reads the wire copy back (the receiver's side); false when the count is 0 or above 34.
    bool decode(const uint8_t in[WIRE_SIZE]);
};

// 34 entries of three words; entry 0 holds the entry count (itself included) in its third word.
struct ItemTable
{
    static constexpr uint32_t ENTRIES = 34;
    static constexpr uint32_t WIRE_SIZE = ENTRIES * 12;
    struct Entry
    {
        uint32_t flash_eeprom = 0; // 0 flash, 1 EEPROM
        uint32_t address = 0;
        uint32_t size = 0;
    };
    Entry entry[ENTRIES] = {};

    uint32_t count() const { return entry[0].size; }
    uint32_t total_size() const;
    void encode(uint8_t out[WIRE_SIZE]) const;
    bool decode(const uint8_t in[WIRE_SIZE]);
};

// The flash map of a database transfer (both directions) and the size of the database image.
constexpr uint32_t DB_TRANSFER_SIZE = 0x74000;
void fill_database_flash_map(FlashBlockTable& blocks, ItemTable& items);

} // namespace korvid
