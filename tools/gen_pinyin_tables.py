#!/usr/bin/env python3
"""Generates src/data/pinyin_tables.cpp, the rare-character tables of PinyinInitials.

GB2312 sorts its level-1 characters (B0A1..D7F9) by reading, so their initials follow
from code ranges alone. The level-2 characters (D8A1..F7FE) are sorted by radical; for
them the program keeps one table per initial letter, 23 in all (no i, u, v), searched
in the order a..z. This script builds those tables from the Mandarin readings of the
Unihan database, as shipped in Debian's unicode-data package:

  * the readings of a character are those of kMandarin, kXHC1983 and kTGHZ2013
    (the dictionary fields look like "0118.010:chan 1115.060:tan"; the reading is the
    part after the colon);
  * a character stands in the table of the initial of each of its readings, once per
    table;
  * each table is ordered by toneless syllable (u-umlaut written v), then by code value;
  * a few characters are overridden by hand (see NO_TABLE and NOT_IN_TABLE below).

Each table is written as a GBK byte string holding every character followed by one
blank, which is the text PinyinInitials searches byte by byte.

Usage: tools/gen_pinyin_tables.py [--unihan PATH] [--output PATH]
Standard library only. Prints how the result compares with the reference tables.
"""

import argparse
import bz2
import collections
import pathlib
import subprocess
import sys
import unicodedata

LETTERS = "abcdefghjklmnopqrstwxyz"
FIELDS = ("kMandarin", "kXHC1983", "kTGHZ2013")

# Level-2 characters that stand in no table. 噢 (o) is missing from the historical
# tables, and the radical component forms and strokes are not written as characters in
# product names: Unihan gives them only a nominal kMandarin reading (no reading in the
# XHC 1983 or TGHZ 2013 dictionaries), and a code made from it would mislead.
NO_TABLE = (
    "噢"
    "丨丿丶匚刂冂亻勹亠冫冖讠卩阝廴凵艹廾扌囗彡犭夂饣忄丬氵宀辶彐屮纟巛"
    "攴攵灬礻肀钅疒衤虍糸髟"
)

# Single readings left out: 喔 is read wō in current use; its interjection readings ō
# and ò would put it before the w table.
NOT_IN_TABLE = {"o": "喔"}

# Sizes and first entries of the tables the codes in existing shop databases were made
# with. They also hold some level-1 characters, which are never looked up there and
# which this script leaves out, so the comparison is approximate by nature.
REFERENCE = {
    "a": (34, "锕捱嗳嗌嫒瑷暧砹锿霭"),
    "b": (143, "茇菝岜灞钯粑鲅魃捭掰"),
    "c": (194, "嚓礤孱骖璨粲黪嘈漕螬"),
    "d": (149, "耷哒嗒怛妲沓疸褡笪靼"),
    "e": (26, "噩谔垩苊莪萼呃愕屙婀"),
    "f": (83, "垡砝蕃蘩幡梵燔畈蹯坊"),
    "g": (151, "尬尕尜旮钆丐陔垓戤赅"),
    "h": (153, "蛤虾铪嘿咳嗨胲醢邗菡"),
    "j": (242, "丌亟乩剞佶偈诘墼芨芰"),
    "k": (100, "佧咔胩剀垲蒈忾恺铠锎"),
    "l": (234, "剌邋旯砬瘌崃徕涞濑赉"),
    "m": (133, "唛犸嬷杩蟆劢荬霾墁幔"),
    "n": (80, "捺肭镎衲鼐艿萘柰喃囝"),
    "o": (4, "讴怄瓯耦"),
    "p": (109, "葩杷钯筢俳蒎拚爿泮袢"),
    "q": (175, "亟亓俟圻芑芪荠萁萋葺"),
    "r": (38, "苒蚺髯禳穰荛娆桡仞荏"),
    "s": (205, "卅仨挲脎飒噻馓毵糁磉"),
    "t": (159, "獭挞蹋拓嗒闼溻漯遢榻"),
    "w": (92, "佤娲腽烷皖惋宛婉腕剜"),
    "x": (181, "僖兮隰郗茜菥葸蓰奚唏"),
    "y": (296, "垭揠岈迓娅琊桠氩砑睚"),
    "z": (241, "咂甾拶瓒昝簪糌趱錾奘"),
}
REFERENCE_NO_TABLE = 93  # level-2 characters in no reference table

