#include "tags/frame_conversion.h"

#include <algorithm>
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

// 2.4 frames that 2.3 cannot hold, as mutagen's conversion to 2.3 leaves them out.
constexpr const char* V24Only[] = {"ASPI", "EQU2", "RVA2", "SEEK", "SIGN", "TDEN", "TDRL",
                                   "TDTG", "TMOO", "TPRO", "TSOA", "TSOP", "TSOT", "TSST"};

constexpr FrameLayout TextLayout{{Field::TextList}, 1};
constexpr FrameLayout UserTextLayout{{Field::TextZ, Field::TextList}, 2};
constexpr FrameLayout UserUrlLayout{{Field::TextZ, Field::Binary}, 2};
constexpr FrameLayout CommentLayout{{Field::Fixed3, Field::TextZ, Field::TextRest}, 3};
constexpr FrameLayout TermsLayout{{Field::Fixed3, Field::TextRest}, 2};
constexpr FrameLayout PictureLayout{{Field::Latin1Z, Field::Fixed1, Field::TextZ, Field::Binary},
                                    4};
constexpr FrameLayout V22PictureLayout{
    {Field::PicFormat, Field::Fixed1, Field::TextZ, Field::Binary}, 4};
constexpr FrameLayout ObjectLayout{{Field::Latin1Z, Field::TextZ, Field::TextZ, Field::Binary}, 4};
constexpr FrameLayout OwnershipLayout{{Field::Latin1Z, Field::Fixed8, Field::TextRest}, 3};
constexpr FrameLayout PeopleLayout{{Field::TextPairs}, 1};

constexpr std::size_t MaxTexts = 6;
// UTF-8 takes at most twice the bytes of the ISO-8859-1 or UTF-16 it comes from.
constexpr std::size_t ScratchSize = 40 * 1024;

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
    return nullptr;
}

