// The application's life cycle: construction, InitInstance, the command line, the hall link, the
// communication thread, the connection at start, the main window, the entry into the game,
// ExitInstance and destruction.
#include "framework/app/AppMessages.h"
#include "framework/app/CGameWinApp.h"
#include "framework/app/ClientUtils.h"
#include "framework/app/CommThread.h"
#include "framework/app/WaitDialogView.h"
#include "framework/frame/CXyGameFrame.h"
#include "framework/window/CGameFrameWnd.h"
#include "framework/window/RunClient.h"
#include "engine/gui/CGameBase.h"
#include "engine/music/MusicModule.h"
#include "net/FileLogger.h"
#include "net/SocketClient.h"
#include "platform/BusyPump.h"
#include "platform/Ini.h"
#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/ThreadId.h"
#include "platform/Paths.h"
#include "platform/StartTrace.h"
#include "platform/Clock.h"
#include "platform/SystemScreen.h"
#include "platform/Window.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uint32_t kLoggerFlags = 0xA001D;
constexpr int kSmallScreenWidth = 801;

CGameWinApp* g_theApp = nullptr;

bool FileExists(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

struct ColourKey {
    const char* key;
    uint32_t fallback;
};
// In the order of the colour slots.
constexpr ColourKey kColourKeys[] = {
    {"AdvHeader", 0x355808}, {"AdvText", 0},        {"AdvBk", 0xE5F1E1},   {"AdvGrid", 0xD9E6D8},
    {"PlayerViewHeader", 0}, {"PlayerViewText", 0}, {"TitleText", 0},
};

// The start-up's fallback game object while the game layer supplies none.
struct EmptyGameFrame : Lumora::CGameBase {};

// Without a per-machine folder the program keeps nothing of the machine's between runs (its id,
// the hall's path): it says so, in the log and to the player, rather than keep them quietly in
// the folder it was started in.
void ReportMissingMachineFolder(const std::string& caption)
{
    const platform::MachineFolderChoice choice = platform::ChooseMachineFolder();
    if (choice.problem == platform::MachineFolderProblem::None)
        return;
    net::OxtLog("machine folder: %s; nothing of the machine's is kept",
                choice.tried.empty() ? "no home folder" : ("cannot write " + choice.tried).c_str());
    const std::string where = choice.tried.empty() ? "找不到可用的主目录" : "无法写入 " + choice.tried;
    platform::ShowSystemMessageBox("本机设置无法保存（" + where + "），本次运行不会保留本机设置。", caption,
                                   platform::MessageBoxButtons::Ok, platform::BoxIcon::Error);
}

std::function<void()>& StartTableHook()
{
    static std::function<void()> hook;
    return hook;
}

} // namespace

CGameWinApp* GetGameApp()
{
    return g_theApp;
}

CGameWinApp::CGameWinApp(const char* gameCode, uint32_t defaultPort, int versionMajor, int versionMinor)
    : gameCode_(gameCode), defaultPort_(defaultPort), versionMajor_(versionMajor), versionMinor_(versionMinor)
{
    smallScreen_ = platform::QueryScreen().width < kSmallScreenWidth ? 1 : 0;
    match_ = platform::IniFile(GetGameIniPath()).GetInt("Test", "IsMatch", 0);
    std::string configured = platform::NativePath(platform::IniFile(GetGameIniPath()).GetString("SKIN", "Path"));
    if (configured.size() > 259)
        configured.resize(259);
    if (FileExists(configured))
        skinIni_ = configured;
    else if (FileExists(GetProgramFolder() + "skins/skin.ini"))
        skinIni_ = GetProgramFolder() + "skins/skin.ini";
    ReadSkinColours();
    g_theApp = this;
    SetGameAppAccess(this);
    Lumora::SetAppServices(this);
}

void CGameWinApp::ReadSkinColours()
{
    platform::IniFile skin(skinIni_);
    for (int i = 0; i < kColours; ++i) {
        std::string text = skinIni_.empty() ? std::string() : skin.GetString("CommColors", kColourKeys[i].key);
        if (text.size() > 257)
            text.resize(257);
        colours_[i] = ParseColorText(text, kColourKeys[i].fallback);
    }
}

