#include "services/panel/CSubSystem.h"

#include "engine/util/EngineLog.h"
#include "platform/Clock.h"
#include "widgets/AppServices.h"
#include "widgets/CCyPlayerListBar.h"
#include "widgets/CXyChatBox.h"
#include "widgets/CXyChatFace.h"
#include "widgets/CXyInputBox.h"
#include "widgets/CXyStandButton.h"
#include "widgets/ChatFormat.h"
#include "widgets/ChatMarkup.h"
#include "widgets/InputEditing.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>

namespace Lumora {

namespace {

constexpr size_t kTextOffset = 48;
constexpr size_t kTextBytes = 62;
constexpr char kChatLine[] = "<c=9109504>%s：<>%s\n"; // the name in its colour, then the text

// Codes the panel receives and deliberately leaves alone.
constexpr std::array<uint32_t, 16> kIgnoredCodes{80000061, 80000022, 80000025, 80000026, 80000028, 80000062,
                                                 80000064, 80000065, 80000066, 80000067, 80000068, 80000069,
                                                 80000070, 80000071, 80000104, CAdvertBar::kRefreshEvent};

// The emoticons of the picker: pictures "xyf" + name and "xyfs" + name, the code "#" + name.
constexpr std::array<const char*, 6> kFaces{"大哭", "打牌", "疑问", "抱歉", "胜利", "财神"};

void ShowParts(std::initializer_list<CLumoraGui*> parts)
{
    for (CLumoraGui* part : parts) {
        if (!part)
            continue;
        part->Enable(true);
        part->Activate();
        part->Redraw();
    }
}

std::string FixedText(const uint8_t* bytes, size_t limit)
{
    const char* text = reinterpret_cast<const char*>(bytes);
    return std::string(text, strnlen(text, limit));
}

} // namespace

Markup ChatLineOfRecord(const uint8_t* record, size_t length)
{
    if (!record || length <= kTextOffset)
        return {};
    // The record begins with the sender's head; his name comes from the table's user records.
    uint32_t sender = 0;
    std::memcpy(&sender, record, sizeof sender);
    std::string name;
    if (IAppServices* app = GetAppServices())
        app->GetUserNameByID(name, sender);
    if (name.empty())
        name = std::to_string(sender);
    const std::string text = FixedText(record + kTextOffset, std::min(kTextBytes, length - kTextOffset));
    return FormatMarkup(kChatLine, UnbrokenMarkup(name), EscapeChatText(text));
}

// ---- the input bar --------------------------------------------------------------------------

void CGameInputBar::Create()
{
    if (input_)
        return;
    SetName(kInputBarName);
    input_ = NewChild<CXyInputBox>();
    if (input_) {
        input_->Create(200, 16, chat_style::kSingleLine | chat_style::kHistory | chat_style::kBackgroundColour);
        input_->SetBackgroundColor(0xFFFFFF);
        input_->SetNotify(GetId(), EV_PANEL_SEND, false);
    }
    PictureInfo skin;
    const EventRecord sendEvent{GetId(), EV_PANEL_SEND_BUTTON, 0, 0};
    if (GetPicture(skin, "btnChatSend", 0).image && (send_ = NewChild<CXyStandButton>())) {
        send_->Create(&skin, &sendEvent, 0, 0);
        send_->SetHandCursor(1);
    }
    PictureInfo faceSkin;
    const EventRecord faceEvent{GetId(), EV_PANEL_FACES, 0, 0};
    if (GetPicture(faceSkin, "btnChatFace", 0).image && (faces_ = NewChild<CXyStandButton>())) {
        faces_->Create(&faceSkin, &faceEvent, 0, 0);
        faces_->SetHandCursor(1);
    }
}

void CGameInputBar::SetWidth(int width)
{
    width_ = std::max(width, 40);
    const int sendWidth = send_ ? int(send_->GetWidth()) : 0;
    const int faceWidth = faces_ ? int(faces_->GetWidth()) : 0;
    const int inputWidth = std::max(20, width_ - sendWidth - faceWidth - 4);
    SetSize(width_, kHeight);
    const double left = GetX() - width_ / 2.0;
    if (input_) {
        // Its text is placed from the line's edges as they stand: sized and moved, then laid out.
        // The box itself takes the width too, or its edges (and where a press finds it) stay those
        // of the width it was made with.
        input_->SetSize(inputWidth, 16);
        input_->ResizeBackground(inputWidth, 16);
        input_->MoveTo(left + inputWidth / 2.0, GetY());
        input_->Layout(inputWidth, 16);
    }
    if (faces_)
        faces_->MoveTo(left + inputWidth + 2 + faceWidth / 2.0, GetY());
    if (send_)
        send_->MoveTo(left + width_ - sendWidth / 2.0, GetY());
    // An open picker goes with the bar: a folded panel takes it off the table.
    if (picker_ && picker_->IsActive()) {
        PlacePicker();
        picker_->Redraw();
    }
    // A move alone neither repaints a part at its new place nor lets the pointer find it there.
    for (CLumoraGui* part :
         {static_cast<CLumoraGui*>(input_), static_cast<CLumoraGui*>(faces_), static_cast<CLumoraGui*>(send_)})
        if (part)
            part->Redraw();
}

void CGameInputBar::Show()
{
    ShowParts({input_, send_, faces_});
    if (input_)
        input_->EnableKeyboard();
}

void CGameInputBar::AppendInputText(const Markup& text)
{
    if (input_)
        input_->AppendText(text);
}

bool CGameInputBar::Send(std::string_view text)
{
    const std::string line(CutToRoom(text, int(kMaxChatBytes)));
    if (line.empty())
        return false;
    const uint32_t now = platform::TickCount();
    if (sentOnce_ && now - lastSent_ < kMinIntervalMs)
        return false;
    IAppServices* app = GetAppServices();
    IGameConnect* connect = app ? app->GetConnect() : nullptr;
    if (!connect || !connect->SendChatText(line))
        return false;
    sentOnce_ = true;
    lastSent_ = now;
    return true;
}

void CGameInputBar::OpenFaces()
{
    if (!picker_) {
        picker_ = NewChild<CXyChatFace>();
        if (!picker_)
            return;
        picker_->Create(6, 1, 32, 2);
        for (size_t i = 0; i < kFaces.size(); ++i)
            picker_->AddFace(kFaces[i], (std::string("#") + kFaces[i]).c_str(), uint32_t(i));
        picker_->SetGrid(6, 1);
    }
    PlacePicker();
    picker_->Enable(true);
    picker_->Activate();
    picker_->DrawPage();
}

void CGameInputBar::PlacePicker()
{
    // The page buttons hang below the grid: all of it stands above the bar and its buttons.
    double below = picker_->GetBottom();
    for (const CXyStandButton* page : {picker_->GetPreviousButton(), picker_->GetNextButton()})
        if (page)
            below = std::max(below, page->GetBottom());
    picker_->MoveBy(GetX() - picker_->GetX(), GetTop() - kPickerGap - below);
}

int CGameInputBar::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_PANEL_SEND:
    case EV_PANEL_SEND_BUTTON: {
        // The line's submit carries its text; the button takes what the line holds.
        const std::string text = record.code == EV_PANEL_SEND
                                     ? (record.param1 ? reinterpret_cast<const char*>(record.param1) : "")
                                     : (input_ ? input_->GetText() : std::string());
        if (Send(text) && input_)
            input_->Clear();
        return 0;
    }
    case EV_PANEL_FACES:
        OpenFaces();
        return 0;
    default:
        return CLumoraGui::OnEvent(record);
    }
}

