#pragma once
// Sizes and sentinels of the receiver's channel database. Every table is fixed in size; a slot is
// empty when its key field holds the sentinel.
#include <cstdint>

namespace korvid {

constexpr int MAX_SAT_NUM = 128;
constexpr int SAT_HALF_NUM = 64; // the second-tuner twin of satellite s is s + 64
constexpr uint8_t INVALID_SATID = 128;
constexpr int MAX_SATNAME_LEN = 22; // held in 23-byte cells, stored as 22 bytes
constexpr int MAX_TP_NUM = 3276;
constexpr int TP_HALF_NUM = 1638; // the twin of transponder t is t + 1638
constexpr uint16_t INVALID_TPID = 3276;
constexpr int MAX_TV_CHAN_NUM = 4467;
constexpr int MAX_RADIO_CHAN_NUM = 2978;
constexpr int MAX_CHAN_NUM = MAX_TV_CHAN_NUM + MAX_RADIO_CHAN_NUM;
constexpr int MAX_EXAUD_NUM = 819; // also "no extended audio" in a channel
constexpr int MAX_EXAUD_PIDS = 26;
constexpr int MAX_FAVGROUP_NUM = 4;
constexpr int MAX_FAVCHAN_NUM = 200;
constexpr int MAX_FAVNAME_LEN = 12;
constexpr int FAV_LIST_NUM = MAX_FAVGROUP_NUM * 2; // one TV and one radio list per group
constexpr uint16_t INVALID_PID = 0x7FFF;
constexpr uint16_t INVALID_FAVENTRY = 0xFFFF;
constexpr uint16_t DB_SYSCODE_VALUE = 0x5A5A;
constexpr int DB_IMAGE_SIZE = 0x74000;
constexpr int CHAN_NAME_LEN = 14;
constexpr int AUDIO_PID_NUM = 4;
constexpr int AUDIO_LANGUAGE_NUM = 63; // indexes 63 and above mean "no language"

// Service types index the per-type tables: 0 TV, 1 radio.
constexpr int SERVICE_TV = 0;
constexpr int SERVICE_RADIO = 1;

constexpr int service_type_of(int global_index)
{
    return global_index >= MAX_TV_CHAN_NUM ? SERVICE_RADIO : SERVICE_TV;
}
constexpr int first_slot_of(int type)
{
    return type == SERVICE_RADIO ? MAX_TV_CHAN_NUM : 0;
}
constexpr int slot_count_of(int type)
{
    return type == SERVICE_RADIO ? MAX_RADIO_CHAN_NUM : MAX_TV_CHAN_NUM;
}
// Favourite lists hold indexes relative to the service type.
constexpr int relative_index(int global_index)
{
    return global_index - first_slot_of(service_type_of(global_index));
}
constexpr int fav_list_index(int group, int type)
{
    return group * 2 + type;
}

} // namespace korvid
