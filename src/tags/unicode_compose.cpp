#include "tags/unicode_compose.h"

#include "tags/text_encoding.h"

namespace brambex {

namespace {

// For each combining mark, the letters it composes with: base, composed, base, ...
struct MarkCompositions {
    char32_t mark;
    std::u32string_view pairs;
};

constexpr MarkCompositions Compositions[] = {
    {0x0300, U"AÀEÈIÌOÒUÙaàeèiìoòuùNǸnǹWẀwẁYỲyỳÜǛüǜЕЀеѐИЍиѝ"},
    {0x0301,
     U"AÁEÉIÍOÓUÚYÝaáeéiíoóuúyýCĆcćGǴgǵKḰkḱLĹlĺMḾmḿNŃnńPṔpṕRŔrŕSŚsśWẂwẃZŹzź"
     U"ÆǼæǽØǾøǿÅǺåǻÜǗüǘΑΆΕΈΗΉΙΊΟΌΥΎΩΏαάεέηήιίοόυύωώϊΐϋΰϒϓГЃгѓКЌкќ"},
    {0x0302, U"AÂEÊIÎOÔUÛaâeêiîoôuûCĈcĉGĜgĝHĤhĥJĴjĵSŜsŝWŴwŵYŶyŷZẐzẑ"},
    {0x0303, U"AÃNÑOÕaãnñoõIĨiĩUŨuũEẼeẽYỸyỹVṼvṽ"},
    {0x0304, U"AĀaāEĒeēIĪiīOŌoōUŪuūÆǢæǣGḠgḡYȲyȳÜǕüǖÄǞäǟȦǠȧǡǪǬǫǭÖȪöȫÕȬõȭȮȰȯȱИӢиӣУӮуӯ"},
    {0x0306, U"AĂaăEĔeĕGĞgğIĬiĭOŎoŏUŬuŭИЙийУЎуўАӐаӑЕӖеӗЖӁжӂ"},
    {0x0307,
     U"CĊcċEĖeėGĠgġIİZŻzżAȦaȧOȮoȯBḂbḃDḊdḋFḞfḟHḢhḣMṀmṁNṄnṅPṖpṗRṘrṙSṠsṡTṪtṫ"
     U"WẆwẇXẊxẋYẎyẏ"},
    {0x0308,
     U"AÄEËIÏOÖUÜYŸaäeëiïoöuüyÿHḦhḧWẄwẅXẌxẍtẗΙΪΥΫιϊυϋϒϔЕЁеёІЇіїАӒаӓОӦоӧУӰуӱ"
     U"ӘӚәӛЖӜжӝЗӞзӟИӤиӥӨӪөӫЭӬэӭЧӴчӵЫӸыӹ"},
    {0x030A, U"AÅaåUŮuůwẘyẙ"},
    {0x030B, U"OŐoőUŰuűУӲуӳ"},
    {0x030C,
     U"CČcčDĎdďEĚeěLĽlľNŇnňRŘrřSŠsšTŤtťZŽzžAǍaǎIǏiǐOǑoǒUǓuǔGǦgǧKǨkǩjǰHȞhȟ"
     U"ÜǙüǚƷǮʒǯ"},
    {0x030F, U"AȀaȁEȄeȅIȈiȉOȌoȍRȐrȑUȔuȕѴѶѵѷ"},
    {0x0311, U"AȂaȃEȆeȇIȊiȋOȎoȏRȒrȓUȖuȗ"},
    {0x031B, U"OƠoơUƯuư"},
    {0x0326, U"SȘsșTȚtț"},
    {0x0327, U"CÇcçGĢgģKĶkķLĻlļNŅnņRŖrŗSŞsşTŢtţEȨeȩDḐdḑHḨhḩ"},
    {0x0328, U"AĄaąEĘeęIĮiįUŲuųOǪoǫ"},
};

// The letter that base and mark make together, or 0 when the table has none.
char32_t Compose(char32_t base, char32_t mark) {
    for (const MarkCompositions& entry : Compositions) {
        if (entry.mark != mark)
            continue;
        for (std::size_t i = 0; i + 1 < entry.pairs.size(); i += 2) {
            if (entry.pairs[i] == base)
                return entry.pairs[i + 1];
        }
        return 0;
    }
    return 0;
}

}  // namespace

char32_t DecodeComposed(std::string_view text, std::size_t& pos) {
    char32_t c = DecodeUtf8(text, pos);
    // Every mark of the table is U+0300 to U+033F, which UTF-8 begins with 0xCC.
    while (pos + 1 < text.size() && text[pos] == '\xCC') {
        std::size_t next = pos;
        const char32_t composed = Compose(c, DecodeUtf8(text, next));
        if (composed == 0)
            break;
        c = composed;
        pos = next;
    }
    return c;
}

std::string ComposeNfc(std::string_view utf8) {
    if (utf8.find('\xCC') == std::string_view::npos)
        return std::string(utf8);
    std::string result;
    result.reserve(utf8.size());
    char encoded[4];
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t start = pos;
        std::size_t alone = pos;
        DecodeUtf8(utf8, alone);
        const char32_t c = DecodeComposed(utf8, pos);
        // A character that took no mark keeps its bytes, valid UTF-8 or not.
        if (pos == alone)
            result.append(utf8.substr(start, pos - start));
        else
            result.append(encoded, EncodeUtf8(c, encoded));
    }
    return result;
}

}  // namespace brambex