// ---- the activity bar -----------------------------------------------------------------------

int CActivityBar::Open(int, std::string& error)
{
    error = "活动暂不可用";
    return 0;
}

// ---- the panel ------------------------------------------------------------------------------

CSubSystem::~CSubSystem() = default;

void CSubSystem::Create()
{
    if (chat_)
        return;
    userList_ = NewChild<CCyPlayerListBar>();
    if (userList_) {
        // Whole beside the vertical bar in the narrowest panel (250 pixels, a 16-pixel bar).
        userList_->AddColumn(0, 94, "用户名", 0, 0, 0);
        userList_->AddColumn(1, 40, "积分", 0, 0, 0);
        userList_->AddColumn(2, 50, "银子", 0, 0, 0);
        userList_->AddColumn(3, 50, "级别", 0, 0, 0);
        userList_->SetSize(300, kUserListHeight);
        userList_->CreateFromSkin();
    }
    chat_ = NewChild<CXyChatBox>();
    if (chat_) {
        chat_->Create(300, 200, kChatStyle, 0);
        chat_->SetBackgroundColor(kChatBackground);
        chat_->SetMargin(kChatInset, 0);
        chat_->SetHangingIndent(true);
    }
    input_ = NewChild<CGameInputBar>();
    advert_ = NewChild<CAdvertBar>();
    activity_ = NewChild<CActivityBar>();
}

