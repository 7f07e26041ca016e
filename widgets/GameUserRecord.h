#pragma once
// The application's record of one user at the table, in the 320-byte layout in which the hall
// hands it over: players by chair in an array of 8, look-on users in an array of 64. The bytes
// are kept as they came; the fields the widgets show are read through a bounds-checked
// little-endian reader, and its texts never past the end of their fields.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Lumora {

class GameUserRecord {
public:
    static constexpr size_t kSize = 320;
    static constexpr size_t kPlayerSlots = 8;
    static constexpr size_t kLookOnSlots = 64;

    enum Offset : size_t {
        OFF_USER_ID = 0,
        OFF_NAME = 20,
        OFF_SECOND_NAME = 52,
        OFF_SEX = 68,
        OFF_CHARACTER = 76,
        OFF_SILVER = 80,
        OFF_LEVEL = 88,
        OFF_SCORE = 104,
        OFF_CHAIR = 144,
        OFF_LOOK_ON = 148,
    };
    enum FieldSize : size_t {
        NAME_SIZE = 32,
        SECOND_NAME_SIZE = 16,
        LEVEL_SIZE = 16,
    };

    // A record of zeros: an empty slot.
    GameUserRecord() { bytes_.fill(0); }
    // False (and the record left empty) when fewer than 320 bytes are given.
    bool Assign(const uint8_t* data, size_t size);

    int32_t UserId() const { return I32(OFF_USER_ID); }
    bool IsEmpty() const { return UserId() == 0; }
    std::string_view Name() const { return Text(OFF_NAME, NAME_SIZE); }
    std::string_view SecondName() const { return Text(OFF_SECOND_NAME, SECOND_NAME_SIZE); }
    int32_t Sex() const { return I32(OFF_SEX); }
    int32_t Character() const { return I32(OFF_CHARACTER); }
    int32_t Silver() const { return I32(OFF_SILVER); }
    std::string_view Level() const { return Text(OFF_LEVEL, LEVEL_SIZE); }
    int32_t Score() const { return I32(OFF_SCORE); }
    int32_t Chair() const { return I32(OFF_CHAIR); }
    int32_t LookOn() const { return I32(OFF_LOOK_ON); }

    // Writers for the code that fills records (the application, tests); texts are cut to fit
    // their fields with a terminating zero.
    void SetI32(size_t offset, int32_t value);
    void SetText(size_t offset, size_t size, std::string_view text);
    void SetUserId(int32_t v) { SetI32(OFF_USER_ID, v); }
    void SetName(std::string_view t) { SetText(OFF_NAME, NAME_SIZE, t); }
    void SetSecondName(std::string_view t) { SetText(OFF_SECOND_NAME, SECOND_NAME_SIZE, t); }
    void SetSex(int32_t v) { SetI32(OFF_SEX, v); }
    void SetCharacter(int32_t v) { SetI32(OFF_CHARACTER, v); }
    void SetSilver(int32_t v) { SetI32(OFF_SILVER, v); }
    void SetLevel(std::string_view t) { SetText(OFF_LEVEL, LEVEL_SIZE, t); }
    void SetScore(int32_t v) { SetI32(OFF_SCORE, v); }
    void SetChair(int32_t v) { SetI32(OFF_CHAIR, v); }
    void SetLookOn(int32_t v) { SetI32(OFF_LOOK_ON, v); }

    const uint8_t* Data() const { return bytes_.data(); }
    uint8_t* MutableData() { return bytes_.data(); }

private:
    int32_t I32(size_t offset) const;
    std::string_view Text(size_t offset, size_t size) const;

    std::array<uint8_t, kSize> bytes_;
};

static_assert(sizeof(GameUserRecord) == GameUserRecord::kSize, "the hall's user record is 320 bytes");

} // namespace Lumora
