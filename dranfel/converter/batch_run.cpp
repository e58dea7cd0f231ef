#include "dranfel/converter/batch_run.h"

#include <filesystem>

namespace dranfel {

namespace fs = std::filesystem;

bool plan_batch(const std::vector<std::string>& sources,
                const std::string& out_dir,
                std::vector<BatchItem>& items,
                std::string& error)
{
    items.clear();
    for (const std::string& source : sources) {
        std::string target = default_target(source);
        if (!out_dir.empty())
            target = (fs::path(out_dir) / fs::path(target).filename()).string();
        for (const BatchItem& earlier : items)
            if (fs::weakly_canonical(earlier.target) == fs::weakly_canonical(target)) {
                error = source + " and " + earlier.source + " would both be converted to " + target;
                return false;
            }
        items.push_back({source, target});
    }
    return true;
}

BatchResult run_batch(const std::vector<BatchItem>& items,
                      const ConversionRequest& common_request,
                      BatchObserver& observer,
                      const std::atomic<bool>& cancel)
{
    BatchResult result;
    int count = int(items.size());
    for (int i = 0; i < count; ++i) {
        if (cancel.load()) {
            result.stopped = true;
            result.not_started = count - i;
            break;
        }
        const BatchItem& item = items[size_t(i)];
        observer.item_started(i + 1, count, item);
        ConversionRequest request = common_request;
        request.source = item.source;
        request.target = item.target;
        RunReport report = run_conversion(request, observer, cancel);
        observer.item_finished(i + 1, count, item, report);
        if (report.status == RunStatus::Finished)
            ++result.converted;
        else
            result.failures.push_back({item, report});
        if (report.status == RunStatus::Canceled && cancel.load()) {
            result.stopped = true;
            result.not_started = count - i - 1;
            break;
        }
    }
    return result;
}

} // namespace dranfel
