#include "korvid/database/ird_file.h"

#include "common/byte_order.h"
#include "common/fd_io.h"
#include "common/file_replacement/atomic_file.h"
#include "common/regular_file.h"
#include "common/strfmt.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvid {

IrdLoad load_ird_file(const std::string& path, std::vector<uint8_t>& buffer, std::string* reason)
{
    auto fail = [&](IrdLoad result, std::string why) {
        if (reason)
            *reason = std::move(why);
        return result;
    };
    std::string why;
    long long size = 0;
    if (!common::read_regular_file(path, buffer, why, IRD_WORK_BUFFER_SIZE, &size)) {
        if (size > static_cast<long long>(IRD_WORK_BUFFER_SIZE))
            return fail(IrdLoad::TooLarge, common::strfmt("too large: %lld bytes, the limit is %zu bytes",
                                                          size, IRD_WORK_BUFFER_SIZE));
        return fail(IrdLoad::CantOpen, errno == EISDIR ? std::strerror(EISDIR) : why);
    }
    // A short file reads as if zeros followed it.
    buffer.resize(IRD_WORK_BUFFER_SIZE, 0);
    return IrdLoad::Ok;
}

std::string ird_load_message(IrdLoad result, const std::string& path)
{
    switch (result) {
    case IrdLoad::Ok:
        return {};
    case IrdLoad::TooLarge:
        return common::strfmt("%s is larger than 1 MiB and cannot be a channel database", path.c_str());
    case IrdLoad::CantOpen:
        break;
    }
    // The box names the file and the reason, as a terminal does: a FIFO or a device is refused
    // before it is read, and a refusal without its reason looks arbitrary. The reader does not hand
    // its reason over, so the file is asked again (without blocking, whatever it is).
    std::string why;
    int fd = common::open_regular_file(path, &why);
    if (fd >= 0) {
        ::close(fd);
        why = "it could not be read";
    }
    return ird_load_report(path, why);
}

std::string ird_load_report(const std::string& path, const std::string& reason)
{
    return "Can't open to this file\n" + path + ": " + reason;
}

bool check_ird_target(const std::string& path,
                      std::string& reason,
                      const common::WriteTargetOptions& options,
                      common::TargetRefusal* refusal)
{
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        reason = std::strerror(EISDIR);
        return false;
    }
    // The same temporary file the writer makes, made and dropped: whatever stops it (a missing
    // folder, a read-only disk, permissions) would stop the save.
    common::AtomicFile probe(path, options);
    if (!probe.open()) {
        reason = probe.error();
        if (refusal)
            *refusal = probe.refusal();
        return false;
    }
    probe.abandon();
    return true;
}

std::string ird_save_report(const std::string& path, const std::string& reason)
{
    return "Can't save to this file\n" + path + ": " + reason;
}

DatabaseFile read_database_file(const std::string& path)
{
    DatabaseFile file;
    std::vector<uint8_t> buffer;
    if (load_ird_file(path, buffer, &file.reason) != IrdLoad::Ok) {
        file.message = ird_load_report(path, file.reason);
        return file;
    }
    file.db = std::make_unique<Database>();
    read_database(*file.db, buffer.data(), file.buyer, file.model);
    if (!file.db->is_valid()) {
        file.reason = common::strfmt("the system code is 0x%04x", file.db->system.syscode);
        file.message = "Wrong DB : syscode\n" + path + ": " + file.reason;
        return file;
    }
    file.db->present = true;
    return file;
}

void read_database(Database& db, const uint8_t* buffer, uint16_t& buyer, uint16_t& model)
{
    buyer = common::load_be16(buffer);
    model = common::load_be16(buffer + 2);
    db.unpack_image(buffer + IRD_HEADER_SIZE);
}

void encode_database(const Database& db, uint16_t buyer, uint16_t model, std::vector<uint8_t>& out)
{
    out.assign(IRD_FILE_SIZE, 0);
    common::store_be16(out.data(), buyer);
    common::store_be16(out.data() + 2, model);
    db.pack_image(out.data() + IRD_HEADER_SIZE);
}

bool write_database_file(const Database& db,
                         uint16_t buyer,
                         uint16_t model,
                         const std::string& path,
                         std::string* error,
                         const common::WriteTargetOptions& options,
                         common::TargetRefusal* refusal)
{
    std::vector<uint8_t> bytes;
    encode_database(db, buyer, model, bytes);
    return common::write_file_atomically(path, bytes.data(), bytes.size(), error, options, refusal);
}

} // namespace korvid
