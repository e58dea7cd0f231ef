#pragma once
// The undo and redo history of the one database. It keeps the packed image of the last recorded
// state; after each stored change it packs the database again and keeps only the byte ranges that
// differ as one step with a label that says what the user did. A step holds one side of its
// ranges only, the side the copy does not: the old bytes while it can be undone, the new ones
// while it can be redone. Undo and redo exchange a step's bytes with the copy's and unpack the
// copy over the tables. Because it
// works on the whole image, every change any page makes (cascades included) comes back without
// per-page undo code.
#include "korvid/database/database.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace korvid {

class EditHistory
{
public:
    // What the steps may take, in bytes, before the oldest are dropped. The copy of the image and
    // the scratch buffer (twice DB_IMAGE_SIZE) come on top.
    static constexpr size_t DEFAULT_LIMIT = size_t(64) << 20;

    explicit EditHistory(size_t limit_bytes = DEFAULT_LIMIT);
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    // Starts again from the database as it is now, with no steps; `saved`: this state is the one on
    // disk (the modified flag is clear).
    void reset(const Database& db, bool saved);
    // After a change was stored: keeps what differs from the last recorded state as one step and
    // throws away whatever could have been redone. False when the image did not change (no step).
    bool record(const Database& db, const std::string& label);
    // One step back or forward over the tables; false when there is none.
    bool undo(Database& db);
    bool redo(Database& db);

    bool can_undo() const { return m_position > 0; }
    bool can_redo() const { return m_position < m_steps.size(); }
    // What the next undo or redo would take back or do again; "" when there is none.
    const std::string& undo_label() const;
    const std::string& redo_label() const;
    size_t undo_count() const { return m_position; }

    // The state now is the one on disk.
    void mark_saved() { m_saved = long(m_position); }
    // The tables are as they were when last saved or loaded.
    bool at_saved() const { return m_saved == long(m_position); }

    // Bytes the steps take now, and the bytes of the newest step recorded.
    size_t bytes() const { return m_bytes; }
    size_t last_step_bytes() const { return m_steps.empty() ? 0 : m_steps.back().cost(); }
    size_t limit() const { return m_limit; }

private:
    struct Range
    {
        uint32_t offset; // into the image
        uint32_t length;
        uint32_t data; // into Step::bytes, `length` bytes
    };
    struct Step
    {
        std::string label;
        std::vector<Range> ranges;
        std::vector<uint8_t> bytes;
        size_t cost() const
        {
            return sizeof(Step) + label.size() + ranges.size() * sizeof(Range) + bytes.size();
        }
    };

    // Exchanges a step's bytes with the copy's and brings the tables to the copy.
    void apply(Step& step, Database& db);
    void drop_oldest_over_limit();

    size_t m_limit;
    std::unique_ptr<uint8_t[]> m_image;   // the last recorded state, packed
    std::unique_ptr<uint8_t[]> m_scratch; // the state after a change, packed
    std::deque<Step> m_steps;
    size_t m_position = 0; // steps applied: m_steps[m_position - 1] is the next undo
    long m_saved = 0;      // the position of the state on disk; -1 when no step leads back to it
    size_t m_bytes = 0;
};

} // namespace korvid