CGameWinApp::~CGameWinApp()
{
    if (relaunchOnExit_)
        RelaunchGame();
    // One owner: the window is deleted here and nowhere else.
    SetSoundResourcePlayer(nullptr);
    mainWnd_.reset();
    hallLink_.reset();
    platform::SetHallLink(nullptr);
    {
        std::lock_guard lock(webSignMutex_);
        webSigns_.clear();
    }
    Lumora::SetAppServices(nullptr);
    SetGameAppAccess(nullptr);
    if (g_theApp == this)
        g_theApp = nullptr;
}

void CGameWinApp::SetArguments(std::vector<std::string> arguments, std::string programPath)
{
    arguments_ = std::move(arguments);
    programPath_ = std::move(programPath);
}

bool CGameWinApp::InitInstance()
{
    platform::StartMark("init");
    net::OxtLogInit("Game", kLoggerFlags);
    loggerOpen_ = true;
    if (!ParseCommandLine())
        return false;
    ReportMissingMachineFolder(GetGameName());
    GetMachineID(); // the adapters are read here, not by each request
    if (!testFlag_)
        ConnectHall();
    net::RegisterSocketWindowClass();
    BuildHallFeatureButtons();
    if (!StartCommThread()) {
        platform::ShowSystemMessageBox("通讯线程创建失败。", GetGameName(), platform::MessageBoxButtons::Ok,
                                       platform::BoxIcon::Error);
        return false;
    }
    return ConnectGameServer();
}

int CGameWinApp::ExitInstance()
{
    // The connection first (it joins its socket thread, which may still log), then the
    // communication thread, then the class, and the logger last.
    if (IServerStartup* conn = GetServerStartup())
        conn->CloseAll();
    StopCommThread();
    net::UnregisterSocketWindowClass();
    if (hallLink_)
        hallLink_->Close();
    if (loggerOpen_) {
        net::OxtLogExit();
        loggerOpen_ = false;
    }
    return 0;
}

bool CGameWinApp::ParseCommandLine()
{
    if (testFlag_)
        return true;
    std::optional<HallCommandLine> line;
    if (!IsOptionArgument(arguments_))
        line = ParseHallCommandLine(JoinArguments(arguments_));
    if (!line) {
        auto answer = platform::ShowSystemMessageBox("该程序必须从游戏大厅中启动,是否启动游戏大厅？\r\n\r\n(frame2.0)",
                                                     GetGameName(), platform::MessageBoxButtons::YesNo,
                                                     platform::BoxIcon::Information);
        if (answer == platform::MessageBoxAnswer::Yes)
            StartHall();
        return false;
    }
    ApplyCommandLine(*line);
    return true;
}

void CGameWinApp::ApplyCommandLine(const HallCommandLine& line)
{
    line_ = line;
    // Fields 12 to 14 stand in the room record until the start data replace them.
    if (line.roomType)
        hall_.room.SetU32(hall::RoomRecord::kRoomType, *line.roomType);
    if (line.roomOptions)
        hall_.room.SetU32(hall::RoomRecord::kRoomOptions, *line.roomOptions);
    if (line.optionWord)
        hall_.room.SetU32(hall::RoomRecord::kOptionWord, *line.optionWord);
}

bool CGameWinApp::ConnectHall()
{
    platform::HallLink::ConnectError error;
    hallLink_ = platform::HallLink::Connect(platform::HallLink::EndpointPath(line_.hallWindow), &error);
    if (!hallLink_) {
        net::OxtLog("hall link: no hall at %s (%d)", platform::HallLink::EndpointPath(line_.hallWindow).c_str(),
                    static_cast<int>(error));
        return false;
    }
    hallLink_->SetReaderHook([this](const platform::HallFrame& f) {
        if (f.kind == platform::HallFrameKind::CopyData && f.message == hall_data::kStartData &&
            registeredAt_.load() > 0)
            platform::StartWait("start-data", registeredAt_.exchange(0), platform::StartTraceNow());
        return f.message == hall_data::kWebSignAnswer && OnWebSignAnswer(f.payload);
    });
    platform::ThreadId ui = platform::CurrentThreadId();
    // The hall gone ends the loop at once: no exit report, the connection closed first.
    hallLink_->SetGoneHandler([ui] { platform::PostToThread(ui, platform::kMsgQuit); });
    platform::CurrentQueue();
    hallLink_->Start();
    hallLink_->Hello(static_cast<uint32_t>(::getpid()), line_.userId, 0);
    platform::SetHallLink(hallLink_.get());
    return true;
}