DEFAULT_UNIHAN = pathlib.Path("/usr/share/unicode/Unihan_Readings.txt.bz2")
ENTRIES_PER_LINE = 12


def find_unihan():
    """Unihan_Readings from unicode-data: the usual path, else what dpkg lists."""
    if DEFAULT_UNIHAN.exists():
        return DEFAULT_UNIHAN
    try:
        listing = subprocess.run(["dpkg", "-L", "unicode-data"], capture_output=True,
                                 text=True, check=True).stdout.split()
    except (OSError, subprocess.CalledProcessError):
        listing = []
    for name in listing:
        if "Unihan_Readings" in name:
            return pathlib.Path(name)
    sys.exit("Unihan_Readings not found: install unicode-data (apt-get install "
             "unicode-data) or pass --unihan")


def read_readings(path):
    """Maps each character to the readings of FIELDS, in that order."""
    opener = bz2.open if path.suffix == ".bz2" else open
    readings = collections.defaultdict(list)
    with opener(path, "rt", encoding="utf-8") as lines:
        for line in lines:
            if line.startswith("#") or not line.strip():
                continue
            codepoint, field, value = line.rstrip("\n").split("\t", 2)
            if field not in FIELDS:
                continue
            char = chr(int(codepoint[2:], 16))
            for item in value.split():
                readings[char].append((FIELDS.index(field), item.rsplit(":", 1)[-1]))
    # Keep the field order whatever the order of the lines.
    return {char: [r for _, r in sorted(items, key=lambda x: x[0])]
            for char, items in readings.items()}


def toneless(reading):
    """Syllable without tone marks, lower case, u-umlaut as v: "lǘ" -> "lv"."""
    text = reading.lower().replace("ü", "v")
    text = unicodedata.normalize("NFD", text)
    return "".join(ch for ch in text if not unicodedata.combining(ch) and ch.isalpha())


def level2_characters():
    """(code value, character) of every GB2312 level-2 code that decodes."""
    result = []
    for lead in range(0xD8, 0xF8):
        for trail in range(0xA1, 0xFF):
            try:
                char = bytes((lead, trail)).decode("gbk")
            except UnicodeDecodeError:
                continue
            if len(char) == 1:
                result.append((lead * 256 + trail, char))
    return result


def build_tables(readings):
    """Letter -> [(syllable, code, char)] in table order; plus unplaced characters."""
    tables = {letter: [] for letter in LETTERS}
    unplaced = []
    for code, char in level2_characters():
        if char in NO_TABLE:
            unplaced.append((code, char, "override"))
            continue
        # Lowest syllable per initial: a character stands once in each table.
        best = {}
        for reading in readings.get(char, []):
            syllable = toneless(reading)
            if not syllable:
                continue
            letter = syllable[0]
            if letter not in tables or char in NOT_IN_TABLE.get(letter, ""):
                continue
            if letter not in best or syllable < best[letter]:
                best[letter] = syllable
        if not best:
            unplaced.append((code, char, "no reading"))
        for letter, syllable in best.items():
            tables[letter].append((syllable, code, char))
    for entries in tables.values():
        entries.sort()
    return tables, unplaced


def c_bytes(char):
    return "".join("\\x%02X" % b for b in char.encode("gbk"))


