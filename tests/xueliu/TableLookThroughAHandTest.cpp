// What a player sees through whole hands, in the whole client with our own art, at the screen
// sizes players have: two hands on a scripted wall (a peng, a gang and a win), the own chair
// played by the stand-in. At each step (the exchange, the missing suit, a claim's label, its time
// up, the result, the next deal) the window is kept in build/artifacts/look-WxH-STEP.png for a
// person to look at, and the test checks: the own hand and its drawn tile inside the felt and
// clear of the side panel; no label left on the table (over the own hand or the claim tile) once
// its time is up; the result board's list inside the board; the seat panels clear of each other;
// a face picked in the emoticon picker and sent coming back as its picture; and nothing of the
// first hand left on the table after the next deal; 设置 disabled while a step's or the result's
// board is open; and no picture asked for that our packs lack.
// Every frame the window shows is checked against a fresh composition (tests/support/ScreenCheck.h).
#include "tests/xueliu/TableRun.h"

#include "engine/host/LumoraWnd.h"
#include "engine/input/InputModule.h"
#include "engine/object/ObjectModule.h"
#include "engine/paint/ImageRecord.h"
#include "engine/object/PictureObject.h"
#include "engine/paint/PaintModuleGDI.h"
#include "engine/object/PlaneObject.h"
#include "framework/frame/CXyGameFrame.h"
#include "framework/scene/GameWinApp.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/controls/CMJXyDigit.h"
#include "platform/Charset.h"
#include "platform/Clock.h"
#include "platform/HeadlessWindow.h"
#include "services/panel/CSubSystem.h"
#include "tests/support/ResourceSweep.h"
#include "tests/support/ScreenCheck.h"
#include "widgets/CCyPlayerListBar.h"
#include "widgets/CCySplitterBar.h"
#include "widgets/CXyChatBox.h"
#include "widgets/CXyInputBox.h"
#include "widgets/SidePanelObjects.h"
#include "widgets/CXyStandButton.h"
#include "widgets/CXyStandDlg.h"
#include "xueliu/CMyGame.h"
#include "xueliu/CXyResultListXueliu.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <tuple>
#include <vector>

using Lumora::CMJCard2;
using Lumora::PObject;

namespace {

struct Box {
    double left = 0, top = 0, right = 0, bottom = 0;
    static Box Of(const PObject& o) { return {o.GetLeft(), o.GetTop(), o.GetRight(), o.GetBottom()}; }
    static Box Of(const Lumora::Rect& r) { return {double(r.left), double(r.top), double(r.right), double(r.bottom)}; }
    bool Inside(const Box& outer) const
    {
        return left >= outer.left - 1 && top >= outer.top - 1 && right <= outer.right + 1 && bottom <= outer.bottom + 1;
    }
    bool Overlaps(const Box& b) const
    {
        return std::min(right, b.right) - std::max(left, b.left) > 1 &&
            std::min(bottom, b.bottom) - std::max(top, b.top) > 1;
    }
    std::string Text() const
    {
        std::ostringstream out;
        out << "(" << left << ", " << top << ", " << right << ", " << bottom << ")";
        return out.str();
    }
};

bool Shown(const PObject* o) { return o && o->IsActive() && o->GetAlpha() > 0.01; }

// Watches the table from the UI thread, step by step.
class Look {
public:
    // `fold`: the side panel as the row asks (0: as the frame opens it, 1 open, 2 folded), kept so
    // through the hand.
    Look(std::string size, int fold) : size_(std::move(size)) { fold_.asked = fold; }

