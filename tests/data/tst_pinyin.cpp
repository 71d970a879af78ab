// Pinyin initials: the codes stored beside product names and used for sale numbers.

#include "data/mylib.h"
#include "data/pinyin_tables.h"

#include <QSet>
#include <QTest>

namespace {

QByteArray Gbk(const char *utf8)
{
    return ToGbk(QString::fromUtf8(utf8));
}

QByteArray Bytes(unsigned code)
{
    QByteArray bytes(2, '\0');
    bytes[0] = static_cast<char>(code >> 8);
    bytes[1] = static_cast<char>(code & 0xFF);
    return bytes;
}

// The letter of a unit found the slow, literal way: level-1 range, else the first table
// whose text holds the two bytes next to each other, else '!'.
char ReferenceLetter(const QByteArray &unit)
{
    if (char letter = Level1Initial(unit)) {
        return letter;
    }
    for (const RareInitialTable &table : kRareInitialTables) {
        if (table.text.indexOf(QByteArrayView(unit)) >= 0) {
            return table.letter;
        }
    }
    return '!';
}

QList<QByteArray> Entries(const RareInitialTable &table)
{
    QList<QByteArray> entries;
    for (qsizetype i = 0; i + 2 < table.text.size(); i += 3) {
        entries.append(table.text.sliced(i, 2).toByteArray());
    }
    return entries;
}

const RareInitialTable *Table(char letter)
{
    for (const RareInitialTable &table : kRareInitialTables) {
        if (table.letter == letter) {
            return &table;
        }
    }
    return nullptr;
}

} // namespace

class TestPinyin : public QObject
{
    Q_OBJECT
private slots:
    void initials_data();
    void initials();
    void everyUnitMatchesTableSearch();
    void level1Ranges_data();
    void level1Ranges();
    void level1Outside_data();
    void level1Outside();
    void tablesAreWellFormed();
    void tablesHoldKnownEntries_data();
    void tablesHoldKnownEntries();
    void gbkConversion();
};

void TestPinyin::initials_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("operator name") << Gbk("超级管理员") << QByteArray("cjgly");
    QTest::newRow("product") << Gbk("矿泉水") << QByteArray("kqs");
    QTest::newRow("ascii keeps case") << Gbk("冰红茶500ML") << QByteArray("bhc500ML");
    QTest::newRow("brackets") << Gbk("(大)号") << QByteArray("(d)h");
    QTest::newRow("level-2 one table") << Gbk("亓") << QByteArray("q");
    QTest::newRow("level-2 c,t,x tables") << Gbk("镡") << QByteArray("c");
    QTest::newRow("level-2 b,p tables") << Gbk("陂") << QByteArray("b");
    QTest::newRow("wo not under o") << Gbk("喔") << QByteArray("w");
    QTest::newRow("level-2 in no table") << Gbk("噢丨丿丶") << QByteArray("!!!!");
    QTest::newRow("full-width comma") << QByteArray("\xA3\xAC") << QByteArray("!");
    QTest::newRow("gbk below level-1") << QByteArray("\xA0\xC4") << QByteArray("!");
    QTest::newRow("gbk trail below A1 in range") << QByteArray("\xB1\x40") << QByteArray("b");
    QTest::newRow("gbk above level-2") << QByteArray("\xF8\xA1\xFE\xFE") << QByteArray("!!");

    QTest::newRow("pass-through set")
        << QByteArray("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                      "!.#$%()*+-,/[\\|^~`@{}_")
        << QByteArray("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                      "!.#$%()*+-,/[\\|^~`@{}_");
    // Each of these bytes swallows the letter after it.
    QTest::newRow("other ascii pairs up")
        << QByteArray("&a\"a'a:a;a<a=a>a?a]a\ta\177a") << QByteArray("!!!!!!!!!!!!");
    QTest::newRow("blank swallows b") << QByteArray("a b") << QByteArray("a!");
    QTest::newRow("blank swallows digit") << Gbk("可口可乐 330ml") << QByteArray("kkkl!30ml");
    QTest::newRow("zero byte pairs up") << QByteArray("\0a", 2) << QByteArray("!");
    // The blank takes the lead byte of 矿; 泉 and 水 are then read one byte late:
    // F3C8 (笕, j), AACB (nothing), AE + end.
    QTest::newRow("blank shifts chinese") << Gbk(" 矿泉水") << QByteArray("!j!!");

    QTest::newRow("lone level-1 lead") << QByteArray("\xC1") << QByteArray("l");
    QTest::newRow("final lone lead") << QByteArray("\xBF\xF3\xC1") << QByteArray("kl");
    QTest::newRow("lone lead outside") << QByteArray("\xD8") << QByteArray("!");
    QTest::newRow("final blank") << Gbk("亓 ") << QByteArray("q!");
}

void TestPinyin::initials()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(PinyinInitials(input), expected);
}

