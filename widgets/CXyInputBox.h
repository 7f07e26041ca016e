#pragma once
// The editable text field: keyboard focus, caret keys, one or many lines, a maximum length in
// GBK bytes, a hint text, password display, a recall history, paste and copy, and one submit
// event that hands the typed text to an owner. The submit record's first parameter is the
// text, valid while the event is dispatched (it is sent, never queued); receivers copy it.
#include "widgets/CPglChatBox.h"
#include "widgets/ChatMarkup.h"
#include "widgets/InputHistory.h"

#include <string>

namespace Lumora {

struct InputData;

class CXyInputBox : public CPglChatBox {
public:
    // Overrides of the chat box.
    int OnEvent(const EventRecord& record) override;
    // Markup objects never enter an input box.
    bool ParseObjectTag(std::string_view tag) override;
    // Refused when the box is full; otherwise only what fits is added, cut before the markup
    // is read and never inside a two-byte character.
    void AppendText(const Markup& text) override;
    // Typed, pasted or recalled text: shown as written (its emoticon codes and line ends kept).
    void AppendTyped(std::string_view text) { AppendText(EscapeChatText(text)); }
    void OnMouseDown(int x, int y) override;

    // New operations, in slot order.
    using CPglChatBox::Create;
    virtual void Create(int width, int height, uint32_t style);
    virtual void SetNotify(uint32_t targetId, uint32_t code, bool deactivateAfterSend);
    virtual bool HandleKey(uint32_t key, const InputData& data);
    virtual void OnEnter();
    virtual void Submit();
    virtual void AddHistory(std::string_view text);
    virtual void OnChar(const InputData& data);
    virtual void OnKeyDown(const InputData& data);
    virtual void Paste();
    virtual void FocusNext();
    virtual void DropFocus();
    virtual void OnLengthLimit() {}
    virtual std::string GetText() const;
    virtual int GetLength() const;
    virtual void SetPasswordMode(bool on);
    virtual void SetNextBox(CXyInputBox* box);
    virtual void TakeFocus();
    virtual void DisableKeyboard();
    virtual void EnableKeyboard();
    virtual void ShowHint(std::string_view text, uint32_t colour);

    void SetMaxLength(int length) { maxLength_ = length; }
    int GetMaxLength() const { return maxLength_; }
    bool IsHintShown() const { return hintShown_; }
    const InputHistory& History() const { return history_; }

protected:
    // Appends what the limit allows of `text`, wrapped by `wrap` ("%s" forms) when given.
    void AppendLimited(const Markup& text, const Markup& before, const Markup& after);
    void ClearHint();
    void GiveFocus(bool toFront);

private:
    void Recall(bool previous);
    void MoveCaretBy(int move);

    bool hintShown_ = false;
    bool deactivateAfterSend_ = false;
    uint32_t nextBox_ = 0;  // by id: the box may be released before Tab is pressed
    uint32_t notifyTarget_ = 0;
    uint32_t notifyCode_ = 0;
    InputHistory history_;
    int maxLength_ = -1;
};

} // namespace Lumora
