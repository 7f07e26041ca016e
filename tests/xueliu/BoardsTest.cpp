// This game's boards on a dealt table in a headless engine with our own skins: the exchange
// (three of one suit), the missing suit (radio buttons, OK, and the count-down that sends the
// recommendation), the result (a row per chair, a selected row's detail from the hand's wins,
// score changes and settlement entries, "继续" and the next deal; no request after it) and the
// settings (check buttons written to the game's ini); and the own turn on that table: the throw's
// click after a draw or a claim, and auto-play. Clicks go through the input module, as a player's
// would.
#include "framework/connection/Record.h"
#include "framework/connection/RequestIds.h"
#include "framework/frame/CXyGameFrame.h"
#include "framework/frame/FrameLayout.h"
#include "framework/frame/FrameSupport.h"
#include "framework/notify/CGameNotify.h"
#include "framework/scene/GameWinApp.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PlaneObject.h"
#include "mahjong/MahjongEvents.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/connect/CMJGameConnect2.h"
#include "platform/Ini.h"
#include "platform/WindowTypes.h"
#include "tests/mahjong/TileRig.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/ScreenCheck.h"
#include "tests/xueliu/SceneRig.h"
#include "tests/support/FakeClientApp.h"
#include "tests/support/SceneReport.h"
#include "tests/widgets/FakeAppServices.h"
#include "services/panel/CSubSystem.h"
#include "widgets/CCySplitterBar.h"
#include "widgets/CXyChatBox.h"
#include "widgets/CXyChatFace.h"
#include "widgets/CXyScrollBar.h"
#include "widgets/CXyInputBox.h"
#include "widgets/SidePanelObjects.h"
#include "widgets/CXyCheckButton.h"
#include "widgets/CXyStandButton.h"
#include "widgets/CXyStandDlg.h"
#include "xueliu/CGameApp.h"
#include "xueliu/CGameNotifyEx.h"
#include "xueliu/CMyGame.h"
#include "xueliu/CXyResultListXueliu.h"
#include "xueliu/GameRecords.h"
#include "xueliu/RecordChecks.h"
#include "xueliu/CGameInfoEx.h"
#include "xueliu/ResultSummary.h"
#include "xueliu/SceneReport.h"

#include "framework/app/NotifyGate.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <unistd.h>

using namespace Lumora;

namespace {

// Tile id of suit s (0 万, 1 条, 2 筒), rank r (1-9), copy k (0-3).
int T(int s, int r, int k = 0) { return s * 36 + k * 9 + (r - 1); }

struct SentRequest {
    uint32_t id;
    std::vector<uint8_t> bytes;
    int32_t Word(size_t offset) const { return RecordReader(bytes.data(), bytes.size()).I32(offset); }
};

// Takes every request and answers success, or the code set for its id.
class RecordingConnect : public CMJGameConnect2 {
public:
    bool SendRequest(std::string&, uint32_t requestId, const void* record, uint32_t length, GameReply& reply,
                     bool) override
    {
        const auto* p = static_cast<const uint8_t*>(record);
        sent.push_back({requestId, std::vector<uint8_t>(p, p + length)});
        reply.code = codes.count(requestId) ? codes[requestId] : 10;
        if (requestId == RequestId::CatchCard && reply.code == 10) {
            reply.length = int32_t(sizeof draw);
            reply.data = std::make_unique<uint8_t[]>(sizeof draw);
            std::memcpy(reply.data.get(), draw, sizeof draw);
        }
        return true;
    }
    int32_t draw[8] = {}; // the draw's reply: chair, tile, wall position, flags
    std::map<uint32_t, uint32_t> codes; // a refusal's code by request id
    const SentRequest* Last(uint32_t id) const
    {
        for (auto it = sent.rbegin(); it != sent.rend(); ++it)
            if (it->id == id)
                return &*it;
        return nullptr;
    }
    std::vector<SentRequest> sent;
};

class BoardScene : public CMyGame {
public:
    BoardScene() { connect.SetApp(&client); }
    CMJGameConnect2* TableConnect() override { return &connect; }
    void CheckSwitchRoom() override { ++switchChecks; }
    using CMyGame::ChairName;
    using CMyGame::Slot;
    const std::vector<PObject*>& BoardObjects() const { return boardObjects_; }
    FakeClientApp client;
    RecordingConnect connect;
    int switchChecks = 0;
};

class BoardsTest : public ::testing::Test {
protected:
    static constexpr auto kSurface = mahjongtest::kSurfaces[2];

    explicit BoardsTest(const mahjongtest::Surface& surface = kSurface) : rig_{"boards", surface} {}

    void SetUp() override
    {
        scene_->OnGameReady();
        scene_->chairCount = scene_->playerCount = 4;
        Deal();
    }

    // A deal with the own chair 0 as the banker unless told: 万 1-5, 条 5 7 9, 筒 1-6 (筒 1-5 when
    // not the banker) unless given; `more` sets further parameter words.
    void Deal(uint32_t runMs = 4000, std::vector<int> own = {}, int banker = 0,
              std::vector<std::pair<size_t, int32_t>> more = {})
    {
        const std::vector<uint8_t> start = DealRecord(std::move(own), banker, std::move(more));
        app_->GetMahjongGameInfo()->StoreGameStart(start.data(), start.size());
        scene_->ResetDealState();
        scene_->OnNotifyRoundStart();
        scene_->OnGameStartData(start.data(), start.size());
        engine_->Run(runMs);
    }
    static std::vector<uint8_t> DealRecord(std::vector<int> own = {}, int banker = 0,
                                           std::vector<std::pair<size_t, int32_t>> more = {})
    {
        std::vector<uint8_t> start(GameRecord::kDealStartSize, 0);
        RecordWriter w({start.data(), start.size()});
        const std::pair<size_t, int32_t> params[] = {{2, 4},  {3, 0},  {4, 108}, {5, 13}, {6, 53},
                                                      {12, 3 | (5 << 8)}, {14, (1 << 8) | (1 << 5) | (1 << 2) | (1 << 3)},
                                                      {18, 15}, {21, 1}, {28, 6}, {36, -1}, {37, -1}};
        for (auto [word, value] : params)
            w.I32(word * 4, value);
        w.I32(11 * 4, banker);
        w.I32(GameRecord::kDrawnTileChairWord * 4, banker);
        for (auto [word, value] : more)
            w.I32(word * 4, value);
        w.I32(GameRecord::kStartExtraOffset, 55);
        if (own.empty())
            own = {T(0, 1), T(0, 2), T(0, 3), T(0, 4), T(0, 5), T(1, 5), T(1, 7),
                   T(1, 9), T(2, 1), T(2, 2), T(2, 3), T(2, 4), T(2, 5), T(2, 6)};
        if (banker != 0 && own.size() > 13)
            own.resize(13);
        for (size_t chair = 0; chair < 4; ++chair)
            for (size_t i = 0; i < GameRecord::kTileListLength; ++i)
                w.I32(GameRecord::kTileListsOffset + (chair * GameRecord::kTileListLength + i) * 4,
                      chair == 0 && i < own.size() ? own[i] : -1);
        for (size_t chair = 0; chair < 4; ++chair)
            w.I32(GameRecord::kTileCountsOffset + chair * 4, int(chair) == banker ? 14 : 13);
        return start;
    }
    static std::vector<uint8_t> Record(const std::vector<int32_t>& words, size_t size)
    {
        std::vector<uint8_t> record(size, 0);
        RecordWriter w({record.data(), record.size()});
        for (size_t i = 0; i < words.size(); ++i)
            w.I32(i * 4, words[i]);
        return record;
    }
    // A sound result of a hand nobody won, with the words `set`.
    static std::vector<uint8_t> ResultRecord(std::vector<std::pair<size_t, int32_t>> set = {})
    {
        std::vector<uint8_t> result(GameRecord::kResultSize, 0);
        RecordWriter w({result.data(), result.size()});
        for (size_t chair = 0; chair < 4; ++chair) {
            w.I32(4 + chair * GameRecord::kResultChairBlock, int32_t(chair));
            w.I32(4 + chair * GameRecord::kResultChairBlock + 104, -1);
            w.I32(GameRecord::kResultHandsOffset + chair * 4 * 32, -1);
        }
        w.I32(GameRecord::kResultLastWinTile, -1);
        for (auto [at, value] : set)
            w.I32(at, value);
        return result;
    }
    // The frame painted bit by bit equals the view painted whole at this moment.
    ::testing::AssertionResult PaintedAsAWhole(bool settle = true)
    {
        if (settle)
            engine_->Settle();
        const std::vector<uint32_t> painted = engine_->Paint().PresentBuffer();
        engine_->Objects().FullRedraw();
        engine_->Tick(0);
        const std::vector<uint32_t>& whole = engine_->Paint().PresentBuffer();
        for (size_t i = 0; i < painted.size(); ++i)
            if (painted[i] != whole[i])
                return ::testing::AssertionFailure()
                    << "stale pixel at " << i % kSurface.width << ", " << i / kSurface.width;
        return ::testing::AssertionSuccess();
    }
    // Through this game's dispatcher as the frame window hands a record on: true when refused.
    bool Notify(uint32_t id, const std::vector<uint8_t>& record)
    {
        struct SceneApp : IGameWinApp {
            Lumora::CGameBase* scene = nullptr;
            Lumora::CGameBase* GetMainGame() override { return scene; }
        } sceneApp;
        sceneApp.scene = scene_;
        SetGameWinApp(&sceneApp);
        bool refused = false;
        try {
            dynamic_cast<CGameNotifyEx&>(*app_->GetNotify()).OnNotify(id, record.data(), uint32_t(record.size()));
        } catch (const NotifyRefused&) {
            refused = true;
        }
        SetGameWinApp(nullptr);
        engine_->Settle();
        return refused;
    }
    void Step(uint32_t id, std::vector<int32_t> words, size_t size)
    {
        std::vector<uint8_t> record(size, 0);
        RecordWriter w({record.data(), record.size()});
        for (size_t i = 0; i < words.size(); ++i)
            w.I32(i * 4, words[i]);
        scene_->OnGameStep(id, record.data(), record.size());
        engine_->Settle();
    }
    void ClickObject(uint32_t id)
    {
        PObject* object = scene_->FindById(id);
        ASSERT_NE(object, nullptr);
        engine_->Click(int(object->GetX()), int(object->GetY()));
    }
    void Send(uint32_t code, uintptr_t p1 = 0, uintptr_t p2 = 0)
    {
        engine_->Owner().SendEvent(EventRecord{scene_->GetId(), code, p1, p2});
        engine_->Settle();
    }
    // The open board's objects: the board, what stands on it, their bodies and what is linked
    // under them.
    std::set<uint32_t> OpenBoardTree() const
    {
        std::set<uint32_t> ids;
        std::function<void(PObject*)> add = [&](PObject* o) {
            if (!o || !ids.insert(o->GetId()).second)
                return;
            if (auto* widget = dynamic_cast<CLumoraGui*>(o))
                add(widget->GetBody());
            for (const PObject::ChildLink& link : o->Children())
                add(link.child);
        };
        add(scene_->OpenBoard());
        for (PObject* o : scene_->BoardObjects())
            add(o);
        return ids;
    }
    // What the next frame draws of those objects, as a person sees it: screen boxes and planes'
    // pixels, in drawing order.
    std::vector<std::string> Drawn(const std::set<uint32_t>& ids)
    {
        std::vector<std::string> drawn;
        engine_->Objects().ForEachDrawn([&](PObject& o) {
            const Rect box = ObjectModule::ScreenRect(o.Geometry());
            auto* plane = dynamic_cast<PlaneObject*>(&o);
            const size_t bytes = plane ? size_t(plane->GetSurfaceWidth()) * size_t(plane->GetSurfaceHeight()) * 4 : 0;
            const std::string_view pixels(bytes ? reinterpret_cast<const char*>(plane->GetPixels()) : "", bytes);
            if (ids.count(o.GetId()))
                drawn.push_back(std::to_string(box.left) + "," + std::to_string(box.top) + "," +
                                std::to_string(box.right) + "," + std::to_string(box.bottom) + " " +
                                std::to_string(std::hash<std::string_view>{}(pixels)));
        });
        return drawn;
    }
    CMJCard2* OwnTile(int tile)
    {
        for (int slot = 0; slot < scene_->GetMaxHandSlots(); ++slot)
            if (CMJCard2* t = scene_->Slot(kOwnSeat, slot); t && t->inHand && t->tile == tile)
                return t;
        return nullptr;
    }

    // A result of `entries` settlement lines between chairs 1-3 and chair 2 (all of them chair
    // 2's, half of them chair 1's), on its board.
    CXyResultListXueliu* OpenResult(int entries)
    {
        std::vector<uint8_t> result(GameRecord::kResultSize, 0);
        RecordWriter w({result.data(), result.size()});
        for (size_t chair = 0; chair < 4; ++chair) {
            w.I32(4 + chair * GameRecord::kResultChairBlock, int32_t(chair));
            w.I32(GameRecord::kResultHandsOffset + chair * 4 * 32, -1);
        }
        w.I32(GameRecord::kResultSettlementCount, entries);
        for (size_t i = 0; i < size_t(entries); ++i)
            for (size_t k = 0; k < 4; ++k)
                w.I32(GameRecord::kResultEntriesOffset + i * 16 + k * 4,
                      std::array{1 + int32_t(i % 3), 2, int32_t(i % 2), 4}[k]);
        app_->GetMahjongGameInfo()->StoreGameResult(result.data(), result.size());
        scene_->OnNotifyGameResult(result.data(), result.size());
        engine_->Settle();
        return scene_->ResultList();
    }

