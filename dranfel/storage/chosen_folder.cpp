#include "dranfel/storage/chosen_folder.h"

#include <sys/stat.h>

namespace dranfel {

ChosenFolder::ChosenFolder(std::string path)
    : m_path(std::move(path))
{
    struct stat st;
    if (!m_path.empty() && ::stat(m_path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        m_device = st.st_dev;
        m_known = true;
    }
}

bool ChosenFolder::still_there() const
{
    struct stat st;
    return m_known && ::stat(m_path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_dev == m_device;
}

std::string folder_gone_message(const std::string& path)
{
    return "The folder " + path +
           " is no longer on the disk it was chosen on (the disk was removed or unmounted, or the folder "
           "was deleted). Choose the folder again.";
}

} // namespace dranfel
