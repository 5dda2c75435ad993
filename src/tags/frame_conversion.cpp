#include "tags/frame_conversion.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "tags/byte_order.h"
#include "tags/frame_header.h"
#include "tags/genre_table.h"
#include "tags/text_encoding.h"

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

// 2.4 frames that mean nothing in a 2.3 tag: seek points and signatures of the 2.4
// tag, and an equalisation 2.3 readers cannot apply. The other 2.4 frames are kept:
// the sort orders, release and tagging times, produced notice and set subtitle as they
// are (the readers that know them read them in 2.3 too), mood and volume adjustment
// as the user texts readers look for.
constexpr const char* V24Only[] = {"ASPI", "EQU2", "SEEK", "SIGN"};

constexpr FrameLayout TextLayout{{Field::TextList}, 1};
constexpr FrameLayout UserTextLayout{{Field::TextZ, Field::TextList}, 2, true, 0};
constexpr FrameLayout MoodTextLayout{{Field::Name, Field::TextList}, 2, true, 0};
constexpr FrameLayout UserUrlLayout{{Field::TextZ, Field::Binary}, 2, true, 0};
constexpr FrameLayout CommentLayout{{Field::Fixed3, Field::TextZ, Field::TextRest}, 3, true, 1};
constexpr FrameLayout TermsLayout{{Field::Fixed3, Field::TextRest}, 2};
constexpr FrameLayout PictureLayout{
    {Field::Latin1Z, Field::Fixed1, Field::TextZ, Field::Binary}, 4, true, 2};
constexpr FrameLayout V22PictureLayout{
    {Field::PicFormat, Field::Fixed1, Field::TextZ, Field::Binary}, 4, true, 2};
constexpr FrameLayout ObjectLayout{
    {Field::Latin1Z, Field::TextZ, Field::TextZ, Field::Binary}, 4, true, 2};
constexpr FrameLayout OwnershipLayout{{Field::Latin1Z, Field::Fixed8, Field::TextRest}, 3};
constexpr FrameLayout PeopleLayout{{Field::TextPairs}, 1};
constexpr FrameLayout SyncedLyricsLayout{
    {Field::Fixed3, Field::Fixed1, Field::Fixed1, Field::TextZ, Field::Synced}, 5};
constexpr FrameLayout CommercialLayout{
    {Field::Latin1Z, Field::Fixed8, Field::Latin1Z, Field::Fixed1, Field::TextZ, Field::TextZ,
     Field::Latin1Z, Field::Binary},
    8};
constexpr FrameLayout OwnedLayout{{Field::Latin1Z, Field::Binary}, 2, false, 0};

// Appends characters as UTF-8 up to a byte limit, on character boundaries.
class Utf8Out {
  public:
    Utf8Out(char* out, std::size_t cap) : out_(out), cap_(cap) {}
    void Put(char32_t c) {
        char encoded[4];
        const std::size_t k = EncodeUtf8(c, encoded);
        if (full_ || size_ + k > cap_) {
            full_ = true;
            return;
        }
        std::memcpy(out_ + size_, encoded, k);
        size_ += k;
    }
    std::size_t Size() const { return size_; }
    bool Full() const { return full_; }

  private:
    char* out_;
    std::size_t cap_;
    std::size_t size_ = 0;
    bool full_ = false;
};

bool IsValidUtf8(const unsigned char* p, std::size_t n) {
    const std::string_view text(reinterpret_cast<const char*>(p), n);
    for (std::size_t pos = 0; pos < n;) {
        const std::size_t start = pos;
        if (DecodeUtf8(text, pos) == ReplacementChar && pos - start == 1) {
            return false;
        }
    }
    return true;
}

std::size_t UnitSize(unsigned char encoding) {
    return encoding == 1 || encoding == 2 ? 2 : 1;
}

// The length of the text that starts at p (n bytes available) up to its terminator,
// or n when it has none.
std::size_t TextLength(unsigned char encoding, const unsigned char* p, std::size_t n) {
    if (UnitSize(encoding) == 1) {
        return static_cast<std::size_t>(std::find(p, p + n, 0) - p);
    }
    std::size_t i = 0;
    while (i + 1 < n && (p[i] != 0 || p[i + 1] != 0)) {
        i += 2;
    }
    return i + 1 < n ? i : n;
}

// Decodes one text in the given encoding (without its terminator) to UTF-8.
void DecodeText(unsigned char encoding, const unsigned char* p, std::size_t n, Utf8Out& out) {
    if (encoding == 0) {
        for (std::size_t i = 0; i < n; ++i) {
            out.Put(p[i]);
        }
    } else if (encoding == 1 || encoding == 2) {
        // The byte-order mark decides; without one, little-endian for encoding 1 (what
        // Windows taggers write) and big-endian for encoding 2.
        bool little = encoding == 1;
        std::size_t i = 0;
        if (n >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
            little = p[0] == 0xFF;
            i = 2;
        }
        const auto unitAt = [&](std::size_t k) -> char32_t {
            return little ? char32_t(p[k] | (p[k + 1] << 8)) : char32_t((p[k] << 8) | p[k + 1]);
        };
        while (i + 1 < n) {
            char32_t c = unitAt(i);
            i += 2;
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && unitAt(i) >= 0xDC00 &&
                unitAt(i) <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (unitAt(i) - 0xDC00);
                i += 2;
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                c = ReplacementChar;
            }
            out.Put(c);
        }
    } else {
        const std::string_view bytes(reinterpret_cast<const char*>(p), n);
        for (std::size_t pos = 0; pos < n;) {
            out.Put(DecodeUtf8(bytes, pos));
        }
    }
}

