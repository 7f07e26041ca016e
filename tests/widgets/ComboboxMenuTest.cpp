// The combo box's drop-down list: items taken out by text keep the chain of the others whole.
#include "tests/widgets/WidgetFixture.h"

#include "widgets/CComboboxMenu.h"
#include "widgets/CXyPopButton.h"

using namespace Lumora;
using namespace widgettest;

namespace {

class ComboboxMenuTest : public WidgetFixture {
protected:
    CComboboxMenu* MakeMenu(std::initializer_list<const char*> texts)
    {
        auto* menu = E().Make<CComboboxMenu>();
        menu->Create(100, 20, 12, 0x2E7412);
        uint32_t k = 0;
        for (const char* text : texts) {
            const EventRecord notify{E().Owner().GetId(), 80000032, ++k, 0};
            menu->AddItem(text, &notify, 0xA40755);
        }
        menu->MoveTo(300, 300);
        E().Show(*menu);
        return menu;
    }
    static std::vector<std::string> Texts(const CComboboxMenu& menu)
    {
        std::vector<std::string> texts;
        for (int i = 0; i < menu.GetItemCount(); ++i)
            texts.push_back(menu.GetItem(i)->GetText());
        return texts;
    }
};

TEST_F(ComboboxMenuTest, RemovesTheFirstItemOfTheTextAndLaysOutAgain)
{
    CComboboxMenu* menu = MakeMenu({"100", "200", "100", "300"});
    const double height = menu->GetHeight();
    CXyPopButton* first = menu->GetItem(0);
    const uint32_t firstId = first->GetId();
    menu->RemoveItem("100");
    EXPECT_EQ(Texts(*menu), (std::vector<std::string>{"200", "100", "300"}));
    EXPECT_EQ(E().Objects().FindById(firstId), nullptr);
    EXPECT_LT(menu->GetHeight(), height);
    // The item left behind for "100" is the later one, with its own record.
    EXPECT_EQ(menu->GetItem(1)->GetNotifyEvent().param1, 3u);

    menu->RemoveItem("none");
    EXPECT_EQ(menu->GetItemCount(), 3);
    menu->RemoveItem("300");  // the last item
    menu->RemoveItem(nullptr);
    EXPECT_EQ(Texts(*menu), (std::vector<std::string>{"200", "100"}));
    // Clicking a remaining item still delivers its record.
    E().Click(int(menu->GetItem(1)->GetX()), int(menu->GetItem(1)->GetY()));
    ASSERT_EQ(E().Owner().Count(80000032), 1u);
    EXPECT_EQ(E().Owner().records.back().param1, 3u);

    menu->RemoveItem("200");
    menu->RemoveItem("100");
    EXPECT_EQ(menu->GetItemCount(), 0);
    EXPECT_FALSE(menu->IsActive());
}

} // namespace