    // The side panel at the right of the view, as the frame lays it out.
    CMJSubSystem& SidePanel()
    {
        auto* panel = engine_->Make<CMJSubSystem>();
        panel->SetName(kSubSystemName);
        const int width = engine_->Paint().GetWidth(), height = engine_->Paint().GetHeight();
        panel->SetBounds({width - 300, 25, width, height});
        panel->OnSizeDone();
        engine_->Settle();
        return *panel;
    }

    SceneRig<BoardScene> rig_;
    std::unique_ptr<CGameApp>& app_ = rig_.app;
    std::unique_ptr<mahjongtest::TileEngine>& engine_ = rig_.engine;
    BoardScene*& scene_ = rig_.scene;
};

TEST_F(BoardsTest, TheExchangeLiftsTheRecommendationAndKeepsThreeOfOneSuit)
{
    // The step may come while the deal is still laying out the hand: the board waits for it.
    Deal(100);
    Step(CGameNotifyEx::kExchangeBegin, {20}, 8);
    engine_->Run(4000);
    ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardExchange);
    EXPECT_EQ(scene_->ExchangeChoice(), (std::vector<int>{T(1, 9), T(1, 7), T(1, 5)}));
    EXPECT_TRUE(OwnTile(T(1, 9))->raised);
    EXPECT_TRUE(scene_->FirstBoardButton()->IsEnabled());
    // Another suit starts the choice again (OK waits for three); a fourth of the suit is refused.
    scene_->ToggleExchangeTile(*OwnTile(T(0, 1)));
    EXPECT_FALSE(scene_->FirstBoardButton()->IsEnabled());
    for (int rank : {2, 3, 4})
        scene_->ToggleExchangeTile(*OwnTile(T(0, rank)));
    EXPECT_EQ(scene_->ExchangeChoice(), (std::vector<int>{T(0, 1), T(0, 2), T(0, 3)}));
    EXPECT_FALSE(OwnTile(T(1, 9))->raised);
    EXPECT_FALSE(OwnTile(T(0, 4))->raised);
    ClickObject(scene_->FirstBoardButton()->GetId());
    const SentRequest* sent = scene_->connect.Last(229310);
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(sent->Word(16), T(0, 1));
    EXPECT_EQ(sent->Word(24), T(0, 3));
    EXPECT_EQ(scene_->Phase(), CMyGame::kPhaseExchangeWait);
}

// On the small tables with the side panel open the exchange board stands whole inside the table and
// leaves every seat panel (name, silver and marks) in sight.
TEST_F(BoardsTest, TheExchangeBoardLeavesEveryPanelInSightOnTheSmallTables)
{
    Deal(100);
    Step(CGameNotifyEx::kExchangeBegin, {20}, 8);
    engine_->Run(4000);
    ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardExchange);
    auto* bar = engine_->Make<CCySplitterBar>();
    bar->SetName(CCySplitterBar::kName);
    bar->SetCollapsed(false);
    for (const auto& [w, h] : {std::pair{800, 600}, {900, 700}}) {
        const int side = framework::SidePanelWidth(true, w);
        const framework::FrameRects r = framework::LayoutRects(w, h, side, side, true, 8, 1);
        const mahjongtest::Surface size{w, h, {r.scene.left, r.scene.top, r.scene.right, r.scene.bottom}, kClass800};
        mahjongtest::FakeTileHost host;
        engine_->UseSurface(size, host);
        scene_->SetBounds(size.table);
        const PObject& board = *scene_->OpenBoard();
        EXPECT_TRUE(board.GetLeft() >= size.table.left && board.GetRight() <= size.table.right &&
                    board.GetTop() >= size.table.top && board.GetBottom() <= size.table.bottom)
            << w << "x" << h;
        for (CMJPlayer2* panel : scene_->players) {
            const PObject& p = *panel->GetBody();
            EXPECT_TRUE(p.GetRight() <= board.GetLeft() || board.GetRight() <= p.GetLeft() ||
                        p.GetBottom() + 20 <= board.GetTop() || board.GetBottom() <= p.GetTop())
                << w << "x" << h << ": the board over the panel of seat " << panel->GetSeat();
        }
    }
}

// The mouse passing over the hand leaves the three picks raised, and the board's seconds count
// down to the end, where the complete choice goes.
TEST_F(BoardsTest, TheExchangesPicksStayRaisedUnderTheMouseAndItsSecondsCountDown)
{
    Step(CGameNotifyEx::kExchangeBegin, {5}, 8);
    engine_->Run(500);
    ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardExchange);
    for (int tile : {T(0, 1), T(1, 9), T(2, 6)}) {
        const CMJCard2* t = OwnTile(tile);
        engine_->MoveMouse(int(t->GetX()), int(t->GetY()));
        engine_->Settle();
    }
    for (int tile : scene_->ExchangeChoice())
        EXPECT_TRUE(OwnTile(tile)->raised) << tile;
    EXPECT_FALSE(OwnTile(T(0, 1))->raised);
    EXPECT_NE(scene_->BoardLines().at(0).find("（5秒）"), std::string::npos);
    engine_->Run(2000);
    EXPECT_NE(scene_->BoardLines().at(0).find("（3秒）"), std::string::npos);
    EXPECT_EQ(scene_->connect.Last(229310), nullptr);
    engine_->Run(3000);
    EXPECT_NE(scene_->connect.Last(229310), nullptr);
    EXPECT_EQ(scene_->Phase(), CMyGame::kPhaseExchangeWait);
}

TEST_F(BoardsTest, TheMissingSuitBoardSendsTheCheckedRadioAndItsTimeOutTheRecommendation)
{
    Step(CGameNotifyEx::kMissingSuitBegin, {15, 1}, 8);
    ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardMissing);
    ASSERT_EQ(scene_->BoardChecks().size(), 3u);
    EXPECT_EQ(scene_->BoardCheckStates(), (std::vector<int>{0, 1, 0}));
    ClickObject(scene_->BoardChecks()[2]);
    EXPECT_EQ(scene_->BoardCheckStates(), (std::vector<int>{0, 0, 1}));
    if (std::getenv("XL_SCREENSHOTS"))
        mahjongtest::SaveScreenshot(*engine_, kSurface.width, kSurface.height, "board_missing");
    Send(CMyGame::kEvBoardOk, CMyGame::kBoardMissing);
    ASSERT_NE(scene_->connect.Last(229350), nullptr);
    EXPECT_EQ(scene_->connect.Last(229350)->Word(16), 2);
    EXPECT_EQ(scene_->OpenBoard(), nullptr);

    // Again, left alone after a click: the time runs out and the recommendation goes.
    scene_->connect.sent.clear();
    Step(CGameNotifyEx::kMissingSuitBegin, {5, 1}, 8);
    ClickObject(scene_->BoardChecks()[0]);
    engine_->Run(3000);
    EXPECT_EQ(scene_->connect.Last(229350), nullptr);
    engine_->Run(2000);
    ASSERT_NE(scene_->connect.Last(229350), nullptr);
    EXPECT_EQ(scene_->connect.Last(229350)->Word(16), 1);
    EXPECT_EQ(scene_->Phase(), CMyGame::kPhaseMissingWait);
}

TEST_F(BoardsTest, TheResultBoardHasARowPerChairAndASelectedRowUnfoldsItsDetail)
{
    // Chair 1 wins on chair 2's discard; chair 3's gang on a discard of chair 2 (刮风).
    std::vector<int32_t> win(34, 0);
    win[0] = 1, win[1] = 2, win[2] = T(2, 8), win[3] = 1, win[4] = 3, win[6] = 4;
    win[7 + 4] = 1;                           // 清一色
    win[23 + 1] = 4, win[23 + 2] = -4;        // silver deltas
    win[31] = 1;                              // chair 1's wins now
    Step(CGameNotifyEx::kPlayerWins, win, 136);
    Step(CGameNotifyEx::kScoreChange, {4, 3, 0, 0, -2, 2}, 48);
    ASSERT_EQ(scene_->HandRecords().wins.size(), 1u);

    std::vector<uint8_t> result(GameRecord::kResultSize, 0);
    RecordWriter w({result.data(), result.size()});
    const int32_t silver[4] = {0, 4, -6, 2};
    for (size_t chair = 0; chair < 4; ++chair) {
        const size_t block = 4 + chair * GameRecord::kResultChairBlock;
        w.I32(block, int32_t(chair));
        w.I32(block + 4, silver[chair]);
        w.I32(block + 12, chair == 1);
        w.I32(block + 104, chair == 1 ? T(2, 8) : -1);
    }
    w.I32(4 + 0 * GameRecord::kResultChairBlock + 92, 1); // chair 0: 花猪
    for (size_t i = 0; i < 4; ++i)
        w.I32(GameRecord::kResultHandsOffset + i * 4 * 32, -1);
    w.I32(GameRecord::kResultSettlementCount, 2);
    const int32_t entries[2][4] = {{1, 2, 1, 4}, {4, 2, 3, 2}};
    for (size_t i = 0; i < 2; ++i)
        for (size_t k = 0; k < 4; ++k)
            w.I32(GameRecord::kResultEntriesOffset + i * 16 + k * 4, entries[i][k]);
    app_->GetMahjongGameInfo()->StoreGameResult(result.data(), result.size());
    scene_->PlayActionImage(2, "gang2"); // a gang just before the result
    scene_->OnNotifyGameResult(result.data(), result.size());
    engine_->Settle();

    ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardResult);
    EXPECT_EQ(scene_->FindById(scene_->lastActionImageId), nullptr) << "a claim's label stands on the result";
    CXyResultListXueliu* list = scene_->ResultList();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetBlockCount(), 4);
    CXyResultBlockXueLiu* winner = list->GetChairRow(1);
    const auto n = [](const char* name) { return std::string(UnbrokenMarkup(name).Text()); };
    EXPECT_EQ(winner->DetailLines(),
              (std::vector<std::string>{"胡：清一色2番 ×4  +4", "点炮  " + n("3号位") + "→" + n("2号位") + "  4"}));
    EXPECT_EQ(list->GetChairRow(2)->DetailLines(),
              (std::vector<std::string>{"刮风（" + n("4号位") + "）  -2", "点炮  " + n("3号位") + "→" + n("2号位") + "  4",
                                        "刮风  " + n("3号位") + "→" + n("4号位") + "  2"}));
    EXPECT_EQ(list->GetChairRow(0)->DetailLines(), (std::vector<std::string>{"花猪"}));

    // A press on the row's face unfolds the chat box under it.
    engine_->Click(int(winner->GetFace()->GetX()), int(winner->GetFace()->GetY()));
    EXPECT_EQ(list->GetSelected(), winner);
    ASSERT_NE(winner->GetDetailBox(), nullptr);
    EXPECT_TRUE(winner->GetDetailBox()->IsActive());
    EXPECT_GT(winner->GetDetailBox()->GetY(), winner->GetFace()->GetY());
    if (std::getenv("XL_SCREENSHOTS"))
        mahjongtest::SaveScreenshot(*engine_, kSurface.width, kSurface.height, "board_result");

    // "继续": the room check, then ready; the rows go with the board.
    const uint32_t rowId = winner->GetId();
    Send(CMyGame::kEvResultContinue);
    EXPECT_EQ(scene_->switchChecks, 1);
    EXPECT_NE(scene_->connect.Last(201165), nullptr);
    EXPECT_EQ(scene_->OpenBoard(), nullptr);
    engine_->Settle();
    EXPECT_EQ(scene_->FindById(rowId), nullptr) << "a result row outlived its board";
    // The next deal closes a board left open, and forgets the hand's records.
    scene_->OnNotifyGameResult(result.data(), result.size());
    Deal();
    EXPECT_EQ(scene_->OpenBoard(), nullptr);
    EXPECT_TRUE(scene_->HandRecords().wins.empty());
}

