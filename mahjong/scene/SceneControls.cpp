// The table scene's table and button handlers: the panels refreshed from the application's
// records, auto-play, the sort button with its sparkles, the volume board, sound on and off,
// the skill bar, background music, and the win effect.
#include "mahjong/scene/CMJMainGame2.h"

#include "engine/music/MusicModule.h"
#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "mahjong/MahjongEvents.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/controls/CMJSliderBar.h"
#include "mahjong/data/CMJGameData2.h"
#include "mahjong/scene/CMyParticle.h"
#include "widgets/AppServices.h"
#include "widgets/CXyStandButton.h"

#include <cstdlib>

namespace Lumora {

namespace {

constexpr uint32_t kSortAtMs = 500;
constexpr uint32_t kSortDoneMs = 1000;
constexpr double kWinZ = 5000.0;
constexpr double kWinParticleZ = 5001.0;
constexpr int kWinPieces = 5;
constexpr int kWinPieceWidth = 20;
constexpr int kWinPerPiece = 10;
constexpr const char* kSortParticle = "particle_sort";
// An action picture stands a second, then fades over about half a second.
constexpr double kActionImageZ = 4990.0;
constexpr uint32_t kActionImageHoldMs = 1000;
constexpr double kActionImageFadeStep = 0.06;

MusicModule* Music(CClassSenior& owner)
{
    return dynamic_cast<MusicModule*>(owner.GetMusicModule());
}

} // namespace

// ---- panels ----

void CMJMainGame2::OnTableEntered()
{
    OnTableRefreshed();
    // A seated player's first hand starts from the start button.
    OnGameReady();
}

void CMJMainGame2::OnTableRefreshed()
{
    IAppServices* app = GetAppServices();
    if (!app)
        return;
    const auto records = app->GetPlayerRecords();
    const bool silver = GetSceneGameInfo() ? GetSceneGameInfo()->GetStartValue54() != 0 : true;
    for (int seat = 0; seat < kSeatCount; ++seat) {
        CMJPlayer2* panel = players[size_t(seat)];
        if (!panel)
            continue;
        const int chair = SeatToChair(seat);
        PanelUser user;
        if (chair >= 0 && size_t(chair) < records.size() && !records[size_t(chair)].IsEmpty()) {
            const GameUserRecord& r = records[size_t(chair)];
            user.present = true;
            user.name = std::string(r.Name());
            user.silver = silver;
            user.amount = silver ? r.Silver() : r.Score();
            user.characterPicture = app->GetCharacterImagePath(r.Character(), IAppServices::kCharacterPicture48);
        }
        panel->SetChair(chair);
        panel->Refresh(user);
    }
}

void CMJMainGame2::OnUserEnter(uintptr_t)
{
    OnTableRefreshed();
}

void CMJMainGame2::OnUserLeave(uintptr_t p1)
{
    OnTableRefreshed();
    // The leaving player's record is cleared only after this event: his panel goes here.
    const auto* leaving = reinterpret_cast<const GameUserRecord*>(p1);
    const int seat = leaving && ValidChair(leaving->Chair()) ? ChairToSeat(leaving->Chair()) : -1;
    if (IsSeat(seat) && players[size_t(seat)])
        players[size_t(seat)]->Refresh(PanelUser{});
}

void CMJMainGame2::OnTableArranged()
{
    OnTableRefreshed();
}

void CMJMainGame2::OnEvent80000111()
{
    LogOnce("event 80000111");
}

// ---- auto-play and sort ----

void CMJMainGame2::OnBtnAutoPlay()
{
    if (AutoPlayCoolingDown())
        return;
    autoPlay = !autoPlay;
    if (!autoPlay)
        autoPlayOffAt_ = NowMs();
    IAppServices* app = GetAppServices();
    if (autoPlay) {
        OnAutoPlayStarted(OwnChair());
        if (app)
            app->ShowSystemNotice("游戏托管已启动,单击鼠标解除!");
    } else {
        OnAutoPlayStopped(OwnChair());
        if (app)
            app->ShowSystemNotice("游戏托管已解除!");
    }
}

void CMJMainGame2::OnBtnSortHand()
{
    if (sortPicture) {
        Rect hand;
        GetHandRect(kOwnSeat, hand);
        CancelActionsOf(sortPicture->GetId());
        sortPicture->MoveTo((hand.left + hand.right) / 2, hand.top - 20);
        sortPicture->SetAlpha(1.0);
        sortPicture->Activate();
        sortPicture->Redraw();
        if (!emitter_)
            emitter_ = std::make_unique<CMyParticle>();
        emitterAction_ = emitter_->Start(*this, sortPicture->GetId(), kSortParticle);
    }
    PostAfter(kSortAtMs, EV_SORT_NOW);
    PostAfter(kSortDoneMs, EV_SORT_DONE);
}

// ---- sound ----

void CMJMainGame2::OnBtnVolume()
{
    if (!volumeBoard)
        return;
    if (volumeBoard->IsActive()) {
        volumeBoard->Deactivate();
    } else {
        for (int i = 0; i < 2; ++i)
            if (volumeSliders[size_t(i)])
                volumeSliders[size_t(i)]->SetValue(i ? SoundSettings().musicVolume : SoundSettings().effectVolume);
        volumeBoard->Activate();
        // It closes when it loses the focus, which it takes as it opens.
        SetFocusObject(volumeBoard->GetId());
        // The one that is not for the current state stays hidden.
        const bool silent = SoundSettings().keepSilence;
        if (buttons[kBtnVolumeOn])
            silent ? buttons[kBtnVolumeOn]->Activate() : buttons[kBtnVolumeOn]->Deactivate();
        if (buttons[kBtnVolumeOn2])
            silent ? buttons[kBtnVolumeOn2]->Deactivate() : buttons[kBtnVolumeOn2]->Activate();
    }
    volumeBoard->Redraw();
}

void CMJMainGame2::OnVolumeSlider(uintptr_t, uintptr_t)
{
    if (!volumeBoard || !volumeBoard->IsActive())
        return;
    // The board lost the focus to what a press hit. Its own sliders and buttons keep it open, and
    // so does 音量, whose click closes it: the board takes the focus back. Anything else closes it.
    InputData input;
    const uint32_t focused = GetInputData(input).focused;
    auto within = [this, focused](const PObject* root) {
        for (const PObject* o = focused ? FindById(focused) : nullptr; o; o = o->GetParent())
            if (o == root)
                return true;
        return false;
    };
    if (within(volumeBoard) || (buttons[kBtnVolume] && within(buttons[kBtnVolume]))) {
        SetFocusObject(volumeBoard->GetId());
        return;
    }
    volumeBoard->Deactivate();
    volumeBoard->Redraw();
}

void CMJMainGame2::SetSoundOn()
{
    SoundSettings().keepSilence = false;
    if (MusicModule* music = Music(*this))
        music->SetMuted(false);
    if (buttons[kBtnVolumeOn])
        buttons[kBtnVolumeOn]->Deactivate();
    if (buttons[kBtnVolumeOn2] && volumeBoard && volumeBoard->IsActive())
        buttons[kBtnVolumeOn2]->Activate();
    ApplyBackgroundMusic();
}

void CMJMainGame2::SetSoundOff()
{
    SoundSettings().keepSilence = true;
    if (MusicModule* music = Music(*this)) {
        music->StopAll();
        music->SetMuted(true);
    }
    musicChannel_ = 0;
    if (buttons[kBtnVolumeOn2])
        buttons[kBtnVolumeOn2]->Deactivate();
    if (buttons[kBtnVolumeOn] && volumeBoard && volumeBoard->IsActive())
        buttons[kBtnVolumeOn]->Activate();
}

void CMJMainGame2::OnVolumeSliderUp(int value)
{
    SoundSettings().effectVolume = std::clamp(value, 0, kVolumeRange);
}

void CMJMainGame2::OnVolumeSliderDown(int value)
{
    SoundSettings().musicVolume = std::clamp(value, 0, kVolumeRange);
    if (MusicModule* music = Music(*this); music && musicChannel_)
        music->SetChannelVolume(musicChannel_, float(SoundSettings().musicVolume) / kVolumeRange);
}

void CMJMainGame2::ApplyBackgroundMusic()
{
    const TableSoundSettings& s = SoundSettings();
    if (!s.musicOn || s.keepSilence || s.backgroundMusic.empty())
        return;
    MusicModule* music = Music(*this);
    if (!music)
        return;
    if (musicChannel_)
        music->Stop(musicChannel_);
    musicChannel_ = music->PlaySound(s.backgroundMusic.c_str(), -1, nullptr);
    if (musicChannel_)
        music->SetChannelVolume(musicChannel_, float(s.musicVolume) / kVolumeRange);
}

void CMJMainGame2::PlaySoundResource(const char* name, double volume)
{
    MusicModule* music = Music(*this);
    if (!music || !name)
        return;
    const auto channel = music->PlaySound(name, 1, nullptr);
    if (channel)
        music->SetChannelVolume(channel, float(volume));
}

// ---- skill bar ----

void CMJMainGame2::ShowSkillBar(int show)
{
    if (skillBar) {
        show ? skillBar->Activate() : skillBar->Deactivate();
        skillBar->Redraw();
    }
    // A button is drawn, and found under the pointer, where its last repaint put it: one laid
    // out while hidden (the table resized meanwhile) must be repainted as it shows.
    for (ButtonSlot slot : {kBtnAutoPlay, kBtnVolume, kBtnSort, kBtnHideSkill, kBtnShowSkill})
        if (CXyStandButton* button = buttons[slot]) {
            const bool on = slot == kBtnShowSkill ? !show : show != 0;
            on ? button->Activate() : button->Deactivate();
            button->Redraw();
        }
}

void CMJMainGame2::RefreshSkillBar(int which)
{
    if (!skillBar)
        return;
    PictureInfo back;
    GetRes(back, "bit_skillbk", 0);
    skillBar->Clear();
    skillBar->DrawPicture(back, 0, 0, 0, 0, 0, which ? 1.0 : 0.8);
    skillBar->Redraw();
}

// ---- action pictures and the win effect ----

void CMJMainGame2::PlayActionImage(int seat, const std::string& name)
{
    if (name.empty() || !IsSeat(seat))
        return;
    // A new claim's word takes the place of the last one still fading: only the newest is placed
    // again by a re-layout, so an older one would stay where a panel may come to stand.
    RemoveActionImage();
    PictureInfo info;
    GetRes(info, name.c_str(), 0);
    BITObject* p = Own(NewBitmapObject(info));
    if (!p)
        return;
    labelSeat_ = seat;
    p->SetZ(kActionImageZ);
    p->Activate();
    PlaceWord(p, seat, winSeat_ != seat ? winPicture : nullptr);
    lastActionImageId = p->GetId();
    BeginGroup();
    ActWait(kActionImageHoldMs, nullptr);
    NextGroup();
    ActFadeTo(p, -kActionImageFadeStep, 0.0, GetActionInterval(), nullptr);
    NextGroup();
    ActDelete(p, nullptr);
    EndGroup();
}

void CMJMainGame2::HideHandEffects()
{
    for (BITObject* p : {winPicture, sortPicture, particlePicture})
        if (p) {
            CancelActionsOf(p->GetId());
            p->Deactivate();
            p->Redraw();
        }
    if (emitter_)
        emitter_->Stop();
    RemoveActionImage();
}

void CMJMainGame2::RemoveActionImage()
{
    if (PObject* label = lastActionImageId ? FindById(lastActionImageId) : nullptr) {
        CancelActionsOf(lastActionImageId);
        ActDelete(label, nullptr);
    }
    lastActionImageId = 0;
}

void CMJMainGame2::ShowWinEffect(int seat)
{
    if (!winPicture) {
        PictureInfo info;
        GetRes(info, "bit_hu", 0);
        winPicture = Own(NewBitmapObject(info));
        if (!winPicture)
            return;
        winPicture->SetZ(kWinZ);
    }
    const auto* label =
        lastActionImageId && labelSeat_ != seat ? dynamic_cast<const BITObject*>(FindById(lastActionImageId)) : nullptr;
    winSeat_ = seat;
    winPicture->SetAlpha(1.0);
    winPicture->Activate();
    PlaceWord(winPicture, seat, label);
    const TablePoint at{int(winPicture->GetX()), int(winPicture->GetY())};
    const int w = int(winPicture->GetWidth()), h = int(winPicture->GetHeight());
    PictureInfo pieces;
    GetRes(pieces, "bit_particular", 0);
    for (int piece = 0; piece < kWinPieces; ++piece)
        for (int j = 0; j < kWinPerPiece; ++j) {
            PictureInfo info = pieces;
            info.srcX = piece * kWinPieceWidth;
            info.width = kWinPieceWidth;
            BITObject* p = Own(NewBitmapObject(info));
            if (!p)
                continue;
            const int s = 1 + std::rand() % 30, k = 1 + std::rand() % 4;
            const int x = at.x + (w > 0 ? std::rand() % (w + 1) - w / 2 : 0);
            const int y = at.y + (h > 0 ? std::rand() % (h + 1) - h / 2 : 0) + k * j * 100 / 30;
            p->MoveTo(x, y);
            p->SetZ(kWinParticleZ);
            p->Activate();
            p->Redraw();
            BeginGroup();
            ActMoveTo(p, x, y - k * s, k, 0, k, nullptr);
            ActFadeTo(p, -1.0 / s, 0.0, GetActionInterval(), nullptr);
            NextGroup();
            ActDelete(p, nullptr);
            EndGroup();
        }
    PlayTableSound("SndWin");
}

} // namespace Lumora