bool CGameWinApp::StartCommThread()
{
    if (!gate_)
        return false;
    commThread_ = CGameCommThread::Start(gate_);
    if (!commThread_)
        return false;
    platform::IniFile skin(skinIni_);
    commThread_->SetBarColours(
        ParseColorText(skinIni_.empty() ? "" : skin.GetString("CommColors", "WaitBarfg"), kWaitBarForeground),
        ParseColorText(skinIni_.empty() ? "" : skin.GetString("CommColors", "WaitBarbg"), kWaitBarBackground));
    SetCommThread(commThread_.get());
    // The dialog on the display; tests make their windows elsewhere and show none.
    if (!platform_ || !platform_->makeWindow)
        waitView_ = WaitDialogView::Create(*commThread_, skinIni_);
    return true;
}

void CGameWinApp::StopCommThread()
{
    if (!commThread_)
        return;
    waitView_.reset();
    SetCommThread(nullptr);
    commThread_->Stop();
    commThread_.reset();
}

void CGameWinApp::ShowStartFailure(const char* text, uint32_t pauseMs)
{
    ShowWaitText(text, true);
    platform::SleepBusy(pauseMs);
    ReportExitToHall(0);
}

bool CGameWinApp::ConnectGameServer()
{
    if (testFlag_)
        return true;
    ShowWaitText("正在连接游戏服务器......", true);
    IServerStartup* conn = GetServerStartup();
    int proxyFailed = 0;
    bool open = false;
    if (conn) {
        conn->LoadProxySettings(GetHallIniPath());
        conn->SetupEncryption();
        conn->SetNotifyThreadId(GetNotifyThreadId());
        platform::StartWaitScope wait("channel");
        open = conn->OpenGameChannel("", GetServerHost(), GetServerPort(), proxyFailed);
    }
    if (!open) {
        char text[256];
        if (proxyFailed == 1)
            std::snprintf(text, sizeof text, "无法连接代理服务器【%s】，请检查设置是否正确。", conn->GetProxyHost().c_str());
        else
            std::snprintf(text, sizeof text, "无法连接游戏服务器，请稍后再试。");
        ShowStartFailure(text, kNoServerPauseMs);
        return false;
    }
    std::string error;
    if (!conn->CheckVersion(error, versionValueA_, versionValueB_)) {
        ShowStartFailure(error.c_str(), kVersionPauseMs);
        return false;
    }
    conn->GetFeatureConfig();
    if (!keepWaitText_)
        ShowWaitText(nullptr, false);
    // The sign is not used here; its answer is awaited once the main window is built, so that
    // the build overlaps the hall's answer and the registration still follows it.
    startWebSign_ = AskWebSign();
    startWebSignAsked_ = platform::TickCount();
    return true;
}

void CGameWinApp::BuildHallFeatureButtons()
{
    for (const char* name : {"btn_签到2", "btn_低保2", "btn_充值2", "btn_兑换2", "btn_任务2", "btn_抽奖2", "btn_排行2",
                             "btn_举报2", "btn_邮件2"})
        featureButtons_.emplace_back(name);
}

bool CGameWinApp::EnterGameOrMatch()
{
    if (StartTableHook())
        StartTableHook()();
    return match_ ? LoginMatchRoom() : EnterGameRoom();
}

