#include "OrvLibrary.h"

#include <dlfcn.h>

OrvLibrary::OrvLibrary(const std::string& path) : path_(path)
{
    // An empty name would give the handle of the program itself.
    if (path_.empty()) {
        loadError_ = "no library name";
        return;
    }
    handle_ = ::dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* err = ::dlerror();
        loadError_ = err ? err : "cannot load library";
    }
}

OrvLibrary::~OrvLibrary()
{
    if (handle_) ::dlclose(handle_);
}

int OrvLibrary::Bind()
{
    return handle_ ? 0 : -1;
}

void* OrvLibrary::Symbol(const char* name) const
{
    if (!handle_ || !name) return nullptr;
    ::dlerror();
    return ::dlsym(handle_, name);
}
