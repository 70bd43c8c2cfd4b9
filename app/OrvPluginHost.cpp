#include "OrvPluginHost.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

#include "OrvProgramDirectory.h"

namespace {

std::string Upper(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

OrvPluginHostStub::~OrvPluginHostStub()
{
    Destroy();
}

int OrvPluginHostStub::Prepare()
{
    directory_ = OrvProgramDirectory() + "/PLUGIN";
    struct stat st;
    if (::stat(directory_.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : -1;
    return ::mkdir(directory_.c_str(), 0755) == 0 ? 0 : -1;
}

bool OrvPluginHostStub::Accepts(const std::string& extension) const
{
    // Whole entries of the list only: a part of an extension is not one.
    std::string ext = Upper(extension);
    if (ext.empty()) return false;
    std::size_t pos = 0;
    while (pos <= extensions_.size()) {
        std::size_t sep = extensions_.find(';', pos);
        std::string item = extensions_.substr(pos, sep == std::string::npos ? std::string::npos : sep - pos);
        if (Upper(item) == ext) return true;
        if (sep == std::string::npos) break;
        pos = sep + 1;
    }
    return false;
}

int OrvPluginHostStub::Load()
{
    if (extensions_.empty()) extensions_ = DefaultExtensions;
    DIR* dir = ::opendir(directory_.c_str());
    if (!dir) return 0;
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir)) names.emplace_back(e->d_name);
    ::closedir(dir);
    std::sort(names.begin(), names.end());

    int added = 0;
    for (const std::string& name : names) {
        std::size_t dot = name.rfind('.');
        if (dot == std::string::npos) continue;
        std::string path = directory_ + "/" + name;
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
        if (!Accepts(name.substr(dot + 1))) continue;
        auto* plugin = new OrvPlugin(path);
        plugin->SetHost(this);
        plugin->Bind();
        Add(plugin);
        ++added;
    }
    return added;
}
