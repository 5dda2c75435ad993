// The boxes of an M4B audiobook around its AAC packets: the file type, the movie box
// (written before the media data, so that players start without seeking to the end)
// with the audio track, a QuickTime chapter text track and the iTunes tags, and the
// head of the media data. The media data holds the audio packets in order and after
// them the chapter track's text samples.
//
// The audio track's edit list starts after the encoder's delay and plays the book's
// samples alone; iTunSMPB says the same, to the sample, for players that read only it.
// Chapters start on their track's first sample in the chapter track, which counts time
// in the audio's samples.
//
// The table of the packets' sizes (four bytes a packet) is the one part of the movie
// that grows with the book: it is not rendered here but written into its place from
// the encoder's size files, so that a book of many hours needs no more memory than a
// short one. What the movie needs of the packets besides is a tally kept as they come.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace brambex {

// Packets per chunk of the audio track: a few seconds, so that a player reads the
// packets it plays in few requests and the chunk table stays short.
constexpr std::uint64_t ChunkPackets = 256;

// The audio packets counted as they are written: how many, their bytes, the largest,
// and where each chunk starts. Counting may start at any packet of the book (a piece's
// first); a tally appended to the one before it counts on from there.
struct PacketTally {
    std::uint64_t first = 0;  // the book's index of the first packet counted
    std::uint64_t packets = 0;
    std::uint64_t bytes = 0;
    std::uint32_t largest = 0;
    // The bytes before each chunk's first packet, from the first packet counted.
    std::vector<std::uint64_t> chunkStarts;

    void Add(std::uint32_t size);
    // Counts on with the packets that follow these (`next.first` is where these end).
    void Append(const PacketTally& next);
};

struct M4bAudio {
    std::uint32_t sampleRate = 0;
    std::uint16_t channels = 0;
    std::uint32_t bitrate = 0;  // bits per second
    // The AAC AudioSpecificConfig the encoder gave.
    std::string config;
    // The book's samples, without the encoder delay and the last packet's padding.
    std::uint64_t samples = 0;
    // Every packet of the book, counted from its first.
    PacketTally packets;
};

// A movie box without its packet sizes: they go at `sizesAt`, a big-endian 32-bit
// number per packet in order, and the boxes around them count them in.
struct RenderedMovie {
    std::string bytes;
    std::size_t sizesAt = 0;
    std::uint64_t sizesBytes = 0;
    std::uint64_t Size() const { return bytes.size() + sizesBytes; }
};

struct M4bChapter {
    std::string title;
    std::uint64_t start = 0;  // in samples
};

struct M4bTags {
    std::string title;   // ©nam and ©alb
    std::string artist;  // ©ART and aART
    std::string genre;
    std::string year;
    std::string description;  // desc and ©cmt
    std::string cover;        // the picture's bytes, JPEG or PNG
    bool coverIsPng = false;
};

std::string RenderFileType();
// The movie box, for media data whose packets start at byte `dataStart` of the file.
RenderedMovie RenderMovie(const M4bAudio& audio, std::span<const M4bChapter> chapters,
                          const M4bTags& tags, std::uint64_t dataStart);
// The head of the media data box for `payload` bytes; its length tells where they start.
std::string RenderMediaDataHead(std::uint64_t payload);
// A chapter track's text sample: the title and that it is UTF-8.
std::string RenderChapterSample(const std::string& title);

// The iTunes gapless text: delay, padding and samples in hexadecimal.
std::string ITunSmpb(std::uint64_t delay, std::uint64_t padding, std::uint64_t samples);

// The parts of the movie box, by box.
class BoxWriter;
void WriteChapterList(BoxWriter& w, std::span<const M4bChapter> chapters, std::uint32_t sampleRate);
void WriteItemList(BoxWriter& w, const M4bTags& tags, const std::string& gapless);

}  // namespace brambex
