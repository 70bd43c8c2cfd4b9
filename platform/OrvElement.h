// List element base: every object held in an OrvList derives from it.
#pragma once

class OrvList;

class OrvElement {
public:
    // Identifier and name of this base class; subclasses answer their own
    // through ClassID/ClassName and chain IsA to their base.
    static constexpr int classID = 10000;
    static constexpr const char* className = "OrvElement";

    OrvElement() = default;
    // A copy is a free element: it is not part of the original's list.
    OrvElement(const OrvElement&) : OrvElement() {}
    OrvElement& operator=(const OrvElement&) { return *this; }
    virtual ~OrvElement() = default;

    virtual int ClassID() const { return classID; }
    virtual const char* ClassName() const { return className; }
    // True for the class itself and every base class.
    virtual bool IsA(int id) const { return id == classID; }
    virtual bool IsA(const char* name) const;

    // Match by name or number; the base element matches nothing.
    virtual bool Find(const char* name) const { return false; }
    virtual bool Find(int number) const { return false; }

    // Reference counting for elements shared by several holders; Release
    // deletes the element when the last reference goes.
    int AddRef() { return ++refCount_; }
    int Release();
    int RefCount() const { return refCount_; }

    OrvElement* Next() const { return next_; }
    OrvElement* Previous() const { return previous_; }
    OrvList* List() const { return list_; }

protected:
    static bool NameIs(const char* a, const char* b);

private:
    friend class OrvList;
    OrvElement* next_ = nullptr;
    OrvElement* previous_ = nullptr;
    OrvList* list_ = nullptr;
    int refCount_ = 1;
};

// Declares the class identification of an OrvElement subclass.
#define ORV_CLASS(Name, Id, Base)                                              \
public:                                                                        \
    static constexpr int classID = Id;                                         \
    static constexpr const char* className = #Name;                            \
    int ClassID() const override { return classID; }                           \
    const char* ClassName() const override { return className; }               \
    bool IsA(int id) const override { return id == classID || Base::IsA(id); } \
    bool IsA(const char* name) const override                                  \
    {                                                                          \
        return OrvElement::NameIs(name, className) || Base::IsA(name);         \
    }