TEST_F(BoardsTest, TheSettingsBoardWritesItsChecksToTheIniAtOnce)
{
    // A step's board open stays open.
    Step(CGameNotifyEx::kMissingSuitBegin, {15, 1}, 8);
    Send(CMyGame::kEvSettings);
    EXPECT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardMissing);
    Send(CMyGame::kEvBoardOk, CMyGame::kBoardMissing);

    Send(CMyGame::kEvSettings);
    ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardSettings);
    // Silence off, asks allowed, music on.
    EXPECT_EQ(scene_->BoardCheckStates(), (std::vector<int>{0, 0, 1}));
    // Independent checks: switching two leaves the third alone.
    ClickObject(scene_->BoardChecks()[0]);
    ClickObject(scene_->BoardChecks()[2]);
    ClickObject(scene_->BoardChecks()[1]);
    EXPECT_EQ(scene_->BoardCheckStates(), (std::vector<int>{1, 1, 0}));
    if (std::getenv("XL_SCREENSHOTS"))
        mahjongtest::SaveScreenshot(*engine_, kSurface.width, kSurface.height, "board_settings");
    ASSERT_NE(scene_->FirstBoardButton(), nullptr);
    ClickObject(scene_->FirstBoardButton()->GetId());
    EXPECT_EQ(scene_->OpenBoard(), nullptr);
    platform::IniFile ini(app_->GetGameIniPath());
    EXPECT_EQ(ini.GetInt("GAMESET", "KeepSilence", -1), 1);
    EXPECT_EQ(ini.GetInt("GAMESET", "RejectKanPaiAsk", -1), 1);
    EXPECT_EQ(ini.GetInt("GAMESET", "MusicOn", -1), 0);
    EXPECT_EQ(app_->IsKeepSilence(), 1);
}

// A closed board leaves nothing drawn, and the board opened again is drawn as the first one was;
// the exchange and the missing suit coming back to back while the deal is laid out leave
// nothing either.
TEST_F(BoardsTest, AClosedBoardLeavesNothingDrawnAndTheNextLooksAsANewOne)
{
    Send(CMyGame::kEvSettings);
    const std::set<uint32_t> settings = OpenBoardTree();
    const std::vector<std::string> shown = Drawn(settings);
    ASSERT_GE(shown.size(), 6u) << "frame, title, text, checks, OK";
    // Gone from the next frame on, not once the objects are deleted.
    engine_->Owner().SendEvent(EventRecord{scene_->GetId(), CMyGame::kEvBoardOk, CMyGame::kBoardSettings, 0});
    EXPECT_EQ(Drawn(settings), std::vector<std::string>{});
    engine_->Settle();
    for (uint32_t id : settings)
        EXPECT_EQ(scene_->FindById(id), nullptr) << "a closed board's object is kept";
    Send(CMyGame::kEvSettings);
    EXPECT_EQ(Drawn(OpenBoardTree()), shown);

    std::set<uint32_t> boards;
    Deal(100);
    Step(CGameNotifyEx::kExchangeBegin, {20}, 8);
    engine_->Run(1500);
    ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardExchange);
    boards.merge(OpenBoardTree());
    Step(CGameNotifyEx::kExchangeDone, {1, 1, T(1, 5), T(1, 7), T(1, 9), T(0, 6), T(0, 7), T(0, 8)}, 36);
    Step(CGameNotifyEx::kMissingSuitBegin, {15, 1}, 8);
    ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardMissing);
    boards.merge(OpenBoardTree());
    engine_->Run(3000);
    Send(CMyGame::kEvBoardOk, CMyGame::kBoardMissing);
    Step(CGameNotifyEx::kMissingSuits, {1, 0, 0, 0}, 16);
    ASSERT_EQ(scene_->Phase(), CMyGame::kPhasePlay);
    EXPECT_EQ(Drawn(boards), std::vector<std::string>{});
}

// The start button goes once the own chair is ready, whoever made it so: at the deal at the
// latest (the set-up dealt with the button up and no ready notice), and at the server's ready
// notice for the own chair; it does not come back while the hand is played.
TEST_F(BoardsTest, TheStartButtonGoesOnceTheOwnChairIsReadyByAnyPath)
{
    CXyStandButton* start = scene_->buttons[CMyGame::kBtnStart];
    const std::set<uint32_t> button = {start->GetId(), start->GetBody()->GetId()};
    EXPECT_EQ(Drawn(button), std::vector<std::string>{}) << "the start button stands over the dealt hand";

    // The hand ends by its result or a reset; the table then shows the button again.
    for (bool result : {true, false}) {
        SCOPED_TRACE(result);
        Deal();
        Step(CGameNotifyEx::kMissingSuits, {2, 0, 0, 0}, 16);
        scene_->OnGameReady(); // as an entry again in the middle of the hand does
        engine_->Settle();
        EXPECT_EQ(Drawn(button), std::vector<std::string>{}) << "the start button came back during the hand";
        const std::vector<uint8_t> none(GameRecord::kResultSize, 0);
        result ? scene_->OnNotifyGameResult(none.data(), none.size()) : scene_->OnResetGame();
        scene_->OnGameReady();
        engine_->Settle();
        ASSERT_FALSE(Drawn(button).empty());
        scene_->OnNotifyPlayerStarted(0); // the server's ready notice for the own chair
        engine_->Settle();
        EXPECT_EQ(Drawn(button), std::vector<std::string>{});
    }
}

// "取消", and Escape (at once, or after a box was clicked) close the settings with nothing
// applied.
TEST_F(BoardsTest, TheSettingsBoardClosesWithNothingAppliedOnCancelOrEscape)
{
    enum Way { kCancel, kEscape, kClickThenEscape };
    for (Way way : {kCancel, kEscape, kClickThenEscape}) {
        SCOPED_TRACE(way);
        Send(CMyGame::kEvSettings);
        ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardSettings);
        auto* cancel = dynamic_cast<CXyStandButton*>(scene_->BoardObjects().at(1));
        ASSERT_NE(cancel, nullptr) << "no 取消";
        if (way != kEscape)
            ClickObject(scene_->BoardChecks()[0]);
        // Another key, or a close meant for another board, leaves it.
        engine_->Key(platform::vk::kReturn);
        Send(CMyGame::kEvBoardClose, CMyGame::kBoardQr);
        ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardSettings);
        if (way == kCancel)
            ClickObject(cancel->GetId());
        else
            engine_->Key(platform::vk::kEscape);
        engine_->Settle();
        EXPECT_EQ(scene_->OpenBoard(), nullptr);
        EXPECT_EQ(app_->IsKeepSilence(), 0);
        EXPECT_NE(platform::IniFile(app_->GetGameIniPath()).GetInt("GAMESET", "KeepSilence", -1), 1);
    }
}

// Typing goes on in the input line after every board, however it closes (clicks, Escape, the time
// run out) and after a click on the felt: a line typed with Enter reaches the connection.
TEST_F(BoardsTest, TypingGoesOnInTheInputLineAfterEveryBoardHoweverItCloses)
{
    widgettest::FakeAppServices services; // the chat's way to the server
    CXyInputBox& line = *SidePanel().GetInputBar()->GetInput();
    CXyStandButton* title = framework::NewFaceButton(*scene_, "btnSet2", {scene_->GetId(), CMyGame::kEvSettings, 0, 0},
                                                     0, framework::ButtonSounds::None);
    ASSERT_NE(title, nullptr);
    title->MoveTo(kSurface.width - 120, 12);
    title->Activate();
    title->Redraw(); // a button not redrawn is not found under the pointer
    // It is the frame's 设置, which shows disabled over another board and enabled once it closes.
    struct TitleFrame : CXyGameFrame {
        explicit TitleFrame(CXyStandButton* settings) { settingsButton_ = settings; }
    } frame(title);
    struct : IGameWinApp {
        Lumora::CGameBase* frame = nullptr;
        Lumora::CGameBase* GetGameFrame() override { return frame; }
    } frameApp;
    frameApp.frame = &frame;
    SetGameWinApp(&frameApp);
    const std::shared_ptr<void> uninstall(nullptr, [](void*) { SetGameWinApp(nullptr); });
    enum Board { kFelt, kSettings, kExchangeThenMissing, kResult };
    enum Way { kOk, kCancel, kEscape, kTimeOut };
    const std::pair<Board, Way> cases[] = {{kFelt, kOk},
                                           {kSettings, kOk},
                                           {kSettings, kCancel},
                                           {kSettings, kEscape},
                                           {kExchangeThenMissing, kOk},
                                           {kExchangeThenMissing, kTimeOut},
                                           {kResult, kOk}};
    auto click = [&](const PObject& o) { engine_->Click(int(o.GetX()), int(o.GetY())); };
    auto button = [&](size_t i) { return dynamic_cast<CXyStandButton*>(scene_->BoardObjects().at(i))->GetFace(); };
    for (const auto& [board, way] : cases) {
        SCOPED_TRACE(testing::Message() << "board " << board << ", way " << way);
        Deal();
        click(line);
        ASSERT_EQ(engine_->Input().Focused(), line.GetId()) << "a click into the line gives it the keys";
        if (board == kFelt) {
            const Rect table = scene_->GetTableRect();
            engine_->Click((table.left + table.right) / 2, (table.top + table.bottom) / 2);
        } else if (board == kSettings) {
            click(*title->GetFace());
            ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardSettings);
            way == kEscape ? engine_->Key(platform::vk::kEscape) : click(*button(way == kOk ? 0 : 1));
        } else if (board == kExchangeThenMissing) {
            Step(CGameNotifyEx::kExchangeBegin, {20}, 8);
            engine_->Run(500);
            ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardExchange);
            EXPECT_FALSE(title->IsEnabled());
            for (int twice = 0; twice < 2; ++twice) // dropped and picked again
                click(*OwnTile(scene_->ExchangeChoice().back())->GetBodyPicture());
            click(*button(0));
            Step(CGameNotifyEx::kMissingSuitBegin, {5, 1}, 8);
            ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardMissing);
            click(*scene_->FindById(scene_->BoardChecks()[2]));
            way == kTimeOut ? engine_->Run(6000) : click(*button(0));
            ASSERT_NE(scene_->connect.Last(229350), nullptr);
        } else {
            CXyResultListXueliu* list = OpenResult(8);
            click(*list->GetChairRow(2)->GetFace());
            ASSERT_EQ(list->GetSelected(), list->GetChairRow(2));
            click(*button(0));
        }
        EXPECT_EQ(scene_->OpenBoard(), nullptr);
        EXPECT_TRUE(title->IsEnabled()) << "设置 once the board closed";
        services.connect.chats.clear();
        engine_->Type("hello");
        engine_->Key(platform::vk::kReturn);
        EXPECT_EQ(services.connect.chats, std::vector<std::string>{"hello"});
    }
}

TEST_F(BoardsTest, TheQrPictureLiesInsideItsBoardAboveTheCloseButton)
{
    std::vector<uint8_t> record(32 + 512, 0);
    const std::string text = "https://example.invalid/pay?order=42";
    std::copy(text.begin(), text.end(), record.begin() + 32);
    scene_->OnQRCodeNotify(record.data());
    engine_->Settle();
    ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardQr);
    PObject* picture = engine_->Objects().FindByName("QRCode_Image");
    ASSERT_NE(picture, nullptr);
    const PObject* board = scene_->OpenBoard();
    EXPECT_GE(picture->GetLeft(), board->GetLeft());
    EXPECT_LE(picture->GetRight(), board->GetRight());
    EXPECT_GE(picture->GetTop(), board->GetTop());
    EXPECT_LT(picture->GetBottom(), scene_->FirstBoardButton()->GetTop());

    // The table narrows (the side panel opens): the board and what it holds go where the layout
    // puts a board of its size, inside the table.
    const double pictureLeft = picture->GetLeft() - board->GetLeft();
    const double buttonLeft = scene_->FirstBoardButton()->GetLeft() - board->GetLeft();
    Rect table = scene_->GetTableRect();
    table.right -= 200;
    table.top += 40;
    scene_->SetBounds(table);
    const TablePoint at = scene_->BoardPlace(int(board->GetWidth()), int(board->GetHeight()));
    EXPECT_EQ(std::pair(board->GetX(), board->GetY()), std::pair(double(at.x), double(at.y)));
    EXPECT_TRUE(board->GetLeft() >= table.left && board->GetRight() <= table.right && board->GetTop() >= table.top &&
                board->GetBottom() <= table.bottom);
    EXPECT_DOUBLE_EQ(picture->GetLeft() - board->GetLeft(), pictureLeft);
    EXPECT_DOUBLE_EQ(scene_->FirstBoardButton()->GetLeft() - board->GetLeft(), buttonLeft);
}

} // namespace

namespace {

// The rows without a table: the room picks silver or score, a client that saw no win record
// falls back to the result's best win, records too short or naming no chair add nothing.
TEST(ResultRows, SilverOrScoreLateClientsAndBadRecords)
{
    std::vector<uint8_t> result(GameRecord::kResultSize, 0);
    RecordWriter w({result.data(), result.size()});
    const size_t block = 4 + 2 * GameRecord::kResultChairBlock; // chair 2
    w.I32(block + 4, 12);                                      // silver
    w.I32(block + 8, 3);                                       // score
    w.I32(block + 12, 1);
    w.I32(block + 24 + 4 * 4, 1); // 清一色 as its best win
    auto name = [](int chair) { return "c" + std::to_string(chair); };

    xueliu::HandRecords hand;
    hand.wins.push_back(std::vector<uint8_t>(100, 0));        // short: skipped
    std::vector<uint8_t> change(48, 0);
    RecordWriter c({change.data(), change.size()});
    c.I32(0, 6), c.I32(4, 9), c.I32(8 + 2 * 4, 4);            // names chair 9: skipped
    hand.changes.push_back(change);
    c.I32(4, 2), c.I32(24 + 2 * 4, 1);                         // 下雨 of chair 2
    hand.changes.push_back(change);

    struct Case {
        bool silver;
        std::string caption;
        std::vector<Lumora::Markup> details;
    } cases[] = {
        {true, "c2  +12  胡1次", {"胡：清一色2番 ", "下雨（" + UnbrokenMarkup("c2") + "）  +4"}},
        {false, "c2  +3  胡1次", {"胡：清一色2番 ", "下雨（" + UnbrokenMarkup("c2") + "）  +1"}},
    };
    for (const Case& k : cases) {
        const auto rows = xueliu::BuildResultRows(result.data(), result.size(), hand, k.silver, name);
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(rows[2].caption, k.caption);
        EXPECT_EQ(rows[2].details, k.details);
        EXPECT_TRUE(rows[1].details.empty());
    }
    EXPECT_TRUE(xueliu::BuildResultRows(result.data(), result.size() - 1, hand, true, name).empty());
}

} // namespace

