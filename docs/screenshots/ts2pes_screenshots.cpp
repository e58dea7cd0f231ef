// Takes the converter's screenshots of docs/screenshots: the "ts2pes" dialog idle with a
// recording filled in, in the middle of its second part, and its final message. The recording is
// a clip made by ffmpeg, cut into three parts. Run under
// xvfb-run (docs/screenshots/make.sh).
#include "common/testing/screen_shots.h"
#include "dranfel/converter/ui/ts2pes_dlg.h"
#include "dranfel/storage/recording_name.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace common::testing;

namespace {

// A 12-second clip as a receiver would record it: three part files behind their 134-byte headers
// and the information file that counts them.
bool make_recording(const fs::path& folder, std::string& part1)
{
    fs::create_directories(folder);
    fs::path ts = folder / "clip.ts";
    std::string cmd =
        "ffmpeg -v error -y -f lavfi -i testsrc2=size=720x576:rate=25 -f lavfi -i "
        "sine=frequency=440:sample_rate=48000 -t 12 -c:v mpeg2video -b:v 6M -maxrate 6M -bufsize 1835k "
        "-c:a mp2 -b:a 192k -f mpegts '" +
        ts.string() + "'";
    if (std::system(cmd.c_str()) != 0)
        return false;
    std::ifstream in(ts, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    size_t packets = bytes.size() / 188;
    std::string prefix = folder.string() + "/";
    for (int k = 1; k <= 3; ++k) {
        std::vector<uint8_t> file(dranfel::AVR_HEADER_SIZE, 0);
        file[9] = uint8_t(dranfel::AVR_HEADER_SIZE);
        size_t from = packets * size_t(k - 1) / 3 * 188,
               to = k == 3 ? packets * 188 : packets * size_t(k) / 3 * 188;
        file.insert(file.end(), bytes.begin() + long(from), bytes.begin() + long(to));
        std::ofstream(dranfel::RecordingName::part_file_name(prefix, "Nachtcafe", k, "200603012015", 0),
                      std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    }
    std::vector<char> info(dranfel::AVF_FILE_SIZE, 0);
    info[dranfel::AVF_PART_COUNT_OFFSET + 1] = 3;
    std::ofstream(dranfel::RecordingName::info_file_name(prefix, "Nachtcafe", "200603012015", 0),
                  std::ios::binary)
        .write(info.data(), std::streamsize(info.size()));
    fs::remove(ts);
    part1 = dranfel::RecordingName::part_file_name(prefix, "Nachtcafe", 1, "200603012015", 0);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dranfel"));
    if (argc > 1)
        shot_folder() = QString::fromLocal8Bit(argv[1]);
    fs::path folder = fs::path(QDir::tempPath().toStdString()) / "dranfel-demo" / "REC";
    fs::remove_all(folder.parent_path());
    std::string part1;
    if (!make_recording(folder, part1)) {
        std::fprintf(stderr, "ffmpeg could not make the clip\n");
        return 1;
    }

    dranfel::CTs2PesDlg dlg(nullptr, QString::fromStdString(part1),
                            QString::fromStdString(dranfel::default_target(part1)));
    std::atomic<bool> held{false}, go{false};
    dlg.set_progress_hook([&](int part, int percent) {
        if (part == 2 && percent >= 40 && !held.exchange(true))
            while (!go.load())
                std::this_thread::yield();
    });
    dlg.move(120, 100);
    dlg.show();
    wait_until([&] { return dlg.isActiveWindow(); }, 3000);
    shot("ts2pes.png", around(&dlg, 8));

    dlg.start_button()->click();
    wait_until([&] { return held.load() && dlg.current_value() >= 40; }, 30000);
    shot("ts2pes-converting.png", around(&dlg, 8));

    // The final box is modal: it is taken and closed from the event loop that runs it.
    bool message_taken = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || message_taken)
            return;
        message_taken = true;
        // Beside the dialog rather than over it, so that both show.
        box->move(dlg.frameGeometry().right() + 16, dlg.frameGeometry().top() + 40);
        settle();
        shot("ts2pes-finished.png", around(&dlg, 8).united(around(box, 8)));
        box->accept();
    });
    poll.start(50);
    bool finished = false;
    QObject::connect(&dlg, &dranfel::CTs2PesDlg::run_finished, [&] { finished = true; });
    go = true;
    wait_until([&] { return finished; }, 60000);
    fs::remove_all(folder.parent_path());
    return message_taken ? 0 : 1;
}
