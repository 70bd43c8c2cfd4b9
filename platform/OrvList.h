// Ordered intrusive list of OrvElement. An element is in at most one list.
#pragma once

#include <cstdint>

#include "platform/OrvElement.h"

class OrvList : public OrvElement {
public:
    static constexpr int classID = 10001;
    static constexpr const char* className = "OrvList";
    int ClassID() const override { return classID; }
    const char* ClassName() const override { return className; }
    bool IsA(int id) const override { return id == classID || OrvElement::IsA(id); }
    bool IsA(const char* name) const override { return NameIs(name, className) || OrvElement::IsA(name); }

    // Negative, zero or positive as a sorts before, with or after b.
    using CompareFunction = int (*)(OrvElement* a, OrvElement* b);

    OrvList() = default;
    OrvList(const OrvList&) = delete;
    OrvList& operator=(const OrvList&) = delete;
    // The list does not delete its elements on its own; owners call Destroy.
    ~OrvList() override;

    // Appends (or inserts in compare order when a compare function is set
    // and sorted insertion is asked for) and returns the element; an element
    // of another list is unlinked from it first.
    OrvElement* Add(OrvElement* element);
    OrvElement* Add(OrvElement* element, OrvElement* before);
    // Unlinks without deleting; returns the element or null when not here.
    OrvElement* Subtract(OrvElement* element);
    // Element at index from 0, or null.
    OrvElement* Get(int index) const;
    // Index of the element from 0, or -1.
    int Index(const OrvElement* element) const;
    // Moves the element to the position index (clamped to the list).
    void Move(OrvElement* element, int index);
    void SetCompareFunction(CompareFunction compare) { compare_ = compare; }
    CompareFunction GetCompareFunction() const { return compare_; }
    // Stable sort by the compare function; nothing without one.
    void Sort();
    // Deletes every element.
    void Destroy();

    OrvElement* First() const { return first_; }
    OrvElement* Last() const { return last_; }
    int Count() const { return count_; }
    // Counts every change of the list (adding, unlinking), so that an index
    // kept beside it can tell that it is out of date.
    uint64_t Changes() const { return changes_; }

private:
    OrvElement* first_ = nullptr;
    OrvElement* last_ = nullptr;
    int count_ = 0;
    uint64_t changes_ = 0;
    CompareFunction compare_ = nullptr;
};
