// Pinyin initials of GBK text, and the GBK conversion the program uses.

#include "data/mylib.h"
#include "data/pinyin_tables.h"

#include <QTextCodec>

#include <algorithm>
#include <array>
#include <iterator>

namespace {

// The single bytes copied to the code unchanged; every other byte starts a two-byte unit.
constexpr std::array<bool, 256> MakePassThrough()
{
    constexpr char kChars[] = "0123456789abcdefghijklmnopqrstuvwxyz"
                              "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                              "!.#$%()*+-,/[\\|^~`@{}_";
    std::array<bool, 256> set{};
    for (char c : kChars) {
        if (c != '\0') {
            set[static_cast<unsigned char>(c)] = true;
        }
    }
    return set;
}
constexpr std::array<bool, 256> kPassThrough = MakePassThrough();

// GB2312 level-1 characters are sorted by reading: each initial owns one contiguous run
// of code values, starting at the code given here and ending where the next one starts.
struct Level1Range
{
    unsigned first;
    char letter;
};
constexpr Level1Range kLevel1Ranges[] = {
    {0xB0A1, 'a'}, {0xB0C5, 'b'}, {0xB2C1, 'c'}, {0xB4EE, 'd'}, {0xB6EA, 'e'}, {0xB7A2, 'f'},
    {0xB8C1, 'g'}, {0xB9FE, 'h'}, {0xBBF7, 'j'}, {0xBFA6, 'k'}, {0xC0AC, 'l'}, {0xC2E8, 'm'},
    {0xC4C3, 'n'}, {0xC5B6, 'o'}, {0xC5BE, 'p'}, {0xC6DA, 'q'}, {0xC8BB, 'r'}, {0xC8F6, 's'},
    {0xCBFA, 't'}, {0xCDDA, 'w'}, {0xCEF4, 'x'}, {0xD1B9, 'y'}, {0xD4D1, 'z'},
};
constexpr unsigned kLevel1First = 0xB0A1;
constexpr unsigned kLevel1Last = 0xD7F9;

char Level1Letter(unsigned code)
{
    if (code < kLevel1First || code > kLevel1Last) {
        return 0;
    }
    const auto after = std::upper_bound(
        std::begin(kLevel1Ranges), std::end(kLevel1Ranges), code,
        [](unsigned value, const Level1Range &range) { return value < range.first; });
    return std::prev(after)->letter;
}

// A unit matches a table when its two bytes occur next to each other anywhere in the
// table's text, blanks included. So every adjacent byte pair of every text is indexed
// once, with the letter of the first table in search order that holds it; a unit is then
// answered by one lookup, malformed pairs (a blank and a lead byte, a trail byte and a
// blank) exactly as a search of the texts would answer them.
class RareInitialIndex
{
public:
    RareInitialIndex()
    {
        m_letters.fill(0);
        // Later tables first, so that earlier ones overwrite them.
        for (int t = kRareInitialTableCount - 1; t >= 0; --t) {
            const QByteArrayView text = kRareInitialTables[t].text;
            for (qsizetype i = 0; i + 1 < text.size(); ++i) {
                m_letters[Code(text[i], text[i + 1])] = kRareInitialTables[t].letter;
            }
        }
    }

    char Letter(unsigned code) const { return m_letters[code]; }

    static unsigned Code(char lead, char trail)
    {
        return static_cast<unsigned char>(lead) * 256u + static_cast<unsigned char>(trail);
    }

private:
    std::array<char, 65536> m_letters;
};

const RareInitialIndex &RareIndex()
{
    static const RareInitialIndex index;
    return index;
}

// Core5Compat carries GBK on every platform; the Latin-1 fallbacks below only keep a
// build without it from crashing (ASCII text still converts right).
QTextCodec *GbkCodec()
{
    static QTextCodec *const codec = QTextCodec::codecForName("GBK");
    return codec;
}

} // namespace

char Level1Initial(const QByteArray &twoBytes)
{
    const char lead = twoBytes.size() > 0 ? twoBytes.at(0) : '\0';
    const char trail = twoBytes.size() > 1 ? twoBytes.at(1) : '\0';
    return Level1Letter(RareInitialIndex::Code(lead, trail));
}

QByteArray PinyinInitials(const QByteArray &gbk)
{
    const RareInitialIndex &rare = RareIndex();
    QByteArray code;
    code.reserve(gbk.size());
    qsizetype i = 0;
    while (i < gbk.size()) {
        const char lead = gbk.at(i);
        if (kPassThrough[static_cast<unsigned char>(lead)]) {
            code.append(lead);
            ++i;
            continue;
        }
        // A lone last byte is paired with a zero byte.
        const char trail = i + 1 < gbk.size() ? gbk.at(i + 1) : '\0';
        const unsigned value = RareInitialIndex::Code(lead, trail);
        char letter = Level1Letter(value);
        if (letter == 0) {
            letter = rare.Letter(value);
        }
        code.append(letter != 0 ? letter : '!');
        i += 2;
    }
    return code;
}

QByteArray ToGbk(const QString &text)
{
    QTextCodec *codec = GbkCodec();
    return codec != nullptr ? codec->fromUnicode(text) : text.toLatin1();
}

QString FromGbk(const QByteArray &gbk)
{
    QTextCodec *codec = GbkCodec();
    return codec != nullptr ? codec->toUnicode(gbk) : QString::fromLatin1(gbk);
}