// Writes one text in the chosen 2.3 encoding, with a terminator when asked.
bool EncodeText(std::string_view utf8, bool latin1, bool terminate, unsigned char* out,
                std::size_t cap, std::size_t& n) {
    if (latin1) {
        for (std::size_t pos = 0; pos < utf8.size();) {
            if (n >= cap) {
                return false;
            }
            out[n++] = static_cast<unsigned char>(DecodeUtf8(utf8, pos));
        }
        if (terminate) {
            if (n >= cap) {
                return false;
            }
            out[n++] = 0;
        }
        return true;
    }
    const auto put = [&](char32_t unit) {
        if (n + 2 > cap) {
            return false;
        }
        out[n++] = static_cast<unsigned char>(unit & 0xFF);
        out[n++] = static_cast<unsigned char>(unit >> 8);
        return true;
    };
    if (!put(0xFEFF)) {
        return false;
    }
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t c = DecodeUtf8(utf8, pos);
        const bool ok = c >= 0x10000 ? put(0xD800 + ((c - 0x10000) >> 10)) &&
                                           put(0xDC00 + ((c - 0x10000) & 0x3FF))
                                     : put(c);
        if (!ok) {
            return false;
        }
    }
    return !terminate || put(0);
}

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
    if (version == 4) {
        for (const char* only : V24Only) {
            if (id == only) {
                return false;
            }
        }
    }
    std::memcpy(out, id.data(), 4);
    return true;
}

const FrameLayout* LayoutOf(std::string_view id, int version) {
    if (id == "TXXX") {
        return &UserTextLayout;
    }
    if (id == "TIPL" || id == "TMCL" || id == "IPLS") {
        return &PeopleLayout;
    }
    if (!id.empty() && id[0] == 'T') {
        return &TextLayout;
    }
    if (id == "WXXX") {
        return &UserUrlLayout;
    }
    if (id == "COMM" || id == "USLT") {
        return &CommentLayout;
    }
    if (id == "USER") {
        return &TermsLayout;
    }
    if (id == "APIC") {
        return version == 2 ? &V22PictureLayout : &PictureLayout;
    }
    if (id == "GEOB") {
        return &ObjectLayout;
    }
    if (id == "OWNE") {
        return &OwnershipLayout;
    }
    if (id == "SYLT") {
        return &SyncedLyricsLayout;
    }
    if (id == "COMR") {
        return &CommercialLayout;
    }
    if (id == "PRIV" || id == "UFID") {
        return &OwnedLayout;
    }
    return nullptr;
}

const FrameLayout& MoodLayout() {
    return MoodTextLayout;
}

std::size_t DecodeTextPayload(const unsigned char* in, std::size_t n, char* out, std::size_t cap,
                              bool all, char separator) {
    Utf8Out utf8(out, cap);
    if (n == 0) {
        return 0;
    }
    const unsigned char encoding = in[0];
    if (encoding > 3) {
        // Taggers that write no encoding byte at all: the text starts at the first byte,
        // in UTF-8 when it reads as such and in ISO-8859-1 otherwise.
        const std::size_t length = TextLength(0, in, n);
        DecodeText(IsValidUtf8(in, length) ? 3 : 0, in, length, utf8);
        return utf8.Size();
    }
    const std::size_t unit = UnitSize(encoding);
    std::size_t pos = 1;
    bool first = true;
    while (pos < n) {
        const std::size_t length = TextLength(encoding, in + pos, n - pos);
        if (!first) {
            if (!all) {
                break;
            }
            utf8.Put(static_cast<unsigned char>(separator));
        }
        first = false;
        DecodeText(encoding, in + pos, length, utf8);
        pos += length + unit;
        // A terminator at the very end closes the last text; it starts none.
    }
    return utf8.Size();
}

std::size_t EncodeTextPayload(std::string_view utf8, unsigned char* out, std::size_t cap) {
    utf8 = utf8.substr(0, std::min(utf8.size(), utf8.find('\0')));
    const bool latin1 = FitsLatin1(utf8);
    std::size_t n = 0;
    out[n++] = latin1 ? 0 : 1;
    // A text longer than the buffer is cut on a character boundary.
    while (!EncodeText(utf8, latin1, false, out, cap, n)) {
        n = 1;
        utf8 = CutUtf8(utf8, utf8.size() - 1);
    }
    return n;
}

