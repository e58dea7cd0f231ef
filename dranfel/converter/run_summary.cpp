#include "dranfel/converter/run_summary.h"

#include "common/strfmt.h"
#include "dranfel/storage/file_list.h"

#include <algorithm>

namespace dranfel {

namespace {

constexpr int VBR_BIT_RATE = 0x3FFFF * 400;

const char* aspect_text(int aspect)
{
    switch (aspect) {
    case 100:
        return "1:1";
    case 133:
        return "4:3";
    case 177:
        return "16:9";
    case 221:
        return "2.21:1";
    default:
        return "reserved aspect";
    }
}

// 25 fps, 29.97 fps, 23.976 fps: as many decimals as the rate has.
std::string rate_text(double fps)
{
    std::string s = common::strfmt("%.3f", fps);
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s;
}

std::string mpeg_audio_text(const AudioStreamInfo& a)
{
    std::string rate =
        a.bit_rate ? common::strfmt("%d kb/s", a.bit_rate / 1000) : std::string("free bit rate");
    return common::strfmt("MPEG audio Layer %s, %s, %.1f kHz",
                          a.layer == 3   ? "I"
                          : a.layer == 2 ? "II"
                                         : "III",
                          rate.c_str(), a.sample_rate * 0.001);
}

std::string count_text(int64_t n, const char* one, const char* many)
{
    return group_thousands(n) + " " + (n == 1 ? one : many);
}

} // namespace

std::vector<std::string> summary_lines(const RunReport& report)
{
    std::vector<std::string> lines;
    const RunFindings& f = report.findings;
    if (report.parts == 0 || (f.packets == 0 && f.bytes_read == 0 && report.parts_done == 0))
        return lines;
    // Counted against the whole recording, so that a part left out never goes unmentioned.
    std::string parts = common::strfmt("Parts converted: %d of %d", report.parts_done,
                                       std::max(report.parts, report.recording_parts));
    if (report.parts_skipped > 0)
        parts += common::strfmt(", %d left out as asked", report.parts_skipped);
    if (report.parts_damaged > 0)
        parts += common::strfmt(", %d left out as no transport stream", report.parts_damaged);
    lines.push_back(parts);
    lines.push_back("Read: " + count_text(f.bytes_read, "byte", "bytes") +
                    ", written: " + count_text(report.bytes_written, "byte", "bytes"));
    if (f.has_video) {
        // The largest value the field holds is what encoders write for a variable bit rate.
        std::string rate = f.video.bit_rate == VBR_BIT_RATE
                               ? std::string("variable bit rate")
                               : common::strfmt("%.2f Mbit/s", f.video.bit_rate * 0.000001);
        lines.push_back(common::strfmt("Video (PID %d): %dx%d, %s, %s fps, %s", f.video_pid,
                                       f.video.horizontal_size, f.video.vertical_size,
                                       aspect_text(f.video.aspect), rate_text(f.video.frame_rate).c_str(),
                                       rate.c_str()));
    } else if (f.video_pid)
        lines.push_back(common::strfmt("Video (PID %d): no sequence header found", f.video_pid));
    else
        lines.push_back("Video: none");
    if (f.has_mpeg_audio)
        lines.push_back(common::strfmt("Audio (PID %d): ", f.audio_pid) + mpeg_audio_text(f.mpeg_audio));
    else if (f.has_ac3)
        lines.push_back(common::strfmt("Audio (PID %d): AC-3, %d kb/s, %.1f kHz", f.audio_pid,
                                       f.ac3.bit_rate / 1000, f.ac3.sample_rate * 0.001));
    else if (f.audio_pid)
        lines.push_back(common::strfmt("Audio (PID %d): no frame header found", f.audio_pid));
    else
        lines.push_back("Audio: none found");
    if (f.other_audio_count > 0) {
        std::string left = "Audio left out:";
        for (int i = 0; i < f.other_audio_count; ++i)
            left += common::strfmt("%s PID %d (%s)", i ? "," : "", f.other_audio[i].pid,
                                   f.other_audio[i].stream_id == 0xBD ? "AC-3" : "MPEG audio");
        lines.push_back(left);
    }
    if (f.damaged_packets == 0 && f.continuity_breaks == 0 && f.sync_bytes_skipped == 0)
        lines.push_back("No damaged or missing transport packets");
    if (f.damaged_packets > 0)
        lines.push_back("Skipped as damaged: " +
                        count_text(f.damaged_packets, "transport packet", "transport packets"));
    if (f.continuity_breaks > 0)
        lines.push_back("Discontinuous: " + count_text(f.continuity_breaks, "gap", "gaps") +
                        " in the transport packets of the converted streams");
    if (f.sync_bytes_skipped > 0)
        lines.push_back("Skipped to find a packet start: " +
                        count_text(f.sync_bytes_skipped, "byte", "bytes"));
    if (f.bytes_dropped > 0)
        lines.push_back(
            "Left out of the target: " + count_text(f.bytes_dropped, "byte", "bytes") +
            " of the chosen streams (before the first video sequence header, or cut off at the end)");
    return lines;
}

std::string final_message(const RunReport& report)
{
    std::string text = report.message;
    if (!report.detail.empty())
        text += "\n" + report.detail;
    std::vector<std::string> lines = summary_lines(report);
    if (!lines.empty())
        text += "\n";
    for (const std::string& line : lines)
        text += "\n" + line;
    return text;
}

} // namespace dranfel