    void Step(CMyGame& scene)
    {
        const uint64_t now = platform::CurrentClock().NowMs();
        // A step's picture is taken once the frames after it have been drawn.
        for (auto it = shots_.begin(); it != shots_.end();)
            if (now >= it->second) {
                Save(it->first);
                it = shots_.erase(it);
            } else {
                ++it;
            }
        const int phase = scene.Phase();
        if (fold_.asked)
            KeepFold(scene);
        // The phases and boards seen, for a step that did not come.
        if (const std::pair<int, int> state{phase, scene.OpenBoardKind()}; state != lastState_) {
            lastState_ = state;
            trail += " " + std::to_string(now) + ":" + std::to_string(phase) + "/" + std::to_string(state.second);
        }
        if (phase == CMyGame::kPhaseEnded && scene.OpenBoardKind() == CMyGame::kBoardResult)
            Once(hand_ == 1 ? "5-result" : "6-result", scene, [&] {
                BoardInside(scene);
                FaceShown(scene);
                NoClaimLabelOnTheResult(scene);
            });
        if (phase == CMyGame::kPhaseExchange && scene.OpenBoardKind() == CMyGame::kBoardExchange &&
            scene.OwnHandTiles().size() >= 13)
            Once(hand_ == 1 ? "1-exchange" : "4-next-deal", scene, [&] {
                if (hand_ == 2)
                    NothingOfTheLastHand(scene);
                else
                    SayWithAFace(scene);
            });
        if (phase == CMyGame::kPhaseMissing && scene.OpenBoardKind() == CMyGame::kBoardMissing)
            Once("2-missing-suit", scene);
        if (auto* start = scene.buttons[CMyGame::kBtnStart]; start && Shown(start->GetBody()))
            Once("0-start", scene);
        // Each claim's label: the moment it shows, and once its time is up.
        if (const PObject* label = scene.FindById(scene.lastActionImageId);
            Shown(label) && !labels_.count(scene.lastActionImageId)) {
            labels_[scene.lastActionImageId] = {now, SeatOfLabel(scene, *label)};
            Once("3-claim-label", scene);
        }
        for (auto& [id, label] : labels_)
            if (label.shownAt && now >= label.shownAt + kLabelTimeMs) {
                label.shownAt = 0;
                if (Shown(scene.FindById(id)))
                    Fault("labels", "a claim's label still shows at seat " + std::to_string(label.seat));
                Once("3-claim-label-time-up", scene);
            }
        // The win's label, unless another win came meanwhile.
        int wins = 0;
        for (int chair = 0; chair < 4; ++chair)
            wins += scene.WinCount(chair);
        if (wins != winsAtLabel_ && Shown(scene.winPicture)) {
            winsAtLabel_ = wins;
            winAt_ = now;
        }
        if (winAt_ && now >= winAt_ + CMyGame::kWinLabelHoldMs + kLabelTimeMs) {
            winAt_ = 0;
            if (phase == CMyGame::kPhasePlay) {
                if (Shown(scene.winPicture))
                    Fault("labels", "the win label still shows while the hand plays on");
                Once("3-win-label-time-up", scene);
            }
        }
        if (phase == CMyGame::kPhasePlay && scene.playBlock[CMyGame::kMustThrow])
            Check(scene, "own turn");
        if (phase == CMyGame::kPhasePlay && hand_ == 1 && !fold_.asked)
            FoldAndUnfold(scene, now);
        // Late in a long hand: a seat's discards past a row and more.
        std::array<int, 4> thrown{};
        for (const CMJCard2* t : scene.pool)
            if (t && t->state == Lumora::kTileDiscard && t->seat >= 0 && t->seat < 4)
                ++thrown[size_t(t->seat)];
        if (phase == CMyGame::kPhasePlay && *std::max_element(thrown.begin(), thrown.end()) >= kLateDiscards)
            Once("8-late-hand", scene);
    }

    void AfterHand(int hand)
    {
        // The side panel folds on a small screen; a player may open it again, and the table must
        // still fit beside it: the second hand at 800x600 runs with it open.
        auto* bar = dynamic_cast<Lumora::CCySplitterBar*>(
            GetGameWinApp()->GetMainGame()->FindByName(Lumora::CCySplitterBar::kName));
        if (hand == 1 && size_ == "800x600" && bar && !bar->IsExpanded())
            bar->OnEvent({bar->GetId(), Lumora::CCySplitterBar::EV_ARROW_PRESS, 0, 0});
        hand_ = hand + 1;
        winAt_ = 0;
        winsAtLabel_ = 0;
    }

    std::set<std::string> faults;
    std::set<std::string> steps;
    std::string trail; // " ms:phase/board" at each change
    size_t mostTexts = 0; // the most texts one step showed

private:
    static constexpr uint64_t kLabelTimeMs = 3000; // a claim label's second, its fade and slack
    static constexpr uint64_t kShotDelayMs = 150;
    static constexpr int kLateDiscards = 12;

    void KeepFold(CMyGame& scene)
    {
        auto* bar = dynamic_cast<Lumora::CCySplitterBar*>(scene.FindByName(Lumora::CCySplitterBar::kName));
        if (bar && bar->IsExpanded() != (fold_.asked == 1))
            bar->OnEvent({bar->GetId(), Lumora::CCySplitterBar::EV_ARROW_PRESS, 0, 0});
    }

    void Once(const std::string& step, CMyGame& scene, const std::function<void()>& extra = {})
    {
        if (!steps.insert(step).second)
            return;
        if (extra)
            extra();
        Check(scene, step);
        shots_.emplace(step, platform::CurrentClock().NowMs() + kShotDelayMs);
    }

    void Fault(const std::string& step, const std::string& what) { faults.insert(size_ + " " + step + ": " + what); }

