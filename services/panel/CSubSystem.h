#pragma once
// The side panel beside the table: the player list at the top, the chat box in the middle, the
// chat input bar at the bottom and an advert bar of no height. It shows the server's chat and
// system lines, refreshes the player list on the table's user events and takes the emoticon
// picker's picks into the input line. Every event that carries a heap payload is freed here,
// whether the panel shows it or not.
#include "engine/gui/CGameBase.h"
#include "engine/gui/CLumoraGui.h"
#include "widgets/CPglHighCharacter.h"
#include "widgets/SidePanelObjects.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>

namespace Lumora {

class CCyPlayerListBar;
class CXyChatBox;
class CXyInputBox;
class CXyStandButton;
class CXyChatFace;

enum SidePanelEvent : uint32_t {
    EV_PANEL_TABLE_ENTERED = 80000011,
    EV_PANEL_TABLE_REFRESHED = 80000012,
    EV_PANEL_USERS_FIRST = 80000014,  // 80000014..80000021: the table's user events
    EV_PANEL_USERS_LAST = 80000021,
    EV_PANEL_SYSTEM_LINE = 80000057,  // parameter: a Markup line (its address), valid during the call
    EV_PANEL_CHAT = 80000058,         // parameter: the chat record, its length
    EV_PANEL_CHAT_EX = 80000059,      // the same layout
    EV_PANEL_HEAP_TEXT = 80000060,    // parameter: a text made with new[]; the panel deletes it
    EV_PANEL_NOTICE = 80000072,       // parameter: a text, its length
    EV_PANEL_SEND = 80000120,         // the input line's submit (parameter: its text)
    EV_PANEL_FACES = 80000121,        // the input bar's emoticon button
    EV_PANEL_SEND_BUTTON = 80000122,  // the input bar's send button
};

// The chat line of a chat record (201210's layout): the sender's user id at +0, whose name the
// application's user records give (his id when none does), and the text at +48 (at most 62
// bytes, cut at its first zero). The peer's text is escaped so that it shows as typed. Empty
// when the record is too short to hold a text.
Markup ChatLineOfRecord(const uint8_t* record, size_t length);

// The chat input bar ("InputBar"): the input line, a send button and the emoticon button.
// Enter or the send button sends the line through the connection; an empty line is not sent
// and at most one line a second goes out.
class CGameInputBar : public CLumoraGui, public IInputBarText {
public:
    static constexpr size_t kMaxChatBytes = 61;
    static constexpr uint32_t kMinIntervalMs = 1000;
    static constexpr int kHeight = 26;
    static constexpr int kPickerGap = 2; // between the emoticon picker and the bar

    void Create() override;
    int OnEvent(const EventRecord& record) override;
    void AppendInputText(const Markup& text) override;
    void SetWidth(int width);
    // Shows the line and its buttons and gives the line the keyboard.
    void Show();
    // Sends the line; false when it was empty, too soon after the last one or not sent.
    bool Send(std::string_view text);
    CXyInputBox* GetInput() const { return input_; }
    CXyStandButton* GetSendButton() const { return send_; }
    CXyStandButton* GetFacesButton() const { return faces_; }
    // The emoticon picker, made when the emoticon button is first pressed.
    CXyChatFace* GetPicker() const { return picker_; }

private:
    void OpenFaces();
    // The picker just above the bar, at the bar's centre.
    void PlacePicker();

    CXyInputBox* input_ = nullptr;
    CXyStandButton* send_ = nullptr;
    CXyStandButton* faces_ = nullptr;
    CXyChatFace* picker_ = nullptr;
    uint32_t lastSent_ = 0;
    bool sentOnce_ = false;
    int width_ = 0;
};

// No adverts are shown: the bar answers as one whose body is never active.
class CAdvertBar : public CLumoraGui, public IAdvertWindow {
public:
    static constexpr uint32_t kRefreshEvent = 80000054;
    void Create() override { SetName(kAdvertBarName); }
    bool IsAdvertShown() const override { return false; }
    void HideAdvertWindow() override {}
    void ShowAdvertWindow() override {}
    void Start() {}
    int OnEvent(const EventRecord&) override { return 0; }
};

// Activities are not offered: opening fails with a text, so nothing after it runs.
class CActivityBar : public CLumoraGui {
public:
    void Create() override { SetName("ActivityBar"); }
    int Open(int flag, std::string& error);
};

class CSubSystem : public CGameBase {
public:
    static constexpr uint32_t kChatStyle = 0x60F;  // bars, auto-scroll, selection, decoration, colour, links
    static constexpr uint32_t kChatBackground = 0xF5F0EB;
    static constexpr int kUserListHeight = 150;
    static constexpr int kChatInset = 5; // the chat box's vertical bar stands this far out
    static constexpr int kChairRows = 4;

    ~CSubSystem() override;
    void Create() override;
    void OnSize() override;
    void OnSizeDone() override;
    int OnEvent(const EventRecord& record) override;

    // Adds one line of markup to the chat box; its links are signed only when it is the
    // server's own notice (LinkOrigin::Own).
    void AddLine(const Markup& markup, LinkOrigin origin = LinkOrigin::Peer);
    CCyPlayerListBar* GetUserList() const { return userList_; }
    CXyChatBox* GetChatBox() const { return chat_; }
    CGameInputBar* GetInputBar() const { return input_; }
    CAdvertBar* GetAdvertBar() const { return advert_; }
    CActivityBar* GetActivityBar() const { return activity_; }
    // Codes that came and were left alone, each logged once.
    const std::set<uint32_t>& IgnoredCodes() const { return ignored_; }

private:
    void Layout();
    void Ignore(uint32_t code);

    CCyPlayerListBar* userList_ = nullptr;
    CXyChatBox* chat_ = nullptr;
    CGameInputBar* input_ = nullptr;
    CAdvertBar* advert_ = nullptr;
    CActivityBar* activity_ = nullptr;
    std::set<uint32_t> ignored_;
};

// The mahjong side panel: the safe box is not offered, so its two panels only say so.
class CMJSubSystem : public CSubSystem {
public:
    virtual void ShowSaveDeposit(int amount);
    virtual void ShowTakeDeposit(int amount);
};

} // namespace Lumora
