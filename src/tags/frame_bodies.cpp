#include "tags/frame_bodies.h"

#include <algorithm>

#include "tags/frame_text.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

constexpr FrameLayout TermsLayout{{Field::Fixed3, Field::TextRest}, 2};
constexpr FrameLayout ObjectLayout{
    {Field::Latin1Z, Field::TextZ, Field::TextZ, Field::Binary}, 4, true, 2};
constexpr FrameLayout OwnershipLayout{{Field::Latin1Z, Field::Fixed8, Field::TextRest}, 3};
constexpr FrameLayout SyncedLyricsLayout{
    {Field::Fixed3, Field::Fixed1, Field::Fixed1, Field::TextZ, Field::Synced}, 5};
constexpr FrameLayout CommercialLayout{
    {Field::Latin1Z, Field::Fixed8, Field::Latin1Z, Field::Fixed1, Field::TextZ, Field::TextZ,
     Field::Latin1Z, Field::Binary},
    8};
constexpr FrameLayout OwnedLayout{{Field::Latin1Z, Field::Binary}, 2, false, 0};

}  // namespace

std::size_t TextFrame::Parse(const unsigned char* in, std::size_t n, char* out, std::size_t cap,
                             bool all, char separator) {
    Utf8Out utf8(out, cap);
    if (n == 0) {
        return 0;
    }
    const std::optional<TextEncoding> encoding = TextEncodingOf(in[0]);
    if (!encoding) {
        const std::size_t length = TextLength(TextEncoding::Latin1, in, n);
        DecodeText(IsValidUtf8(in, length) ? TextEncoding::Utf8 : TextEncoding::Latin1, in, length,
                   utf8);
        return utf8.Size();
    }
    const std::size_t unit = UnitSize(*encoding);
    for (std::size_t pos = 1; pos < n;) {
        if (pos > 1) {
            if (!all) {
                break;
            }
            utf8.Put(static_cast<unsigned char>(separator));
        }
        const std::size_t length = TextLength(*encoding, in + pos, n - pos);
        DecodeText(*encoding, in + pos, length, utf8);
        // A terminator at the very end closes the last text; it starts none.
        pos += length + unit;
    }
    return utf8.Size();
}

std::size_t TextFrame::Render(std::string_view utf8, unsigned char* out, std::size_t cap) {
    utf8 = utf8.substr(0, std::min(utf8.size(), utf8.find('\0')));
    const TextEncoding encoding = OutputEncoding(utf8);
    for (;;) {
        TextFieldWriter writer(encoding, out, cap);
        if (writer.EncodingByte() && writer.Text(utf8, false)) {
            return writer.Size();
        }
        if (utf8.empty()) {
            return 0;
        }
        // A text longer than the buffer is cut on a character boundary.
        utf8 = CutUtf8(utf8, utf8.size() - 1);
    }
}

std::size_t UserTextFrame::Render(std::string_view description, std::string_view value,
                                  unsigned char* out, std::size_t cap) {
    const TextEncoding encoding = OutputEncoding(description) == TextEncoding::Latin1
                                      ? OutputEncoding(value)
                                      : TextEncoding::Utf16;
    TextFieldWriter writer(encoding, out, cap);
    const bool written =
        writer.EncodingByte() && writer.Text(description, true) && writer.Text(value, false);
    return written ? writer.Size() : 0;
}

const FrameLayout* LayoutOf(std::string_view id, int version) {
    if (id == "TXXX") {
        return &UserTextFrame::Layout;
    }
    if (id == "TIPL" || id == "TMCL" || id == "IPLS") {
        return &PeopleFrame::Layout;
    }
    if (!id.empty() && id[0] == 'T') {
        return &TextFrame::Layout;
    }
    if (id == "WXXX") {
        return &UserTextFrame::UrlLayout;
    }
    if (id == "COMM" || id == "USLT") {
        return &CommentFrame::Layout;
    }
    if (id == "APIC") {
        return version == 2 ? &PictureFrame::V22Layout : &PictureFrame::Layout;
    }
    static constexpr struct {
        const char* id;
        const FrameLayout* layout;
    } Others[] = {
        {"USER", &TermsLayout},        {"GEOB", &ObjectLayout},     {"OWNE", &OwnershipLayout},
        {"SYLT", &SyncedLyricsLayout}, {"COMR", &CommercialLayout}, {"PRIV", &OwnedLayout},
        {"UFID", &OwnedLayout},
    };
    for (const auto& other : Others) {
        if (id == other.id) {
            return other.layout;
        }
    }
    return nullptr;
}

}  // namespace brambex
