// libFuzzer target for the tag codec: the reading pass (with and without a known input
// size) and a rewrite pass with edits chosen by the input, all in memory. Besides
// crashes it traps when a rewrite loses or changes audio bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "tags/file_stream.h"
#include "tags/genre_table.h"
#include "tags/mp3.h"
#include "tags/text_encoding.h"

namespace {

using brambex::InputFile;

// Callers get UTF-8 whatever bytes a file holds.
void CheckUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        if (brambex::DecodeUtf8(text, pos) == brambex::ReplacementChar && pos - start == 1) {
            __builtin_trap();
        }
    }
}

using brambex::MP3;
using brambex::OutputFile;

void ReadingPass(const std::uint8_t* data, std::size_t size, bool sizeKnown) {
    InputFile in;
    in.OpenMemory(data, size, sizeKnown);
    MP3 mp3;
    if (!mp3.ReadHeader(in, nullptr)) {
        return;
    }
    std::size_t textBytes = 0;
    while (mp3.NextFrame(in)) {
        CheckUtf8(mp3.FrameText());
        textBytes += mp3.FrameText().size();
        (void)mp3.IsFrame("TALB");
    }
    mp3.CopyAudio(in, nullptr);
    CheckUtf8(mp3.TrailerTitle());
    CheckUtf8(mp3.TrailerArtist());
    CheckUtf8(mp3.TrailerAlbum());
    textBytes += mp3.TrailerTitle().size() + mp3.TrailerArtist().size() + mp3.TrailerAlbum().size();
    (void)brambex::GenreTable::GenreName(mp3.TrailerGenre());
    if (textBytes > 64 * 1024 * 1024) {
        __builtin_trap();
    }
}

// The rewritten tag reads back as exactly the frames written, in order, followed by
// zero padding to the size the input declared, with no extended header.
void CheckOutputTag(const std::string& output, std::int32_t tagSize,
                    const std::vector<std::optional<std::string>>& written) {
    InputFile in;
    in.OpenMemory(reinterpret_cast<const unsigned char*>(output.data()), output.size());
    MP3 check;
    if (!check.ReadHeader(in, nullptr) || check.TagSize() != tagSize || (output[5] & 0xC0) != 0) {
        __builtin_trap();
    }
    std::size_t pos = 10;
    std::size_t frames = 0;
    while (check.NextFrame(in)) {
        if (frames >= written.size() ||
            (written[frames] && check.FrameText() != *written[frames])) {
            __builtin_trap();
        }
        pos += 10 + static_cast<std::size_t>(check.FrameSize());
        ++frames;
    }
    const std::size_t tagEnd = 10 + static_cast<std::size_t>(tagSize);
    if (frames != written.size() || pos > tagEnd || output.find_first_not_of('\0', pos) < tagEnd) {
        __builtin_trap();
    }
}

void RewritePass(const std::uint8_t* data, std::size_t size) {
    // The first byte picks the edits; the rest is the file.
    if (size == 0) {
        return;
    }
    const std::uint8_t choice = data[0];
    ++data;
    --size;
    InputFile in;
    in.OpenMemory(data, size);
    std::string output;
    OutputFile out;
    out.CreateMemory(&output);
    MP3 mp3;
    const bool tagged = mp3.ReadHeader(in, &out);
    // What each frame written to the output must read back as; none when left as it was.
    std::vector<std::optional<std::string>> writtenFrames;
    const auto write = [&](std::optional<std::string> text) {
        const std::int32_t before = mp3.TagBytesWritten();
        mp3.WriteFrame(&out);
        if (mp3.TagBytesWritten() != before) {
            writtenFrames.push_back(std::move(text));
        }
    };
    const std::string polish =
        "\xC5\x81\xC3\xB3"
        "d\xC5\xBA \xF0\x9F\x8E\xB5";
    int index = 0;
    while (mp3.NextFrame(in)) {
        const std::string text(mp3.FrameText());
        std::optional<std::string> set;
        if ((choice & 1) && index % 2 == 0) {
            mp3.SetFrameText(text + text);
            // Short enough to fit the payload whatever the encoding.
            if (text.size() <= 150) {
                set = text + text;
            }
        }
        if ((choice & 2) && index % 3 == 1) {
            mp3.SetFrameText(polish);
            set = polish;
        }
        if (!((choice & 4) && index % 2 == 1)) {
            write(set);
        }
        ++index;
    }
    if (choice & 8) {
        const std::string artist = "\xD0\x9C\xD0\xB5\xD0\xBB\xD0\xB2\xD0\xB8\xD0\xBB\xD0\xBB";
        for (const auto& [id, text] :
             {std::pair{"TALB", std::string("Moby Dick")}, {"TPE1", artist}}) {
            const std::int32_t before = mp3.TagBytesWritten();
            mp3.AddFrame(&out, id, text);
            if (mp3.TagBytesWritten() != before) {
                writtenFrames.push_back(text);
            }
        }
    }
    mp3.FinishTag(in, &out);
    const bool copied = mp3.CopyAudio(in, &out);
    if (choice & 16) {
        mp3.SetTrailer(std::nullopt, "Melville", "A long album title that needs cutting_12", choice,
                       choice & 32 ? -1 : 12);
    }
    const bool written = mp3.WriteTrailer(&out);
    if (!copied || !written || !out.Close()) {
        __builtin_trap();  // memory streams never fail
    }
    // Nothing is lost: the output is the input, with the tag rewritten in place and the
    // trailer replaced or appended.
    const std::size_t expected = size + (mp3.InputHadTrailer() ? 0 : 128);
    if (output.size() != expected) {
        __builtin_trap();
    }
    const std::size_t audioStart = tagged ? 10 + static_cast<std::size_t>(mp3.TagSize()) : 0;
    const std::size_t audioEnd = mp3.InputHadTrailer() ? size - 128 : size;
    if (audioStart > audioEnd ||
        std::memcmp(output.data() + audioStart, data + audioStart, audioEnd - audioStart) != 0) {
        __builtin_trap();
    }
    if (output.compare(output.size() - 128, 3, "TAG") != 0) {
        __builtin_trap();
    }
    if (tagged) {
        CheckOutputTag(output, mp3.TagSize(), writtenFrames);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReadingPass(data, size, true);
    ReadingPass(data, size, false);
    RewritePass(data, size);
    return 0;
}