// After an own win the hand is locked to the tile it draws, found by its id: the drawn slot does
// not always hold it (a claim's meld moves the top tile there), and a hand that could throw only
// from that slot stayed stuck until the server timed it out.
// The tile drawn comes as the server's record or as the reply to the own draw.
TEST_F(BoardsTest, ALockedHandThrowsTheTileItDrewWhereverTheHandKeepsIt)
{
    for (const bool byReply : {false, true}) {
        Deal();
        Step(CGameNotifyEx::kMissingSuits, {2, 0, 0, 0}, 16);
        ASSERT_EQ(scene_->Phase(), CMyGame::kPhasePlay);
        ASSERT_TRUE(scene_->playBlock[CMyGame::kMustThrow]) << "the banker's turn begins with the suits";
        // A self-drawn win on 筒6 locks the hand.
        std::vector<int32_t> win(34, 0);
        win[2] = T(2, 6);
        win[3] = 2; // self-drawn
        win[31] = 1; // the winner's win count
        Step(CGameNotifyEx::kPlayerWins, win, 136);
        ASSERT_TRUE(scene_->HandLocked());
        const int32_t draw[4] = {0, T(1, 8), 60, 0};
        std::memcpy(scene_->connect.draw, draw, sizeof draw);
        if (byReply) {
            ASSERT_TRUE(scene_->SendCatchCard());
            EXPECT_FALSE(Notify(229160, Record({0, T(1, 8), 60, 0}, 16))) << "the server's record of it";
        } else
            scene_->OnNotifyCardCaught(reinterpret_cast<const uint8_t*>(draw), sizeof draw);
        engine_->Settle();
        // The drawn tile kept away from the drawn slot, a concealed one in it.
        auto& hand = scene_->hands[kOwnSeat];
        ASSERT_TRUE(hand[kDrawnSlot] && hand[kDrawnSlot]->tile == T(1, 8));
        std::swap(hand[kDrawnSlot], hand[3]);
        hand[kDrawnSlot]->index = kDrawnSlot;
        hand[3]->index = 3;
        scene_->connect.sent.clear();
        EXPECT_FALSE(scene_->SendThrowCard(kDrawnSlot)) << "a tile the hand did not draw stays";
        EXPECT_EQ(scene_->connect.Last(222080), nullptr);
        EXPECT_EQ(scene_->AutoPlayThrowSlot(), 3) << "auto-play throws it too";
        EXPECT_TRUE(scene_->SendThrowCard(3)) << byReply;
        ASSERT_NE(scene_->connect.Last(222080), nullptr);
        EXPECT_EQ(scene_->connect.Last(222080)->Word(scene_->connect.Last(222080)->bytes.size() - 4), T(1, 8));
    }
}

// A draw the full own hand has no room for is a tile lost: the server's record of it is refused
// (reported with 201162), the reply's is reported so.
TEST_F(BoardsTest, ADrawTheFullOwnHandHasNoRoomForIsReported)
{
    Step(CGameNotifyEx::kMissingSuits, {2, 0, 0, 0}, 16);
    const auto hands = scene_->hands;
    EXPECT_TRUE(Notify(229160, Record({0, T(1, 8), 60, 0}, 16)));
    EXPECT_EQ(scene_->hands, hands);
    EXPECT_FALSE(Notify(229160, Record({1, 200, 60, 0}, 16))) << "another chair's draw is taken";
    scene_->connect.draw[1] = T(1, 8), scene_->connect.draw[2] = 61;
    scene_->connect.sent.clear();
    ASSERT_TRUE(scene_->SendCatchCard());
    ASSERT_NE(scene_->connect.Last(201162), nullptr);
    EXPECT_EQ(scene_->connect.Last(201162)->Word(20), 229160);
}

// The banker's dealt hand may already win: no draw brings the flag of that turn, so without the
// calculator's verdict the hu was never offered. Once the win is taken nothing of that turn is
// left to send: auto-play sent the hu again and the server refused it.
TEST_F(BoardsTest, ABankerWhoseDealWinsIsOfferedHuOnceOnItsFirstTurn)
{
    Step(CGameNotifyEx::kMissingSuits, {2, 0, 0, 0}, 16);
    EXPECT_FALSE(scene_->options[kOptHu].enabled) << "the usual deal does not win";

    // 万 1-9, 条 1 1 1 and 5 5, the 筒 missing.
    Deal(4000, {T(0, 1), T(0, 2), T(0, 3), T(0, 4), T(0, 5), T(0, 6), T(0, 7), T(0, 8), T(0, 9), T(1, 1, 0),
                T(1, 1, 1), T(1, 1, 2), T(1, 5, 0), T(1, 5, 1)});
    Step(CGameNotifyEx::kMissingSuits, {2, 0, 0, 0}, 16);
    ASSERT_TRUE(scene_->options[kOptHu].enabled);
    Send(EV_BTN_HU);
    const SentRequest* hu = scene_->connect.Last(229080);
    ASSERT_NE(hu, nullptr);
    EXPECT_EQ(hu->Word(16), 0);
    EXPECT_EQ(hu->Word(24), 2) << "self-drawn";
    ASSERT_NE(OwnTile(hu->Word(20)), nullptr);

    std::vector<int32_t> win(34, 0);
    win[2] = hu->Word(20);
    win[3] = 2;
    win[31] = 1;
    Step(CGameNotifyEx::kPlayerWins, win, 136);
    EXPECT_FALSE(scene_->options[kOptHu].enabled);
    scene_->connect.sent.clear();
    scene_->autoPlay = 1;
    scene_->AutoPlayStep();
    EXPECT_EQ(scene_->connect.Last(229080), nullptr);
}

// Two chairs robbing one added gang win on its one tile: the ganger's hidden hand gives up one
// tile, not one per robber.
TEST_F(BoardsTest, TwoRobbersOfOneGangTakeOneTileFromTheGanger)
{
    Step(CGameNotifyEx::kMissingSuits, {2, 0, 0, 0}, 16);
    const int ganger = 1, seat = scene_->ChairToSeat(ganger);
    auto held = [&] {
        int n = 0;
        for (const CMJCard2* t : scene_->hands[size_t(seat)])
            n += t && t->placed && t->inHand && t->meldKind == kMeldNone;
        return n;
    };
    const int before = held();
    ASSERT_GT(before, 0);
    for (int robber : {2, 3}) {
        std::vector<int32_t> win = {robber, ganger, T(0, 9, 3), 4}; // robbed
        win.resize(34);
        win[31] = 1;
        Step(CGameNotifyEx::kPlayerWins, win, 136);
    }
    EXPECT_EQ(scene_->WinCount(2), 1);
    EXPECT_EQ(scene_->WinCount(3), 1);
    EXPECT_EQ(held(), before - 1);
}

// A hostile server's records out of the deal's course, each well-formed: refused by the
// dispatcher (the frame window then reports them with 201162), the table unchanged; a tile id of
// the generic set beyond this game's 108 is dropped by its handler.
TEST_F(BoardsTest, RecordsOutOfTheDealsCourseChangeNothing)
{
    auto send = [&](uint32_t id, std::vector<int32_t> words, size_t size) { return Notify(id, Record(words, size)); };
    // No result before play; the exchange begins once.
    EXPECT_TRUE(send(CGameNotifyEx::kGameResult, {}, GameRecord::kResultSize));
    EXPECT_EQ(scene_->OpenBoardKind(), 0);
    ASSERT_FALSE(send(CGameNotifyEx::kExchangeBegin, {20, 0}, 8));
    EXPECT_TRUE(send(CGameNotifyEx::kExchangeBegin, {20, 0}, 8));
    EXPECT_TRUE(Notify(CGameNotifyEx::kGameStart, DealRecord())) << "a deal during the exchange";
    ASSERT_FALSE(send(CGameNotifyEx::kMissingSuits, {2, 0, 0, 0}, 16));
    ASSERT_EQ(scene_->Phase(), CMyGame::kPhasePlay);

    std::vector<int32_t> win(34, 0), thrown108(22, 0);
    win[2] = T(2, 6), win[3] = 2, win[31] = xueliu::kMaxWins + 1;
    thrown108[1] = 1, thrown108[21] = xueliu::kTiles;
    std::vector<uint8_t> result = ResultRecord();
    const struct {
        uint32_t id;
        std::vector<uint8_t> record;
        bool refused;
    } cases[] = {
        {CGameNotifyEx::kExchangeBegin, Record({20, 0}, 8), true},
        {CGameNotifyEx::kExchangeDone,
         Record({1, 0, T(0, 1), T(0, 2), T(0, 3), T(1, 1, 1), T(1, 2, 1), T(1, 3, 1), 1}, 48), true},
        {CGameNotifyEx::kMissingSuitBegin, Record({15, 1}, 8), true},
        {CGameNotifyEx::kMissingSuits, Record({1, 1, 1, 1}, 16), true},
        {229165, Record({200}, 4), true}, // another chair's time-out
        {CGameNotifyEx::kCardThrown, Record(thrown108, 88), true},
        {CGameNotifyEx::kGameStart, DealRecord(), true}, // a second deal
        {201160, Record({0, 0, 0, 1}, 16), true}, // ready in play
        {CGameNotifyEx::kPlayerWins, Record(win, 136), true},
        {CGameNotifyEx::kGameResult, ResultRecord({{GameRecord::kResultHandsOffset, xueliu::kTiles}}), true},
    };
    const auto hands = scene_->hands;
    const auto discards = scene_->discards;
    const auto thrown = scene_->thrown;
    scene_->connect.sent.clear();
    for (const auto& c : cases) {
        EXPECT_EQ(Notify(c.id, c.record), c.refused) << c.id;
        EXPECT_EQ(scene_->WinCount(0), 0) << c.id;
        EXPECT_EQ(static_cast<CGameInfoEx*>(app_->GetMahjongGameInfo())->GetChairStatus(1), 0u) << c.id;
        EXPECT_EQ(scene_->hands, hands) << c.id;
        EXPECT_EQ(scene_->discards, discards) << c.id;
        EXPECT_EQ(scene_->thrown, thrown) << c.id;
        EXPECT_EQ(scene_->Phase(), CMyGame::kPhasePlay) << c.id;
        EXPECT_EQ(scene_->MissingSuit(0), 2) << c.id;
        EXPECT_EQ(scene_->OpenBoardKind(), 0) << c.id;
        EXPECT_TRUE(scene_->connect.sent.empty()) << c.id << " sent " << scene_->connect.sent.front().id;
    }
    // The own chair's time-out runs its auto-play: the banker throws. A server may end the hand
    // with a sound result, once.
    EXPECT_FALSE(send(229165, {0}, 4));
    EXPECT_NE(scene_->connect.Last(222080), nullptr);
    EXPECT_FALSE(Notify(CGameNotifyEx::kGameResult, result));
    EXPECT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardResult);
    EXPECT_TRUE(Notify(CGameNotifyEx::kGameResult, result));
    // The ended hand's play is refused until the next deal: nothing goes on under the board.
    const auto table = [&] { return std::tuple(scene_->hands, scene_->discards, scene_->thrown); };
    const auto ended = table();
    std::vector<int32_t> throw1(22, 0);
    throw1[1] = 1, throw1[21] = T(1, 1);
    EXPECT_TRUE(Notify(CGameNotifyEx::kCardThrown, Record(throw1, 88)));
    EXPECT_TRUE(send(CGameNotifyEx::kCardCaught, {1, 200, 60}, 16));
    EXPECT_TRUE(send(CGameNotifyEx::kScoreChange, {4, 3, 0, 0, -2, 2}, 48));
    for (uint32_t id : std::initializer_list<uint32_t>{
             CGameNotifyEx::kClockOut, CGameNotifyEx::kPengAnnounced, CGameNotifyEx::kChiAnnounced,
             CGameNotifyEx::kGangAnnounced, CGameNotifyEx::kPengCards, CGameNotifyEx::kChiCards,
             CGameNotifyEx::kMingGangCards, CGameNotifyEx::kAnGangCards, CGameNotifyEx::kBuGangCards,
             CGameNotifyEx::kFlower, CGameNotifyEx::kPlayerWins})
        EXPECT_TRUE(send(id, {0}, 136)) << id; // the own chair's, whatever the rest holds
    EXPECT_TRUE(table() == ended);
    EXPECT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardResult);
    // The next deal in its place, but with a tile this game lacks.
    std::vector<uint8_t> deal = DealRecord();
    const int32_t beyond = xueliu::kTiles;
    std::memcpy(deal.data() + GameRecord::kTileListsOffset, &beyond, sizeof beyond);
    EXPECT_TRUE(Notify(CGameNotifyEx::kGameStart, deal));
    EXPECT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardResult);
    // A table reset (a lost connection) ends a hand: the next deal is taken.
    Deal();
    scene_->OnResetGame();
    EXPECT_FALSE(Notify(CGameNotifyEx::kGameStart, DealRecord()));
}

