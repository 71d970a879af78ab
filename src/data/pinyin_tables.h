#pragma once
// The rare-character tables behind PinyinInitials (generated into pinyin_tables.cpp by
// tools/gen_pinyin_tables.py). GB2312 level-1 characters are found by code range; the
// others are looked up here, one table per initial letter, in the order a..z.

#include <QByteArrayView>

struct RareInitialTable
{
    char letter;         // lower-case initial: one of "abcdefghjklmnopqrstwxyz"
    QByteArrayView text; // GBK characters, each followed by one blank
};

inline constexpr int kRareInitialTableCount = 23;

// In search order: the first table whose text holds a character gives its initial.
extern const RareInitialTable kRareInitialTables[kRareInitialTableCount];
