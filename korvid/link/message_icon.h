#pragma once
// Which icon a message box of the exchange gets. The loop reports its boxes as texts; only the
// news that a transfer went through is good news, every other box it raises is a failure.
#include "common/prompts.h"

#include <string>

namespace korvid {

inline common::Icon exchange_message_icon(const std::string& text)
{
    return text.rfind("Transfer Complete", 0) == 0 ? common::Icon::Information : common::Icon::Error;
}

} // namespace korvid