    // The checks of every step.
    void Check(CMyGame& scene, const std::string& step)
    {
        // The felt is the scene's part of the frame; the side panel stands beside it.
        Lumora::Rect scenePart, panelPart;
        if (!GetMainGameRect(scenePart) || !GetSubSystemRect(panelPart)) {
            Fault(step, "no frame");
            return;
        }
        const Box felt = Box::Of(scenePart);
        if (!Box::Of(scene.GetTableRect()).Inside(felt))
            Fault(step, "the table " + Box::Of(scene.GetTableRect()).Text() + " is not on the felt " + felt.Text());
        for (const CMJCard2* t : scene.hands[Lumora::kOwnSeat])
            if (const PObject* body = t ? t->GetBodyPicture() : nullptr;
                body && body->IsActive() && !Box::Of(*body).Inside(felt))
                Fault(step,
                      "own tile " + std::to_string(t->tile) + " at " + Box::Of(*body).Text() + " outside the felt " +
                          felt.Text());
        if (panelPart.right > panelPart.left && felt.right > panelPart.left + 1)
            Fault(step, "the felt " + felt.Text() + " runs under the side panel at " + std::to_string(panelPart.left));
        // The seat panels (names, scores) keep clear of each other.
        std::vector<Box> panels;
        for (Lumora::CMJPlayer2* p : scene.players)
            if (p && p->GetBody() && p->GetBody()->IsActive()) {
                panels.push_back(Box::Of(*p->GetBody()));
                // Each line (name, silver) whole on one row inside its panel.
                if (const auto* plane = dynamic_cast<const Lumora::PlaneObject*>(p->GetBody()))
                    for (const Lumora::PlaneObject::TextBox& t : plane->TextBoxes())
                        if (t.box.right >= plane->GetSurfaceWidth() || t.box.bottom - t.box.top > 16)
                            Fault(step, "a seat panel's line does not fit: \"" + platform::GbkToUtf8(t.text) + "\"");
            }
        // Each seat's marks (missing suit, wins) stand right under its panel, wherever it moved.
        for (int seat = 0; seat < 4; ++seat)
            if (const PObject* mark = scene.SeatMark(seat); Shown(mark) && scene.players[size_t(seat)]) {
                const PObject& panel = *scene.players[size_t(seat)]->GetBody();
                if (std::abs(mark->GetLeft() - panel.GetLeft()) > 1 || std::abs(mark->GetTop() - panel.GetBottom()) > 1)
                    Fault(step,
                          "the marks of seat " + std::to_string(seat) + " at " + Box::Of(*mark).Text() +
                              " are not under its panel " + Box::Of(panel).Text());
            }
        for (size_t i = 0; i < panels.size(); ++i)
            for (size_t j = i + 1; j < panels.size(); ++j)
                if (panels[i].Overlaps(panels[j]))
                    Fault(step, "seat panels over each other: " + panels[i].Text() + " " + panels[j].Text());
        TextsApart(scene, step);
        NothingCovered(scene, step);
        SettingsAsTheBoardsAllow(scene, step);
    }

    // One board at a time: over a step's or the result's board 设置 shows disabled (its grey
    // frame) and a click on it leaves that board; with no board, or its own, it shows enabled.
    void SettingsAsTheBoardsAllow(CMyGame& scene, const std::string& step)
    {
        auto* frame = dynamic_cast<CXyGameFrame*>(GetGameWinApp()->GetGameFrame());
        Lumora::CXyStandButton* settings = frame ? frame->GetSettingsButton() : nullptr;
        auto* input = dynamic_cast<Lumora::InputModule*>(scene.GetInputModule());
        if (!settings || !settings->GetFace() || !input) {
            Fault(step, "no settings button in the title bar");
            return;
        }
        const int board = scene.OpenBoardKind();
        const bool otherBoard = board != 0 && board != CMyGame::kBoardSettings;
        constexpr int kDisabledFrame = 3;
        if ((settings->GetFace()->GetFrame() == kDisabledFrame) != otherBoard)
            Fault(step,
                  otherBoard ? "the settings button shows enabled over board " + std::to_string(board)
                             : "the settings button shows disabled with no other board");
        if (!otherBoard)
            return;
        const PObject& face = *settings->GetFace();
        input->OnMouseMove(int(face.GetX()), int(face.GetY()), 0);
        input->OnLButtonDown(int(face.GetX()), int(face.GetY()), 0);
        input->OnLButtonUp(int(face.GetX()), int(face.GetY()), 0);
        if (scene.OpenBoardKind() != board)
            Fault(step, "a click on the settings button changed board " + std::to_string(board));
    }

