// Widgets whose own registration is missing make no parts: every part they would have made is
// refused and deleted at once (the leak checker of the sanitizer build sees any that is not).
#include "widgets/CCyPopMenu.h"
#include "widgets/CCyUserList.h"
#include "widgets/CGameCombobox.h"
#include "widgets/CXyPopMenu.h"

#include <gtest/gtest.h>

namespace {

TEST(Registration, UnregisteredOwnersMakeNoParts)
{
    Lumora::CXyPopMenu xyMenu;
    EXPECT_EQ(xyMenu.AddItem("a", nullptr, 0), nullptr);
    Lumora::CCyPopMenu cyMenu;
    EXPECT_EQ(cyMenu.AddItem("a", nullptr, 0, 0, 0), nullptr);
    Lumora::CCyUserList list;
    list.CreateMenu();
    Lumora::CGameCombobox combo;
    combo.AddItem("1");
}

} // namespace
