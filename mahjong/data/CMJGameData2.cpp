// Seat arithmetic, record accessors, the deal result line and the layout measures of the
// mahjong game data.
#include "mahjong/data/CMJGameData2.h"

#include "framework/connection/Record.h"
#include "widgets/ChatMarkup.h"

#include <cstring>

int CMJGameBase2::OwnChair() const { return app_ ? app_->GetChairNO() : 0; }

int CMJGameBase2::PlayGameSound(const char* name, int flags) { return app_ ? app_->PlayGameSound(name, flags) : 0; }

int CMJGameBase2::SeatToChair(int seat)
{
    const int own = OwnChair();
    switch (seat) {
    case 3:
        return own;
    case 0:
        return NextChair(own);
    case 1:
        // At a table of three the opposite seat stays empty: no chair is drawn there.
        return chairCount == 3 ? -1 : OppositeChair(own);
    case 2:
        return PrevChair(own);
    default:
        return -1;
    }
}

int CMJGameBase2::ChairToSeat(int chair)
{
    const int own = OwnChair();
    if (chair == own)
        return 3;
    if (chair == NextChair(own))
        return 0;
    if (chair == PrevChair(own))
        return 2;
    if (chair == OppositeChair(own))
        return 1;
    return -1;
}

int CMJGameBase2::NextSeat(int seat)
{
    if (chairCount == 3 && seat == 0)
        return 2;
    return (seat + 1) % 4;
}

int CMJGameBase2::PrevSeat(int seat)
{
    if (chairCount == 3 && seat == 2)
        return 0;
    return (seat + 3) % 4;
}

void CMJGameBase2::GetSideChairs(int seat, int& a, int& b)
{
    if (chairCount == 4) {
        if (seat == 0 || seat == 2) {
            a = 1;
            b = 3;
        } else if (seat == 1 || seat == 3) {
            a = 0;
            b = 2;
        }
    } else if (chairCount == 3) {
        // Chair 3 does not exist at a table of three: it never comes out as a side chair.
        static constexpr int kSides[4][2] = {{2, -1}, {0, 2}, {0, -1}, {0, 2}};
        if (seat >= 0 && seat < 4) {
            a = kSides[seat][0];
            b = kSides[seat][1];
        }
    } else {
        a = b = -1;
    }
}

void CMJGameBase2::GetSideChairs2(int chair, int& a, int& b)
{
    static constexpr int kSides[3][2] = {{2, 1}, {0, 2}, {0, 1}};
    if (chair < 0 || chair > 2)
        return;
    a = kSides[chair][0];
    b = kSides[chair][1];
    if (chairCount == 3 && a == 1) {
        a = b;
        b = 1;
    }
}

uint32_t CMJGameData2::Word(size_t index)
{
    const uint32_t* params = GetGameParams();
    return params && index < kParamWords ? params[index] : 0;
}

void CMJGameData2::SetWord(size_t index, uint32_t value)
{
    if (uint32_t* params = GetGameParams(); params && index < kParamWords)
        params[index] = value;
}

int CMJGameData2::ResultFlag(int bit)
{
    const uint8_t* result = GetGameResult();
    return result ? int((RecordReader(result, GetGameResultSize()).U32(0) >> bit) & 1) : 0;
}

uint32_t CMJGameData2::GetResultValue218()
{
    const uint8_t* result = GetGameResult();
    return result ? RecordReader(result, GetGameResultSize()).U32(0x218) : 0;
}

uint32_t* CMJGameData2::GetStartValues5C(uint32_t out[4])
{
    for (int i = 0; i < 4; ++i)
        out[i] = Word(23 + i);
    return out;
}

std::string& CMJGameData2::GetBaseLabel(std::string& out)
{
    out = GetStartValue54() ? "基础银" : "基础分";
    return out;
}

std::string& CMJGameData2::GetGangLabel(std::string& out)
{
    out = "杠";
    return out;
}

std::string& CMJGameData2::GetTextHookA(std::string& out)
{
    out.clear();
    return out;
}

std::string& CMJGameData2::GetTextHookB(std::string& out)
{
    out.clear();
    return out;
}

Lumora::Markup& CMJGameData2::FormatRoundResult(Lumora::Markup& out)
{
    const bool silver = GetStartValue54() != 0;
    std::string label;
    GetBaseLabel(label);
    // The line is chat markup: the banker's name goes in escaped.
    const Lumora::Markup banker =
        Lumora::UnbrokenMarkup(app_ ? app_->GetUserNameByChair(int(GetStartValue2C())) : std::string());
    const Lumora::Markup format = silver ? Lumora::Markup("【第%d局】庄：<c=255>%s <>\r\n         %s：<c=255>%d<> 两\r\n")
                                         : Lumora::Markup("【第%d局】庄：<c=255>%s <>\r\n         %s：<c=255>%d<> 分\r\n");
    out = Lumora::FormatMarkup(format, int(GetStartValue20()), banker, label,
                               int(silver ? GetStartValue24() : GetStartValue28()));
    return out;
}

int CMJGameData2::GetPanelWidth() const
{
    const bool small = app_ && app_->IsSmallScreen();
    return small ? 16 * chairCount + 68 : 24 * chairCount + 68;
}

int CMJGameData2::GetRowWidth() const
{
    const bool small = app_ && app_->IsSmallScreen();
    return small ? 16 * chairCount + 56 : 32 * chairCount + 72;
}

int CMJGameData2::GetTileWidth() const
{
    const bool small = app_ && app_->IsSmallScreen();
    return small && tileStyle == 2 ? 72 : 36;
}

int CMJGameData2::GetLayoutHeight() const
{
    if (!app_)
        return 0;
    const int h = app_->GetScreenWidth() * 14 / 18;
    return app_->IsSmallScreen() ? h - 10 : h;
}

int CMJGameData2::GetLayoutSixth() const { return app_ ? app_->GetScreenHeight() / 6 : 0; }
