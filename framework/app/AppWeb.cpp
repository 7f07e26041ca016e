// The application's web pages, signed links, HTTP POST, and the programs it starts (relaunch and
// the hall).
#include "framework/app/AppMessages.h"
#include "framework/app/CGameWinApp.h"
#include "framework/app/ClientUtils.h"
#include "framework/app/WebLinks.h"
#include "net/FileLogger.h"
#include "platform/Http.h"
#include "platform/Process.h"
#include "platform/Shell.h"
#include "platform/Window.h"
#include "widgets/RecordFields.h"

#include <cstdio>
#include <ctime>
#include <thread>

namespace {

constexpr int kWebPageWaitSeconds = 15;
constexpr size_t kTitleShown = 32;

// A web page being opened: the main window frees it when the worker posts it back.
struct WebPageJob {
    platform::WindowId window = 0;
    std::string url;
};

} // namespace

std::string CGameWinApp::GetSignedUrl(const std::string& url, bool sign, std::string* signOut)
{
    if (!sign)
        return url;
    std::string webSign = GetWebSign();
    if (signOut)
        *signOut = webSign;
    return url + "uid=" + std::to_string(line_.userId) + "&sign=" + webSign;
}

void CGameWinApp::OpenWebPage(const std::string& url, bool sign, const std::string& title)
{
    // The first 32 bytes of the title, never half a character.
    uint8_t cut[kTitleShown + 1];
    Lumora::WriteFixedFieldText(cut, sizeof cut, title);
    char text[128];
    std::snprintf(text, sizeof text, "正在打开%s...", reinterpret_cast<const char*>(cut));
    ShowWaitTextTimed(text, kWebPageWaitSeconds);
    auto* job = new WebPageJob{GetMainWindowId(), GetSignedUrlSimple(url, sign)};
    std::thread([job] {
        if (!platform::OpenUrl(job->url))
            net::OxtLog("web page not opened: %s", job->url.c_str());
        if (!platform::PostToWindow(job->window, app_msg::kWebPageOpened, reinterpret_cast<uintptr_t>(job)))
            delete job;
    }).detach();
}

void FreeWebPageJob(uintptr_t job)
{
    delete reinterpret_cast<WebPageJob*>(job);
}

std::string CGameWinApp::BuildSignedWebUrl(int kind, bool appendIds)
{
    // Without the hall's web sign the page would not know the player.
    if (GetWebSign().empty()) {
        ShowMsgBox("对不起，您的网络不稳定，请重新尝试。", nullptr, nullptr, 0, 0, "xyf抱歉");
        return {};
    }
    WebLinkFacts facts;
    facts.userId = line_.userId;
    facts.gameId = line_.gameId;
    facts.hallId = line_.field2;
    const auto* own = hall_.FindUser(line_.userId);
    facts.nick = own ? std::string(own->Name()) : std::string();
    facts.gameName = line_.gameName;
    facts.versionMajor = versionMajor_;
    facts.versionMinor = versionMinor_;
    facts.unixTime = static_cast<int64_t>(std::time(nullptr));
    facts.identA = static_cast<int32_t>(line_.gameId);
    facts.identB = static_cast<int32_t>(line_.userId);
    return BuildWebLinkQuery(kind, appendIds, facts);
}

std::string CGameWinApp::ExecHttpRequestPost(const std::string& url, const std::string& body)
{
    platform::HttpOptions options;
    options.connectTimeoutMs = 3000;
    options.connectRetries = 1;
    options.headers = {"Content-Type:   application/json", "User-Agent: MSIE 6.0", "Accept:   */*"};
    options.maxBodyBytes = kHttpPostReplyLimit;
    platform::HttpResult result = platform::HttpPost(url, body, options);
    if (!result.ok) {
        net::OxtLog("ExecHttpRequestPost catch:%s retcode:%ld error: %d", url.c_str(), result.status, result.error);
        return {};
    }
    // The answer is read line by line, each line without its end.
    std::string out;
    for (char c : result.body)
        if (c != '\r' && c != '\n')
            out += c;
    if (out.empty())
        net::OxtLog("ExecHttpRequestPost urlPath:%s retcode:%ld error: %d", url.c_str(), result.status, result.error);
    return out;
}

bool CGameWinApp::RelaunchGame()
{
    line_.relaunched = 1;
    line_.lookOn = 0;
    std::string command = BuildRelaunchCommandLine(line_, GetServerPort(), GetRoomType(), GetRoomOptions(),
                                                   room().U32(hall::RoomRecord::kOptionWord));
    auto pid = platform::StartProcess(programPath_, {command});
    net::OxtLog("relaunch: %s (process %d)", command.c_str(), pid ? static_cast<int>(*pid) : -1);
    return pid.has_value();
}

bool CGameWinApp::RelaunchWithArguments(const std::string& text)
{
    line_.relaunched = 1;
    line_.lookOn = 0;
    return platform::StartProcess(programPath_, {text}).has_value();
}

bool CGameWinApp::StartHall()
{
    std::string hall = GetHallExePath();
    return !hall.empty() && platform::StartProcess(hall, {}).has_value();
}

void CGameWinApp::QuitTableAndDisconnect()
{
    if (IServerStartup* conn = GetServerStartup()) {
        conn->QuitGame(line_.userId, line_.chair);
        conn->CloseAll();
    }
}