def write_cpp(tables, path):
    out = [
        "// Generated by tools/gen_pinyin_tables.py from the Unihan readings (kMandarin,",
        "// kXHC1983, kTGHZ2013) of the unicode-data package. Do not edit by hand: change",
        "// the script and run it again.",
        "//",
        "// One GBK text per initial letter; every character is followed by one blank.",
        "",
        '#include "data/pinyin_tables.h"',
        "",
        "namespace {",
        "",
        "// clang-format off",
    ]
    for letter in LETTERS:
        entries = tables[letter]
        out.append("// %s: %d characters" % (letter, len(entries)))
        out.append("constexpr char k%sText[] =" % letter.upper())
        if not entries:
            out.append('    "";')
        for start in range(0, len(entries), ENTRIES_PER_LINE):
            chunk = entries[start:start + ENTRIES_PER_LINE]
            literal = "".join(c_bytes(char) + " " for _, _, char in chunk)
            last = start + ENTRIES_PER_LINE >= len(entries)
            out.append('    "%s"%s // %s' % (literal, ";" if last else "",
                                              "".join(char for _, _, char in chunk)))
        out.append("")
    out.append("// clang-format on")
    out.append("")
    out.append("} // namespace")
    out.append("")
    out.append("const RareInitialTable kRareInitialTables[kRareInitialTableCount] = {")
    for letter in LETTERS:
        out.append("    {'%s', QByteArrayView(k%sText, sizeof(k%sText) - 1)},"
                   % (letter, letter.upper(), letter.upper()))
    out.append("};")
    path.write_text("\n".join(out) + "\n", encoding="utf-8")


def in_order(reference, chars):
    """Length of the longest run of `reference` that `chars` holds in the same order."""
    rank = {char: i for i, char in enumerate(chars)}
    positions = [rank[ch] for ch in reference if ch in rank]
    best = [0] * len(positions)
    for i, pos in enumerate(positions):
        best[i] = 1 + max((best[j] for j in range(i) if positions[j] < pos), default=0)
    return max(best, default=0)


def report(tables, unplaced):
    print("First entries: 'position' counts reference entries at the same place, 'present'")
    print("those anywhere in the table, 'order' the longest run kept in reference order.")
    print("letter  generated  reference  diff  position present order  first generated")
    total_pos = total_present = total_order = total_ref = 0
    for letter in LETTERS:
        size, firsts = REFERENCE[letter]
        chars = [char for _, _, char in tables[letter]]
        members = set(chars)
        pos = sum(1 for i, ch in enumerate(firsts) if i < len(chars) and chars[i] == ch)
        present = sum(1 for ch in firsts if ch in members)
        order = in_order(firsts, chars)
        total_pos += pos
        total_present += present
        total_order += order
        total_ref += len(firsts)
        print("  %s     %5d      %5d   %+4d   %5d/%-2d %4d/%-2d %3d/%-2d  %s" % (
            letter, len(chars), size, len(chars) - size, pos, len(firsts), present,
            len(firsts), order, len(firsts), "".join(chars[:10])))
    generated = sum(len(t) for t in tables.values())
    distinct = len({char for t in tables.values() for _, _, char in t})
    reference = sum(size for size, _ in REFERENCE.values())
    print("total   %5d      %5d   %+4d   %d/%d %d/%d %d/%d" % (
        generated, reference, generated - reference, total_pos, total_ref, total_present,
        total_ref, total_order, total_ref))
    print("distinct characters: %d; in several tables: %d" % (
        distinct, sum(1 for c in collections.Counter(
            char for t in tables.values() for _, _, char in t).values() if c > 1)))
    print("level-2 characters in no table: %d (reference %d): %s" % (
        len(unplaced), REFERENCE_NO_TABLE, "".join(char for _, char, _ in unplaced)))
    missing = [(letter, ch) for letter in LETTERS for ch in REFERENCE[letter][1]
               if ch not in {c for _, _, c in tables[letter]}]
    if missing:
        print("reference first entries not in their table (level-1 characters are left "
              "out by design):")
        for letter, ch in missing:
            code = int.from_bytes(ch.encode("gbk"), "big")
            print("  %s %s %04X%s" % (letter, ch, code,
                                      " level-1" if code <= 0xD7F9 else ""))


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--unihan", type=pathlib.Path, help="Unihan_Readings.txt[.bz2]")
    parser.add_argument("--output", type=pathlib.Path,
                        default=root / "src" / "data" / "pinyin_tables.cpp")
    args = parser.parse_args()

    readings = read_readings(args.unihan or find_unihan())
    tables, unplaced = build_tables(readings)
    write_cpp(tables, args.output)
    print("wrote %s" % args.output)
    report(tables, unplaced)


if __name__ == "__main__":
    main()