std::size_t GenreNames(std::string_view genres, char* out, std::size_t cap) {
    std::size_t n = 0;
    std::string_view last;
    const auto put = [&](std::string_view name) {
        if (name.empty() || name == last || n + name.size() + 1 > cap) {
            return;
        }
        if (n > 0) {
            out[n++] = '/';
        }
        std::memcpy(out + n, name.data(), name.size());
        n += name.size();
        last = name;
    };
    const auto nameOf = [](std::string_view value) -> std::string_view {
        if (value == "RX") {
            return "Remix";
        }
        if (value == "CR") {
            return "Cover";
        }
        const GenreText genre = ReadGenreText(value);
        return genre.form == GenreText::Form::Number ? *GenreTable::GenreName(genre.number) : value;
    };
    while (!genres.empty()) {
        const std::size_t slash = std::min(genres.find('/'), genres.size());
        std::string_view value = genres.substr(0, slash);
        genres.remove_prefix(std::min(genres.size(), slash + 1));
        // References in parentheses first, then the text that follows them.
        while (value.size() > 2 && value[0] == '(' && value.find(')') != std::string_view::npos) {
            const std::size_t close = value.find(')');
            put(nameOf(value.substr(1, close - 1)));
            value.remove_prefix(close + 1);
        }
        put(value.empty() ? value : nameOf(value));
    }
    return n;
}

namespace {

// num / den with `decimals` places, rounded half to even as printf rounds, without the
// locale's decimal point.
void FormatFraction(std::uint64_t num, std::uint64_t den, bool negative, int decimals,
                    const char* unit, char* out, std::size_t cap) {
    std::uint64_t q = num / den;
    const std::uint64_t twice = 2 * (num % den);
    q += twice > den || (twice == den && q % 2 == 1) ? 1u : 0u;
    std::uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i) {
        scale *= 10;
    }
    std::snprintf(out, cap, "%s%llu.%0*llu%s", negative ? "-" : "",
                  static_cast<unsigned long long>(q / scale), decimals,
                  static_cast<unsigned long long>(q % scale), unit);
}

}  // namespace

bool ReadVolumeAdjustment(const unsigned char* in, std::size_t n, VolumeAdjustment& out) {
    std::size_t pos = TextLength(0, in, n);
    char lower[6] = {};
    for (std::size_t i = 0; i + 5 <= pos && !out.album; ++i) {
        for (std::size_t k = 0; k < 5; ++k) {
            lower[k] = static_cast<char>(std::tolower(in[i + k]));
        }
        out.album = std::string_view(lower, 5) == "album";
    }
    for (pos = std::min(n, pos + 1); pos + 4 <= n;) {
        const unsigned char channel = in[pos];
        const auto adjustment = static_cast<std::int16_t>((in[pos + 1] << 8) | in[pos + 2]);
        const unsigned bits = in[pos + 3];
        const std::size_t bytes = std::min<std::size_t>(4, (bits + 7) / 8);
        if (pos + 4 + bytes > n) {
            return false;
        }
        if (channel != 1) {
            pos += 4 + bytes;
            continue;
        }
        // The gain counts 1/512 dB; the peak is `bits` bits, read as a fraction of 2^31.
        std::uint64_t peak = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            peak = peak * 256 + in[pos + 4 + i];
        }
        peak <<= ((8 - (bits & 7)) & 7) + (4 - bytes) * 8;
        const auto magnitude =
            static_cast<std::uint64_t>(adjustment < 0 ? -adjustment : adjustment);
        FormatFraction(magnitude * 100, 512, adjustment < 0, 2, " dB", out.gain, sizeof out.gain);
        FormatFraction(peak * 1000000, 2147483647u, false, 6, "", out.peak, sizeof out.peak);
        return true;
    }
    return false;
}

Id3Date SplitTimeStamp(std::string_view stamp) {
    int parts[5] = {};
    int count = 0;
    std::size_t i = 0;
    while (count < 5 && i < stamp.size()) {
        if (stamp[i] < '0' || stamp[i] > '9') {
            break;
        }
        int value = 0;
        while (i < stamp.size() && stamp[i] >= '0' && stamp[i] <= '9') {
            value = value * 10 + (stamp[i] - '0');
            value = std::min(value, 9999);
            ++i;
        }
        parts[count++] = value;
        if (i < stamp.size() && std::strchr("-T:", stamp[i]) == nullptr) {
            break;
        }
        ++i;
    }
    Id3Date date;
    const auto two = [](char* out, int a, int b) {
        out[0] = static_cast<char>('0' + a / 10 % 10);
        out[1] = static_cast<char>('0' + a % 10);
        out[2] = static_cast<char>('0' + b / 10 % 10);
        out[3] = static_cast<char>('0' + b % 10);
    };
    if (parts[0] != 0) {
        two(date.year, parts[0] / 100, parts[0] % 100);
    }
    if (parts[1] != 0 && parts[2] != 0) {
        two(date.date, parts[2], parts[1]);
    }
    // An hour alone is a time on the hour.
    if (count >= 4) {
        two(date.time, parts[3], parts[4]);
    }
    return date;
}

}  // namespace brambex