// Every two-byte unit, well-formed or not, gets the letter a literal search of the table
// texts gives, including a blank followed by a lead byte or a trail byte followed by a
// blank.
void TestPinyin::everyUnitMatchesTableSearch()
{
    const QByteArray passThrough = "0123456789abcdefghijklmnopqrstuvwxyz"
                                   "ABCDEFGHIJKLMNOPQRSTUVWXYZ!.#$%()*+-,/[\\|^~`@{}_";
    int mismatches = 0;
    for (unsigned code = 0; code < 0x10000; ++code) {
        const QByteArray unit = Bytes(code);
        if (passThrough.contains(unit.at(0))) {
            continue;
        }
        const QByteArray expected(1, ReferenceLetter(unit));
        const QByteArray actual = PinyinInitials(unit);
        if (actual != expected && ++mismatches <= 5) {
            qWarning("unit %04X: got %s, expected %s", code, actual.constData(),
                     expected.constData());
        }
    }
    QCOMPARE(mismatches, 0);
}

void TestPinyin::level1Ranges_data()
{
    QTest::addColumn<char>("letter");
    QTest::addColumn<unsigned>("first");
    QTest::addColumn<unsigned>("last");
    QTest::addColumn<QString>("firstChar");
    QTest::addColumn<QString>("lastChar");

    struct Row
    {
        char letter;
        unsigned first;
        unsigned last;
        const char *firstChar;
        const char *lastChar;
    };
    const Row rows[] = {
        {'a', 0xB0A1, 0xB0C4, "啊", "澳"}, {'b', 0xB0C5, 0xB2C0, "芭", "怖"},
        {'c', 0xB2C1, 0xB4ED, "擦", "错"}, {'d', 0xB4EE, 0xB6E9, "搭", "堕"},
        {'e', 0xB6EA, 0xB7A1, "蛾", "贰"}, {'f', 0xB7A2, 0xB8C0, "发", "咐"},
        {'g', 0xB8C1, 0xB9FD, "噶", "过"}, {'h', 0xB9FE, 0xBBF6, "哈", "祸"},
        {'j', 0xBBF7, 0xBFA5, "击", "骏"}, {'k', 0xBFA6, 0xC0AB, "喀", "阔"},
        {'l', 0xC0AC, 0xC2E7, "垃", "络"}, {'m', 0xC2E8, 0xC4C2, "妈", "穆"},
        {'n', 0xC4C3, 0xC5B5, "拿", "诺"}, {'o', 0xC5B6, 0xC5BD, "哦", "沤"},
        {'p', 0xC5BE, 0xC6D9, "啪", "瀑"}, {'q', 0xC6DA, 0xC8BA, "期", "群"},
        {'r', 0xC8BB, 0xC8F5, "然", "弱"}, {'s', 0xC8F6, 0xCBF9, "撒", "所"},
        {'t', 0xCBFA, 0xCDD9, "塌", "唾"}, {'w', 0xCDDA, 0xCEF3, "挖", "误"},
        {'x', 0xCEF4, 0xD1B8, "昔", "迅"}, {'y', 0xD1B9, 0xD4D0, "压", "孕"},
        {'z', 0xD4D1, 0xD7F9, "匝", "座"},
    };
    for (const Row &row : rows) {
        QTest::addRow("%c", row.letter)
            << row.letter << row.first << row.last << QString::fromUtf8(row.firstChar)
            << QString::fromUtf8(row.lastChar);
    }
}

// The ranges are contiguous: the code before a range's first belongs to the previous one.
void TestPinyin::level1Ranges()
{
    QFETCH(char, letter);
    QFETCH(unsigned, first);
    QFETCH(unsigned, last);
    QFETCH(QString, firstChar);
    QFETCH(QString, lastChar);

    QCOMPARE(FromGbk(Bytes(first)), firstChar);
    QCOMPARE(FromGbk(Bytes(last)), lastChar);
    QCOMPARE(Level1Initial(Bytes(first)), letter);
    QCOMPARE(Level1Initial(Bytes(last)), letter);
    QVERIFY(Level1Initial(Bytes(first - 1)) != letter);
    QVERIFY(Level1Initial(Bytes(last + 1)) != letter);
    QCOMPARE(PinyinInitials(Bytes(first) + Bytes(last)), QByteArray(2, letter));
}

void TestPinyin::level1Outside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<char>("expected");

    QTest::newRow("just below") << Bytes(0xB0A0) << '\0';
    QTest::newRow("just above") << Bytes(0xD7FA) << '\0';
    QTest::newRow("end of row D7") << Bytes(0xD7FE) << '\0';
    QTest::newRow("symbols") << Bytes(0xA1A1) << '\0';
    QTest::newRow("level-2") << Bytes(0xD8A1) << '\0';
    QTest::newRow("top") << Bytes(0xFFFF) << '\0';
    QTest::newRow("ascii") << QByteArray("ab") << '\0';
    QTest::newRow("trail below A1") << Bytes(0xB140) << 'b';
    QTest::newRow("lone lead") << QByteArray("\xC1") << 'l';
    QTest::newRow("empty") << QByteArray() << '\0';
}

