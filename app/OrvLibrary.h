// A dynamic library loaded at run time, kept loaded while the object lives.
#pragma once

#include <string>

#include "platform/OrvElement.h"

class OrvLibrary : public OrvElement {
public:
    // Loads the library; a failure leaves the handle null and is not
    // reported further.
    explicit OrvLibrary(const std::string& path);
    ~OrvLibrary() override;
    OrvLibrary(const OrvLibrary&) = delete;
    OrvLibrary& operator=(const OrvLibrary&) = delete;

    // Looks up the entry points the subclass needs; 0 when all are there.
    virtual int Bind();

    const std::string& Path() const { return path_; }
    void* Handle() const { return handle_; }
    bool IsLoaded() const { return handle_ != nullptr; }
    // Why loading failed (empty when it did not).
    const std::string& LoadError() const { return loadError_; }

    // Address of an exported symbol; null when the library is not loaded
    // or lacks it.
    void* Symbol(const char* name) const;

private:
    std::string path_;
    void* handle_ = nullptr;
    std::string loadError_;
};
