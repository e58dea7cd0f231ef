#pragma once
// What a finished conversion run tells its user: the one-line result, why it failed when it did,
// and what the run found in the recording, in the engine's own terms.
#include "dranfel/converter/conversion_run.h"

#include <string>
#include <vector>

namespace dranfel {

// The findings of a run, one line each: parts, bytes, the video and audio taken, the audio left
// out, and what was damaged, missing or dropped. Empty when the run never got to read a part.
std::vector<std::string> summary_lines(const RunReport& report);

// The text of the dialog's final message box: the result line, the reason on a line of its own
// when there is one, and the summary after a blank line.
std::string final_message(const RunReport& report);

} // namespace dranfel
