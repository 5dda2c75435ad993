#include "tags/frame_ids.h"

#include <cstring>

namespace brambex {

namespace {

// The 2.2 frames and their 2.3 ids. CRM (encrypted meta frame) and LNK (links that
// name 2.2 frames) have no 2.3 form.
constexpr const char* V22Ids[][2] = {
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"},
    {"EQU", "EQUA"}, {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"},
    {"PIC", "APIC"}, {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"},
    {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"},
    {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"},
    {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"},
    {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"},
    {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"},
    {"TPB", "TPUB"}, {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"},
    {"TSS", "TSSE"}, {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"},
    {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"}, {"WAF", "WOAF"},
    {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"},
    {"WXX", "WXXX"},
};

// 2.4 frames that 2.3 lacks: some become frames 2.3 has, the others are left out,
// meaning nothing in a 2.3 tag (seek points and signatures of the 2.4 tag, and an
// equalisation 2.3 readers cannot apply). The other 2.4 frames are kept as they are:
// the sort orders, release and tagging times, produced notice and set subtitle (the
// readers that know them read them in 2.3 too).
enum class V24Fate : unsigned char { LeftOut, BecomesOthers };
constexpr struct {
    const char* id;
    V24Fate fate;
} V24Ids[] = {
    {"ASPI", V24Fate::LeftOut},       {"EQU2", V24Fate::LeftOut},
    {"SEEK", V24Fate::LeftOut},       {"SIGN", V24Fate::LeftOut},
    {"TDRC", V24Fate::BecomesOthers}, {"TDOR", V24Fate::BecomesOthers},
    {"TIPL", V24Fate::BecomesOthers}, {"TMCL", V24Fate::BecomesOthers},
    {"TMOO", V24Fate::BecomesOthers}, {"RVA2", V24Fate::BecomesOthers},
};

}  // namespace

bool MapFrameId(int version, std::string_view id, char* out) {
    if (version == 2) {
        for (const auto& pair : V22Ids) {
            if (id == pair[0]) {
                std::memcpy(out, pair[1], 4);
                return true;
            }
        }
        return false;
    }
    if (id.size() != 4) {
        return false;
    }
    for (const auto& frame : V24Ids) {
        if (version == 4 && id == frame.id && frame.fate == V24Fate::LeftOut) {
            return false;
        }
    }
    std::memcpy(out, id.data(), 4);
    return true;
}

bool BecomesOtherFrames(std::string_view v24Id) {
    for (const auto& frame : V24Ids) {
        if (v24Id == frame.id) {
            return frame.fate == V24Fate::BecomesOthers;
        }
    }
    return false;
}

}  // namespace brambex
