// The intrusive list: order, unlinking, moves, sorting, ownership.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/OrvList.h"

namespace {

int liveItems = 0;

class Item : public OrvElement {
    ORV_CLASS(Item, 19001, OrvElement)
public:
    explicit Item(int v) : value(v) { ++liveItems; }
    ~Item() override { --liveItems; }
    bool Find(int number) const override { return number == value; }
    int value;
};

class SubItem : public Item {
    ORV_CLASS(SubItem, 19002, Item)
public:
    using Item::Item;
};

std::vector<int> Values(const OrvList& list)
{
    std::vector<int> out;
    for (OrvElement* e = list.First(); e; e = e->Next()) out.push_back(static_cast<Item*>(e)->value);
    // Walking backwards must give the same elements.
    std::vector<int> back;
    for (OrvElement* e = list.Last(); e; e = e->Previous()) back.insert(back.begin(), static_cast<Item*>(e)->value);
    EXPECT_EQ(out, back);
    EXPECT_EQ(static_cast<int>(out.size()), list.Count());
    return out;
}

int ByValue(OrvElement* a, OrvElement* b)
{
    return static_cast<Item*>(a)->value - static_cast<Item*>(b)->value;
}

class ListTest : public ::testing::Test {
protected:
    void SetUp() override { liveItems = 0; }
    void TearDown() override
    {
        list.Destroy();
        other.Destroy();
        EXPECT_EQ(liveItems, 0);
    }
    void Fill(std::initializer_list<int> values)
    {
        for (int v : values) list.Add(new Item(v));
    }
    OrvList list;
    OrvList other;
};

TEST_F(ListTest, AddGetIndexAndSubtract)
{
    Fill({1, 2, 3});
    EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 3}));
    OrvElement* middle = list.Get(1);
    ASSERT_NE(middle, nullptr);
    EXPECT_EQ(list.Index(middle), 1);
    EXPECT_EQ(list.Get(3), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);

    EXPECT_EQ(list.Subtract(middle), middle);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 3}));
    EXPECT_EQ(list.Index(middle), -1);
    // Subtract does not delete, and a second subtract finds nothing.
    EXPECT_EQ(liveItems, 3);
    EXPECT_EQ(list.Subtract(middle), nullptr);
    delete middle;
}

TEST_F(ListTest, AddingAnElementOfAnotherListMovesIt)
{
    Fill({1, 2});
    other.Add(list.First());
    EXPECT_EQ(Values(list), (std::vector<int>{2}));
    EXPECT_EQ(Values(other), (std::vector<int>{1}));
}

TEST_F(ListTest, MoveToEachPosition)
{
    struct Case {
        int from, to;
        std::vector<int> expected;
    } cases[] = {
        {0, 2, {2, 3, 1, 4}}, {3, 0, {4, 1, 2, 3}}, {1, 1, {1, 2, 3, 4}}, {0, 99, {2, 3, 4, 1}}, {2, -5, {3, 1, 2, 4}},
    };
    for (const Case& c : cases) {
        list.Destroy();
        Fill({1, 2, 3, 4});
        list.Move(list.Get(c.from), c.to);
        EXPECT_EQ(Values(list), c.expected) << "from " << c.from << " to " << c.to;
    }
}

TEST_F(ListTest, SortIsStableAndNeedsACompareFunction)
{
    Fill({3, 1, 2});
    list.Sort();
    EXPECT_EQ(Values(list), (std::vector<int>{3, 1, 2}));

    list.Add(new Item(1));
    OrvElement* secondOne = list.Last();
    list.SetCompareFunction(ByValue);
    list.Sort();
    EXPECT_EQ(Values(list), (std::vector<int>{1, 1, 2, 3}));
    EXPECT_EQ(list.Get(1), secondOne);
}

TEST_F(ListTest, ClassIdentityAndFind)
{
    list.Add(new SubItem(7));
    OrvElement* e = list.First();
    EXPECT_TRUE(e->IsA(19002));
    EXPECT_TRUE(e->IsA(19001));
    EXPECT_TRUE(e->IsA(OrvElement::classID));
    EXPECT_TRUE(e->IsA("Item"));
    EXPECT_FALSE(e->IsA("OrvList"));
    EXPECT_FALSE(e->IsA(static_cast<const char*>(nullptr)));
    EXPECT_STREQ(e->ClassName(), "SubItem");
    EXPECT_TRUE(e->Find(7));
    EXPECT_FALSE(e->Find(8));
}

TEST_F(ListTest, ReleaseOfLastReferenceUnlinksAndDeletes)
{
    Fill({1, 2});
    OrvElement* first = list.First();
    first->AddRef();
    EXPECT_EQ(first->Release(), 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(first->Release(), 0);
    EXPECT_EQ(Values(list), (std::vector<int>{2}));
    EXPECT_EQ(liveItems, 1);
}

TEST(List, DestructorLeavesElementsFree)
{
    Item* kept = nullptr;
    {
        OrvList temporary;
        kept = static_cast<Item*>(temporary.Add(new Item(5)));
    }
    EXPECT_EQ(kept->List(), nullptr);
    EXPECT_EQ(kept->Next(), nullptr);
    delete kept;
}

} // namespace
