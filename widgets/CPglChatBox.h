#pragma once
// The toolkit's rich-text box: marked-up text appended as it arrives, wrapped into rows (or
// kept on one row), trimmed to a maximum number of rows, scrolled, drawn where visible, with
// links, embedded pictures and animations, and, when asked, selection and copying. Every text
// widget derives from it: the side panel's chat box, the input boxes, the match list and the
// lists and grids of the game; the virtual operations below are their extension points, in
// the order derived classes rely on.
//
// Extension points (virtual, in slot order after those of CLumoraGui):
//   MoveTo, MoveBy            move, then clip the text plane and the placed objects anew
//   SetClipRect               a box inside another's view (a list row's detail) is cut to it
//   Activate, Deactivate      embedded objects are shown by redraws and hidden with the box
//   ScaleBy                   scale, then Layout at the scaled view size
//   SetDraggable              the background's drag moves the box, whatever the argument
//   OnEvent                   the event table (refresh, copy, clear, open, posted text, mouse,
//                             wheel, keys, focus, scroll bar)
//   Create                    (width, height, style, user value)
//   CreateDecoration          hook of the Decoration style; nothing here
//   CreateScrollBars          makes the bar the mode needs (once the scroll bar widget exists)
//   RedrawBackground          colour or background picture
//   Layout                    (width, height): view, planes, back store, rows again
//   Refresh                   RequestRefresh
//   SetMaxLines               maximum rows, then TrimRows
//   ResizeBackground, SetBackgroundColor, SetBackgroundPicture, DrawBackgroundPicture
//   ParseFormatTag, ParseObjectTag      one tag of the markup; true when applied / consumed
//   AddFont                   face table (20 names at most)
//   GetViewWidth, GetViewHeight         the text view (not the engine viewport)
//   GetTextZ, GetElementCount
//   AppendPostedText, AppendText, AppendObject, ParseMarkup
//   ScrollAfterAppend, RequestRefresh
//   Backspace, DeleteForward, RemoveElementAt, RemoveRange, RemoveElement, RemoveObject
//   HideElementAt, ShowElementAt, ShowAllElements, FreeElement, SpareHook, Clear
//   UpdateScrollBars, OpenUrl, OnWheelUp, OnWheelDown, OnLoadUrl, OnEvent80000004
//   OnMouseHover, OnMouseDrag, OnMouseDown, OnMouseUp, OnKey, OnDoubleClick, OnKillFocus
//   CreateCaret, PlaceCaret, HideCaret, ShowHandCursor, ShowArrowCursor
//   RefreshContent, ScreenToContent, TrimRows
// Row breaking itself lives in ChatLayout (LayoutElements there).
#include "engine/gui/CLumoraGui.h"
#include "widgets/ChatDocument.h"
#include "widgets/ChatEvents.h"
#include "widgets/CPglHighCharacter.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Lumora {

class CPglChatObject;
class CXyScrollBar;
class PlaneObject;
struct PictureInfo;

class CPglChatBox : public CLumoraGui, public LinkOwner {
public:
    CPglChatBox();
    ~CPglChatBox() override;