    // A text on the screen: where, whose, and its place in the draw order.
    struct ShownText {
        Box box;
        uint32_t owner = 0;
        std::string text;
        size_t order = 0;
    };
    // A picture or plane drawn on the screen, which hides what it covers where it is opaque.
    struct Hider {
        Box box;
        const PObject* object = nullptr;
        size_t order = 0;
        bool Hides(double x, double y) const
        {
            if (x < box.left || x >= box.right || y < box.top || y >= box.bottom)
                return false;
            const auto* plane = dynamic_cast<const Lumora::PlaneObject*>(object);
            if (!plane)
                return true;
            const double sx = plane->GetSurfaceWidth() / std::max(1.0, box.right - box.left);
            const double sy = plane->GetSurfaceHeight() / std::max(1.0, box.bottom - box.top);
            return plane->GetPixelAlpha(int((x - box.left) * sx), int((y - box.top) * sy)) >= 128;
        }
    };

    // Every text the window shows: what planes drew (names, silver, board texts, chat, marks)
    // where it is not painted over, cut to each plane's clip, and the pictures that are texts
    // (a claim's and the win's label, the clock's digits); with the pictures that may hide them.
    static std::vector<ShownText> ShownTexts(CMyGame& scene, std::vector<Hider>& hiders)
    {
        std::vector<ShownText> texts;
        Lumora::ObjectModule* objects = scene.GetObjectModule();
        if (!objects)
            return texts;
        const std::map<uint32_t, std::string> pictureTexts{
            {scene.lastActionImageId, "(claim label)"},
            {scene.winPicture ? scene.winPicture->GetId() : 0u, "(win label)"},
            {scene.clockDigits ? scene.clockDigits->GetId() : 0u, "(clock)"}};
        size_t order = 0;
        objects->ForEachDrawn([&](PObject& o) {
            ++order;
            // Half faded is gone.
            if (!Shown(&o) || o.GetAlpha() < 0.5)
                return;
            if (const auto picture = pictureTexts.find(o.GetId()); picture != pictureTexts.end() && o.GetId())
                texts.push_back({InkBox(o), o.GetId(), picture->second, order});
            else if (dynamic_cast<const Lumora::PictureObject*>(&o))
                hiders.push_back({Box::Of(o), &o, order});
            const auto* plane = dynamic_cast<const Lumora::PlaneObject*>(&o);
            if (!plane || plane->GetSurfaceWidth() <= 0 || plane->GetSurfaceHeight() <= 0)
                return;
            const double sx = o.GetWidth() / plane->GetSurfaceWidth(), sy = o.GetHeight() / plane->GetSurfaceHeight();
            Lumora::Rect clip;
            o.GetClipRect(clip);
            for (const Lumora::PlaneObject::TextBox& t : plane->TextBoxes()) {
                Box b{o.GetLeft() + t.box.left * sx, o.GetTop() + t.box.top * sy, o.GetLeft() + t.box.right * sx,
                      o.GetTop() + t.box.bottom * sy};
                if (clip.right > clip.left && clip.bottom > clip.top) {
                    b = {std::max(b.left, double(clip.left)), std::max(b.top, double(clip.top)),
                         std::min(b.right, double(clip.right)), std::min(b.bottom, double(clip.bottom))};
                    if (b.right <= b.left || b.bottom <= b.top)
                        continue;
                }
                texts.push_back({b, o.GetId(), platform::GbkToUtf8(t.text), order});
            }
        });
        return texts;
    }

    // Where a picture has ink (its opaque pixels), on the screen; the whole object without a picture.
    static Box InkBox(const PObject& o)
    {
        const auto* picture = dynamic_cast<const Lumora::PictureObject*>(&o);
        Lumora::PictureInfo info;
        if (picture)
            picture->GetPictureInfo(info);
        Lumora::ImageRecord frame;
        if (!info.image || !Lumora::CopyFrame(frame, *info.image, uint32_t(picture->GetFrame())) || !frame.HasAlpha())
            return Box::Of(o);
        int left = frame.width, top = frame.height, right = 0, bottom = 0;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x)
                if (frame.pixels[(size_t(y) * frame.width + x) * 4 + 3] >= 128) {
                    left = std::min(left, x);
                    top = std::min(top, y);
                    right = std::max(right, x + 1);
                    bottom = std::max(bottom, y + 1);
                }
        if (right <= left)
            return {};
        const double sx = o.GetWidth() / frame.width, sy = o.GetHeight() / frame.height;
        return {o.GetLeft() + left * sx, o.GetTop() + top * sy, o.GetLeft() + right * sx, o.GetTop() + bottom * sy};
    }

