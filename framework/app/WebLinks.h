#pragma once
// The query texts of the platform's web links. Kind 1 names the user; kind 5 carries the user's
// identity, nick name and game for the service pages; kind 2 is signed: the MD5 of the hall id,
// game id, the web game code, user id and Unix time with the signing key. No IO and no clock: the
// caller passes the time, so the signature can be checked against md5sum.
#include <cstdint>
#include <string>

struct WebLinkFacts {
    uint32_t userId = 0;
    uint32_t gameId = 0;
    int32_t hallId = 0;
    std::string nick;     // GBK
    std::string gameName; // GBK
    int versionMajor = 0;
    int versionMinor = 0;
    int64_t unixTime = 0;
    int32_t identA = 0;
    int32_t identB = 0;
};

// The lower-case MD5 hex of "hall_id%dgame_id%dgame_code%suser_id%dunix_time%ld<key>".
std::string WebLinkSign(int32_t hallId, uint32_t gameId, uint32_t userId, int64_t unixTime);
// Empty for an unknown kind.
std::string BuildWebLinkQuery(int kind, bool appendIds, const WebLinkFacts& facts);
