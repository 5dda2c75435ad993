// What the movie box says about the book: the Nero chapter list, the iTunes tags and
// the gapless text.
#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "m4b/box_writer.h"
#include "m4b/m4b_movie.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

// The type of an item's data (the "well-known types" of iTunes).
enum class DataType : std::uint32_t { Utf8 = 1, Jpeg = 13, Png = 14, Integer = 21 };

// The Nero list counts its chapters in one byte and their titles' bytes in one each.
constexpr std::size_t NeroChapters = 255;
constexpr std::size_t NeroTitleBytes = 255;

void Item(BoxWriter& w, std::string_view name, DataType type, std::string_view value) {
    const std::size_t item = w.Open(name);
    const std::size_t data = w.OpenFull("data", 0, static_cast<std::uint32_t>(type));
    w.U32(0);  // no locale
    w.Text(value);
    w.Close(data);
    w.Close(item);
}

void TextItem(BoxWriter& w, std::string_view name, const std::string& value) {
    if (!value.empty())
        Item(w, name, DataType::Utf8, value);
}

// A text of iTunes' own ("----"): who named it, its name, its value.
void FreeformItem(BoxWriter& w, std::string_view name, const std::string& value) {
    const std::size_t item = w.Open("----");
    const std::size_t mean = w.OpenFull("mean", 0);
    w.Text("com.apple.iTunes");
    w.Close(mean);
    const std::size_t box = w.OpenFull("name", 0);
    w.Text(name);
    w.Close(box);
    const std::size_t data = w.OpenFull("data", 0, static_cast<std::uint32_t>(DataType::Utf8));
    w.U32(0);
    w.Text(value);
    w.Close(data);
    w.Close(item);
}

}  // namespace

void WriteChapterList(BoxWriter& w, std::span<const M4bChapter> chapters,
                      std::uint32_t sampleRate) {
    const std::size_t count = std::min(chapters.size(), NeroChapters);
    const std::size_t box = w.OpenFull("chpl", 1);
    w.U32(0);
    w.U8(static_cast<std::uint8_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        // Its start in units of 100 ns.
        w.U64(chapters[i].start * 10'000'000 / sampleRate);
        const std::string_view title = CutUtf8(chapters[i].title, NeroTitleBytes);
        w.U8(static_cast<std::uint8_t>(title.size()));
        w.Text(title);
    }
    w.Close(box);
}

void WriteItemList(BoxWriter& w, const M4bTags& tags, const std::string& gapless) {
    const std::size_t meta = w.OpenFull("meta", 0);
    const std::size_t hdlr = w.OpenFull("hdlr", 0);
    w.U32(0);
    w.Text("mdirappl");
    w.Zeros(9);
    w.Close(hdlr);
    const std::size_t ilst = w.Open("ilst");
    TextItem(w, "\xA9nam", tags.title);
    TextItem(w,
             "\xA9"
             "alb",
             tags.title);
    TextItem(w,
             "\xA9"
             "ART",
             tags.artist);
    TextItem(w, "aART", tags.artist);
    TextItem(w, "\xA9gen", tags.genre);
    TextItem(w,
             "\xA9"
             "day",
             tags.year);
    TextItem(w, "desc", tags.description);
    TextItem(w,
             "\xA9"
             "cmt",
             tags.description);
    Item(w, "stik", DataType::Integer, std::string(1, '\2'));  // an audiobook
    if (!tags.cover.empty())
        Item(w, "covr", tags.coverIsPng ? DataType::Png : DataType::Jpeg, tags.cover);
    FreeformItem(w, "iTunSMPB", gapless);
    w.Close(ilst);
    w.Close(meta);
}

std::string ITunSmpb(std::uint64_t delay, std::uint64_t padding, std::uint64_t samples) {
    char text[48];
    std::snprintf(text, sizeof text, " 00000000 %08" PRIX64 " %08" PRIX64 " %016" PRIX64, delay,
                  padding, samples);
    std::string value = text;
    for (int i = 0; i < 8; ++i)
        value += " 00000000";
    return value;
}

std::string RenderChapterSample(const std::string& title) {
    const std::string_view text = CutUtf8(title, 0xFFFF);
    BoxWriter w;
    w.U16(static_cast<std::uint16_t>(text.size()));
    w.Text(text);
    // The text is UTF-8.
    const std::size_t encd = w.Open("encd");
    w.U32(0x00000100);
    w.Close(encd);
    return w.Take();
}

}  // namespace brambex
