// Text from the server and the hall is GBK of unknown quality: conversion must never misbehave.
#include "platform/Charset.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    platform::Utf8ToGbk(platform::GbkToUtf8(bytes));
    platform::GbkToUtf8(platform::Utf8ToGbk(bytes));
    return 0;
}
