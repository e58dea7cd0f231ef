// dranfel-cli ls: a folder as the file list shows it, one tab-separated line per row.
#include "common/cli/command.h"
#include "common/printable.h"
#include "dranfel/storage/file_list.h"

#include <cstdio>
#include <memory>
#include <sys/stat.h>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_ls {

const common::cli::Registration reg{[] {
    auto dir = std::make_shared<std::string>();
    common::cli::Command cmd("ls", "List a folder as the file list shows it: File Name, Real File Name, "
                                   "Size(KB) and Date, separated by tabs");
    cmd.positional("DIR", *dir, "Folder");
    cmd.run = [dir] {
        struct stat st;
        if (::stat(dir->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            std::fprintf(stderr, "dranfel-cli: %s is not a folder\n", common::printable(*dir).c_str());
            return 1;
        }
        // A tab or a line feed in a name would break the row, CR or ESC would work on the terminal.
        using common::printable;
        for (const dranfel::FileRow& r : dranfel::list_files(*dir))
            std::printf("%s\t%s\t%s\t%s\n", printable(r.file_name).c_str(),
                        printable(r.real_file_name).c_str(), r.size_kb.c_str(), r.date.c_str());
        return 0;
    };
    return cmd;
}};

} // namespace cmd_ls