void TestPinyin::level1Outside()
{
    QFETCH(QByteArray, bytes);
    QFETCH(char, expected);
    QCOMPARE(Level1Initial(bytes), expected);
}

// What the byte-wise search relies on: one table per letter in search order, each text
// a run of "level-2 character + one blank", no character twice in a table.
void TestPinyin::tablesAreWellFormed()
{
    QByteArray letters;
    for (const RareInitialTable &table : kRareInitialTables) {
        letters.append(table.letter);
        const QByteArrayView text = table.text;
        QVERIFY2(!text.isEmpty() && text.size() % 3 == 0, QByteArray(1, table.letter).constData());
        QSet<QByteArray> seen;
        for (qsizetype i = 0; i < text.size(); i += 3) {
            const auto lead = static_cast<unsigned char>(text[i]);
            const auto trail = static_cast<unsigned char>(text[i + 1]);
            QVERIFY(lead >= 0xD8 && lead <= 0xF7);
            QVERIFY(trail >= 0xA1 && trail <= 0xFE);
            QCOMPARE(text[i + 2], ' ');
            const QByteArray entry = text.sliced(i, 2).toByteArray();
            QCOMPARE(FromGbk(entry).size(), 1);
            QVERIFY(!seen.contains(entry));
            seen.insert(entry);
        }
    }
    QCOMPARE(letters, QByteArray("abcdefghjklmnopqrstwxyz"));
}

void TestPinyin::tablesHoldKnownEntries_data()
{
    QTest::addColumn<char>("letter");
    QTest::addColumn<QByteArray>("entries");

    // First entries of the tables existing codes were made with. Their level-1
    // characters are never looked up in the tables and are left out here.
    const char *const rows[][2] = {
        {"a", "锕捱嗳嗌嫒瑷暧砹锿霭"}, {"b", "茇菝岜灞钯粑鲅魃捭掰"},
        {"c", "嚓礤孱骖璨粲黪嘈漕螬"}, {"d", "耷哒嗒怛妲沓疸褡笪靼"},
        {"e", "噩谔垩苊莪萼呃愕屙婀"}, {"f", "垡砝蕃蘩幡梵燔畈蹯"},
        {"g", "尬尕尜旮钆丐陔垓戤赅"}, {"h", "铪嗨胲醢邗菡"},
        {"j", "丌亟乩剞佶偈诘墼芨芰"}, {"k", "佧咔胩剀垲蒈忾恺铠锎"},
        {"l", "剌邋旯砬瘌崃徕涞濑赉"}, {"m", "唛犸嬷杩蟆劢荬霾墁幔"},
        {"n", "捺肭镎衲鼐艿萘柰喃囝"}, {"o", "讴怄瓯耦"},
        {"p", "葩杷钯筢俳蒎拚爿泮袢"}, {"q", "亟亓俟圻芑芪荠萁萋葺"},
        {"r", "苒蚺髯禳穰荛娆桡仞荏"}, {"s", "卅仨挲脎飒噻馓毵糁磉"},
        {"t", "嗒闼溻漯遢榻"},         {"w", "佤娲腽剜"},
        {"x", "僖兮隰郗茜菥葸蓰奚唏"}, {"y", "垭揠岈迓娅琊桠氩砑睚"},
        {"z", "咂甾拶瓒昝簪糌趱錾奘"},
    };
    for (const auto &row : rows) {
        QTest::newRow(row[0]) << row[0][0] << Gbk(row[1]);
    }
}

void TestPinyin::tablesHoldKnownEntries()
{
    QFETCH(char, letter);
    QFETCH(QByteArray, entries);

    const RareInitialTable *table = Table(letter);
    QVERIFY(table != nullptr);
    const QList<QByteArray> held = Entries(*table);
    for (qsizetype i = 0; i < entries.size(); i += 2) {
        const QByteArray entry = entries.mid(i, 2);
        QVERIFY2(held.contains(entry), qPrintable(FromGbk(entry)));
    }
    if (letter == 'o') {
        QCOMPARE(held.size() * 2, entries.size());
    }
}

void TestPinyin::gbkConversion()
{
    const QString text = QString::fromUtf8("冰红茶500ML，犇");
    const QByteArray gbk = ToGbk(text);
    QCOMPARE(gbk, QByteArray("\xB1\xF9\xBA\xEC\xB2\xE8"
                             "500ML\xA3\xAC\xA0\xC4"));
    QCOMPARE(FromGbk(gbk), text);
    QCOMPARE(ToGbk(QString()), QByteArray());
}

QTEST_GUILESS_MAIN(TestPinyin)
#include "tst_pinyin.moc"