    // No text stands over a text of another object that shows (nothing drawn between hides it).
    void TextsApart(CMyGame& scene, const std::string& step)
    {
        std::vector<Hider> hiders;
        const std::vector<ShownText> texts = ShownTexts(scene, hiders);
        mostTexts = std::max(mostTexts, texts.size());
        for (size_t i = 0; i < texts.size(); ++i)
            for (size_t j = i + 1; j < texts.size(); ++j) {
                const ShownText& under = texts[i].order <= texts[j].order ? texts[i] : texts[j];
                const ShownText& over = &under == &texts[i] ? texts[j] : texts[i];
                if (under.owner == over.owner || !under.box.Overlaps(over.box))
                    continue;
                const double x =
                    (std::max(under.box.left, over.box.left) + std::min(under.box.right, over.box.right)) / 2;
                const double y =
                    (std::max(under.box.top, over.box.top) + std::min(under.box.bottom, over.box.bottom)) / 2;
                const bool hidden = std::any_of(hiders.begin(), hiders.end(), [&](const Hider& c) {
                    return c.order > under.order && c.order < over.order && c.object->GetId() != over.owner &&
                        c.Hides(x, y);
                });
                if (!hidden)
                    Fault(step,
                          "text over text: \"" + over.text + "\" " + over.box.Text() + " over \"" + under.text + "\" " +
                              under.box.Text());
            }
    }

    // What a player must see stays clear: no seat's row of tiles under a seat panel or a button,
    // no claim label over the own hand or another seat's melds, the start button off the walls.
    void NothingCovered(CMyGame& scene, const std::string& step)
    {
        enum : int { kRows = 1, kMustSee = 2, kWalls = 4 };
        struct Cover {
            Box box;
            std::string what;
            int clearOf = 0;
            int ownSeat = -1; // a claim label may stand over its own seat's new meld
        };
        std::vector<Cover> covers;
        for (Lumora::CMJPlayer2* p : scene.players)
            if (p && Shown(p->GetBody()))
                covers.push_back({Box::Of(*p->GetBody()), "the panel of seat " + std::to_string(p->GetSeat()), kRows});
        using Slot = CMyGame::ButtonSlot;
        for (Slot slot : {Slot::kBtnPass, Slot::kBtnHu, Slot::kBtnGang, Slot::kBtnPeng, Slot::kBtnChi, Slot::kBtnStart})
            if (auto* b = scene.buttons[slot]; b && Shown(b->GetBody()))
                covers.push_back({Box::Of(*b->GetBody()), "button " + std::to_string(int(slot)),
                                  slot == Slot::kBtnStart ? kRows | kWalls : kRows});
        if (Shown(scene.skillBar))
            covers.push_back({Box::Of(*scene.skillBar), "the skill bar", kRows});
        // Our art draws the label's word in its picture's upper half, kLabelLift above the middle.
        if (const PObject* label = scene.FindById(scene.lastActionImageId); Shown(label)) {
            Box word = Box::Of(*label);
            word.bottom = (word.top + word.bottom) / 2 - CMyGame::kLabelLift;
            covers.push_back({word, "the claim label", kMustSee, SeatOfLabel(scene, *label)});
        }
        for (const CMJCard2* t : scene.pool) {
            const PObject* body = t ? t->GetBodyPicture() : nullptr;
            if (!Shown(body))
                continue;
            const bool hand = t->state == Lumora::kTileHand;
            const int kinds = (hand || t->state == Lumora::kTileResultRow || t->state == Lumora::kTileDiscard ? kRows : 0) |
                (t->state == Lumora::kTileWall ? kWalls : 0) |
                (hand && (t->meldKind != Lumora::kMeldNone || t->seat == Lumora::kOwnSeat) ? kMustSee : 0);
            for (const Cover& c : covers)
                if ((c.clearOf & kinds) && t->seat != c.ownSeat && c.box.Overlaps(Box::Of(*body)))
                    Fault(step,
                          c.what + " " + c.box.Text() + " over tile " + std::to_string(t->tile) + " of seat " +
                              std::to_string(t->seat) + " at " + Box::Of(*body).Text());
        }
    }

    static int SeatOfLabel(CMyGame& scene, const PObject& label)
    {
        Lumora::PictureInfo own; // the word's own size, which the place may shrink
        if (const auto* word = dynamic_cast<const Lumora::BITObject*>(&label))
            word->GetPictureInfo(own);
        for (int seat = 0; seat < 4; ++seat) {
            const Lumora::TablePoint at = scene.LabelPlace(seat, own.width, own.height).at;
            if (int(label.GetX()) == at.x && int(label.GetY()) == at.y)
                return seat;
        }
        return -1;
    }

