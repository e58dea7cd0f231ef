#include "korvid/database/edit_history.h"

#include "korvid/database/limits.h"

#include <algorithm>
#include <cstring>

namespace korvid {

namespace {

// Differences closer than this share one range: a range record costs as much as twelve bytes.
constexpr size_t MERGE_GAP = 12;
constexpr size_t BLOCK = 64;

const std::string NO_LABEL;

} // namespace

EditHistory::EditHistory(size_t limit_bytes)
    : m_limit(limit_bytes)
    , m_image(new uint8_t[DB_IMAGE_SIZE]())
    , m_scratch(new uint8_t[DB_IMAGE_SIZE]())
{}

void EditHistory::reset(const Database& db, bool saved)
{
    m_steps.clear();
    m_bytes = 0;
    m_position = 0;
    m_saved = saved ? 0 : -1;
    db.pack_image(m_image.get());
}

const std::string& EditHistory::undo_label() const
{
    return can_undo() ? m_steps[m_position - 1].label : NO_LABEL;
}

const std::string& EditHistory::redo_label() const
{
    return can_redo() ? m_steps[m_position].label : NO_LABEL;
}

bool EditHistory::record(const Database& db, const std::string& label)
{
    // Packing writes the same bytes of the buffer every time, so the scratch needs no clearing.
    db.pack_image(m_scratch.get());
    const uint8_t* before = m_image.get();
    const uint8_t* after = m_scratch.get();
    const size_t n = DB_IMAGE_SIZE;

    Step step;
    step.label = label;
    size_t i = 0;
    while (i < n) {
        if (i + BLOCK <= n && std::memcmp(before + i, after + i, BLOCK) == 0) {
            i += BLOCK;
            continue;
        }
        if (before[i] == after[i]) {
            ++i;
            continue;
        }
        size_t end = i + 1; // one past the last differing byte of this range
        for (size_t j = end; j < n && j - end < MERGE_GAP; ++j)
            if (before[j] != after[j])
                end = j + 1;
        const Range r{uint32_t(i), uint32_t(end - i), uint32_t(step.bytes.size())};
        step.bytes.insert(step.bytes.end(), before + i, before + end);
        step.ranges.push_back(r);
        i = end;
    }
    if (step.ranges.empty())
        return false;
    step.bytes.shrink_to_fit();
    step.ranges.shrink_to_fit();

    // A new change ends the way forward; the state on disk may have been on it.
    while (m_steps.size() > m_position) {
        m_bytes -= m_steps.back().cost();
        m_steps.pop_back();
    }
    if (m_saved > long(m_position))
        m_saved = -1;

    m_bytes += step.cost();
    m_steps.push_back(std::move(step));
    ++m_position;
    std::swap(m_image, m_scratch);
    drop_oldest_over_limit();
    return true;
}

void EditHistory::drop_oldest_over_limit()
{
    // The newest step always stays, so the change just made can be taken back whatever the limit.
    while (m_bytes > m_limit && m_steps.size() > 1) {
        m_bytes -= m_steps.front().cost();
        m_steps.pop_front();
        --m_position;
        if (m_saved >= 0)
            --m_saved; // the state before the dropped step can no longer be reached: -1
    }
}

void EditHistory::apply(Step& step, Database& db)
{
    for (const Range& r : step.ranges)
        std::swap_ranges(m_image.get() + r.offset, m_image.get() + r.offset + r.length,
                         step.bytes.data() + r.data);
    db.unpack_image(m_image.get());
    // Unpacking clears bytes the receiver keeps for itself; the copy follows the tables exactly, so
    // the next change is measured against what they really hold.
    db.pack_image(m_image.get());
}

bool EditHistory::undo(Database& db)
{
    if (!can_undo())
        return false;
    --m_position;
    apply(m_steps[m_position], db);
    return true;
}

bool EditHistory::redo(Database& db)
{
    if (!can_redo())
        return false;
    apply(m_steps[m_position], db);
    ++m_position;
    return true;
}

} // namespace korvid
