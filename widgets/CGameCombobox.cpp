#include "widgets/CGameCombobox.h"

#include "engine/input/InputModule.h"
#include "engine/object/PlaneObject.h"
#include "widgets/CComboboxMenu.h"
#include "widgets/CSafeBoxInput.h"
#include "widgets/CXyStandButton.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>

namespace Lumora {

namespace {

constexpr uint32_t kMenuBackColour = 0x2E7412;
constexpr uint32_t kMenuTextColour = 0xA40755;
constexpr uint32_t kInnerBackColour = 0xDCF0E6;

// The columns [from, from + width) of a picture.
PictureInfo Columns(PictureInfo picture, int from, int width)
{
    picture.srcX += from;
    picture.width = width;
    return picture;
}

} // namespace

void CGameCombobox::CreateFromSkin()
{
    PictureInfo button, frame;
    GetPicture(button, kButtonSkin, 0);
    GetPicture(frame, kFrameSkin, 0);
    body_ = NewPlaneObject(std::max(1, frame.width), std::max(1, frame.height), kColourKeyBackground);
    if (!body_)
        return;
    body_->Activate();
    body_->Redraw();
    SetBody(body_, kBodyLinks);

    frame_ = NewPlaneObject(std::max(1, frame.width), std::max(1, frame.height), kColourKeyBackground);
    if (frame_) {
        frame_->DrawPicture(frame, 0, 0, 0, 0, 0, 1.0);
        frame_->SetZ(GetZ() + 0.1);
        frame_->Redraw();
        body_->AddChild(frame_, kInnerPartLinks);
    }

    if (auto* inner = NewChild<CSafeBoxInput>()) {
        inner_ = inner;
        inner_->SetInputFlags(kInputFlags);
        inner_->Create(frame.width - 20, frame.height - 4, 0x42000);
        inner_->SetBackgroundColor(kInnerBackColour);
        inner_->SetTextColor(0);
        inner_->SetZ(GetZ() + 0.2);
        inner_->TakeFocus();
        inner_->Redraw();
        body_->AddChild(inner_, kInnerPartLinks);
    }

    if (auto* drop = NewChild<CXyStandButton>()) {
        button_ = drop;
        const EventRecord notify{GetId(), EV_TOGGLE_MENU, 0, 0};
        button_->Create(&button, &notify, 0, 4);
        button_->SetSound(CXyStandButton::SOUND_ENTER, "SndTouchButton");
        button_->SetSound(CXyStandButton::SOUND_PRESS, "SndHitButton");
        button_->SetNotifyOnPress();
        button_->Enable(true);
        button_->SetZ(GetZ() + 0.2);
        button_->Redraw();
        body_->AddChild(button_, kInnerPartLinks);
    }
    Layout();
}

void CGameCombobox::DrawFrame(const PictureInfo& skin, int width, int height)
{
    frame_->ResizeSurface(width, height);
    frame_->SetSize(width, height);
    frame_->Clear();
    if (skin.width < width) {
        // Left half, a 2-pixel strip stretched over the middle, right half.
        const int half = skin.width / 2;
        frame_->DrawPicture(Columns(skin, 0, half), 0, 0, half, height, 0, 1.0);
        frame_->DrawPicture(Columns(skin, half, std::min(2, skin.width - half)), half, 0, width - 2 * half, height, 0,
                            1.0);
        frame_->DrawPicture(Columns(skin, skin.width - half, half), width - half, 0, half, height, 0, 1.0);
    } else {
        // The picture's two ends, meeting in the middle.
        const int left = (width + 1) / 2, right = width - left;
        frame_->DrawPicture(Columns(skin, 0, left), 0, 0, left, height, 0, 1.0);
        if (right > 0)
            frame_->DrawPicture(Columns(skin, skin.width - right, right), left, 0, right, height, 0, 1.0);
    }
}

void CGameCombobox::Layout()
{
    if (!body_)
        return;
    PictureInfo button, skin;
    GetPicture(button, kButtonSkin, 0);
    GetPicture(skin, kFrameSkin, 0);
    const int width = width_ > 0 ? width_ : skin.width;
    const int height = skin.height;
    if (width < 1 || height < 1)
        return;
    body_->ResizeSurface(width, height);
    body_->SetSize(width, height);
    body_->Redraw();
    if (frame_) {
        DrawFrame(skin, width, height);
        frame_->MoveTo(body_->GetX(), body_->GetY());
        frame_->Activate();
        frame_->Redraw();
    }
    const double frameLeft = body_->GetLeft(), frameRight = body_->GetRight(), frameY = body_->GetY();
    if (inner_) {
        const int innerWidth = std::max(1, width - button.width);
        inner_->Layout(innerWidth, int(inner_->GetHeight()));
        inner_->MoveTo(frameLeft + innerWidth / 2.0 + 3.0, frameY + 1.0);
        inner_->Activate();
        inner_->Redraw();
    }
    if (button_) {
        button_->MoveTo(frameRight - button.width / 2.0 - 1.0, frameY);
        button_->Activate();
        button_->Redraw();
    }
}

void CGameCombobox::SetWidth(int width)
{
    width_ = width;
    Layout();
}

void CGameCombobox::SetText(const char* text)
{
    if (!inner_)
        return;
    inner_->AppendTyped(text ? text : "");
    inner_->TakeFocus();
}

void CGameCombobox::ClearInner()
{
    if (inner_)
        inner_->Clear();
}

void CGameCombobox::FocusInner()
{
    if (inner_)
        inner_->TakeFocus();
}

std::string CGameCombobox::GetText() { return inner_ ? inner_->GetText() : std::string(); }

void CGameCombobox::SetMaxLength(int n)
{
    if (inner_)
        inner_->SetMaxLength(n);
}

void CGameCombobox::AddItem(const char* text)
{
    if (!menu_) {
        auto* menu = NewChild<CComboboxMenu>();
        if (!menu)
            return;
        menu_ = menu;
        menu_->Create(int(GetWidth()) - 2, 20, 12, kMenuBackColour);
        menu_->SetTopMost();
        menu_->AddFlags(OBJ_TOP_LEVEL);
        menu_->SetZ(95000.0);
    }
    std::optional<RecentEntries::Entry> evicted;
    const RecentEntries::Entry& entry = items_.Add(text ? text : "", &evicted);
    if (evicted)
        menu_->RemoveItem(evicted->text.c_str());
    // The entry is named by its key: a pick after the entry was pushed out finds nothing.
    const EventRecord notify{GetId(), EV_ENTRY_PICKED, entry.key, menu_->GetId()};
    menu_->AddItem(entry.text.c_str(), &notify, kMenuTextColour);
}

void CGameCombobox::ToggleMenu()
{
    if (!menu_)
        return;
    if (menu_->IsActive()) {
        menu_->Deactivate();
        menu_->Redraw();
        return;
    }
    if (auto* input = dynamic_cast<InputModule*>(GetInputModule()))
        input->SetFocus(menu_->GetPlane() ? menu_->GetPlane()->GetId() : menu_->GetId());
    const double w = menu_->GetWidth(), h = menu_->GetHeight();
    const double right = button_ ? button_->GetRight() : GetRight();
    const double bottom = button_ ? button_->GetBottom() : GetBottom();
    menu_->MoveTo(right - w / 2, bottom + h / 2);
    menu_->Activate();
    menu_->Redraw();
}

int CGameCombobox::OnEvent(const EventRecord& record)
{
    if (record.code == EV_TOGGLE_MENU) {
        ToggleMenu();
    } else if (record.code == EV_ENTRY_PICKED) {
        if (const RecentEntries::Entry* entry = items_.Find(uint32_t(record.param1))) {
            // Copied first: clearing and appending may run any code of the inner box.
            const std::string text = entry->text;
            ClearInner();
            SetText(text.c_str());
        }
        if (menu_) {
            menu_->Deactivate();
            menu_->Redraw();
        }
    }
    return CLumoraGui::OnEvent(record);
}

} // namespace Lumora
