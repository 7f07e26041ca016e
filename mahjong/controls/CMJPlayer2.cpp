// The player panel: one plane redrawn from the panel's state on every change.
#include "mahjong/controls/CMJPlayer2.h"

#include "engine/object/PlaneObject.h"
#include "engine/paint/PaintModule.h"
#include "framework/frame/FrameEvents.h"
#include "mahjong/MahjongEvents.h"
#include "widgets/AppServices.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace Lumora {

namespace {

constexpr const char* kPanelPicture = "bit_playerpanel";
// Leaves room for "银子:" and five digits beside the picture.
constexpr int kCharacterSize = 36;
// The font at full size, and the smallest a smaller panel's text gets: Chinese characters lose
// strokes below it.
constexpr int kFontSize = 12;
constexpr int kSmallestFont = 11;
// The art's corners and frame line, kept whole when the panel is drawn smaller.
constexpr int kCorner = 10;
constexpr const char* kFrameName = "GameFrame";
constexpr const char* kFace = "宋体";

} // namespace

void CMJPlayer2::Create(int seat)
{
    seat_ = seat;
    PictureInfo back;
    GetRes(back, kPanelPicture, 0);
    fullWidth_ = back.width > 0 ? back.width : 150;
    fullHeight_ = back.height > 0 ? back.height : 64;
    plane_ = NewPlaneObject(fullWidth_, fullHeight_, kColourKeyBackground);
    if (!plane_)
        return;
    SetBody(plane_, kBodyLinks);
    plane_->AddEventHook(EV_LBUTTON_CLICK, GetId(), EV_PANEL_CLICKED, 0, 0);
    Draw();
}

void CMJPlayer2::SetChair(int chair)
{
    chair_ = chair;
}

void CMJPlayer2::ShowReady(int flag)
{
    ready_ = flag != 0;
    Draw();
}

void CMJPlayer2::SetOffline(int flag)
{
    offline_ = flag ? 1 : 0;
    Draw();
}

void CMJPlayer2::AddFlower()
{
    ++flowers_;
    Draw();
}

void CMJPlayer2::HideAnimation2()
{
    autoPlay_ = false;
    Draw();
}

void CMJPlayer2::SetBanker(int flag)
{
    banker_ = flag != 0;
    Draw();
}

void CMJPlayer2::SetAutoPlay(int flag)
{
    autoPlay_ = flag != 0;
    Draw();
}

void CMJPlayer2::Refresh(const PanelUser& user)
{
    user_ = user;
    const ObjectGeometry before = plane_ ? plane_->Geometry() : ObjectGeometry{};
    Draw();
    // An empty seat shows no panel.
    if (user_.present)
        Activate();
    else
        Deactivate();
    // Draw repainted what it changed: what is left is whether the panel shows.
    if (plane_ && plane_->Geometry() == before)
        return;
    Redraw();
    if (plane_ && drawn_)
        drawn_->shown.plane = plane_->Geometry();
}

void CMJPlayer2::ResetPanel()
{
    flowers_ = offline_ = 0;
    banker_ = ready_ = autoPlay_ = false;
    Draw();
}

void CMJPlayer2::SetScale(double scale)
{
    scale_ = scale;
    if (!plane_)
        return;
    const int w = int(fullWidth_ * scale), h = int(fullHeight_ * scale);
    if (w != plane_->GetSurfaceWidth() || h != plane_->GetSurfaceHeight())
        plane_->ResizeSurfaceCleared(w, h);
    plane_->SetSize(w, h);
    Draw();
}

int CMJPlayer2::OnEvent(const EventRecord& record)
{
    if (record.code == EV_PANEL_CLICKED) {
        // The frame asks for a user id and the click point (the input state the click carries);
        // the seat's user is looked up now, as the chair may have changed hands since the draw.
        const IAppServices* app = GetAppServices();
        PObject* frame = FindByName(kFrameName);
        if (!app || !frame || chair_ < 0)
            return 1;
        const auto records = app->GetPlayerRecords();
        if (size_t(chair_) >= records.size() || records[size_t(chair_)].IsEmpty())
            return 1;
        const auto userId = uint32_t(records[size_t(chair_)].UserId());
        frame->SendEvent(EventRecord{frame->GetId(), framework::EV_FRAME_USER_CLICKED, userId, record.param2});
        return 1;
    }
    return CLumoraGui::OnEvent(record);
}

CMJPlayer2::Shown CMJPlayer2::ShownNow()
{
    Shown shown;
    shown.flowers = flowers_;
    shown.offline = offline_;
    shown.banker = banker_;
    shown.ready = ready_;
    shown.autoPlay = autoPlay_;
    GetRes(shown.back, kPanelPicture, 0);
    if (user_.present && !user_.characterPicture.empty()) {
        // Only when the game has a picture for the character: asked without a missing-picture line.
        PaintModule* paint = GetPaintModule();
        if (paint)
            shown.character = paint->GetImageFrame(user_.characterPicture.c_str(), 0);
    }
    const std::pair<bool, const char*> marks[] = {
        {banker_, "bit_banker"}, {ready_, "bit_ready"}, {offline_ != 0, "bit_offline"}, {autoPlay_, "bit_autoplay"}};
    for (size_t i = 0; i < shown.marks.size(); ++i)
        if (marks[i].first)
            GetRes(shown.marks[i], marks[i].second, 0);
    shown.surfaceWidth = plane_->GetSurfaceWidth();
    shown.surfaceHeight = plane_->GetSurfaceHeight();
    shown.scale = scale_;
    shown.plane = PlaneShape();
    return shown;
}

