#pragma once
// dranfel-cli ts2pes over one recording or many: the terminal side of a batch of conversions.
#include <string>
#include <vector>

namespace dranfel::cli {

struct Ts2pesArgs
{
    // The recordings; with exactly two and no output folder, a second one that is no part file
    // (.AVR) is the target of the first, "-" standing for standard output.
    std::vector<std::string> paths;
    std::string out_dir;
    std::string parts_text = "all"; // all or one
    bool verbose = false;
};

// Converts them one after another with a progress line each on standard error, the result of
// each on standard output (on standard error when the program stream goes there) and the run's
// summary on standard error. Exit status 0 when all were
// converted, 1 when any failed (each named at the end), 130 when Ctrl-C stopped the batch.
int run_ts2pes(const Ts2pesArgs& args);

} // namespace dranfel::cli
