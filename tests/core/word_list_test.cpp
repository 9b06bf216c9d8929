// The word list from bytes to the game's table: texts read alike in every
// encoding, at the real read size and in small reads, 8-bit files, and
// start-up with the files that are and are not word lists. The table is read
// as the fuzz target reads its inputs, and is its seeds.
#include "core/word_list.h"
#include "core/scripted_platform.h"
#include "core/read_words.h"

#include <QDir>
#include <QRandomGenerator>
#include <QFile>
#include <QStringConverter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>
#include <tuple>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

static void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace skyquill {
namespace {

using namespace Qt::StringLiterals;
using Words = std::optional<std::vector<QString>>;  // none: not a word list

// "word00000" and on, nine characters each: the words of a list of realistic size.
QStringList numbered(int count)
{
    QStringList words;
    while (words.size() < count)
        words.append(u"word%1"_s.arg(words.size(), 5, 10, QChar(u'0')));
    return words;
}

Words listed(const QStringList& words) { return std::vector<QString>(words.begin(), words.end()); }

QByteArray utf16(const QString& text, bool little, bool bom = true)
{
    using enum QStringConverter::Encoding;
    return QStringEncoder(little ? Utf16LE : Utf16BE, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default)(text);
}

TEST(WordList, ReadsUtf8Utf16OrTheCodePageOfItsLanguage)
{
    qputenv("LC_ALL", "C.UTF-8");  // a player of no language: the bytes alone tell
    const QString letters(kMaxLineChars, u'x');
    const QString emoji = u"😀"_s.repeated(kMaxLineChars / 2);  // two code units each
    const QString han(kMaxLineChars, u'漢');                    // three bytes each in UTF-8
    // The first and last characters of three and four bytes, and those around the surrogates.
    const QString edges = u"\u0800\uD7FF\uE000\uFFFD\U00010000\U0010FFFF"_s;
    const std::pair<QString, Words> texts[] = {
        // A word stored decomposed is read as stored: it is shown in NFC.
        {u"  apple\r\nBanana\t\n\n \t\v\f \r\rice cream\rpear  \ncafe\u0301 😀\r\n\v\f Apple  \n"_s,
         Words{{u"apple"_s, u"Banana"_s, u"ice cream"_s, u"pear"_s, u"cafe\u0301 😀"_s, u"Apple"_s}}},
        // Lines that can't be typed are skipped; a line's leading mark (files joined with cat) is dropped.
        {u"eof\x1A\nunit\x1Fsep\nform\ffeed\n\t\vends\f\ndel\x7F\n\u0081c1\nc1\u009F\n\u00A0nbsp\n\uFEFF\n\uFEFF \tone\n"
         u"\uFEFF\uFEFFtwo\nmid\uFEFFdle\nlast\x1A"_s,
         Words{{u"ends"_s, u"\u00A0nbsp"_s, u"one"_s, u"\uFEFFtwo"_s, u"mid\uFEFFdle"_s}}},
        // The limit counts the whole line, blanks included.
        {u"a\n"_s + letters + u"\r\n"_s + emoji + u'\n' + han + u"\n"_s + edges, Words{{u"a"_s, letters, emoji, han, edges}}},
        {u' ' + letters, std::nullopt},
        {emoji + u"😀"_s, std::nullopt},
        {u"ab\nc"_s + QChar(0) + u"d\n"_s, std::nullopt},
        {QString(5 * kMaxLineChars, u'q'), std::nullopt},
        // Reading stops at the 10,000th word: what follows changes nothing.
        {numbered(100000).join(u'\n'), listed(numbered(kMaxWords))},
        {numbered(kMaxWords).join(u'\n') + u'\n' + QString(5 * kMaxLineChars, u'q') + QChar(0), listed(numbered(kMaxWords))},
    };
    const Words okEnd{{u"ok"_s, u"end"_s}};
    std::vector<std::pair<QByteArray, Words>> rows = {
        {"caf\xC3\xA9\ncaf\xE9\ngar\xE7on\n", Words{{u"cafÃ©"_s, u"café"_s, u"garçon"_s}}},  // one line not UTF-8: all of it Windows-1252
        {"\xC2\x85\n\xC3\x81\n\xE9", Words{{u"Â…"_s, u"é"_s}}},  // U+0085 is a control in UTF-8, 0x81 in Windows-1252
        {QByteArray(kMaxLineChars, '\xE9') + "\n" + QByteArray(kMaxLineChars + 1, '\xE9'), std::nullopt},
        {"\xEF\xBB\n\xFF\n\xFE", Words{{u"ï»"_s, u"ÿ"_s, u"þ"_s}}},  // not quite marks
        {QByteArray("abc\n\n\0", 6), std::nullopt},  // a NUL after a line end: not UTF-16, its other line end falls on a high byte
        {"\x81\n\x8D\n\x8F\n\x90\n\x9D\nd\xE9j\xE0 \x80\x9F\nch\xE2teau", Words{{u"déjà €Ÿ"_s, u"château"_s}}},  // the five bytes it leaves undefined
        {QByteArray("\xFF\xFE" "a\0\n\0b", 7), std::nullopt},  // an odd byte count
        // After the UTF-8 mark a line that is not UTF-8 is skipped: the lead
        // bytes' edges for two, three and four bytes, a stray continuation byte, cut short.
        {"\xEF\xBB\xBFok\n\xC0\xAF\n\xC1\xBF\n\xE0\x9F\xBF\n\xED\xA0\x80\n\xED\xBF\xBF\n\xF0\x8F\xBF\xBF\n\xF4\x90\x80\x80\n"
         "\xF5\x80\x80\x80\n\xFF\n\x80\n\xC3\n\xE6\xBC\n\xF0\x9F\x98\nend", okEnd},
    };
    // Windows-1252 with CR LF, eleven bytes a line: the first accented word
    // on the first line, on the last line the first read holds whole, or on
    // the line cut by its end.
    for (const int line : {0, int{kReadChunkBytes / 11} - 1, int{kReadChunkBytes / 11}}) {
        QStringList words = numbered(line + 300);
        words[line][1] = u'ö';
        rows.emplace_back(words.join(u"\r\n"_s).toLatin1(), listed(words));
    }
    for (const auto& [text, words] : texts)
        for (const QByteArray& bytes : {text.toUtf8(), "\xEF\xBB\xBF" + text.toUtf8(), utf16(text, true), utf16(text, false),
                                        utf16(text, true, false), utf16(text, false, false)})
            rows.emplace_back(bytes, words);
    // A handful of a language's words, as a player would save them on
    // Windows (or elsewhere) in its code pages, after the player's locale;
    // short Western lists read as before.
    const std::pair<const char*, QString> languages[] = {
        {"uk_UA.UTF-8 windows-1251", u"вулиця|гарний|дзеркало|жовтий|зустріч|їжак|книжка|любов|місто|щастя"_s},      // Ukrainian
        {"ru_RU.UTF-8 windows-1251 KOI8-R", u"здравствуйте|время|работа|жизнь|человек|город|вопрос|большой|письмо|счастье"_s},  // Russian
        {"uk_UA.UTF-8 KOI8-U", u"їжак|ґанок|гарний|дзеркало|жовтий|зустріч|книжка|любов|місто|щастя"_s},
        {"bg_BG.UTF-8 windows-1251", u"вечер|държава|жълт|книга|любов|мъж|пътека|сърце|щастие|ябълка"_s},             // Bulgarian
        {"pl_PL.UTF-8 windows-1250", u"wydukując|żółw|źdźbło|gęś|ślub|łódź|miłość|książka|pięć|dziękuję"_s},             // Polish
        {"pl_PL.UTF-8 ISO-8859-2", u"mikotanym|senie|Jodłówki|siwieliby|ściesce|Kaźmierce|Protonowi|mruczanko|pomytemu|szczenimy"_s},  // "Jod" tells
        {"cs_CZ.UTF-8 windows-1250 ISO-8859-2", u"příliš|žluťoučký|kůň|úpěl|ďábelské|řeka|čaj|šťastný|město|hřebík"_s},  // Czech
        {"el_GR.UTF-8 windows-1253", u"λέξη|καλημέρα|θάλασσα|ουρανός|αγάπη|ψυχή|χρόνος|ζωή|ήλιος|Άνθρωπος"_s},          // Greek
        {"tr_TR.UTF-8 windows-1254", u"çiçek|ağaç|güneş|kitap|öğretmen|şeker|ışık|dağ|gözlük|yıldız"_s},                // Turkish
        {"he_IL.UTF-8 windows-1255", u"שלום|מים|אהבה|ספר|בית|ילד|עולם|שמש|לחם|חבר"_s},                                  // Hebrew
        {"ar_EG.UTF-8 windows-1256", u"مرحبا|كتاب|مدرسة|شمس|قمر|بحر|سماء|بيت|صديق|ماء"_s},                              // Arabic
        {"th_TH.UTF-8 windows-874", u"ภาษา|สวัสดี|ขอบคุณ|โรงเรียน|ดอกไม้|น้ำ|หนังสือ|ทะเล|ความรัก|อาหาร"_s},                   // Thai
        {"ja_JP.UTF-8 Shift_JIS EUC-JP", u"時間|日本語|ありがとう|さくら|東京|学校|先生|友達|音楽|カタカナ"_s},  // Japanese
        {"zh_CN.UTF-8 GBK", u"工作|中国|朋友|学习|电脑|老师|天气|时间|谢谢|音乐"_s},                                      // Chinese
        {"zh_TW.UTF-8 Big5", u"工作|中國|朋友|學習|電腦|老師|天氣|時間|謝謝|音樂"_s},
        {"ko_KR.UTF-8 EUC-KR", u"안녕하세요|사랑|학교|친구|시간|한국어|음악|바다|하늘|감사합니다"_s},                      // Korean
        {"lt_LT.UTF-8 windows-1257", u"ačiū|žąsis|šeštadienis|mėnulis|ąžuolas|gėlė|įlanka|ūkis|švęsti|žmogus"_s},           // Lithuanian
        {"ro_RO.UTF-8 windows-1250", u"micuţă|şcoală|pădure|ţară|înţelepciune|făină|şarpe|mâine|ştiinţă|învăţător"_s},  // Romanian, as saved before ș ț
        {"hr_HR.UTF-8 windows-1250", u"čovjek|ćevapi|đak|šuma|žaba|kuća|noć|džep|ljubav|večer"_s},                      // Croatian
        {"hu_HU.UTF-8 windows-1250", u"főképp|tűz|örökké|szőlő|gyűrű|ősz|búza|kőris|fűzfa|hűség"_s},                    // Hungarian
        {"de_DE.UTF-8 windows-1252", u"Mädchen|Größe|Straße|schön|Brücke|fünf|Käse|Übung|heißen|müde"_s},              // German
        {"fr_FR.UTF-8 windows-1252", u"élève|forêt|garçon|cœur|hôpital|naïf|déjà|où|Noël|château"_s},                  // French
        {"es_ES.UTF-8 windows-1252", u"niño|corazón|español|mañana|canción|árbol|pingüino|señor|año|búho"_s},           // Spanish
        {"it_IT.UTF-8 windows-1252", u"città|perché|più|caffè|università|però|così|virtù|papà|lunedì"_s},               // Italian
        {"es_ES.UTF-8 windows-1252", u"colodión|príncipe|merchán|gárgol|céltica|sermón|temático|sínfito|cárdeno|coloño"_s},  // Spanish and
        {"pt_PT.UTF-8 windows-1252", u"bagámos|Gusmão|alugá|formulá|chofrará|Sílvia|orásseis|penámos|alourará|neváveis"_s},  // Portuguese a detector took for Central European
        {"de_DE.UTF-8 ISO-8859-1", u"grün|Tür|Bäcker|hören|Fuß|Löwe|Zähne|Schlüssel|Frühling|Gemüse"_s},
        {"fr_FR.UTF-8 ISO-8859-1", u"très|après|voilà|goût|mère|père|fève|crème|île|garçon"_s},
        {"es_ES.UTF-8 ISO-8859-1", u"jamón|camión|pequeño|niña|ratón|limón|sueño|música|fácil|avión"_s},
    };
    for (const auto& [codePages, words] : languages)
        for (const QByteArray& codePage : QByteArray(codePages).split(' ').mid(1))
            rows.emplace_back(QByteArray(QStringEncoder(codePage.constData())(words)).replace('|', "\r\n"), listed(words.split(u'|')));
    // A dictionary whose first Cyrillic word lies past the first read; and a
    // list whose 10,000th word is its first accented one, which what follows
    // it (Cyrillic) must not tell the code page of.
    const QStringList ascii = numbered(7000), cyrillic = QString(languages[0].second + u'|').repeated(9300).split(u'|', Qt::SkipEmptyParts);
    rows.emplace_back(ascii.join(u"\r\n").toLatin1() + "\r\n" + QStringEncoder("windows-1251")(cyrillic.join(u"\r\n")),
                      listed((ascii + cyrillic).mid(0, kMaxWords)));
    rows.emplace_back((numbered(kMaxWords - 1) + QStringList{u"café"_s}).join(u"\r\n").toLatin1() + "\r\n" +
                          QStringEncoder("windows-1251")(cyrillic.mid(0, 300).join(u"\r\n")),
                      listed(numbered(kMaxWords - 1) + QStringList{u"café"_s}));
    // Where the bytes alone can't tell (simpatični in Windows-1250 reads as
    // simpatièni, a French word to the letters, in Windows-1252, and three
    // words are too few for CLD2), the player's language does, foreign names and all; its locale's own code
    // page first. A French player's language claims no Czech list
    // whose letters are mostly foreign to French.
    const std::tuple<const char*, const char*, QString, const char*> players[] = {
        {"LC_CTYPE=hr_HR.UTF-8", "windows-1250", u"simpatični|večer|Hollywood"_s, "windows-1250"},
        {"LC_ALL=C.UTF-8", "windows-1250", u"simpatični|večer|Hollywood"_s, "windows-1252"},
        {"LC_ALL=C.UTF-8", "windows-1254", u"barıştıramayınca|hayasız|sadaka|eşitliği|yaşlama"_s, "windows-1254"},  // Icelandic letters in Windows-1252, but both detectors say Turkish
        {"LC_ALL=C.UTF-8", "windows-874", u"ศนิวาร|ฉายา|ประสาทปริญญา|มิชิแกน|อุปนิสัย"_s, "windows-874"},  // a page ICU doesn't know, and uchardet misses
        {"LC_ALL=C.UTF-8", "windows-1257", u"drenaažega|puändikaga|haigutuste|uinunumani|kohrutan"_s, "windows-1257"},  // þ in Windows-1252 is no Estonian letter: the words are
        {"LC_ALL=C.UTF-8", "ISO-8859-2", u"panis|Clausewitz|bufoniarstwo|żmący|niepytający"_s, "ISO-8859-2"},  // ICU's second guess
        {"LC_ALL=C.UTF-8", "EUC-JP", u"さしあげよ|のりうつれ|ドトール|かけれ|諒し"_s, "EUC-JP"},  // clean words in Thai, but 諒, no letter of ICU's Japanese, is a letter
        {"LC_ALL=sr_RS.UTF-8@latin", "windows-1250", u"zvijezda|očajavati|neokretni|veslač|evangelik"_s, "windows-1250"},
        {"LC_ALL=C.UTF-8", "windows-1257", u"ačiū|Washington|žąsis"_s, "windows-1257"},  // ASCII's letters are Lithuanian's too
        {"LC_ALL=C.UTF-8", "windows-1250", u"austrougarski|zrnevlje|imobilizirati|podjetinjili|kolutati|obučen|pandemonij|ZKM|akalkulija|srneći"_s, "windows-1250"},  // told from the start of obučen's line, not from its č
        {"LC_ALL=C.UTF-8", "windows-1252", u"kelennekañ|talvezetañ|dramaourezed|frederio|c'hambradigoù|gañsellerezh|c'hreñvaont|pouderezed|Prusianig|zec'halv"_s, "windows-1252"},  // Breton: every reading has a strange letter, so CLD2 weighs none
        // Where both letters fit, the words tell: Croatian, not French with è; Italian, not Lithuanian with ą.
        {"LC_ALL=C.UTF-8", "windows-1250", u"teoforični|ekspanzionizam|prekriti|arabizirati|zavjetovati"_s, "windows-1250"},
        {"LC_ALL=C.UTF-8", "windows-1252", u"boscosità|sontuosità|arcade|ruffianeria|qualcun"_s, "windows-1252"},  // Lithuanian letters in Windows-1257, but Italian words
        {"LC_ALL=fo_FO.UTF-8", "windows-1252", u"revsmakar|álvarstalan|súluføtur|øskubrandum|lættkeyptan"_s, "windows-1252"},  // a language of no page here: any page
        {"LC_ALL=eu_ES.UTF-8", "windows-1252", u"petralkeri|gaiztagi|zizkiekete|kurtosi|nô"_s, "windows-1252"},  // not Shift_JIS, where ô's byte ends the list half a letter
        {"LC_ALL=cs_CZ.UTF-8", "ISO-8859-2", u"autoreferenční|Mühlbach|lístkovnice"_s, "ISO-8859-2"},
        {"LC_ALL=cs_CZ.UTF-8", "windows-1250", u"večer|Mühlbach|kolo"_s, "windows-1250"},
        {"LANG=fr_FR.UTF-8", "windows-1250", u"kolotočářka|úpěl|město"_s, "windows-1250"},
        {"LC_ALL=ru_RU.KOI8-R", "KOI8-R", u"ВРЕМЯ|РАБОТА|ЖИЗНЬ"_s, "KOI8-R"},
        {"LC_ALL=ru_RU.UTF-8", "KOI8-R", u"время|работа|жизнь"_s, "KOI8-R"},
    };
    for (const auto& [locale, written, words, read] : players) {
        qunsetenv("LC_ALL");
        qputenv("LANG", "C.UTF-8");
        qputenv(QByteArray(locale).split('=')[0], QByteArray(locale).split('=')[1]);
        const QByteArray bytes = QByteArray(QStringEncoder(written)(words)).replace('|', "\r\n");
        EXPECT_EQ(decode(bytes, kReadChunkBytes).first, listed(QString(QStringDecoder(read)(bytes)).split(u"\r\n"_s))) << locale << " " << written;
        qunsetenv("LC_CTYPE");
    }
    // With the player's locale, any three of the language's words read right.
    QRandomGenerator random(28);
    for (const auto& [codePages, words] : languages) {
        const QByteArrayList locale = QByteArray(codePages).split(' ');
        qputenv("LC_ALL", locale.front());
        for (const QByteArray& codePage : locale.mid(1))
            for (int i = 0; i < 20; ++i) {
                QStringList three = words.split(u'|');
                std::shuffle(three.begin(), three.end(), random);
                three.resize(3);
                EXPECT_EQ(decode(QStringEncoder(codePage.constData())(three.join(u"\r\n")), kReadChunkBytes).first, listed(three)) << locale.front().constData() << " " << codePage.constData();
            }
    }
    qputenv("LC_ALL", "C.UTF-8");
    // In UTF-16, a line with half a pair is skipped: alone, or the two in the wrong order.
    for (const bool little : {true, false})
        rows.emplace_back(utf16(u"ok\n\xD83D\n\xDE00\na\xD83D" u"b\n\xDE00\xD83D\nend"_s, little), okEnd);
    // Each row is one of the fuzz target's seeds, when it asks for them. Read a
    // byte at a time, every character and every CR LF is split across two
    // reads; at the real read size, a small list is read whole.
    const QString seeds = qEnvironmentVariable("SKYQUILL_FUZZ_SEEDS");
    for (const auto& [bytes, words] : rows) {
        QFile seed(seeds + u'/' + QString::number(qHash(bytes), 16));
        EXPECT_TRUE(seeds.isEmpty() || (seed.open(QIODevice::WriteOnly) && seed.write(bytes) == bytes.size()));
        for (const qint64 chunk : {kReadChunkBytes, qint64{64}, qint64{3}, qint64{1}})
            for (const bool seeks : {true, false})
                EXPECT_EQ(decode(bytes, chunk, seeks).first, words) << bytes.left(40).toHex().toStdString() << ", " << bytes.size() << " bytes in " << chunk;
    }
    // Reading stops with the 10,000th word or a line too long to be a word
    // (refused above at 5,000 units): what a pipe leaves kept stays small
    // however much more it would give.
    const std::pair<QByteArray, qint64> endless[] = {
        {QByteArray(1 << 20, 'q'), 2 * kReadChunkBytes},
        {"\xFF\xFE" + QByteArray(1 << 20, 'q'), 2 * kReadChunkBytes},
        {numbered(100000).join(u'\n').toUtf8(), kMaxWords * 10 + kReadChunkBytes},
        {u"слово\n"_s.repeated(100000).toUtf8(), kMaxWords * 11 + kReadChunkBytes},  // in UTF-8, then in its code page
    };
    for (const auto& [bytes, most] : endless)
        EXPECT_LE(decode(bytes, kReadChunkBytes, false).second, most) << bytes.left(2).toHex().toStdString();
    // A read that fails past the first refuses the list, too.
    EXPECT_EQ(decode(numbered(7000).join(u'\n').toUtf8(), kReadChunkBytes, false, true).first, std::nullopt);
    // Without ICU, Qt has no Windows-1252 decoder and the reader decodes it
    // itself: every byte as ICU does.
    for (int byte = 0; byte < 256; ++byte)
        EXPECT_EQ(decodeWindows1252(QByteArray(1, static_cast<char>(byte))), QString(QStringDecoder("windows-1252")(QByteArray(1, static_cast<char>(byte)))));
}

TEST(WordList, StartUpTakesTheFirstTenThousandWordsOfAFileOrPipeAndSaysWhyItRefusesOne)
{
    QString list, own;  // in a new directory for each case
    const auto write = [&list](const QByteArray& bytes) {
        QFile file(list);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    // Read to its end: a writer left with words to give would get SIGPIPE.
    const QByteArray words = numbered(kMaxWords).join(u'\n').toUtf8();
    std::thread writer;
    int reading = -1;  // the pipe's read end, closed once the game has read it
    // What the file is, how to make it, how many words start-up finds (-1:
    // refused), and what standard error is told of it.
    const std::tuple<const char*, std::function<bool()>, int, QString> cases[] = {
        {"an empty list", [&] { return write({}); }, 0, {}},
        {"10,001 words, and lines no key types between them", [&] { return write(numbered(kMaxWords + 1).join(u"\r\n\t\x1A\r\n"_s).toUtf8()); }, kMaxWords,
         u"9999 lines skipped: no key could type them (the first is line 2)"_s},
        {"no list", [] { return true; }, -1, u"No such file or directory"_s},
        {"a directory", [&] { return QDir().mkdir(list); }, -1, u"Is a directory"_s},
        {"the player's own list is no list: it is refused, not passed over", [&] { return write("lark") && QDir().mkdir(own); }, -1, u"Is a directory"_s},
        {"a line too long", [&] { return write("a\r\n" + QByteArray(kMaxLineChars + 1, 'b')); }, -1, u"line 2 is longer than 1,000 characters"_s},
        {"a NUL", [&] { return write(QByteArray("a\r\nb\nc\0", 7)); }, -1, u"not a text file (a NUL byte on line 3)"_s},
#ifdef Q_OS_UNIX
        {"a device", [&] { return QFile::link(u"/dev/null"_s, list); }, -1, u"not a file or a pipe"_s},
        {"a file whose first read fails", [&] { return QFile::link(u"/proc/self/mem"_s, list); }, -1, u"Input/output error"_s},
        {"a FIFO nobody writes to", [&] { return ::mkfifo(QFile::encodeName(list).constData(), 0600) == 0; }, -1, u"no program writes to this pipe"_s},
        {"a pipe whose writer has written and gone, as <(command) gives one", [&] {
             std::array<int, 2> ends{};
             const bool made = ::pipe(ends.data()) == 0 && ::fcntl(ends[1], F_SETPIPE_SZ, 1 << 20) > 0 &&
                               ::write(ends[1], words.constData(), static_cast<std::size_t>(words.size())) == words.size();
             ::close(ends[1]);
             reading = ends[0];
             return made && QFile::link(u"/proc/self/fd/%1"_s.arg(ends[0]), list);
         }, kMaxWords, {}},
        {"a FIFO a program writes to", [&] {
             if (::mkfifo(QFile::encodeName(list).constData(), 0600) != 0)
                 return false;
             // Its open waits for the game's, so the game finds it there.
             writer = std::thread([&] {
                 QFile fifo(list);
                 EXPECT_TRUE(fifo.open(QIODevice::WriteOnly) && fifo.write(words) == words.size());
             });
             return true;
         }, kMaxWords, {}},
#endif
    };
    for (const auto& [what, make, count, told] : cases) {
        SCOPED_TRACE(what);
        const QTemporaryDir dir;
        list = dir.filePath(u"SkyquillList.txt"_s);
        own = dir.filePath(u"own"_s);
        ASSERT_TRUE(make());
        testing::ScriptedPlatform platform;
        platform.directory = dir.path();
        platform.userList = own;
        frmSkyquill form(platform);
        form.Form_Load();
        if (writer.joinable())
            writer.join();
        if (reading >= 0)
            ::close(std::exchange(reading, -1));
        if (count >= 0)  // with no word, New Game says so and nothing starts
            form.mnuNewGame_Click();
        EXPECT_EQ(platform.exitStatus, count < 0 ? 1 : -1);
        const QString box = count < 0 ? u"ERROR!!!: No Word List Found!"_s : u"ERROR!!!: The Word List Is Empty!"_s;
        EXPECT_EQ(platform.boxes, count > 0 ? std::vector<QString>{} : std::vector{box});
        EXPECT_EQ(platform.told, told.isEmpty() ? std::vector<QString>{} : std::vector{u"skyquill: %1: %2"_s.arg(platform.wordListPath(), told)});
        EXPECT_EQ(form.tmrSkyquill.enabled(), count > 0);
        EXPECT_EQ(form.state().intWordCount, std::max(count, 0));
        EXPECT_EQ(form.state().strWordList[kMaxWords], count > 0 ? u"word09999"_s : QString());
        EXPECT_EQ(platform.seeds, std::vector{platform.time});
    }
}

}  // namespace
}  // namespace skyquill