    void MoveTo(double x, double y) override;
    void MoveBy(double dx, double dy) override;
    void SetClipRect(const Rect& rect) override;
    void Activate() override;
    void Deactivate() override;
    void ScaleBy(double sx, double sy) override;
    void SetDraggable(bool on) override;
    int OnEvent(const EventRecord& record) override;
    using PObject::Create;
    virtual void Create(int width, int height, uint32_t style, int32_t userValue);
    virtual void CreateDecoration() {}
    virtual void CreateScrollBars();
    virtual void RedrawBackground();
    virtual void Layout(int width, int height);
    virtual void Refresh() { RequestRefresh(); }
    virtual void SetMaxLines(int rows);
    virtual void ResizeBackground(int width, int height);
    virtual void SetBackgroundColor(uint32_t colour);
    virtual void SetBackgroundPicture(const char* name);
    virtual void DrawBackgroundPicture(const PictureInfo& picture, int x, int y, int width, int height);
    virtual bool ParseFormatTag(std::string_view tag);
    virtual bool ParseObjectTag(std::string_view tag);
    virtual int AddFont(const char* face);
    int GetViewWidth() const override { return doc_.layout.viewWidth; }
    int GetViewHeight() const override { return doc_.layout.viewHeight; }
    virtual double GetTextZ() const;
    virtual int GetElementCount() const { return doc_.layout.ElementCount(); }
    // A text payload of the object module (events 19840388 and 80000008); taken and appended.
    virtual void AppendPostedText(uintptr_t payload);
    virtual void AppendText(const Markup& text);
    virtual void AppendObject(CPglChatObject* object);
    virtual void ParseMarkup(const Markup& text);
    virtual void ScrollAfterAppend();
    virtual void RequestRefresh();
    virtual void Backspace();
    virtual void DeleteForward();
    virtual void RemoveElementAt(int index);
    virtual void RemoveRange(ChatElement* from, ChatElement* to);
    virtual void RemoveElement(ChatElement* element);
    virtual void RemoveObject(uint32_t objectId, bool release);
    virtual void HideElementAt(int index);
    virtual void ShowElementAt(int index);
    virtual void ShowAllElements();
    // Called for every element the content frees: its object or link object goes with it.
    virtual void FreeElement(const ChatElement& element);
    virtual void SpareHook(uintptr_t) {}
    virtual void Clear();
    virtual void UpdateScrollBars();
    // Web addresses only (http, https), through the desktop's opener with no shell; the origin
    // is that of the link clicked.
    virtual void OpenUrl(std::string_view address, LinkOrigin origin = LinkOrigin::Peer);
    virtual void OnWheelUp();
    virtual void OnWheelDown();
    virtual bool OnLoadUrl(std::string_view text, std::string_view address, int flag, std::string_view extra);
    virtual void OnEvent80000004(int, int) {}
    virtual void OnMouseHover(int x, int y);
    virtual void OnMouseDrag(int x, int y);
    virtual void OnMouseDown(int x, int y);
    virtual void OnMouseUp(int x, int y);
    virtual void OnKey(uint32_t key, uint32_t flags);
    virtual void OnDoubleClick(int x, int y);
    virtual void OnKillFocus();
    virtual void CreateCaret();
    virtual void PlaceCaret(ChatElement* element);
    virtual void HideCaret();
    virtual void ShowHandCursor();
    virtual void ShowArrowCursor();
    virtual void RefreshContent(bool reuse);
    virtual void ScreenToContent(int& x, int& y) const;
    virtual void TrimRows();

    // Plain operations.
    void SetStyle(uint32_t style);
    uint32_t GetStyle() const { return style_; }
    void SetSelectable(bool on);
    void SetLinksEnabled(bool on);
    // Appends a notice of the hall or the game server: its links are theirs (LinkOrigin::Own).
    // Every other text appended makes links of LinkOrigin::Peer.
    void AppendOwnText(const Markup& text);
    void SetMaxFontSize(int pixels) { doc_.maxFontHeight = std::clamp(pixels, 0, 0xFFFF); }
    void SetFontSize(int pixels) { doc_.format.height = std::clamp(pixels, 0, doc_.maxFontHeight); }
    void SetTextColor(uint32_t colour) { doc_.format.colour = colour; }
    void SetLineSpace(int pixels) { doc_.layout.rowGap = -double(std::abs(pixels)); }
    void SetCharSpace(int pixels) { doc_.charGap = std::abs(pixels); }
    void SetHangingIndent(bool on) { doc_.layout.hangingIndent = on; }
    // The pitch of a line of the box's text (its font and the row gap): the wheel's and the
    // scroll bar's step.
    int LineHeight() const;
    void SetMargin(int x, int y);
    void ScrollTo(int position);
    void ScrollToHome();
    void ScrollToEnd();
    ChatElement* GetElementAt(int index) const { return doc_.layout.ElementAt(index); }
    ChatElement* GetElementAtPoint(int x, int y) const { return doc_.layout.ElementAtPoint(x, y); }
    ChatElement* GetCaretElementAt(int x, int y) const { return doc_.layout.CaretElementAt(x, y); }
    // Puts the selection on the clipboard; false when refused (password, dragging) or the
    // clipboard could not be taken.
    bool CopySelection();
    void ClearSelection();
    void SelectWord(int x, int y);
    void RelayoutElements();
    CXyScrollBar* GetVerticalScrollBar() const { return vbar_; }
    CXyScrollBar* GetHorizontalScrollBar() const { return hbar_; }
    bool IsVerticalBarShown() const { return vShown_; }

