// The storage manager's Copy or Move as the window runs it: the progress dialog with its worker,
// its timers and its repaints, on an offscreen display. Prints the seconds from the dialog's start
// to its close, less the fixed 100 ms it waits after it first shows before it starts the worker,
// so that the figure compares with a command-line run of the same work.
//
//   window_copy_bench SRC_DIR DST_DIR NAME copy|move
#include "dranfel/storage/ui/progress_dlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 5 || (std::strcmp(argv[4], "copy") != 0 && std::strcmp(argv[4], "move") != 0)) {
        std::fprintf(stderr, "usage: %s SRC_DIR DST_DIR NAME copy|move\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    dranfel::FileOpParams params;
    params.source_folder = argv[1];
    params.destination_folder = argv[2];
    params.names = {argv[3]};
    params.kind = std::strcmp(argv[4], "move") == 0 ? dranfel::FileOpKind::Move : dranfel::FileOpKind::Copy;
    dranfel::CProgressDlg dlg(params);
    QElapsedTimer clock;
    clock.start();
    dlg.exec();
    const double seconds = double(clock.nsecsElapsed()) / 1e9 - 0.1;
    if (dlg.result().outcome != dranfel::FileOpOutcome::Done) {
        std::fprintf(stderr, "the copy did not finish\n");
        return 1;
    }
    std::printf("%.6f\n", seconds);
    return 0;
}
