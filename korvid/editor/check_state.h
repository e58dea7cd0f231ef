#pragma once
// A check box or radio button: checked and enabled.

namespace korvid {

struct CheckState
{
    bool checked = false;
    bool enabled = true;
};

} // namespace korvid
