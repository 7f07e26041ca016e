#pragma once
// CGameNotify: the generic dispatcher of the messages the game server pushes. The frame window
// hands it each one (id, data, length) under the engine's frame lock; OnNotify selects the
// handler by id, and the handler updates the application's data, shows lines and boxes, calls
// the frame UI (INotifyFrame) and hands table events to the scene and the side panel as engine
// events, delivered at once (an absent target is skipped). The mahjong dispatcher and this
// game's dispatcher derive from it: each layer's OnNotify tries its own ids and passes the rest
// on unchanged, and any handler here may be overridden.
//
// Every handler reads its data through NotifyData, which never reads past the data: a record
// too short for what its handler needs, a chair outside the table or a count beyond its limit
// is refused with NotifyRefused before anything changes. The frame window catches it and
// reports the notification to the server (201162); the relay goes on with the next message.
// Counts the data can only partly hold are clamped to what they hold, except the user amounts
// (211030): a count past its entries is refused. A chat (201210) from a user neither seated
// nor looking on is dropped with a log line.
//
// The data belong to the frame window and live only during the call; the events hand the
// pointer on with the length as second parameter, and 211400's text travels as a heap copy.
//
// Threads: the UI thread.
#include "widgets/AppServices.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

class IGameWinApp;

// A notification's data refused by its handler.
class NotifyRefused : public std::runtime_error {
public:
    NotifyRefused(uint32_t id, const std::string& why);
    uint32_t Id() const { return id_; }

private:
    uint32_t id_;
};

// One notification's bytes with reads that never leave them.
class NotifyData {
public:
    NotifyData(uint32_t id, const uint8_t* data, size_t size) : id_(id), data_(data), size_(data ? size : 0) {}

    uint32_t Id() const { return id_; }
    const uint8_t* Bytes() const { return data_; }
    size_t Size() const { return size_; }
    std::span<const uint8_t> Span() const { return {data_, size_}; }
    // Refuses the data when fewer than `size` bytes are there.
    void Need(size_t size) const;
    // Refuses with the reason.
    [[noreturn]] void Refuse(const std::string& why) const;
    // Words refuse the data when not wholly present.
    uint32_t U32(size_t offset) const;
    int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
    // The bytes from `offset` to the first zero or the end of the data; refused when the offset
    // lies beyond the data.
    std::string Text(size_t offset) const;
    // Entries of `stride` bytes from `offset` that the data wholly hold, at most `count` (and
    // none for a negative count).
    int ClampCount(int32_t count, size_t offset, size_t stride) const;
    // `count` itself when that many entries of `stride` bytes from `offset` are wholly there;
    // refuses the data for a negative count or one past its entries.
    int CheckedCount(int32_t count, size_t offset, size_t stride) const;

private:
    uint32_t id_;
    const uint8_t* data_;
    size_t size_;
};

class CGameNotify : public Lumora::IGameNotify {
public:
    using Data = NotifyData;

    CGameNotify();
    ~CGameNotify() override;

    // True when this layer (or a later one) handled the id; unknown ids are ignored. May throw
    // NotifyRefused.
    virtual bool OnNotify(uint32_t id, const uint8_t* data, uint32_t length);
    // 201200: the call line, and the call sound when this client is called.
    virtual void OnAhoo(const Data& n);
    // Stores id, 0, length and the tick as the last notification.
    virtual void RecordLastNotify(uint32_t id, const uint8_t* data, uint32_t length);