    // Mid-hand the player folds the side panel with the splitter and opens it again (at 800x600,
    // where it starts folded: opens, folds, opens), then types a line and sends it with Enter.
    void FoldAndUnfold(CMyGame& scene, uint64_t now)
    {
        auto* bar = dynamic_cast<Lumora::CCySplitterBar*>(scene.FindByName(Lumora::CCySplitterBar::kName));
        auto* panel = dynamic_cast<Lumora::CSubSystem*>(scene.FindByName(Lumora::kSubSystemName));
        auto* input = dynamic_cast<Lumora::InputModule*>(scene.GetInputModule());
        if (fold_.done || now < fold_.due || !bar || !panel || !input)
            return;
        Lumora::CXyInputBox& line = *panel->GetInputBar()->GetInput();
        const auto click = [&](const PObject& o) {
            input->OnMouseMove(int(o.GetX()), int(o.GetY()), 0);
            input->OnLButtonDown(int(o.GetX()), int(o.GetY()), 0);
            input->OnLButtonUp(int(o.GetX()), int(o.GetY()), 0);
        };
        fold_.due = now + (fold_.steps++ ? 300 : 1500); // a second after the line sent with a face
        if (fold_.typed) {
            fold_.done = true;
            if (!line.GetText().empty())
                Fault("fold", "the typed line was not sent: \"" + line.GetText() + "\" stays");
        } else if (fold_.clicked) {
            fold_.typed = true;
            line.Clear();
            for (char c : std::string("fold ok\r"))
                c == '\r' ? input->OnKeyDown(13, 1, 0) : input->OnChar(uint8_t(c), 1, 0);
        } else if (fold_.steps > 1) {
            const std::string step = "fold-" + std::to_string(fold_.steps - 1);
            PanelAsItStands(scene, *bar, *panel, step);
            Save("7-" + step);
            fold_.clicked = fold_.steps > 2 && bar->IsExpanded();
            click(fold_.clicked ? static_cast<const PObject&>(line) : *bar);
        } else {
            click(*bar);
        }
    }

    // Open: the chat box and the input line stand in the panel and the chat box shows its own
    // background. Folded: nothing of the panel is drawn. Either way the bare felt is as it is now.
    void PanelAsItStands(CMyGame& scene, const Lumora::CCySplitterBar& bar, Lumora::CSubSystem& panel,
                         const std::string& step)
    {
        Lumora::Rect side;
        GetSubSystemRect(side);
        const Lumora::CGameInputBar& inputBar = *panel.GetInputBar();
        const std::set<const PObject*> parts{panel.GetChatBox(), panel.GetUserList(), &inputBar, inputBar.GetInput()};
        const Box view{0, 0, double(scene.GetViewWidth()), double(scene.GetViewHeight())};
        // What is in the draw list is drawn, active or not.
        scene.GetObjectModule()->ForEachDrawn([&](PObject& o) {
            for (const PObject* p = &o; p && !bar.IsExpanded() && Box::Of(o).Overlaps(view); p = p->GetParent())
                if (parts.count(p))
                    Fault(step, "folded, the side panel's object " + std::to_string(o.GetId()) + " is drawn");
        });
        FeltTrue(scene, step);
        const PObject* chat = panel.GetChatBox();
        for (const PObject* part : {chat, static_cast<const PObject*>(inputBar.GetInput())})
            if (bar.IsExpanded() && (!Shown(part) || !Box::Of(*part).Inside(Box::Of(side))))
                Fault(step, "a part of the open panel is hidden or outside it at " + Box::Of(*part).Text());
        // The lower left corners of the chat box and the input line show their own colours.
        const std::pair<const PObject*, uint32_t> colours[] = {{chat, kChatRgb}, {inputBar.GetInput(), 0xFFFFFF}};
        for (const auto& [part, colour] : colours) {
            const int x = int(part->GetLeft()) + 2, y = int(part->GetBottom()) - 3;
            const uint32_t rgb = bar.IsExpanded() && !Pending(scene, x, y) ? Window()->Pixel(x, y) : colour;
            for (int shift = 0; shift < 24; shift += 8)
                if (std::abs(int((rgb >> shift) & 0xFF) - int((colour >> shift) & 0xFF)) > 3) {
                    Fault(step, "a corner of the panel shows " + std::to_string(rgb & 0xFFFFFF) + ", not its colour");
                    break;
                }
        }
    }
    static const platform::HeadlessWindow* Window()
    {
        IGameWinApp* app = GetGameWinApp();
        return app && app->GetMainWnd() ? dynamic_cast<platform::HeadlessWindow*>(app->GetMainWnd()->GetWindow())
                                        : nullptr;
    }
    // The window shows the last frame; what changed since (a tile thrown between two frames) is
    // painted by the next, and is not judged yet.
    static bool Pending(CMyGame& scene, int x, int y)
    {
        Lumora::Rect view;
        scene.GetObjectModule()->GetViewport(view);
        const Box point{double(x + view.left), double(y + view.top), x + view.left + 1.0, y + view.top + 1.0};
        const auto& dirty = scene.GetObjectModule()->DirtyRects();
        return std::any_of(dirty.begin(), dirty.end(), [&](const Lumora::Rect& r) { return point.Inside(Box::Of(r)); });
    }
    // Where nothing is drawn (nor stood a moment ago), the window shows the felt as it is now.
    void FeltTrue(CMyGame& scene, const std::string& step)
    {
        constexpr double kMoveSlack = 24;
        const auto* paint = dynamic_cast<const Lumora::PaintModuleGDI*>(scene.GetPaintModule());
        std::vector<Box> covered;
        scene.GetObjectModule()->ForEachDrawn([&](PObject& o) {
            covered.push_back({o.GetLeft() - kMoveSlack, o.GetTop() - kMoveSlack, o.GetRight() + kMoveSlack,
                               o.GetBottom() + kMoveSlack});
        });
        const int w = scene.GetViewWidth(), h = scene.GetViewHeight();
        int stale = 0;
        for (int y = 4; y < h; y += 8)
            for (int x = 4; x < w; x += 8)
                stale += std::none_of(covered.begin(), covered.end(),
                                      [&](const Box& b) {
                                          return Box{x * 1.0, y * 1.0, x + 1.0, y + 1.0}.Inside(b);
                                      }) &&
                    !Pending(scene, x, y) && (Window()->Pixel(x, y) & 0xFFFFFF) != (paint->BackgroundBuffer()[size_t(y) * w + x] & 0xFFFFFF);
        if (stale)
            Fault(step, std::to_string(stale) + " points of the bare felt show stale pixels");
    }
    static constexpr uint32_t kChatRgb = 0xEBF0F5;
    struct {
        int asked = 0;
        int steps = 0;
        bool clicked = false, typed = false, done = false;
        uint64_t due = 0;
    } fold_;