bool CGameWinApp::EnterGameRoom()
{
    if (testFlag_)
        return true;
    std::string error;
    IServerStartup* conn = GetServerStartup();
    if (conn && conn->EnterGame(error)) {
        ShowWaitText(nullptr, false);
        // The pulse runs from a successful entry to the end of the window.
        if (mainWnd_)
            mainWnd_->StartPulse();
        return true;
    }
    ShowWaitText(error.c_str(), true);
    platform::SleepBusy(kEnterPauseMs);
    platform::PostToWindow(GetMainWindowId(), platform::kMsgClose);
    return false;
}

bool CGameWinApp::LoginMatchRoom()
{
    if (testFlag_)
        return true;
    std::string error;
    IServerStartup* conn = GetServerStartup();
    if (conn && conn->LoginGame(error)) {
        ShowWaitText(nullptr, false);
        return true;
    }
    ShowWaitText(error.c_str(), true);
    platform::SleepBusy(kEnterPauseMs);
    platform::PostToWindow(GetMainWindowId(), platform::kMsgClose);
    return false;
}

void CGameWinApp::SetTestMode(int kind)
{
    testModeKind_ = kind;
    if (kind != 0)
        testFlag_ = 1;
}

Lumora::CGameBase* CGameWinApp::CreateGameFrame()
{
    return new EmptyGameFrame;
}

void SetStartTableHook(std::function<void()> hook)
{
    StartTableHook() = std::move(hook);
}

std::unique_ptr<CGameFrameWnd> CGameWinApp::MakeFrameWindow()
{
    return std::make_unique<CGameFrameWnd>();
}

bool CGameWinApp::CreateMainWnd()
{
    platform::StartMark("build");
    auto wnd = MakeFrameWindow();
    static const ClientPlatform kDisplay;
    if (!CreateFrameWindow(*wnd, platform_ ? *platform_ : kDisplay, GetGameName()))
        return false;
    // Stored before the frame is made and laid out: its side panel's width and fold come from
    // the main window's work area.
    CGameFrameWnd& main = *wnd;
    SetMainWnd(std::move(wnd));
    Lumora::CGameBase* frame = CreateGameFrame();
    main.StartEngine(frame ? frame : new EmptyGameFrame);
    SetSoundResourcePlayer(static_cast<Lumora::MusicModule*>(main.GetCore().GetModule(Lumora::LUMORA_MODULE_MUSIC)));
    platform::StartMark("built");
    AwaitStartWebSign();
    if (auto* w = main.GetWindow())
        w->Show(true);
    RegisterGameWnd(GetMainWindowId());
    return true;
}

void CGameWinApp::SetMainWnd(std::unique_ptr<CGameFrameWnd> wnd)
{
    mainWnd_ = std::move(wnd);
}

platform::WindowId CGameWinApp::GetMainWindowId() const
{
    return mainWnd_ ? mainWnd_->GetMessageWindow() : 0;
}

Lumora::CGameBase* CGameWinApp::GetGameFrameObject() const
{
    return mainWnd_ ? mainWnd_->GetGameObject() : nullptr;
}

Lumora::IGameFrame* CGameWinApp::GetGameFrame()
{
    return dynamic_cast<Lumora::IGameFrame*>(GetGameFrameObject());
}

void CGameWinApp::FillTestStartData() {}

void CGameWinApp::OnStartDataApplied()
{
    platform::PostToWindow(GetMainWindowId(), app_msg::kStartTable);
}

void CGameWinApp::ShowWaitAndClose(const char* text)
{
    ShowWaitText(text, true);
    platform::SleepBusy(kWaitAndClosePauseMs);
    ShowWaitText(nullptr, false);
    platform::PostToWindow(GetMainWindowId(), platform::kMsgClose);
}

void CGameWinApp::ShowWaitText(const char* text, bool show)
{
    ::ShowWaitText(text, show);
}

void CGameWinApp::ShowWaitTextTimed(const char* text, int seconds)
{
    ::ShowWaitTextTimed(text, seconds);
}

uint32_t CGameWinApp::GetNotifyThreadId() const
{
    return commThread_ ? commThread_->Id() : 0;
}
