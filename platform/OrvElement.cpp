#include "platform/OrvElement.h"
#include "platform/OrvList.h"

#include <algorithm>
#include <cstring>
#include <vector>

bool OrvElement::NameIs(const char* a, const char* b)
{
    return a && b && std::strcmp(a, b) == 0;
}

bool OrvElement::IsA(const char* name) const
{
    return NameIs(name, className);
}

int OrvElement::Release()
{
    int left = --refCount_;
    if (left <= 0) {
        if (list_) list_->Subtract(this);
        delete this;
        return 0;
    }
    return left;
}

OrvList::~OrvList()
{
    // Leave the elements free, not dangling into a dead list.
    while (first_) Subtract(first_);
}

OrvElement* OrvList::Add(OrvElement* element)
{
    return Add(element, nullptr);
}

OrvElement* OrvList::Add(OrvElement* element, OrvElement* before)
{
    if (!element || element == this) return element;
    if (element->list_) element->list_->Subtract(element);
    if (before && before->list_ != this) before = nullptr;
    element->list_ = this;
    if (!before) {
        element->previous_ = last_;
        element->next_ = nullptr;
        if (last_) last_->next_ = element; else first_ = element;
        last_ = element;
    } else {
        element->next_ = before;
        element->previous_ = before->previous_;
        if (before->previous_) before->previous_->next_ = element; else first_ = element;
        before->previous_ = element;
    }
    ++count_;
    ++changes_;
    return element;
}

OrvElement* OrvList::Subtract(OrvElement* element)
{
    if (!element || element->list_ != this) return nullptr;
    if (element->previous_) element->previous_->next_ = element->next_; else first_ = element->next_;
    if (element->next_) element->next_->previous_ = element->previous_; else last_ = element->previous_;
    element->next_ = element->previous_ = nullptr;
    element->list_ = nullptr;
    --count_;
    ++changes_;
    return element;
}

OrvElement* OrvList::Get(int index) const
{
    if (index < 0 || index >= count_) return nullptr;
    OrvElement* e = first_;
    while (index-- > 0) e = e->next_;
    return e;
}

int OrvList::Index(const OrvElement* element) const
{
    int i = 0;
    for (OrvElement* e = first_; e; e = e->next_, ++i)
        if (e == element) return i;
    return -1;
}

void OrvList::Move(OrvElement* element, int index)
{
    if (!element || element->list_ != this) return;
    Subtract(element);
    Add(element, Get(std::max(0, index)));
}

void OrvList::Sort()
{
    if (!compare_ || count_ < 2) return;
    std::vector<OrvElement*> all;
    all.reserve(count_);
    for (OrvElement* e = first_; e; e = e->next_) all.push_back(e);
    CompareFunction cmp = compare_;
    std::stable_sort(all.begin(), all.end(), [cmp](OrvElement* a, OrvElement* b) { return cmp(a, b) < 0; });
    first_ = last_ = nullptr;
    count_ = 0;
    for (OrvElement* e : all) {
        e->list_ = nullptr;
        Add(e);
    }
}

void OrvList::Destroy()
{
    while (first_) {
        OrvElement* e = Subtract(first_);
        delete e;
    }
}