// Chairs and settlement reasons outside the table are dropped before they index anything.
TEST_F(BoardsTest, ChoicesOfChairsAndScoreReasonsOutsideTheTableAreDropped)
{
    Step(CGameNotifyEx::kMissingSuits, {2, 0, 0, 0}, 16);
    for (int chair : {4, 100, 255})
        Step(CGameNotifyEx::kExchangeChosen, {0, 0, 0, chair, 1}, 20);
    for (int chair = 0; chair < 4; ++chair)
        EXPECT_FALSE(scene_->ChairChose(chair, 1) || scene_->ChairChose(chair, 2)) << chair;
    Step(CGameNotifyEx::kExchangeChosen, {0, 0, 0, 3, 1}, 20);
    EXPECT_TRUE(scene_->ChairChose(3, 1));

    const size_t lines = scene_->GameLines().size();
    for (int reason : {3, 10})
        Step(CGameNotifyEx::kScoreChange, {reason, 1, -100, 100, 0, 0}, 48);
    EXPECT_EQ(scene_->GameLines().size(), lines);
    EXPECT_EQ(scene_->Amount(0), 0);
    EXPECT_EQ(scene_->Amount(1), 0);
    Step(CGameNotifyEx::kScoreChange, {4, 1, -100, 100, 0, 0}, 48);
    EXPECT_EQ(scene_->Amount(1), 100);
}

// The last tile thrown by the chair before the own one, which nobody may claim, sets the clock
// to 1; the result comes before it runs out, and its time-out must not ask for a draw.
TEST_F(BoardsTest, NoRequestFollowsTheResultWhenTheLastThrowLeftTheClockRunning)
{
    constexpr size_t kSkipRuleWord = 27;
    Deal(4000, {}, 0, {{kSkipRuleWord, 1}});
    Step(CGameNotifyEx::kMissingSuits, {2, 0, 0, 0}, 16);
    ASSERT_TRUE(scene_->SendThrowCard(kDrawnSlot));
    // The left seat throws next before the own turn; every claim word 0.
    std::vector<int32_t> thrown(22, 0);
    thrown[1] = scene_->SeatToChair(0);
    thrown[21] = T(2, 9);
    std::vector<uint8_t> record(88);
    std::memcpy(record.data(), thrown.data(), record.size());
    scene_->OnNotifyCardThrown(record.data(), record.size());
    ASSERT_EQ(scene_->GetClockValue(), 1);

    std::vector<uint8_t> result(GameRecord::kResultSize, 0);
    RecordWriter w({result.data(), result.size()});
    for (size_t chair = 0; chair < 4; ++chair) {
        w.I32(4 + chair * GameRecord::kResultChairBlock, int32_t(chair));
        w.I32(GameRecord::kResultHandsOffset + chair * 4 * 32, -1);
    }
    app_->GetMahjongGameInfo()->StoreGameResult(result.data(), result.size());
    scene_->connect.sent.clear();
    scene_->OnNotifyGameResult(result.data(), result.size());
    engine_->Run(3000);
    EXPECT_EQ(scene_->connect.Last(RequestId::CatchCard), nullptr);
    EXPECT_TRUE(scene_->connect.sent.empty());
    // The next hand's clock, run out, acts again, and auto-play with it: the banker throws.
    Deal();
    Step(CGameNotifyEx::kMissingSuits, {2, 0, 0, 0}, 16);
    scene_->autoPlay = 1;
    engine_->Run(20000);
    EXPECT_NE(scene_->connect.Last(RequestId::ThrowCards), nullptr);
}

// A seat panel shows a new name or amount at once, and a closed board's buttons go at once.
TEST_F(BoardsTest, APanelsNewNameOrAmountAndAClosedBoardsButtonsShowAtOnce)
{
    GameUserRecord& user = app_->MutableHallData().players[1];
    user.SetUserId(1002);
    user.SetChair(1);
    user.SetName("甲");
    const PlaneObject& panel = *scene_->players[size_t(scene_->ChairToSeat(1))]->GetPlane();
    auto shown = [&] {
        std::vector<uint32_t> pixels;
        const auto frame = engine_->Paint().PresentBuffer();
        for (int y = int(panel.GetTop()); y < int(panel.GetTop() + panel.GetHeight()); ++y)
            for (int x = int(panel.GetLeft()); x < int(panel.GetLeft() + panel.GetWidth()); ++x)
                pixels.push_back(frame[size_t(y) * kSurface.width + size_t(x)]);
        return pixels;
    };
    // Of other lengths: the test font may draw every glyph alike.
    const std::function<void()> changes[] = {[&] { user.SetName("乙乙乙"); }, [&] { user.SetSilver(20000); }};
    for (const auto& change : changes) {
        Send(EV_TABLE_REFRESHED);
        ASSERT_TRUE(PaintedAsAWhole());
        const std::vector<uint32_t> before = shown();
        change();
        Send(EV_TABLE_REFRESHED);
        EXPECT_NE(shown(), before);
        EXPECT_TRUE(PaintedAsAWhole());
    }
    Send(CMyGame::kEvSettings);
    ASSERT_EQ(scene_->OpenBoardKind(), CMyGame::kBoardSettings);
    ASSERT_TRUE(PaintedAsAWhole());
    // The frame right after the close.
    const uint32_t button = scene_->FirstBoardButton()->GetId();
    engine_->Owner().SendEvent(EventRecord{scene_->GetId(), CMyGame::kEvBoardOk, CMyGame::kBoardSettings, 0});
    engine_->Tick();
    EXPECT_TRUE(PaintedAsAWhole(false));
    const PObject* left = scene_->FindById(button);
    EXPECT_TRUE(!left || !left->IsActive());
}

// The result's silver and score go each to its own place in the players' records, and the round's
// scores keep the one the room plays for.
TEST_F(BoardsTest, TheRoundScoresOfAResultKeepSilverAndScoreInTheirOwnPlaces)
{
    for (const int silverRoom : {0, 1}) {
        app_->MutableHallData().room.SetU32(hall::RoomRecord::kRoomType, uint32_t(silverRoom) << 2);
        for (int chair = 0; chair < 4; ++chair) {
            GameUserRecord& user = app_->MutableHallData().players[size_t(chair)];
            user.SetUserId(1001 + chair);
            user.SetSilver(1000);
            user.SetScore(50);
        }
        std::vector<std::pair<size_t, int32_t>> amounts;
        for (size_t chair = 0; chair < 4; ++chair) {
            amounts.push_back({4 + chair * GameRecord::kResultChairBlock + 4, int32_t(chair) + 10});
            amounts.push_back({4 + chair * GameRecord::kResultChairBlock + 8, -int32_t(chair) - 1});
        }
        app_->ApplyGameResult(ResultRecord(amounts));
        for (int chair = 0; chair < 4; ++chair) {
            const GameUserRecord& user = app_->MutableHallData().players[size_t(chair)];
            EXPECT_EQ(user.Silver(), 1010 + chair);
            EXPECT_EQ(user.Score(), 49 - chair);
            EXPECT_EQ(app_->GetMatchScore(chair, silverRoom), silverRoom ? 10 + chair : -1 - chair) << silverRoom;
        }
    }
}

// What of the list is drawn outside its rectangle: objects linked under the list or its rows
// (planes, scroll bar, faces, captions, details), as "id at left,top-right,bottom; ".
std::string DrawnOutside(mahjongtest::TileEngine& engine, CXyBlockList& list)
{
    const Rect area = ObjectModule::ScreenRect(list.GetBody()->Geometry());
    std::string outside;
    engine.Objects().ForEachDrawn([&](PObject& o) {
        bool ofList = false;
        for (PObject* p = &o; p && !ofList; p = p->GetParent())
            for (int i = -1; i < list.GetBlockCount(); ++i)
                ofList = ofList || p == (i < 0 ? static_cast<PObject*>(&list) : list.GetBlock(i));
        const Rect r = ObjectModule::ScreenRect(o.Geometry());
        if (ofList && (r.left < area.left || r.top < area.top || r.right > area.right || r.bottom > area.bottom))
            outside += std::to_string(o.GetId()) + " at " + std::to_string(r.left) + "," + std::to_string(r.top) + "-" +
                std::to_string(r.right) + "," + std::to_string(r.bottom) + "; ";
    });
    return outside;
}

// Eight settlement lines unfold under their row inside the list, which scrolls to show them and
// with the wheel; the detail names its chair, and a press on it or on the row, or Escape, folds it.
TEST_F(BoardsTest, ALongDetailStaysInTheListNamesItsChairAndFoldsOnAPressOrEscape)
{
    CXyResultListXueliu* list = OpenResult(8);
    ASSERT_NE(list, nullptr);
    CXyResultBlockXueLiu* row = list->GetChairRow(2);
    ASSERT_EQ(row->DetailLines().size(), 8u);
    // After each step the picture equals the view composed anew.
    testsupport::ScreenCheck screen("result-rows", std::string(XL_BINARY_DIR) + "/artifacts");
    const auto look = [&] {
        screen.Check(engine_->Objects(), engine_->Paint(), engine_->Paint().PresentBuffer().data());
    };
    const auto press = [&](const PObject& o) {
        engine_->Click(int(o.GetX()), int(o.GetY()));
        look();
    };

    press(*row->GetFace());
    ASSERT_EQ(list->GetSelected(), row);
    CXyChatBox* detail = row->GetDetailBox();
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(detail->TextOf(detail->Content().First(), nullptr).rfind(scene_->ChairName(2) + "：", 0), 0u);
    // Row and detail lie in the list's view, the row's face whole, the detail cut to the view.
    const double top = list->GetTop();
    EXPECT_GE(row->GetFace()->GetTop(), top);
    EXPECT_LE(row->GetFace()->GetTop() + row->GetFace()->GetHeight(), detail->GetTop() + 1);
    EXPECT_EQ(DrawnOutside(*engine_, *list), "");
    EXPECT_LE(detail->GetWidth(), row->GetFace()->GetWidth());
    if (std::getenv("XL_SCREENSHOTS"))
        mahjongtest::SaveScreenshot(*engine_, kSurface.width, kSurface.height, "board_result_detail");

    // The wheel scrolls the list, the pressed row holding the focus.
    const int scrolled = list->Content().ScrollY();
    engine_->Wheel(120);
    look();
    EXPECT_LT(list->Content().ScrollY(), scrolled);
    engine_->Wheel(-120);
    look();
    EXPECT_GE(list->Content().ScrollY(), scrolled);
    press(*detail);
    EXPECT_EQ(list->GetSelected(), nullptr);
    EXPECT_FALSE(detail->IsActive());
    press(*row->GetFace());
    ASSERT_EQ(list->GetSelected(), row);
    press(*row->GetFace());
    EXPECT_EQ(list->GetSelected(), nullptr);
    press(*row->GetFace());
    engine_->Key(platform::vk::kEscape);
    look();
    EXPECT_EQ(list->GetSelected(), nullptr);
    EXPECT_FALSE(detail->IsActive());
    for (int i = 0; i < 4; ++i)
        EXPECT_GE(list->GetChairRow(i)->GetFace()->GetTop(), top) << i;
    // A few more, as a player reads every row.
    for (int i = 0; i < 4; ++i) {
        press(*list->GetChairRow(i)->GetFace());
        engine_->Wheel(120);
        look();
        engine_->Key(platform::vk::kEscape);
        look();
    }
    EXPECT_THAT(screen.Faults(), ::testing::IsEmpty());
}

// Names other players chose show as written in the heading and the lines of a row's detail.
TEST_F(BoardsTest, ARowsDetailShowsTheNamesAsWritten)
{
    for (std::string_view name : testsupport::kHostileNames) {
        for (GameUserRecord& user : app_->MutableHallData().players)
            user.SetUserId(1001), user.SetName(name);
        CXyResultBlockXueLiu* row = OpenResult(1)->GetChairRow(2);
        engine_->Click(int(row->GetFace()->GetX()), int(row->GetFace()->GetY()));
        ASSERT_NE(row->GetDetailBox(), nullptr);
        for (const char* after : {"：", "→", "  4"})
            EXPECT_TRUE(testsupport::ShowsName(row->GetDetailBox()->Content(), name, after));
    }
}