void CSubSystem::Layout()
{
    const Rect& b = Bounds();
    const int width = std::max(0, b.right - b.left);
    const int height = std::max(0, b.bottom - b.top);
    if (width <= 0 || height <= 0)
        return;
    const double cx = b.left + width / 2.0;
    // The four chairs' rows whole, above the horizontal bar; the list ends at a row's foot, the chat
    // taking what is left (a watcher's row is scrolled to).
    const int listHeight = userList_ ? userList_->HeightForWholeRows(std::min(
                                           std::max(kUserListHeight, userList_->HeightForRows(kChairRows)), height / 3))
                                     : 0;
    const int inputHeight = CGameInputBar::kHeight;
    const int chatHeight = std::max(1, height - listHeight - inputHeight);
    if (userList_) {
        userList_->SetSize(width, listHeight);
        userList_->MoveTo(cx, b.top + listHeight / 2.0);
        userList_->Layout();
    }
    if (chat_) {
        // The box fills its part; the text keeps clear of both edges, where the chat box's own
        // bar stands out by as much. The text is laid out last: it is placed from the box's edges
        // as they stand, so a box sized after it would keep its text where the old box put it.
        chat_->ResizeBackground(width, chatHeight);
        chat_->MoveTo(cx, b.top + listHeight + chatHeight / 2.0);
        chat_->Layout(std::max(1, width - 2 * kChatInset), chatHeight);
        chat_->Redraw();
    }
    if (input_) {
        input_->MoveTo(cx, b.bottom - inputHeight / 2.0);
        input_->SetWidth(width);
    }
    if (advert_) {
        advert_->SetSize(width, 0);
        advert_->MoveTo(cx, b.bottom);
    }
}

void CSubSystem::OnSize() { Layout(); }

void CSubSystem::OnSizeDone()
{
    Layout();
    ShowParts({userList_, chat_, input_});
    if (input_)
        input_->Show();
}

void CSubSystem::AddLine(const Markup& markup, LinkOrigin origin)
{
    if (!chat_ || markup.empty())
        return;
    Markup line = markup;
    if (line.Text().back() != '\n')
        line += "\n";
    if (origin == LinkOrigin::Own)
        chat_->AppendOwnText(line);
    else
        chat_->AppendText(line);
}

void CSubSystem::Ignore(uint32_t code)
{
    if (ignored_.insert(code).second)
        WriteDailyLog("side panel leaves event %u alone", code);
}

int CSubSystem::OnEvent(const EventRecord& r)
{
    if ((r.code >= EV_PANEL_USERS_FIRST && r.code <= EV_PANEL_USERS_LAST) || r.code == EV_PANEL_TABLE_ENTERED ||
        r.code == EV_PANEL_TABLE_REFRESHED) {
        if (userList_)
            userList_->RefreshUsers();
        return 0;
    }
    switch (r.code) {
    case EV_PANEL_SYSTEM_LINE:
        if (r.param1)
            AddLine(*reinterpret_cast<const Markup*>(r.param1));
        return 0;
    case EV_PANEL_NOTICE:
        if (r.param1) {
            const char* text = reinterpret_cast<const char*>(r.param1);
            AddLine(EscapeMarkupLines(r.param2 ? std::string_view(text, r.param2) : std::string_view(text)));
        }
        return 0;
    case EV_PANEL_CHAT:
    case EV_PANEL_CHAT_EX:
        AddLine(ChatLineOfRecord(reinterpret_cast<const uint8_t*>(r.param1), r.param2));
        return 0;
    case EV_PANEL_HEAP_TEXT:
        if (r.param1) {
            // The game server's own chat-box notice: the one text whose links it signs.
            std::unique_ptr<char[]> text(reinterpret_cast<char*>(r.param1));
            AddLine(Markup::FromServer(text.get()), LinkOrigin::Own);
        }
        return 0;
    case CCyPlayerListBar::EV_REFRESH_USERS:
    case CCyPlayerListBar::EV_FORGET_LOOK_ON:
        if (userList_)
            userList_->OnEvent(r);
        return 0;
    case EV_FACE_PICKED:
    case EV_FACE_PICKED_RESERVED:
        if (input_ && r.param1) {
            input_->AppendInputText(Markup::FromSkin(reinterpret_cast<const char*>(r.param1))); // the face's code
            // The face goes into the line, which takes the keys from whatever held them.
            if (CXyInputBox* line = input_->GetInput())
                line->TakeFocus();
        }
        return 0;
    default:
        break;
    }
    if (std::find(kIgnoredCodes.begin(), kIgnoredCodes.end(), r.code) != kIgnoredCodes.end()) {
        Ignore(r.code);
        return 0;
    }
    return CGameBase::OnEvent(r);
}

void CMJSubSystem::ShowSaveDeposit(int amount)
{
    AddLine(FormatMarkup("保险箱功能暂未开放（%d两）", amount));
}

void CMJSubSystem::ShowTakeDeposit(int amount) { ShowSaveDeposit(amount); }

} // namespace Lumora
