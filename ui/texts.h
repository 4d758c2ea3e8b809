// The status texts, Shift-JIS (code page 932) byte strings of 8 bytes.
#pragma once

#include "state.h"

// Indexed by status code; STATUS_NONE has no text.
inline constexpr const char* STATUS_TEXTS[] = {
    "",
    "\x92\x54 \x8d\xf5 \x92\x86",      // 探 索 中
    "\x92\x54\x8d\xf5\x8f\x49\x97\xb9",  // 探索終了
    "\x96\xe2\x91\xe8\x88\xd9\x8f\xed",  // 問題異常
    "\x8f\x64\x95\xa1\x82\xa0\x82\xe8",  // 重複あり
};
