#pragma once
// What the start-up and the exit need of the game-server connection: configure, open the channel,
// the version check and the feature configuration, the entry into the game or the match, the quit
// request and the close. The game layer hands the application an adapter over its connection
// (GetServerStartup); tests hand it a fake. Every call runs on the UI thread and may block
// (connect 10 s, version 15 s, enter 30 s) with the busy pump running.
#include <cstdint>
#include <string>

class IServerStartup {
public:
    virtual ~IServerStartup() = default;

    virtual void LoadProxySettings(const std::string& hallIniPath) = 0;
    virtual void SetupEncryption() = 0;
    // Pushed messages go to this thread (the communication thread).
    virtual void SetNotifyThreadId(uint32_t threadId) = 0;
    // proxyFailed is set to 1 when the proxy could not be reached.
    virtual bool OpenGameChannel(const std::string& channelName, const std::string& host, uint16_t port,
                                 int& proxyFailed) = 0;
    virtual std::string GetProxyHost() const = 0;
    // Request 201001; the two values go into the exit report.
    virtual bool CheckVersion(std::string& errorText, int32_t& valueA, int32_t& valueB) = 0;
    // Request 201308.
    virtual bool GetFeatureConfig() = 0;
    // Request 200110 (ordinary room) and 201220 (match room).
    virtual bool EnterGame(std::string& errorText) = 0;
    virtual bool LoginGame(std::string& errorText) = 0;
    // Request 201120 with the leaving user's id and chair.
    virtual bool QuitGame(uint32_t userId, int32_t chair) = 0;
    // Closes the connection and joins its socket thread.
    virtual void CloseAll() = 0;
};