    // What tests and derived widgets read.
    const ChatLayout& Content() const { return doc_.layout; }
    ChatLayout& MutableContent() { return doc_.layout; }
    const ChatFormat& Format() const { return doc_.format; }
    ChatFormat& MutableFormat() { return doc_.format; }
    int32_t GetUserValue() const { return userValue_; }
    PlaneObject* GetBackgroundPlane() const { return background_; }
    PlaneObject* GetTextPlane() const override { return text_; }
    PlaneObject* GetSelectionPlane() const { return selection_; }
    PlaneObject* GetCaretPlane() const { return caret_; }
    uint32_t GetHoveredLink() const { return hoveredLink_; }
    bool IsDragging() const { return dragging_; }
    bool IsRefreshPending() const { return refreshPending_; }
    int Redraws() const { return redraws_; }
    int CharactersRendered() const { return rendered_; }
    const std::vector<uint32_t>& PlacedObjects() const { return placed_; }
    // The text of the elements [from, to) as a copy would give it.
    std::string TextOf(const ChatElement* from, const ChatElement* to) const;

protected:
    // The markup rules of this box; the side panel's chat box turns its extensions on.
    ChatTagRules& MarkupRules() { return doc_.rules; }
    bool IsCaretShown() const;
    void RedrawSelection();
    // Where a shown vertical bar stands: its centre x relative to the view's right edge.
    virtual double VerticalBarOffset() const { return 0.0; }
    // Content point of a screen point, and whether it lies in the view.
    bool InView(int x, int y) const;
    void OpenAddressRun(const ChatElement* element);
    PObject* FindLinkObject(uint32_t id) const;

private:
    class Document;
    friend class Document;

    static constexpr int kNeverDrawn = 251658240;  // no redraw yet: nothing to reuse

    void PlaceObjectElement(const ChatElement& e, double z);
    void HideAllPlaced();
    void ApplyClip();
    // The text view on screen, cut to the box's own clip when it has one.
    Rect ViewClip() const;
    bool CheckAlive(uint32_t objectId) const;
    std::optional<ChatObjectInfo> CreateMarkupObject(const ChatObjectRequest& request);
    uint32_t CreateLinkObject(std::string_view address, std::string_view hoverPicture);

    // The document forwards tag parsing and object creation to the box's own operations.
    class Document final : public ChatDocument {
    public:
        explicit Document(CPglChatBox& box) : box_(box) {}
        bool ParseFormatTag(std::string_view tag) override { return box_.ParseFormatTag(tag); }
        bool ParseObjectTag(std::string_view tag) override { return box_.ParseObjectTag(tag); }
        bool MarkupPictureExists(std::string_view name) override;
        std::optional<ChatObjectInfo> CreateMarkupObject(const ChatObjectRequest& r) override
        {
            return box_.CreateMarkupObject(r);
        }
        uint32_t CreateLinkObject(std::string_view a, std::string_view h) override { return box_.CreateLinkObject(a, h); }
        bool OnLoadUrl(std::string_view t, std::string_view a, int f, std::string_view e) override
        {
            return box_.OnLoadUrl(t, a, f, e);
        }

    private:
        CPglChatBox& box_;
    };

    Document doc_;
    PlaneObject* background_ = nullptr;
    PlaneObject* text_ = nullptr;
    PlaneObject* selection_ = nullptr;
    // The selection plane holds marks (it is all transparent otherwise).
    bool selectionMarked_ = false;
    PlaneObject* caret_ = nullptr;
    uint32_t style_ = chat_style::kDefault;
    int32_t userValue_ = 0;
    int boxWidth_ = 0;
    int boxHeight_ = 0;
    int marginX_ = 0;
    int marginY_ = 0;
    std::string backgroundPicture_;
    bool refreshPending_ = false;
    bool caretShown_ = false;
    int lastDrawnScrollY_ = kNeverDrawn;
    std::vector<uint32_t> placed_;
    uint32_t hoveredLink_ = 0;
    LinkOrigin appendOrigin_ = LinkOrigin::Peer;  // of the links the text being appended makes
    int anchorX_ = 0, anchorY_ = 0, pointX_ = 0, pointY_ = 0;
    bool dragging_ = false;
    int redraws_ = 0;
    int rendered_ = 0;  // characters rendered (not copied) by the last redraw
    // The text plane's pixels of the last redraw, and what they were drawn for.
    std::vector<uint8_t> backStore_;
    int lastDrawnScrollX_ = 0;
    // Where the chain ended at the last redraw: elements behind it are new.
    int lastPointRowTop_ = INT32_MIN;
    int lastPointX_ = INT32_MIN;
    uint64_t lastDrawnGeneration_ = ~uint64_t(0);
    // The first element of the last row that began at or above the view's top when last drawn:
    // the next redraw walks from there while the layout is the same and the element lives.
    const ChatElement* walkStart_ = nullptr;
    uint64_t walkStartGeneration_ = 0;
    CXyScrollBar* vbar_ = nullptr;
    CXyScrollBar* hbar_ = nullptr;
    bool vShown_ = false;
    bool hShown_ = false;
    bool updatingBars_ = false;
};

} // namespace Lumora