class ResultListTest : public BoardsTest, public ::testing::WithParamInterface<mahjongtest::Surface> {
protected:
    ResultListTest() : BoardsTest(GetParam()) {}
};

// Rows taller than the list unfold showing their top, the one above from the top of the list
// scrolled along the other: neither they nor the lines the wheel brings in reach past the list,
// over the board's title or its buttons.
TEST_P(ResultListTest, AnUnfoldedRowAndWhatTheWheelScrollsStayInsideTheList)
{
    CXyResultListXueliu* list = OpenResult(24);
    for (const int chair : {2, 1}) {
        const PObject& face = *list->GetChairRow(chair)->GetFace();
        for (int notch = 0; notch < 3; ++notch)
            engine_->Wheel(120);
        engine_->Click(int(face.GetX()), int(face.GetY()));
        ASSERT_GT(list->GetChairRow(chair)->GetHeightPixels(), list->GetViewHeight());
        EXPECT_NEAR(face.GetTop(), list->GetTop(), 1) << "row " << chair << " shows its top";
        EXPECT_EQ(DrawnOutside(*engine_, *list), "");
    }
    for (int wheel : {120, -120, -120, -120, -120}) {
        engine_->Wheel(wheel);
        EXPECT_EQ(DrawnOutside(*engine_, *list), "") << wheel << " at " << list->Content().ScrollY();
    }
}

// A detail taller than the list unfolds showing its top and is read two to four lines a notch down
// to its end and back; the thumb stands out of the track where the view stands.
TEST_P(ResultListTest, TheWheelReadsALongDetailThreeLinesANotchAndTheThumbShowsWhere)
{
    CXyResultListXueliu* list = OpenResult(16);
    CXyResultBlockXueLiu* row = list->GetChairRow(2);
    // Unfolded from another unfolded row, the list already scrolling, a notch or two down.
    const auto press = [&](int chair) {
        const PObject& face = *list->GetChairRow(chair)->GetFace();
        const auto shown = [&] {
            return face.IsActive() && face.GetTop() >= list->GetTop() &&
                face.GetTop() + face.GetHeight() <= list->GetTop() + list->GetViewHeight();
        };
        for (int notch = 0; notch < 10 && !shown(); ++notch) {
            engine_->Wheel(-120);
            engine_->Settle();
        }
        ASSERT_TRUE(shown()) << chair;
        engine_->Click(int(face.GetX()), int(face.GetY()));
        engine_->Settle();
    };
    press(1);
    press(2);
    ASSERT_EQ(list->GetSelected(), row);
    ASSERT_GT(row->GetHeightPixels(), list->GetViewHeight());
    EXPECT_GE(row->GetFace()->GetTop(), list->GetTop());
    const ChatLayout& content = list->Content();
    const int line = CXyResultBlockXueLiu::kDetailLineHeight, view = list->GetViewHeight();
    const int end = content.TopOffset() + content.ContentHeight() - view;
    const CXyScrollBar& bar = *list->GetVerticalScrollBar();
    const auto thumbShowsTheView = [&] {
        const Rect t = ObjectModule::ScreenRect(bar.GetThumb()->Geometry());
        const Rect k = ObjectModule::ScreenRect(bar.GetTrack()->Geometry());
        const double travel = (k.bottom - k.top) - (t.bottom - t.top);
        ASSERT_GT(travel, 0);
        EXPECT_NEAR((t.top - k.top) / travel, (content.ScrollY() - content.TopOffset()) / double(end), 2 / travel);
        const auto frame = engine_->Paint().PresentBuffer();
        const auto pixel = [&](int y) {
            return frame[size_t(y) * size_t(GetParam().width) + size_t(t.left + t.right) / 2];
        };
        const int trackY = t.top - k.top > k.bottom - t.bottom ? (k.top + t.top) / 2 : (t.bottom + k.bottom) / 2;
        const uint32_t a = pixel(t.top + 3), b = pixel(trackY);
        int distance = 0;
        for (int shift : {0, 8, 16})
            distance += std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
        EXPECT_GT(distance, 60) << "thumb at " << t.top << ", track at " << trackY;
    };
    thumbShowsTheView();
    for (const int notch : {-120, 120}) {
        std::vector<int> seen{content.ScrollY()};
        const int last = notch < 0 ? end : content.TopOffset();
        while (seen.back() != last && seen.size() < 40) {
            engine_->Wheel(notch);
            engine_->Settle();
            seen.push_back(content.ScrollY());
            const int step = std::abs(seen.back() - seen[seen.size() - 2]);
            EXPECT_TRUE(step <= 4 * line && (step >= 2 * line || seen.back() == last)) << step << " to " << seen.back();
            thumbShowsTheView();
        }
        EXPECT_EQ(seen.back(), last);
    }
}

INSTANTIATE_TEST_SUITE_P(TableSizes, ResultListTest,
                         ::testing::Values(mahjongtest::kSurfaces[0],
                                           mahjongtest::Surface{1280, 800, {4, 25, 990, 796}, kClass1024}),
                         [](const auto& size) { return "Width" + std::to_string(size.param.width); });

// The reader's rules of the screen check on this table, at the sizes that shrink it: a volume board
// opened over the result stands above it, the seat panels' texts are drawn at 1:1 with the
// auto-play mark clear of them, and a long name in the side panel's list stays in its column.
class ReaderRulesTest : public ResultListTest {
protected:
    std::vector<std::string> Faults(const std::string& rule)
    {
        engine_->Settle();
        screen_.Check(engine_->Objects(), engine_->Paint(), engine_->Paint().PresentBuffer().data());
        std::vector<std::string> found;
        std::copy_if(screen_.Faults().begin(), screen_.Faults().end(), std::back_inserter(found),
                     [&](const std::string& f) { return f.find(rule) != std::string::npos; });
        return found;
    }
    testsupport::ScreenCheck screen_{"reader", std::string(XL_BINARY_DIR) + "/artifacts"};
};

TEST_P(ReaderRulesTest, TheVolumeBoardOpensOverTheResultAndTheResultOverIt)
{
    PObject& volume = *scene_->volumeBoard;
    const auto toggle = [&](bool open) {
        if (volume.IsActive() != open)
            scene_->OnBtnVolume();
        return Faults("of a board opened before it");
    };
    // The hand over 确定 and 托管; a board opened over the exchange stays above as its seconds pass.
    Step(CGameNotifyEx::kExchangeBegin, {9}, 8);
    engine_->Run(500);
    for (const CXyStandButton* button : {scene_->buttons[CMyGame::kBtnAutoPlay], scene_->FirstBoardButton()}) {
        engine_->MoveMouse(int(button->GetX()), int(button->GetY()));
        EXPECT_EQ(engine_->Window().CurrentCursor().SystemId(), int(kHandCursorId));
    }
    toggle(true);
    engine_->Run(2000);
    EXPECT_GT(volume.GetZ(), scene_->OpenBoard()->GetZ());
    toggle(false);
    EXPECT_THAT(toggle(true), ::testing::IsEmpty());
    OpenResult(2);
    EXPECT_THAT(Faults("of a board opened before it"), ::testing::IsEmpty());
    toggle(false);
    EXPECT_THAT(toggle(true), ::testing::IsEmpty());
    // Above all else shown in its layer, where they meet or not: the result's list rows too.
    engine_->Objects().ForEachObject([&](PObject& o) {
        EXPECT_TRUE(!o.IsActive() || o.GetLayer() != volume.GetLayer() || volume.IsSelfOrDescendant(o.GetId()) ||
                    o.GetZ() < volume.GetZ()) << typeid(o).name();
    });
    OpenResult(3); // the next result, the volume board open above the last
    ASSERT_TRUE(volume.IsActive());
    EXPECT_THAT(Faults("of a board opened before it"), ::testing::IsEmpty());
    // What stands on it rose with it, its list too; a closed board no longer counts: no depth climbs.
    for (const PObject* part : scene_->BoardObjects())
        EXPECT_GT(part->GetZ(), volume.GetZ());
    const double depth = volume.GetZ();
    engine_->MoveMouse(1, 1); // off the boards: a result row under the pointer rises as it is hovered
    for (int i = 0; i < 2; ++i, toggle(true))
        toggle(false), OpenResult(2);
    EXPECT_EQ(volume.GetZ(), depth);
}

// A player's card open when the result comes: the result stands over it whole, its rows with it.
TEST_P(ReaderRulesTest, AResultOverAnOpenCardStandsOverItWithItsRows)
{
    PlaneObject& card = *scene_->NewPlane(360, 300, 0);
    card.SetTopMost(), card.AddFlags(OBJ_BOARD), card.DrawTextLine(10, 60, "玩家信息 玩家信息"); // under a row
    card.MoveTo(engine_->Paint().GetWidth() / 2.0, engine_->Paint().GetHeight() / 2.0), card.Activate(), card.Redraw();
    OpenResult(8);
    Faults(""), engine_->Run(1000); // judged once it stood a while
    EXPECT_THAT(Faults("stands over the text"), ::testing::IsEmpty());
}

TEST_P(ReaderRulesTest, TheSeatPanelsTextsAreDrawnWholeAtOneToOne)
{
    // With a character picture (any of our pictures stands for the hall's), as players have one.
    CMJPlayer2& own = *scene_->players[kOwnSeat];
    own.Refresh({"玩家一", 10000, true, "dice1_00", true});
    own.SetAutoPlay(1);
    EXPECT_THAT(Faults("drawn at"), ::testing::IsEmpty());
    EXPECT_THAT(Faults("drawn over part of the text"), ::testing::IsEmpty());
}

