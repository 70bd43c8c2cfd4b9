// Small helpers of the model tests: a calendar read from text, its first
// event, a scratch directory.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "model/OrvCalReader.h"
#include "model/OrvCalendar.h"
#include "model/OrvModelLookup.h"

// A document read from the given text.
inline std::unique_ptr<OrvCalendar> ReadCalendar(const std::string& text)
{
    auto calendar = std::make_unique<OrvCalendar>();
    calendar->LoadText(text);
    return calendar;
}

// A document holding one calendar block with one event built from lines
// (each ended by "\n").
inline std::unique_ptr<OrvCalendar> EventCalendar(const std::string& lines)
{
    return ReadCalendar("BEGIN:VCALENDAR\nBEGIN:VEVENT\n" + lines + "END:VEVENT\nEND:VCALENDAR\n");
}

inline OrvCalendarComponent* FirstEvent(const OrvCalendar& calendar)
{
    OrvCalendarComponent* top = calendar.Component(0);
    return top ? top->Child(0) : nullptr;
}

// Lines of a text without their line ends.
inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class ScratchDir {
public:
    ScratchDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "orvmodel.XXXXXX").string();
        char* made = ::mkdtemp(tmpl.data());
        path_ = made ? made : "";
    }
    ~ScratchDir()
    {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    std::string Write(const std::string& name, const std::string& content) const
    {
        std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
        out << content;
        return File(name);
    }
    std::string Read(const std::string& name) const { return ReadFile(File(name)); }
    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::string path_;
};

// Installs lookups for the duration of a test and removes them afterwards.
class LookupHooks {
public:
    LookupHooks(OrvIdLookup scenes, OrvIdLookup categories, OrvNameLookup names)
    {
        OrvSetSceneLookup(scenes);
        OrvSetCategoryLookup(categories);
        OrvSetCategoryNameLookup(names);
    }
    ~LookupHooks()
    {
        OrvSetSceneLookup(nullptr);
        OrvSetCategoryLookup(nullptr);
        OrvSetCategoryNameLookup(nullptr);
    }
};
