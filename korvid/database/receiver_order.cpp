#include "korvid/database/receiver_order.h"

#include "korvid/database/image_layout.h"

#include <cstddef>
#include <utility>

namespace korvid {

namespace {

void swap_at(uint8_t* p)
{
    std::swap(p[0], p[1]);
}

void swap_channels(uint8_t* table, int count)
{
    for (int i = 0; i < count; ++i) {
        uint8_t* ch = table + i * sizeof(tChannelStructure);
        // tp_index, service_id, the four audio PIDs, video, PCR and teletext: nine words in a row.
        for (size_t o = offsetof(tChannelStructure, tp_index); o <= offsetof(tChannelStructure, ttx_pid);
             o += 2)
            swap_at(ch + o);
        swap_at(ch + offsetof(tChannelStructure, carried_pid));
        swap_at(ch + offsetof(tChannelStructure, ext_audio_index));
    }
}

} // namespace

void swap_image_receiver_order(uint8_t* image)
{
    swap_channels(image + image::TV_CHANNELS, MAX_TV_CHAN_NUM);
    swap_channels(image + image::RADIO_CHANNELS, MAX_RADIO_CHAN_NUM);
    for (int r = 0; r < MAX_EXAUD_NUM; ++r)
        for (int k = 0; k < MAX_EXAUD_PIDS; ++k)
            swap_at(image + image::EXTEND_AUDIO + r * sizeof(extend_audio) + k * 2);
    for (int t = 0; t < MAX_TP_NUM; ++t) {
        uint8_t* tp = image + image::TRANSPONDERS + t * sizeof(tTransponder);
        swap_at(tp + offsetof(tTransponder, symbol_rate));
        swap_at(tp + offsetof(tTransponder, frequency));
    }
    for (int e = 0; e < FAV_LIST_NUM * MAX_FAVCHAN_NUM; ++e)
        swap_at(image + image::FAV_INDEX + e * 2);
    for (int s = 0; s < MAX_SAT_NUM; ++s) {
        uint8_t* sat = image + image::SATELLITES + s * sizeof(tSatellite);
        swap_at(sat + offsetof(tSatellite, lnb_freq_high));
        swap_at(sat + offsetof(tSatellite, lnb_freq_low));
        swap_at(sat + offsetof(tSatellite, position));
    }
    uint8_t* sys = image + image::SYSTEM_BLOCK;
    for (size_t o : {offsetof(tSystemBlock, syscode), offsetof(tSystemBlock, chan_count),
                     offsetof(tSystemBlock, chan_count) + 2, offsetof(tSystemBlock, carried36),
                     offsetof(tSystemBlock, carried38), offsetof(tSystemBlock, carried46)})
        swap_at(sys + o);
    uint8_t* cur = image + image::CURSOR_BLOCK;
    swap_at(cur + offsetof(tCursorBlock, current_chan));
    swap_at(cur + offsetof(tCursorBlock, current_chan) + 2);
    for (int r = 0; r < 8; ++r)
        swap_at(image + image::REGION2 + r * 16 + 4);
    for (int i = 0; i < image::REGION3_SIZE; i += 2)
        swap_at(image + image::REGION3 + i);
}

} // namespace korvid