    // Handlers, in slot order.
    virtual void OnChatBoxText(const Data& n);
    virtual void OnChat(const Data& n);
    virtual void OnUsersInfoChanged(const Data& n);
    virtual void OnPlayerLeft(const Data& n);
    virtual void OnAskExit(const Data& n);
    virtual void OnAskExitReply(const Data& n);
    virtual void OnNotify211025(const Data& n);
    virtual void OnNotify211020(const Data& n);
    virtual void OnPlayerNotSeated(const Data& n);
    virtual void OnSilverNotEnough(const Data& n);
    virtual void OnScoreNotEnough(const Data& n);
    virtual void OnScoreOverLimit(const Data& n);
    virtual void OnTotalBoutOverLimit(const Data& n);
    virtual void OnTableBoutOverLimit(const Data& n);
    virtual void OnOutOfOpenTime(const Data& n);
    virtual void OnServerText(const Data& n);
    virtual void OnChatEx(const Data& n);
    virtual void OnGameResultBox(const Data& n);
    virtual void OnIdleTooLong(const Data& n);
    virtual void OnAmuletSkill(const Data& n);
    virtual void OnNotify211910(const Data& n);
    virtual void OnQRCodeInfo(const Data& n);
    virtual void OnNotify211011(const Data& n);
    virtual void OnLookOnLeft(const Data& n);
    virtual void OnNotify211028(const Data& n);
    // The block after the table list's entries; called only when it lies inside the data.
    virtual void OnTableListEntry(const uint8_t* /*block*/, size_t /*remaining*/) {}
    virtual void OnNotify211150(const Data& n);
    virtual void OnRankListChanged(const Data& n);
    virtual void OnNotify210530(const Data& n);
    virtual void OnMatchBegin(const Data& n);
    virtual void OnNotify211220(const Data& n);
    virtual void OnNotify211241(const Data& n);
    virtual void OnNotify211190(const Data& n);
    virtual void OnNotify211191(const Data& n);
    virtual void OnMatchOutFull(const Data& n);
    virtual void OnGameTimeout(const Data& n);
    virtual void OnMatchSystemCancel(const Data& n);
    virtual void OnNotify211202(const Data& /*n*/) {}
    virtual void OnMatchSignUpOK(const Data& n);
    virtual void OnMatchQuitOK(const Data& n);
    virtual void OnMatchSignUpFailed(const Data& n);
    virtual void OnMatchQuitFailed(const Data& n);
    virtual void OnNotify211242(const Data& n);
    virtual void OnNotify211243(const Data& n);
    virtual void OnNotify211510(const Data& n);
    virtual void OnNotify211600(const Data& n);
    virtual void OnNotify211601(const Data& n);
    virtual void OnNotify211930(const Data& n);
    virtual void OnNotify211931(const Data& n);
    virtual void OnNotify211700(const Data& n);
    virtual void OnNotify211430(const Data& n);
    virtual void OnNotify211440(const Data& n);
    virtual void OnNotify214100(const Data& n);
    virtual void OnNotify214101(const Data& n);
    virtual void OnNotify214102(const Data& n);
    virtual void OnNotify214103(const Data& n);
    virtual void OnNotify60031(const Data& n);
    virtual void OnNotify214110(const Data& n);

    // The widgets' call (IGameNotify): shown as if the server had pushed it.
    void OnAhoo(const Lumora::AhooRecord& record) override;

    // id, sub-code, length, tick of the last notification.
    void GetLastNotifyRecord(uint32_t out[4]) const;

    // The number of ids this layer handles.
    static size_t HandledIdCount();

protected:
    // The second word of the last-notification record (the mahjong layer's sub-code).
    void SetLastNotifySubCode(uint32_t subCode) { last_[1] = subCode; }
    IGameWinApp* App() const;
    // Engine event to the scene / the side panel, at once; skipped without the target.
    void ToScene(uint32_t code, uintptr_t param1, uintptr_t param2) const;
    void ToSidePanel(uint32_t code, uintptr_t param1, uintptr_t param2) const;
    void ToScene(uint32_t code, const Data& n) const;
    void ToSidePanel(uint32_t code, const Data& n) const;
    void ShowTimedBox(const Lumora::Markup& text, int seconds) const;
    void ShowSystemLine(const Lumora::Markup& markup) const;

private:
    bool Dispatch(uint32_t id, const Data& n);
    void ShowMatchBoardText(const Data& n, size_t offset, const char* fallback);

    uint32_t last_[4] = {};
};
