// Converts a bare transport stream file (no recording header) the way a conversion run does: the
// engine over the buffered file layer. For the benchmark script, which times it against ffmpeg.
#include "dranfel/converter/byte_io.h"
#include "dranfel/converter/file_sink.h"
#include "dranfel/converter/ts_engine.h"

#include <chrono>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IN.ts OUT.mpg\n", argv[0]);
        return 2;
    }
    // The sink first: it outlives the source, whose windows it keeps until they are written.
    dranfel::FileSink sink;
    dranfel::FileSource source;
    if (!source.open(argv[1]) || !sink.create(argv[2])) {
        std::fprintf(stderr, "cannot open: %s%s\n", source.error().c_str(), sink.error().c_str());
        return 1;
    }
    if (sink.wants_input_in_place())
        source.set_keeper(&sink);
    auto start = std::chrono::steady_clock::now();
    dranfel::EngineOptions options;
    options.diagnostics = nullptr;
    options.memory = &sink; // as a conversion run does: chunks are written from where they are built
    dranfel::TsConverter conv(&dranfel::FileSink::output, &sink, options);
    dranfel::PartResult r = conv.convert_part(source, 0, 0, 1);
    conv.finish();
    bool ok = sink.close() && r == dranfel::PartResult::End;
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("converted %lld bytes into %lld in %.3f s (%.0f MB/s)\n", (long long)source.size(),
                (long long)sink.written(), s, double(source.size()) / s / 1e6);
    return ok ? 0 : 1;
}
