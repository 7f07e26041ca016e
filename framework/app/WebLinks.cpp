// The web links' query texts and their signature.
#include "framework/app/WebLinks.h"

#include "framework/app/ClientUtils.h"

#include <cinttypes>
#include <cstdio>

namespace {
constexpr const char* kWebGameCode = "pelq";
constexpr const char* kSigningKey = "r5tkw0bq8mz3yd1h";
} // namespace

std::string WebLinkSign(int32_t hallId, uint32_t gameId, uint32_t userId, int64_t unixTime)
{
    char text[256];
    std::snprintf(text, sizeof text, "hall_id%dgame_id%ugame_code%suser_id%uunix_time%" PRId64 "%s", hallId, gameId,
                  kWebGameCode, userId, unixTime, kSigningKey);
    return MD5HexString(text);
}

std::string BuildWebLinkQuery(int kind, bool appendIds, const WebLinkFacts& f)
{
    char buffer[1024];
    std::string out;
    switch (kind) {
    case 1:
        std::snprintf(buffer, sizeof buffer, "user_id=%u", f.userId);
        out = buffer;
        break;
    case 5: {
        char ident[32];
        std::snprintf(ident, sizeof ident, "%d%010d", f.identA, f.identB);
        std::snprintf(buffer, sizeof buffer, "Ident=%s&user_id=%u&acnt=%s&nick=%s&flag_tab=%d&source=%d", ident,
                      f.userId, "", UrlEncode(f.nick).c_str(), 0, 0);
        out = buffer;
        std::snprintf(buffer, sizeof buffer, "&game_name=%s&gver=%d.%d", UrlEncode(f.gameName).c_str(),
                      f.versionMajor, f.versionMinor);
        out += buffer;
        break;
    }
    case 2:
        std::snprintf(buffer, sizeof buffer, "&v_sign=%s&unix_time=%" PRId64,
                      WebLinkSign(f.hallId, f.gameId, f.userId, f.unixTime).c_str(), f.unixTime);
        out = buffer;
        break;
    default:
        return {};
    }
    if (appendIds) {
        std::snprintf(buffer, sizeof buffer, "&game_id=%u&game_code=%s&hall_id=%d", f.gameId, kWebGameCode, f.hallId);
        out += buffer;
    }
    return out;
}