ObjectGeometry CMJPlayer2::PlaneShape() const
{
    // Where the plane stands changes none of its pixels: the layout moves panels on every resize
    // and fold, and drawing them anew there cost more than the rest of the layout.
    ObjectGeometry shape = plane_->Geometry();
    shape.x = shape.y = 0;
    return shape;
}

void CMJPlayer2::Draw()
{
    if (!plane_)
        return;
    // The scene sets marks and counts over again on every notification: most change nothing.
    Shown shown = ShownNow();
    if (drawn_ && drawn_->shown == shown && drawn_->user == user_)
        return;
    Look look{user_, std::move(shown)};
    if (TakeKept(look)) {
        drawn_ = std::move(look);
        return;
    }
    plane_->Clear();
    DrawBack(look.shown.back);
    const int w = look.shown.surfaceWidth, h = look.shown.surfaceHeight;
    TextPen();
    PanelParts parts;
    parts.width = w, parts.height = h;
    if (look.shown.character.image)
        parts.characterSize = int(std::lround(kCharacterSize * scale_));
    if (user_.present) {
        parts.name = user_.name;
        parts.amountShort = std::to_string(user_.amount);
        parts.amount = (user_.silver ? "银子:" : "积分:") + parts.amountShort;
        if (flowers_ > 0)
            parts.amount += " 花:" + std::to_string(flowers_);
    }
    for (size_t i = 0; i < look.shown.marks.size(); ++i)
        if (look.shown.marks[i].image)
            parts.marks[i] = {look.shown.marks[i].width, look.shown.marks[i].height};
    // The name is the player's own text: measured, cut and drawn plain, as every line here.
    parts.measure = [this](std::string_view text) { return plane_->TextWidth(text); };
    parts.fit = [this](std::string_view text, int width) { return plane_->FitText(text, width); };
    layout_ = LayOutPanel(parts, plane_->Style().size);
    const Rect& face = layout_.character;
    if (face.right > face.left)
        plane_->DrawPicture(look.shown.character, face.left, face.top, face.right - face.left, face.bottom - face.top);
    // Marks at their own size, before the texts, which they never meet.
    for (size_t i = 0; i < look.shown.marks.size(); ++i)
        if (look.shown.marks[i].image)
            plane_->DrawPicture(look.shown.marks[i], layout_.marks[i].left, layout_.marks[i].top, -1, -1);
    if (user_.present) {
        plane_->DrawTextLine(layout_.nameBox.left, layout_.nameBox.top, layout_.name);
        plane_->DrawTextLine(layout_.amountBox.left, layout_.amountBox.top, layout_.amount);
    }
    plane_->Redraw();
    look.shown.plane = PlaneShape();
    if (const uint8_t* pixels = plane_->GetPixels()) {
        if (kept_.size() >= kKeptDrawings)
            kept_.erase(kept_.begin());
        Kept& kept = kept_.emplace_back(Kept{look, layout_, {}, {}});
        kept.pixels.assign(pixels, pixels + size_t(w) * size_t(h) * 4);
        for (const PlaneObject::TextBox& t : plane_->TextBoxes())
            kept.texts.emplace_back(t.box, t.text);
    }
    drawn_ = std::move(look);
}

void CMJPlayer2::TextPen()
{
    plane_->SetFont(std::max(kSmallestFont, int(std::lround(kFontSize * scale_))), 400, kFace);
    // The layout keeps every line inside the panel: none wraps.
    TextStyle style = plane_->Style();
    style.wrap = 0;
    plane_->SetTextStyle(style);
    plane_->SetPen(offline_ ? 0x808080 : 0xFFFFFF, 1.0);
}

bool CMJPlayer2::TakeKept(const Look& look)
{
    const auto kept = std::find_if(kept_.begin(), kept_.end(), [&](const Kept& k) { return k.look == look; });
    if (kept == kept_.end())
        return false;
    std::vector<uint8_t> pixels = kept->pixels;
    if (!plane_->GetPixels() || pixels.size() != size_t(look.shown.surfaceWidth) * size_t(look.shown.surfaceHeight) * 4)
        return false;
    plane_->SwapPixels(pixels);
    layout_ = kept->layout;
    // The texts as the drawing left them, for whoever reads what the plane shows.
    TextPen();
    for (const auto& [box, text] : kept->texts)
        plane_->NoteText(box, text, /*plain=*/true);
    plane_->Redraw();
    return true;
}

void CMJPlayer2::DrawBack(const PictureInfo& back)
{
    if (!back.image)
        return;
    const int w = plane_->GetSurfaceWidth(), h = plane_->GetSurfaceHeight();
    if ((w == back.width && h == back.height) || back.width <= 2 * kCorner || back.height <= 2 * kCorner ||
        w <= 2 * kCorner || h <= 2 * kCorner) {
        plane_->DrawPicture(back, 0, 0, 0, 0);
        return;
    }
    // Three columns by three rows of the art: the corners 1:1, the edges and middle stretched.
    const int from[2][3] = {{0, kCorner, back.width - kCorner}, {0, kCorner, back.height - kCorner}};
    const int size[2][3] = {{kCorner, back.width - 2 * kCorner, kCorner},
                            {kCorner, back.height - 2 * kCorner, kCorner}};
    const int at[2][3] = {{0, kCorner, w - kCorner}, {0, kCorner, h - kCorner}};
    const int span[2][3] = {{kCorner, w - 2 * kCorner, kCorner}, {kCorner, h - 2 * kCorner, kCorner}};
    for (int col = 0; col < 3; ++col)
        for (int row = 0; row < 3; ++row) {
            PictureInfo part = back;
            part.srcX += from[0][col], part.srcY += from[1][row];
            part.width = size[0][col], part.height = size[1][row];
            plane_->DrawPicture(part, at[0][col], at[1][row], span[0][col], span[1][row]);
        }
}

} // namespace Lumora