    // The player picks a face in the picker and sends the line; the server sends it back.
    void SayWithAFace(CMyGame& scene)
    {
        auto* panel = dynamic_cast<Lumora::CSubSystem*>(scene.FindByName(Lumora::kSubSystemName));
        if (!panel || !panel->GetInputBar() || !panel->GetInputBar()->GetInput()) {
            Fault("chat", "no side panel");
            return;
        }
        int index = 1;
        panel->OnEvent({panel->GetId(), Lumora::EV_FACE_PICKED, reinterpret_cast<uintptr_t>("#打牌"),
                        reinterpret_cast<uintptr_t>(&index)});
        if (!panel->GetInputBar()->Send(panel->GetInputBar()->GetInput()->GetText()))
            Fault("chat", "the line was not sent");
    }
    // The face came back as its picture.
    void FaceShown(CMyGame& scene)
    {
        const auto* panel = dynamic_cast<Lumora::CSubSystem*>(scene.FindByName(Lumora::kSubSystemName));
        const Lumora::CXyChatBox* box = panel ? panel->GetChatBox() : nullptr;
        int faces = 0;
        for (const Lumora::ChatElement* e = box ? box->Content().First() : nullptr; e; e = e->next)
            faces += e->Is(Lumora::chat_flag::kObject) && box->TextOf(e, e->next) == "#打牌";
        if (faces != 1)
            Fault("chat", "the face shows " + std::to_string(faces) + " times as a picture");
    }

    void NothingOfTheLastHand(CMyGame& scene)
    {
        const std::string step = "next deal";
        if (Shown(scene.winPicture))
            Fault(step, "the last hand's win label shows");
        if (Shown(scene.FindById(scene.lastActionImageId)))
            Fault(step, "the last hand's claim label shows");
        for (int chair = 0; chair < 4; ++chair)
            if (scene.WinCount(chair) != 0 || scene.MissingSuit(chair) != -1)
                Fault(step, "chair " + std::to_string(chair) + " keeps its wins or missing suit");
        for (const CMJCard2* t : scene.thrown)
            if (t)
                Fault(step, "a thrown tile of the last hand is left");
        for (int seat = 0; seat < 4; ++seat)
            for (const CMJCard2* t : scene.hands[size_t(seat)])
                if (t && t->placed && t->meldKind != Lumora::kMeldNone)
                    Fault(step, "a meld of the last hand is left at seat " + std::to_string(seat));
    }

    // A claim's label belongs to its moment in play: the hand is over once the result shows.
    void NoClaimLabelOnTheResult(CMyGame& scene)
    {
        if (const PObject* label = scene.FindById(scene.lastActionImageId); Shown(label))
            Fault("result",
                  "a claim's label shows at seat " + std::to_string(SeatOfLabel(scene, *label)) + " " +
                      Box::Of(*label).Text());
    }

