#pragma once
// A fresh folder under /tmp for one test, removed with everything in it at the end.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace common::testing {

class TempDir
{
public:
    TempDir()
    {
        char tmpl[] = "/tmp/kd-test-XXXXXX";
        m_path = ::mkdtemp(tmpl) ? tmpl : "";
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    // A folder made inside it; its path.
    std::string sub(const std::string& name) const
    {
        std::filesystem::create_directories(m_path + "/" + name);
        return m_path + "/" + name;
    }

private:
    std::string m_path;
};

} // namespace common::testing
