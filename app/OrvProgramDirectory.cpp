#include "OrvProgramDirectory.h"

#include <climits>
#include <unistd.h>

namespace {

std::string& Stored()
{
    static std::string dir;
    return dir;
}

std::string ExecutableDirectory()
{
    char buf[PATH_MAX + 1];
    ssize_t n = ::readlink("/proc/self/exe", buf, PATH_MAX);
    if (n <= 0) return ".";
    buf[n] = '\0';
    return OrvDirectoryOfPath(buf);
}

} // namespace

std::string OrvDirectoryOfPath(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

const std::string& OrvProgramDirectory()
{
    std::string& dir = Stored();
    if (dir.empty()) dir = ExecutableDirectory();
    return dir;
}

void OrvSetProgramDirectory(const std::string& directory)
{
    std::string d = directory;
    while (d.size() > 1 && d.back() == '/') d.pop_back();
    Stored() = d;
}