std::int64_t ConvertPayload(const FrameLayout& layout, const unsigned char* in, std::size_t n,
                            bool whole, unsigned char* out, std::size_t cap,
                            std::size_t& consumed) {
    if (n < 1 || in[0] > 3 || cap < 1) {
        return -1;
    }
    const unsigned char encoding = in[0];
    const std::size_t unit = UnitSize(encoding);
    // First every text is decoded, so that one encoding can be chosen for all of them.
    char scratch[ScratchSize];
    struct Text {
        std::size_t begin, end;
    } texts[MaxTexts];
    std::size_t textCount = 0;
    std::size_t used = 0;
    std::size_t pos = 1;
    const auto decode = [&](std::size_t from, std::size_t length, bool separate, char separator) {
        if (separate && used < sizeof scratch) {
            scratch[used++] = separator;
        }
        Utf8Out utf8(scratch + used, sizeof scratch - used);
        DecodeText(encoding, in + from, length, utf8);
        used += utf8.Size();
        return !utf8.Full();
    };
    for (int f = 0; f < layout.count; ++f) {
        const Field field = layout.fields[f];
        const std::size_t left = n - pos;
        if (field == Field::Fixed1 || field == Field::Fixed3 || field == Field::Fixed8 ||
            field == Field::PicFormat) {
            const std::size_t size = field == Field::Fixed1 ? 1 : field == Field::Fixed8 ? 8 : 3;
            if (left < size) {
                return -1;
            }
            pos += size;
        } else if (field == Field::Latin1Z) {
            const std::size_t length = TextLength(0, in + pos, left);
            if (length == left && !whole) {
                return -1;
            }
            pos += std::min(left, length + 1);
        } else if (field == Field::TextZ) {
            const std::size_t length = TextLength(encoding, in + pos, left);
            if ((length == left && !whole) || textCount == MaxTexts) {
                return -1;
            }
            const std::size_t begin = used;
            if (!decode(pos, length, false, 0)) {
                return -1;
            }
            texts[textCount++] = {begin, used};
            pos += std::min(left, length + unit);
        } else if (field == Field::Binary) {
            break;
        } else {
            // The rest of the payload holds texts; these layouts always come last.
            if (!whole || textCount == MaxTexts) {
                return -1;
            }
            const std::size_t begin = used;
            const char separator = field == Field::TextList ? '/' : '\0';
            bool first = true;
            while (pos < n) {
                const std::size_t length = TextLength(encoding, in + pos, n - pos);
                if (!decode(pos, length, !first, separator)) {
                    return -1;
                }
                first = false;
                pos += std::min(n - pos, length + unit);
                if (field == Field::TextRest) {
                    break;
                }
            }
            texts[textCount++] = {begin, used};
            pos = n;
        }
    }
    bool latin1 = true;
    for (std::size_t t = 0; t < textCount; ++t) {
        latin1 = latin1 && FitsLatin1({scratch + texts[t].begin, texts[t].end - texts[t].begin});
    }
    // Then the payload is written again field by field.
    std::size_t written = 0;
    out[written++] = latin1 ? 0 : 1;
    std::size_t from = 1;
    std::size_t textIndex = 0;
    const auto copy = [&](std::size_t size) {
        if (written + size > cap) {
            return false;
        }
        std::memcpy(out + written, in + from, size);
        written += size;
        from += size;
        return true;
    };
    for (int f = 0; f < layout.count; ++f) {
        const Field field = layout.fields[f];
        const std::size_t left = n - from;
        bool ok = true;
        if (field == Field::Fixed1 || field == Field::Fixed3 || field == Field::Fixed8) {
            ok = copy(field == Field::Fixed1 ? 1 : field == Field::Fixed8 ? 8 : 3);
        } else if (field == Field::PicFormat) {
            std::string_view format(reinterpret_cast<const char*>(in + from), 3);
            const std::string_view mime = format == "JPG"   ? "image/jpeg"
                                          : format == "PNG" ? "image/png"
                                                            : format;
            ok = written + mime.size() + 1 <= cap;
            if (ok) {
                std::memcpy(out + written, mime.data(), mime.size());
                written += mime.size();
                out[written++] = 0;
            }
            from += 3;
        } else if (field == Field::Latin1Z) {
            const std::size_t length = TextLength(0, in + from, left);
            ok = copy(std::min(left, length + 1));
        } else if (field == Field::Binary) {
            ok = copy(left);
        } else {
            const Text& t = texts[textIndex++];
            const std::string_view text(scratch + t.begin, t.end - t.begin);
            if (field == Field::TextPairs) {
                // Each text with its terminator, as 2.3 lists them.
                std::size_t start = 0;
                while (ok && start < text.size()) {
                    std::size_t stop = text.find('\0', start);
                    stop = stop == std::string_view::npos ? text.size() : stop;
                    ok = EncodeText(text.substr(start, stop - start), latin1, true, out, cap,
                                    written);
                    start = stop + 1;
                }
            } else {
                ok = EncodeText(text, latin1, field == Field::TextZ, out, cap, written);
            }
            if (field == Field::TextZ) {
                from += std::min(left, TextLength(encoding, in + from, left) + unit);
            } else {
                from = n;
            }
        }
        if (!ok) {
            return -1;
        }
    }
    consumed = n;
    return static_cast<std::int64_t>(written);
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

std::int64_t ConvertChapterPayload(std::string_view id, const unsigned char* in, std::size_t n,
                                   unsigned char* out, std::size_t cap) {
    // The element id, then the times (CHAP) or the flags, the count and the child ids
    // (CTOC): all kept as they are.
    std::size_t pos = TextLength(0, in, n) + 1;
    if (id == "CHAP") {
        pos += 16;
    } else if (pos + 2 <= n) {
        const unsigned char count = in[pos + 1];
        pos += 2;
        for (unsigned i = 0; i < count && pos < n; ++i) {
            pos += TextLength(0, in + pos, n - pos) + 1;
        }
    }
    if (pos > n || pos > cap) {
        return -1;
    }
    std::memcpy(out, in, pos);
    std::size_t written = pos;
    unsigned char decoded[4096];
    while (pos + FrameHeader::MaxSize <= n) {
        FrameHeader header;
        if (!header.Read(in + pos, 4)) {
            break;
        }
        const std::size_t start = pos + FrameHeader::MaxSize;
        if (header.size > n - start) {
            return -1;
        }
        pos = start + header.size;
        const unsigned char* data = in + start;
        std::size_t size = header.size;
        if (header.unsynchronised) {
            // Undone in a buffer of its own; larger embedded frames are left out.
            std::size_t k = 0;
            for (std::size_t i = 0; i < size && k < sizeof decoded; ++i) {
                if (i == 0 || data[i - 1] != 0xFF || data[i] != 0) {
                    decoded[k++] = data[i];
                }
            }
            if (k == sizeof decoded) {
                continue;
            }
            data = decoded;
            size = k;
        }
        const std::size_t extras = (header.grouped ? 1u : 0u) + (header.dataLength ? 4u : 0u);
        char v23Id[4];
        // Dates and people would need frames of their own: left out, as 2.3 has no room
        // for them here.
        const std::string_view embedded = header.Id();
        if (header.compressed || header.encrypted || size < extras ||
            !MapFrameId(4, embedded, v23Id) || embedded == "TDRC" || embedded == "TDOR" ||
            embedded == "TIPL" || embedded == "TMCL") {
            continue;
        }
        const unsigned char group = header.grouped ? data[0] : 0;
        data += extras;
        size -= extras;
        const std::size_t payloadStart = written + FrameHeader::MaxSize + (header.grouped ? 1 : 0);
        if (payloadStart > cap) {
            return -1;
        }
        std::int64_t converted = -1;
        const FrameLayout* layout = LayoutOf({v23Id, 4}, 4);
        std::size_t consumed = 0;
        if (layout != nullptr) {
            converted = ConvertPayload(*layout, data, size, true, out + payloadStart,
                                       cap - payloadStart, consumed);
        } else if (size <= cap - payloadStart) {
            std::memcpy(out + payloadStart, data, size);
            converted = static_cast<std::int64_t>(size);
        }
        if (converted < 0) {
            continue;
        }
        FrameHeader v23 = header;
        std::memcpy(v23.id, v23Id, 4);
        v23.size = static_cast<std::uint32_t>(converted) + (header.grouped ? 1 : 0);
        v23.WriteV23(out + written);
        if (header.grouped) {
            out[written + FrameHeader::MaxSize] = group;
        }
        written = payloadStart + static_cast<std::size_t>(converted);
    }
    return static_cast<std::int64_t>(written);
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
        int number = 0;
        for (const char c : value) {
            if (c < '0' || c > '9' || value.size() > 3) {
                return value;
            }
            number = number * 10 + (c - '0');
        }
        return GenreTable::GenreName(number).value_or(value);
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
    if (parts[3] != 0 && parts[4] != 0) {
        two(date.time, parts[3], parts[4]);
    }
    return date;
}

}  // namespace brambex
