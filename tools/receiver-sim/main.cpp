// receiver-sim: the receiver's side of the serial exchanges, on a pseudo-terminal or a real port.
#include "common/cli/command.h"
#include "korvid/database/database.h"
#include "korvid/database/ird_file.h"
#include "korvid/link/link_blocks.h"
#include "tools/receiver-sim/receiver.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <pty.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

bool parse_u16(const std::string& s, uint16_t& out)
{
    char* end = nullptr;
    unsigned long v = std::strtoul(s.c_str(), &end, 0);
    if (s.empty() || *end || v > 0xFFFF)
        return false;
    out = uint16_t(v);
    return true;
}

bool read_file(const std::string& path, std::vector<uint8_t>& out)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        return false;
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return !f.bad();
}

// The image a receiver holding this .ird would send: the file's database in the receiver's byte
// order. Its codes become the simulator's unless others were asked for.
bool image_from_ird(const std::string& path,
                    std::vector<uint8_t>& image,
                    uint16_t& buyer,
                    uint16_t& model,
                    std::string& error)
{
    // A wrong system code is served all the same: the receiver's side of a test may need one.
    korvid::DatabaseFile file = korvid::read_database_file(path);
    if (!file.db) {
        error = "cannot serve " + path + ": " + file.reason;
        return false;
    }
    buyer = file.buyer;
    model = file.model;
    image.assign(korvid::DB_IMAGE_SIZE, 0);
    file.db->build_image_for_receiver(image.data());
    return true;
}

int say(int code, const std::string& text)
{
    std::fprintf(stderr, "receiver-sim: %s\n", text.c_str());
    return code;
}

// What the command line asks for; the run reads it once the parse has filled it in.
struct Arguments
{
    bool pty = false;
    std::string port;
    std::string exchange = "db-to-receiver";
    // Empty: not given, so 0xFFFF, or the codes of the --ird file.
    std::string buyer, model;
    std::string image_file, ird_file;
    std::vector<uint32_t> refuse_once;
    receiver_sim::Options opt;
};

int serve(Arguments& a)
{
    receiver_sim::Options& opt = a.opt;
    if (!a.pty && a.port.empty())
        return say(1, "give --pty or --port DEV");
    if ((!a.buyer.empty() && !parse_u16(a.buyer, opt.buyer)) ||
        (!a.model.empty() && !parse_u16(a.model, opt.model)))
        return say(1, "buyer and model codes are numbers from 0 to 0xFFFF");
    opt.refuse_once.insert(a.refuse_once.begin(), a.refuse_once.end());
    if (a.exchange == "db-from-receiver") {
        opt.exchange = receiver_sim::Exchange::DbFromReceiver;
        if (!a.ird_file.empty()) {
            uint16_t file_buyer = 0, file_model = 0;
            std::string error;
            if (!image_from_ird(a.ird_file, opt.image, file_buyer, file_model, error))
                return say(1, error);
            if (a.buyer.empty())
                opt.buyer = file_buyer;
            if (a.model.empty())
                opt.model = file_model;
        } else if (a.image_file.empty()) {
            return say(1, "db-from-receiver needs --image FILE or --ird FILE");
        } else if (!read_file(a.image_file, opt.image)) {
            return say(1, "cannot read " + a.image_file);
        }
    } else if (a.exchange == "software") {
        opt.exchange = receiver_sim::Exchange::Software;
    }

    korvid::CComPort port;
    int keep_slave = -1;
    if (a.pty) {
        int master = -1;
        char name[256] = {};
        termios raw{};
        ::cfmakeraw(&raw);
        ::cfsetispeed(&raw, B115200);
        ::cfsetospeed(&raw, B115200);
        // Our own handle on the far end stays open, so the line does not hang up between the
        // PC's opens and closes.
        if (::openpty(&master, &keep_slave, name, &raw, nullptr) != 0)
            return say(1, "cannot create a pseudo-terminal");
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        ::fcntl(keep_slave, F_SETFD, FD_CLOEXEC);
        if (!port.Attach(master))
            return say(1, "cannot set up the pseudo-terminal");
        std::printf("%s\n", name);
        std::fflush(stdout);
    } else {
        std::string dev = a.port;
        if (int n = korvid::port_number_for(a.port); n && a.port.rfind("/", 0) != 0)
            dev = korvid::port_device(n);
        if (dev.empty() || !port.OpenPath(dev, 0))
            return say(1, "cannot open " + a.port);
    }

    // Pacing sleeps for a byte time (11 us at 921600 baud); the kernel's default timer slack of
    // 50 us would add more than a byte to every paced byte and make the line look slower than it is.
    if (opt.baud)
        ::prctl(PR_SET_TIMERSLACK, 1000UL, 0, 0, 0);

    receiver_sim::Receiver receiver(port, opt);
    receiver_sim::Outcome out = receiver.run();
    port.Close();
    if (keep_slave >= 0)
        ::close(keep_slave);
    return say(out.exit_code, (out.exit_code == 0 ? "complete: " : "failed: ") + out.message);
}

} // namespace

int main(int argc, char** argv)
{
    Arguments a;
    receiver_sim::Options& opt = a.opt;
    common::cli::Command sim("receiver-sim",
                             "Simulated receiver: speaks the receiver's side of the serial exchanges");
    sim.flag("--pty", a.pty, "create a pseudo-terminal, print the path of its far end, serve on it")
        .excludes("--port");
    sim.option("--port", a.port, "serve on this serial device (a path or COMn)");
    sim.option("--exchange", a.exchange, "db-to-receiver, db-from-receiver or software")
        .one_of({"db-to-receiver", "db-from-receiver", "software"});
    sim.option("--out", opt.out_file, "write the payload the PC sends to this file");
    sim.option("--image", a.image_file, "the raw image served when the PC fetches the database");
    sim.option("--ird", a.ird_file,
               "serve the database of this .ird file, in the receiver's byte order, with its codes")
        .excludes("--image");
    sim.option("--buyer", a.buyer, "buyer code in the version block (default 0xFFFF)");
    sim.option("--model", a.model, "model code in the version block (default 0xFFFF)");
    sim.option("--refuse-once", a.refuse_once, "refuse packet N (from 1) the first time it comes");
    sim.option("--refuse-always", opt.refuse_always, "refuse packet N every time");
    sim.option("--corrupt-packet", opt.corrupt_packet, "damage the first sending of packet N");
    sim.flag("--short-version", opt.short_version, "answer the version request with 4 bytes");
    sim.option("--stray-after-packet", opt.stray_after_packet, "send one stray byte behind packet N");
    sim.option("--silent-after", opt.silent_after, "fall silent once packet N is through");
    sim.flag("--silent-before-write-done", opt.silent_before_write_done, "never send WRITE_DONE");
    sim.option("--baud", opt.baud, "pace output and reading at this baud rate (default: unpaced)");
    sim.flag("--trace", opt.trace, "log every byte exchanged to standard error");
    sim.option("--noise", opt.noise, "flip one bit in this share of the bytes crossing the line, both ways")
        .range(0.0, 1.0);
    sim.option("--seed", opt.seed, "seed of the noise (default 1)");
    sim.option("--timeout-ms", opt.answer_timeout_ms, "longest wait for one answer of the PC");
    sim.option("--connect-timeout-ms", opt.connect_timeout_ms, "how long HELLO is repeated");
    sim.run = [&a] { return serve(a); };
    return common::cli::run_single(sim, argc, argv);
}