TEST_P(ReaderRulesTest, ALongNameInTheSidePanelsListStaysInItsColumn)
{
    GameUserRecord& user = app_->MutableHallData().players[1];
    user.SetUserId(1002);
    user.SetChair(1);
    user.SetName("西门吹雪大师兄二号");
    SidePanel();
    EXPECT_THAT(Faults("stands over"), ::testing::IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(TableSizes, ReaderRulesTest, ::testing::Values(mahjongtest::kSurfaces[0], mahjongtest::kSurfaces[1]),
                         [](const auto& size) { return "Width" + std::to_string(size.param.width); });

// The rows narrow for the scroll bar while the long row is unfolded and widen as it folds: through
// presses, wheel turns and Escape each caption is drawn anew at each width, never scaled.
TEST_F(BoardsTest, ResultCaptionsStayAsFreshlyDrawnThroughFoldsAndWheelTurns)
{
    CXyResultListXueliu* list = OpenResult(16);
    CXyResultBlockXueLiu* row = list->GetChairRow(2);
    const auto drawnFresh = [&](CXyListBlock& r) {
        PlaneObject& plane = *r.GetCaptionPlane();
        const size_t bytes = size_t(plane.GetSurfaceWidth()) * plane.GetSurfaceHeight() * 4;
        const std::vector<uint8_t> kept(plane.GetPixels(), plane.GetPixels() + bytes);
        EXPECT_TRUE(r.IsCaptionPlain());
        r.DrawCaption(r.GetCaption(), CXyResultListXueliu::kCaptionColour, 0);
        return plane.GetSurfaceWidth() == int(r.GetFace()->GetWidth()) &&
            std::count(kept.begin(), kept.end(), 0) < std::ssize(kept) &&
            std::equal(kept.begin(), kept.end(), plane.GetPixels());
    };
    const auto press = [&] { engine_->Click(int(row->GetFace()->GetX()), int(row->GetFace()->GetY())); };
    for (int cycle = 0; cycle < 4; ++cycle) {
        press();
        engine_->Wheel(-120);
        engine_->Wheel(120);
        for (int i = 0; i < 4 && cycle == 3; ++i)
            EXPECT_TRUE(drawnFresh(*list->GetChairRow(i))) << "unfolded, row " << i;
        if (cycle % 2)
            engine_->Key(platform::vk::kEscape);
        else
            press();
    }
    ASSERT_EQ(list->GetSelected(), nullptr);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(drawnFresh(*list->GetChairRow(i))) << "folded, row " << i;
}

TEST_F(BoardsTest, AResultRowShowsTheNameItsPlayerChoseAsWritten)
{
    testsupport::RecordingTexts recording;
    for (std::string_view name : testsupport::kHostileNames) {
        app_->MutableHallData().players[2].SetName(name);
        const CXyListBlock& row = *OpenResult(1)->GetChairRow(2); // its caption starts with the name
        EXPECT_EQ(testsupport::DrawnNameFault(row.GetCaptionPlane()->TextBoxes().back(), row.GetCaption(),
                                              row.GetCaptionSize(), CXyResultListXueliu::kCaptionColour), "");
    }
}

// The missing suit hangs under the seat's panel, moves with it (the window resized too) and hides
// with it.
TEST_F(BoardsTest, TheMissingSuitMarkGoesWithItsSeatsPanel)
{
    Step(CGameNotifyEx::kMissingSuits, {2, 0, 1, 0}, 16);
    for (const mahjongtest::Surface& size : {kSurface, mahjongtest::kSurfaces[0]}) {
        mahjongtest::FakeTileHost host;
        engine_->UseSurface(size, host);
        scene_->SetBounds(size.table);
        for (int seat = 0; seat < 4; ++seat) {
            const PlaneObject* mark = scene_->SeatMark(seat);
            PObject* panel = scene_->players[size_t(seat)]->GetBody();
            ASSERT_TRUE(mark && panel);
            EXPECT_TRUE(mark->IsActive()) << seat;
            EXPECT_EQ(int(mark->GetLeft()), int(panel->GetLeft())) << size.width << " seat " << seat;
            EXPECT_EQ(int(mark->GetTop()), int(panel->GetTop() + panel->GetHeight())) << size.width << " seat " << seat;
        }
    }
    PObject* panel = scene_->players[kOwnSeat]->GetBody();
    const double dx = 300 - panel->GetX(), dy = 200 - panel->GetY();
    const double markX = scene_->SeatMark(kOwnSeat)->GetX(), markY = scene_->SeatMark(kOwnSeat)->GetY();
    panel->MoveTo(300, 200);
    EXPECT_EQ(scene_->SeatMark(kOwnSeat)->GetX(), markX + dx);
    EXPECT_EQ(scene_->SeatMark(kOwnSeat)->GetY(), markY + dy);
    scene_->players[kOwnSeat]->Deactivate();
    EXPECT_FALSE(scene_->SeatMark(kOwnSeat)->IsActive());
}

// The first throw of a hand, banker or not, goes with a click on a hand tile through the input
// module: the hand's click codes follow the turn (they were fixed before the turn began, so the
// tile lifted on hover and the click did nothing until the server threw for the chair).
// The draw comes pushed, or as the reply to the own draw asked for when the clock ran out.
TEST_F(BoardsTest, TheFirstThrowOfAHandGoesWithAClickOnAHandTile)
{
    enum class Draw { Banker, Pushed, Replied };
    for (Draw way : {Draw::Banker, Draw::Pushed, Draw::Replied}) {
        SCOPED_TRACE(int(way));
        scene_->SetPlayModeIdle(); // as the last hand's result leaves it
        Deal(4000, {}, way == Draw::Banker ? 0 : 1, {{39, 8}}); // claim time 8 s
        Step(CGameNotifyEx::kMissingSuits, {2, 0, 0, 0}, 16);
        ASSERT_EQ(scene_->Phase(), CMyGame::kPhasePlay);
        const int32_t draw[4] = {0, T(1, 8), 53, 0};
        std::memcpy(scene_->connect.draw, draw, sizeof draw);
        if (way == Draw::Pushed)
            scene_->OnNotifyCardCaught(reinterpret_cast<const uint8_t*>(draw), sizeof draw);
        std::vector<int32_t> banker(22, 0); // the banker's throw nobody claims: the own draw is due
        banker[1] = 1, banker[21] = T(1, 1, 3);
        if (way == Draw::Replied) {
            ASSERT_FALSE(Notify(CMJGameNotify2::kCardThrown, Record(banker, 88)));
            engine_->Run(9000);
        }
        if (way != Draw::Banker) {
            ASSERT_NE(OwnTile(T(1, 8)), nullptr) << "the draw is in the hand";
        }
        scene_->connect.sent.clear();
        CMJCard2* tile = OwnTile(T(0, 2));
        ASSERT_NE(tile, nullptr);
        ClickObject(tile->GetId());
        const SentRequest* thrown = scene_->connect.Last(222080);
        ASSERT_NE(thrown, nullptr) << "the click threw nothing";
        EXPECT_EQ(thrown->Word(thrown->bytes.size() - 4), T(0, 2));
    }
}

// The seat panels count what the deal says the room plays for: entered before any deal they show
// the score, and the deal of a silver room turns them to silver at once (they kept the score
// until the hand's result).
TEST_F(BoardsTest, TheDealTurnsTheSeatPanelsToTheRoomsAmount)
{
    for (int chair = 0; chair < 4; ++chair) {
        GameUserRecord& user = app_->MutableHallData().players[size_t(chair)];
        user.SetUserId(1001 + chair);
        user.SetName("玩家");
        user.SetChair(chair);
        user.SetSilver(10000 + chair);
        user.SetScore(7);
    }
    const std::vector<uint8_t> none(GameRecord::kDealStartSize, 0);
    app_->GetMahjongGameInfo()->StoreGameStart(none.data(), none.size());
    Send(EV_TABLE_ENTERED);
    EXPECT_FALSE(scene_->players[kOwnSeat]->GetUser().silver);
    EXPECT_EQ(scene_->players[kOwnSeat]->GetUser().amount, 7);
    Deal(); // a silver room
    for (int chair = 0; chair < 4; ++chair) {
        const PanelUser& shown = scene_->players[size_t(scene_->ChairToSeat(chair))]->GetUser();
        EXPECT_TRUE(shown.silver);
        EXPECT_EQ(shown.amount, 10000 + chair);
    }
}

// The silver of a gang (刮风) and of a win moves the seat panels and the players' records (which
// the user list shows) as it is announced; the result then adds only what those did not pay.
TEST_F(BoardsTest, PaymentsDuringTheHandMoveTheSilverAtOnceAndTheResultAddsTheRest)
{
    hall::HallState& hall = app_->MutableHallData();
    for (int chair = 0; chair < 4; ++chair)
        hall.players[size_t(chair)].SetUserId(1001 + chair), hall.players[size_t(chair)].SetSilver(1000);
    Deal(); // a silver room
    auto shown = [&](int chair) { return scene_->players[size_t(scene_->ChairToSeat(chair))]->GetUser().amount; };
    // Chair 3's gang on chair 2's discard (silver at +8, score at +24), chair 1's win (+92, +108).
    Step(CGameNotifyEx::kScoreChange, {4, 3, 0, 0, -2, 2, 0, 0, -1, 1}, 48);
    EXPECT_EQ(shown(3), 1002);
    std::vector<int32_t> win(34, 0);
    win[0] = 1, win[1] = 2, win[2] = T(2, 8), win[3] = 1, win[4] = 3, win[6] = 4, win[31] = 1;
    win[23 + 1] = 4, win[23 + 2] = -4, win[27 + 2] = -2;
    Step(CGameNotifyEx::kPlayerWins, win, 136);
    EXPECT_EQ(shown(1), 1004);
    EXPECT_EQ(hall.players[2].Score(), -3);

    std::vector<uint8_t> result(GameRecord::kResultSize, 0);
    RecordWriter w({result.data(), result.size()});
    const int32_t silver[4] = {-1, 4, -6, 3};
    for (size_t chair = 0; chair < 4; ++chair)
        w.I32(4 + chair * GameRecord::kResultChairBlock, int32_t(chair)),
            w.I32(8 + chair * GameRecord::kResultChairBlock, silver[chair]);
    app_->ApplyGameResult(result);
    for (size_t chair = 0; chair < 4; ++chair)
        EXPECT_EQ(hall.players[chair].Silver(), 1000 + silver[chair]) << chair;
    EXPECT_EQ(hall.players[2].Score(), 0);
    // A hand dealt again has paid nothing yet.
    Step(CGameNotifyEx::kScoreChange, {6, 0, 3, -1, -1, -1, 0, 0, 0, 0}, 48);
    app_->SetPlaying();
    app_->ApplyGameResult(result);
    EXPECT_EQ(hall.players[0].Silver(), 1000 - 1 + 3 - 1);
}

// Entered again in the deal it was paying in, the client keeps what the hand paid so the result
// brings each chair to the server's silver; another deal entered starts from nothing paid.
TEST_F(BoardsTest, AHandTakenUpAgainKeepsWhatItPaidSoTheResultPaysNoGangTwice)
{
    namespace PS = GameRecord::PlayState;
    hall::HallState& hall = app_->MutableHallData();
    for (int chair = 0; chair < 4; ++chair)
        hall.players[size_t(chair)].SetUserId(1001 + chair), hall.players[size_t(chair)].SetSilver(1000);
    auto enter = [&](int32_t deal) {
        const std::vector<uint8_t> start = DealRecord({}, 0, {{8, deal}});
        const std::span<uint8_t> block = app_->GetGameInfoBlockB();
        RecordWriter w(block); // clears the block
        const std::pair<size_t, int32_t> play[] = {{PS::kLastThrower, -1},
                                                   {PS::kMiddleTile, -1},
                                                   {PS::kNextDraw, 60},
                                                   {PS::kNextReplacement, 107},
                                                   {PS::kPhase, PS::kPlay}};
        for (auto [word, value] : play)
            w.I32(GameRecord::kPlayStateOffset + word, value);
        for (size_t c = 0; c < 4; ++c)
            w.I32(GameRecord::kPlayStateOffset + PS::kMissingSuits + c * 4, -1);
        w.Bytes(0, start.data(), start.size());
        app_->OnEnteredRunning();
    };
    // Deal 7: chair 0's concealed gang (下雨) takes 3 from the others.
    scene_->OnResetGame();
    ASSERT_FALSE(Notify(CGameNotifyEx::kGameStart, DealRecord({}, 0, {{8, 7}})));
    Step(CGameNotifyEx::kScoreChange, {6, 0, 3, -1, -1, -1}, 48);
    ASSERT_EQ(hall.players[0].Silver(), 1003);
    enter(7);
    const std::vector<uint8_t> result = ResultRecord({{8, 3}, {8 + 128, -1}, {8 + 256, -1}, {8 + 384, -1}});
    app_->ApplyGameResult(result);
    EXPECT_EQ(hall.players[0].Silver(), 1003) << "the gang paid once";
    EXPECT_EQ(hall.players[1].Silver(), 999);
    // Another deal entered: what deal 7 paid is not its own.
    enter(8);
    app_->ApplyGameResult(result);
    EXPECT_EQ(hall.players[0].Silver(), 1006);
}

namespace {

// The scene's report for the tests that play through the window (XL_SCENE_REPORT): a line after
// each frame that changed what it shows, with the boxes of what a player clicks; no timer of its
// own, so the engine sleeps between changes as a player's does.
class SceneReportTest : public BoardsTest {
protected:
    static std::string Path()
    {
        return (std::filesystem::temp_directory_path() / ("xl-report-" + std::to_string(::getpid()) + ".jsonl"))
            .string();
    }
    static void SetUpTestSuite()
    {
        std::filesystem::remove(Path());
        setenv("XL_SCENE_REPORT", Path().c_str(), 1);
    }
    static void TearDownTestSuite()
    {
        unsetenv("XL_SCENE_REPORT");
        std::filesystem::remove(Path());
    }
    static std::vector<std::string> Lines()
    {
        std::ifstream in(Path());
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    static std::array<int, 4> Corners(const xltest::Box& b) { return {b.left, b.top, b.right, b.bottom}; }
    static std::array<int, 4> Corners(const PObject& object)
    {
        const Rect r = ObjectModule::ScreenRect(object.Geometry());
        return {r.left, r.top, r.right, r.bottom};
    }
};

TEST_F(SceneReportTest, AFrameThatChangedWhatAPlayerSeesWritesTheBoxesHeClicks)
{
    Step(CGameNotifyEx::kExchangeBegin, {20}, 8);
    engine_->Run(500);
    const std::vector<std::string> dealt = Lines();
    ASSERT_FALSE(dealt.empty());
    const xltest::View v = xltest::Parse(dealt.back());
    ASSERT_EQ(v.board, CMyGame::kBoardExchange);
    ASSERT_TRUE(v.Has("ok"));
    // A button's box is its face's, where a click lands, not the point it stands on.
    EXPECT_FALSE(v.buttons.at("ok").Empty());
    EXPECT_EQ(Corners(v.buttons.at("ok")), Corners(*scene_->FirstBoardButton()->GetFace()));
    ASSERT_EQ(v.hand.size(), 14u);
    for (const auto& t : v.hand)
        EXPECT_EQ(Corners(t.box), Corners(*OwnTile(t.tile)->GetBodyPicture())) << t.tile;
    // A click on a chosen tile drops it: the frame that lowers it writes the new choice.
    ASSERT_FALSE(v.chosen.empty());
    const auto tile = std::find_if(v.hand.begin(), v.hand.end(),
                                   [&](const xltest::View::Tile& t) { return t.tile == v.chosen.front(); });
    ASSERT_NE(tile, v.hand.end());
    engine_->Click(tile->box.X(), tile->box.Y());
    engine_->Settle();
    const std::vector<std::string> after = Lines();
    ASSERT_GT(after.size(), dealt.size());
    EXPECT_NE(xltest::Parse(after.back()).chosen, v.chosen);
}

// The skill bar folded: the report says so and offers the show button.
TEST_F(SceneReportTest, TheSkillBarFoldedIsReportedWithItsShowButton)
{
    ASSERT_EQ(xltest::Parse(Lines().back()).skill, 1);
    Send(EV_BTN_HIDE_SKILL);
    const xltest::View v = xltest::Parse(Lines().back());
    EXPECT_EQ(v.skill, 0);
    EXPECT_FALSE(v.Has("skillHide"));
    ASSERT_TRUE(v.Has("skillShow"));
    EXPECT_EQ(Corners(v.buttons.at("skillShow")), Corners(*scene_->buttons[CMyGame::kBtnShowSkill]->GetFace()));
}

// The result's rows with their lines, the unfolded one, and the list's scroll.
TEST_F(SceneReportTest, TheResultRowsSayWhichIsUnfoldedAndHowFarTheListScrolled)
{
    OpenResult(8);
    CXyResultListXueliu* list = scene_->ResultList();
    ASSERT_NE(list, nullptr);
    xltest::View v = xltest::Parse(Lines().back());
    ASSERT_EQ(v.rows.size(), 4u);
    EXPECT_EQ(v.rows[2].lines, 8);
    EXPECT_EQ(Corners(v.rows[2].box), Corners(*list->GetChairRow(2)->GetFace()));
    EXPECT_EQ(Corners(v.list), Corners(*list));
    for (const auto& row : v.rows)
        EXPECT_EQ(row.open, 0);
    engine_->Click(v.rows[2].box.X(), v.rows[2].box.Y());
    v = xltest::Parse(Lines().back());
    ASSERT_EQ(list->GetSelected(), list->GetChairRow(2));
    EXPECT_EQ(v.rows[2].open, 1);
    EXPECT_EQ(v.rows[1].open, 0);
    EXPECT_EQ(v.scroll, list->Content().ScrollY());
    EXPECT_EQ(v.scrollMax, list->Content().ContentHeight() - list->Content().viewHeight);
    engine_->Wheel(120);
    const int scrolled = xltest::Parse(Lines().back()).scroll;
    EXPECT_NE(scrolled, v.scroll);
    EXPECT_EQ(scrolled, list->Content().ScrollY());
    // Folded by Escape, unfolded and folded again by clicks: no line on the way reports an
    // unfolded row without a box to click.
    engine_->Key(platform::vk::kEscape);
    const xltest::Box again = xltest::Parse(Lines().back()).rows[2].box;
    engine_->Click(again.X(), again.Y());
    const xltest::Box open = xltest::Parse(Lines().back()).rows[2].box;
    engine_->Click(open.X(), open.Y());
    EXPECT_EQ(list->GetSelected(), nullptr);
    const std::vector<std::string> lines = Lines();
    for (const std::string& line : lines)
        for (const auto& row : xltest::Parse(line).rows)
            EXPECT_TRUE(!row.open || !row.box.Empty()) << line;
}

// The side panel's input line, emoticon button and first face with their boxes, and its chat
// lines while the chat box shows.
TEST_F(SceneReportTest, TheSidePanelsControlsAndChatLinesAreReportedWhileShown)
{
    CMJSubSystem* panel = &SidePanel();
    panel->AddLine("hello");
    engine_->Settle();
    CGameInputBar& bar = *panel->GetInputBar();
    xltest::View v = xltest::Parse(Lines().back());
    EXPECT_EQ(v.chat, std::vector<std::string>{"hello"});
    ASSERT_TRUE(v.Has("input") && v.Has("faces"));
    EXPECT_EQ(Corners(v.buttons.at("input")), Corners(*bar.GetInput()));
    EXPECT_EQ(Corners(v.buttons.at("faces")), Corners(*bar.GetFacesButton()->GetFace()));
    EXPECT_FALSE(v.Has("face"));
    bar.OnEvent({bar.GetId(), EV_PANEL_FACES, 0, 0});
    engine_->Settle();
    v = xltest::Parse(Lines().back());
    ASSERT_TRUE(v.Has("face"));
    const Rect grid = ObjectModule::ScreenRect(bar.GetPicker()->GetPanel()->Geometry());
    const FaceGrid& g = bar.GetPicker()->GetGrid();
    EXPECT_EQ(Corners(v.buttons.at("face")),
              (std::array{grid.left + g.margin, grid.top + g.margin, grid.left + g.margin + g.cellSize,
                          grid.top + g.margin + g.cellSize}));
    // A pick closes the picker.
    bar.GetPicker()->Pick(g.margin + 1, g.margin + 1);
    engine_->Settle();
    EXPECT_FALSE(xltest::Parse(Lines().back()).Has("face"));
    panel->GetChatBox()->Deactivate();
    engine_->Settle();
    EXPECT_TRUE(xltest::Parse(Lines().back()).chat.empty());
}

// The splitter's arrow, and whether the side panel stands unfolded.
TEST_F(SceneReportTest, TheSplittersArrowAndTheSidePanelsFoldAreReported)
{
    EXPECT_EQ(xltest::Parse(Lines().back()).panel, 0);
    auto* splitter = engine_->Make<CCySplitterBar>();
    splitter->SetSize(8, 400);
    splitter->MoveTo(kSurface.width - 304, 300);
    splitter->Activate();
    splitter->Layout();
    engine_->Settle();
    xltest::View v = xltest::Parse(Lines().back());
    EXPECT_EQ(v.panel, 1);
    ASSERT_TRUE(v.Has("splitter"));
    EXPECT_EQ(Corners(v.buttons.at("splitter")), Corners(*splitter->GetArrow()));
    splitter->SetCollapsed(1);
    splitter->Refresh();
    engine_->Settle();
    EXPECT_EQ(xltest::Parse(Lines().back()).panel, 0);
}

// The chat's last lines as the report writes them and the by-hand test reads them back.
TEST(SceneReportLines, TheLastLinesComeBackAsTheyWereWithEmptyLinesLeftOut)
{
    const struct {
        std::string text;
        size_t keep;
        std::vector<std::string> lines;
    } cases[] = {
        {"", 6, {}},
        {"a\n\nb\n", 6, {"a", "b"}},
        {"1\n2\n3\n4\n5\n6\n7\n8", 6, {"3", "4", "5", "6", "7", "8"}},
        {"say \"hi\" \\ \x01 #大哭", 6, {"say \"hi\" \\ \x01 #大哭"}},
    };
    for (const auto& c : cases) {
        const std::string json = xueliu::ReportLines(c.text, c.keep);
        ASSERT_EQ(json.front(), '[') << json;
        EXPECT_EQ(xltest::Strings(json, 1), c.lines) << json;
        EXPECT_EQ(json.back(), ']') << json;
    }
}

} // namespace

namespace {

// With the report on, a table at rest runs no timed action: the engine sleeps as a player's does.
TEST(SceneReportIdle, ATableAtRestRunsNoTimedAction)
{
    const std::string path =
        (std::filesystem::temp_directory_path() / ("xl-report-idle-" + std::to_string(::getpid()) + ".jsonl")).string();
    setenv("XL_SCENE_REPORT", path.c_str(), 1);
    {
        SceneRig<BoardScene> rig("report-idle");
        rig.scene->OnGameReady();
        rig.engine->Run(1000);
        EXPECT_EQ(rig.engine->Objects().CountPendingActions(), 0u);
        EXPECT_TRUE(std::filesystem::exists(path));
    }
    unsetenv("XL_SCENE_REPORT");
    std::filesystem::remove(path);
}

// After an own peng (before the hand's first own turn) the throw goes with a click on a hand tile,
// before the turn's clock runs out and after it, and again after a refused throw; no draw is asked
// for while the claim is on offer.
TEST_F(BoardsTest, AfterAnOwnPengTheThrowGoesWithAClickBeforeAndAfterTheClockRunsOut)
{
    for (const bool clockOut : {false, true}) {
        SCOPED_TRACE(clockOut);
        scene_->SetPlayModeIdle(); // as the last hand's result leaves it
        scene_->connect.codes = {{RequestId::CatchCard, 229103}}; // not due
        // Chair 1 deals (claim time 8 s) and throws a third 5万; the own chair, next in play, pengs.
        Deal(4000,
             {T(0, 5, 0), T(0, 5, 1), T(0, 1), T(0, 2), T(0, 3), T(0, 7), T(1, 5), T(1, 7), T(1, 9), T(2, 1), T(2, 2),
              T(2, 3), T(2, 4)},
             1, {{39, 8}});
        Step(CGameNotifyEx::kMissingSuits, {2, 0, 0, 0}, 16);
        std::vector<int32_t> thrown(22, 0);
        thrown[1] = 1, thrown[6] = 1, thrown[21] = T(0, 5, 2);
        ASSERT_FALSE(Notify(CMJGameNotify2::kCardThrown, Record(thrown, 88)));
        scene_->connect.sent.clear();
        engine_->Run(9000); // the player thinks past the claim's clock
        ClickObject(scene_->buttons[CMyGame::kBtnPeng]->GetId());
        const SentRequest* peng = scene_->connect.Last(RequestId::AnnouncePeng);
        ASSERT_NE(peng, nullptr);
        EXPECT_EQ(scene_->connect.Last(RequestId::CatchCard), nullptr) << "a draw asked for during the claim";
        const int32_t owners[2] = {peng->Word(24), peng->Word(28)};
        ASSERT_FALSE(Notify(CMJGameNotify2::kPengCards, Record({0, 0, 0, 0, 1, T(0, 5, 2), owners[0], owners[1]}, 32)));
        scene_->connect.sent.clear();
        if (clockOut)
            engine_->Run(16000); // nothing is asked for at its end: a throw is due
        scene_->connect.codes[RequestId::ThrowCards] = 229102; // the first throw is refused
        for (int click = 0; click < 2; ++click) {
            CMJCard2* tile = OwnTile(T(2, 1));
            ASSERT_NE(tile, nullptr) << click;
            ClickObject(tile->GetId());
            scene_->connect.codes.erase(RequestId::ThrowCards);
        }
        ASSERT_EQ(scene_->connect.sent.size(), 2u);
        EXPECT_EQ(scene_->connect.sent[1].id, RequestId::ThrowCards);
        ASSERT_NE(scene_->thrown[kOwnSeat], nullptr);
        EXPECT_EQ(scene_->thrown[kOwnSeat]->tile, T(2, 1));
        EXPECT_EQ(OwnTile(T(2, 1)), nullptr);
    }
}

// A press anywhere on the table ends auto-play: on the felt (the frame's background, which no
// object drew, so the press found nothing), with either button, on a tile or on a seat's panel.
TEST_F(BoardsTest, APressAnywhereOnTheTableEndsAutoPlay)
{
    Step(CGameNotifyEx::kMissingSuits, {2, 0, 0, 0}, 16);
    const Rect table = scene_->GetTableRect();
    const auto wall = std::find_if(scene_->pool.begin(), scene_->pool.end(),
                                   [](const CMJCard2* t) { return t && t->state == kTileWall && t->IsActive(); });
    ASSERT_NE(wall, scene_->pool.end());
    GameUserRecord& user = app_->MutableHallData().players[1];
    user.SetUserId(1002);
    user.SetChair(1);
    Send(EV_TABLE_REFRESHED);
    const PlaneObject& panel = *scene_->players[size_t(scene_->ChairToSeat(1))]->GetPlane();
    ASSERT_TRUE(panel.IsActive());
    const struct {
        int x, y;
        bool right;
    } presses[] = {{table.left + 3, table.bottom - 3, false},
                   {table.left + 3, table.top + 3, true},
                   {int((*wall)->GetX()), int((*wall)->GetY()), false},
                   {int(panel.GetX()), int(panel.GetY()), true}};
    for (const auto& p : presses) {
        engine_->Run(11000); // past the cool-down
        if (!scene_->autoPlay)
            scene_->OnBtnAutoPlay();
        ASSERT_TRUE(scene_->players[kOwnSeat]->IsAutoPlay());
        p.right ? engine_->RightClick(p.x, p.y) : engine_->Click(p.x, p.y);
        EXPECT_FALSE(scene_->players[kOwnSeat]->IsAutoPlay()) << p.x << ", " << p.y;
    }
}

// Auto-play throws a tile of the missing suit while the hand holds one (no hand wins with it): the
// drawn tile when it is one, else the highest.
TEST_F(BoardsTest, AutoPlayThrowsTheMissingSuitFirst)
{
    EXPECT_EQ(CMyGame::AutoPlayThrow({T(0, 1), T(2, 3), T(2, 7, 0), T(2, 7, 1), T(1, 4)}, T(1, 4), 2), T(2, 7, 1));
    EXPECT_EQ(CMyGame::AutoPlayThrow({T(0, 1), T(2, 3), T(2, 7), T(1, 4)}, T(2, 3), 2), T(2, 3));
    // The banker's first turn with one 万, its missing suit, and another tile drawn.
    Deal(4000,
         {T(1, 1), T(1, 2), T(1, 3), T(1, 4), T(1, 5), T(1, 6), T(1, 7), T(1, 8), T(0, 5), T(2, 1), T(2, 2), T(2, 3),
          T(2, 4), T(1, 9)});
    Step(CGameNotifyEx::kMissingSuits, {0, 1, 1, 1}, 16);
    ASSERT_NE(scene_->Slot(kOwnSeat, kDrawnSlot)->tile, T(0, 5));
    scene_->connect.sent.clear();
    scene_->autoPlay = 1;
    engine_->Run(16000);
    const SentRequest* thrown = scene_->connect.Last(RequestId::ThrowCards);
    ASSERT_NE(thrown, nullptr);
    EXPECT_EQ(thrown->Word(thrown->bytes.size() - 4), T(0, 5));
}

} // namespace
