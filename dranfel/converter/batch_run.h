#pragma once
// Several recordings converted one after another, each to a target of its own: the targets they
// get, the run over them, and the failures named at the end.
#include "dranfel/converter/conversion_run.h"

#include <atomic>
#include <string>
#include <vector>

namespace dranfel {

struct BatchItem
{
    std::string source;
    std::string target;
};

// The target of each source: its name with ".mpg" in `out_dir`, or beside the source when
// `out_dir` is empty. False with `error` set when two sources would write the same target (the
// second would replace the first's work).
bool plan_batch(const std::vector<std::string>& sources,
                const std::string& out_dir,
                std::vector<BatchItem>& items,
                std::string& error);

class BatchObserver : public ConversionObserver
{
public:
    // `index` is 1-based.
    virtual void item_started(int index, int count, const BatchItem& item)
    {
        (void)index, (void)count, (void)item;
    }
    virtual void item_finished(int index, int count, const BatchItem& item, const RunReport& report)
    {
        (void)index, (void)count, (void)item, (void)report;
    }
};

struct BatchFailure
{
    BatchItem item;
    RunReport report;
};

struct BatchResult
{
    int converted = 0;
    int not_started = 0; // left when the batch was stopped
    bool stopped = false;
    std::vector<BatchFailure> failures;
};

// Runs the items in order with the same parts rule. `cancel` stops the run in progress (it ends
// as cancelled, with what it wrote) and every item after it.
BatchResult run_batch(const std::vector<BatchItem>& items,
                      const ConversionRequest& common_request,
                      BatchObserver& observer,
                      const std::atomic<bool>& cancel);

} // namespace dranfel