    // The open board's list and texts stand inside it.
    void BoardInside(CMyGame& scene)
    {
        const Lumora::CXyStandDlg* board = scene.OpenBoard();
        if (!board) {
            Fault("result", "no board");
            return;
        }
        const Box outer = Box::Of(*board);
        if (const auto* list = scene.ResultList(); list && !Box::Of(*list).Inside(outer))
            Fault("result", "the list " + Box::Of(*list).Text() + " outside the board " + outer.Text());
        if (!outer.Inside(Box::Of(scene.GetTableRect())))
            Fault("result", "the board " + outer.Text() + " outside the felt");
    }

    void Save(const std::string& step)
    {
        const platform::HeadlessWindow* window = Window();
        const std::string dir = std::string(XL_BINARY_DIR) + "/artifacts";
        std::filesystem::create_directories(dir);
        if (!window || !window->ScreenshotPng(dir + "/look-" + size_ + "-" + step + ".png"))
            Fault(step, "no screenshot");
    }

    std::string size_;
    std::map<std::string, uint64_t> shots_; // step, when its picture is due
    int hand_ = 1;
    struct Label {
        uint64_t shownAt = 0; // 0 once checked
        int seat = -1;
    };
    std::map<uint32_t, Label> labels_; // by object id
    uint64_t winAt_ = 0;
    int winsAtLabel_ = 0;
    std::pair<int, int> lastState_{-1, -1};
};

// A window size, and how the side panel stands: 0 as the frame opens it, through two short hands
// (a peng, a gang and a win); 1 open or 2 folded, through a long hand that fills the discard rows.
using Row = std::tuple<int, int, int>;
class TableLook : public ::testing::TestWithParam<Row> {};

TEST_P(TableLook, LookThroughAHand)
{
    const auto [width, height, fold] = GetParam();
    const std::string size =
        std::to_string(width) + "x" + std::to_string(height) + (fold == 1 ? "-open" : fold == 2 ? "-folded" : "");
    Look look(size, fold);
    // The planes keep the boxes of their texts for TextsApart and the seat panels' lines.
    Lumora::PlaneObject::RecordTexts(true);
    struct Off {
        ~Off() { Lumora::PlaneObject::RecordTexts(false); }
    } off;
    tablerun::Options options;
    options.hands = fold ? 1 : 2;
    options.wall = fold ? "wall_ends_with_a_flower_pig" : "peng_gang_win";
    options.thinkMs = 250; // a player's pace, so that labels and boards live their time
    options.resultHoldMs = 1000;
    options.screen = {width, height, {0, 0, width, height}, 23};
    options.onStep = [&](CMyGame& scene) { look.Step(scene); };
    tablerun::TableRun run(options);
    testsupport::ScreenCheck screen("look-" + size, std::string(XL_BINARY_DIR) + "/artifacts");
    screen.Install();
    const testsupport::ResourceSweep sweep; // the client recreates its run log when it starts
    EXPECT_EQ(run.Run([&](const tablerun::HandEnd& end) { look.AfterHand(end.hand); }), 0);
    EXPECT_THAT(sweep.Findings(), ::testing::IsEmpty()) << size;
    EXPECT_EQ(run.Failure(), "");
    EXPECT_EQ(run.HandsChecked(), options.hands);
    const std::vector<std::string> steps =
        fold ? std::vector<std::string>{"1-exchange", "2-missing-suit", "8-late-hand", "5-result"}
             : std::vector<std::string>{"1-exchange", "2-missing-suit", "3-claim-label", "3-claim-label-time-up",
                                        "5-result", "4-next-deal"};
    for (const std::string& step : steps)
        EXPECT_TRUE(look.steps.count(step)) << size << ": no step " << step << "; phase/board seen:" << look.trail;
    // The planes' texts (names, silver, the boards) were there to check.
    EXPECT_GT(look.mostTexts, 10u) << size;
    for (const std::string& f : look.faults)
        ADD_FAILURE() << f;
    EXPECT_GT(screen.FramesChecked(), 100) << size;
    EXPECT_THAT(screen.Faults(), ::testing::IsEmpty())
        << size << ": the screen is not true (" << screen.FramesDiffering()
        << " frames differ; pictures in build/artifacts/screen-look-*)";
}

INSTANTIATE_TEST_SUITE_P(Screens, TableLook,
                         ::testing::Values(Row{800, 600, 0}, Row{1024, 768, 0}, Row{1280, 800, 0}, Row{1920, 1080, 0},
                                           Row{800, 600, 1}, Row{900, 700, 1}, Row{1024, 600, 1}, Row{1024, 600, 2},
                                           Row{1100, 600, 1},
                                           Row{1280, 720, 2}, Row{1366, 768, 1}),
                         [](const auto& info) {
                             const int fold = std::get<2>(info.param);
                             return "W" + std::to_string(std::get<0>(info.param)) + "x" +
                                 std::to_string(std::get<1>(info.param)) +
                                 (fold == 1 ? "Open" : fold == 2 ? "Folded" : "");
                         });

} // namespace
