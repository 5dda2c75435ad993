// The movie box's tracks and sample tables; the tags and chapter list are in
// m4b_metadata.cpp.
#include "m4b/m4b_movie.h"

#include <algorithm>

#include "m4b/box_writer.h"
#include "m4b/piece_plan.h"

namespace brambex {

namespace {

constexpr std::uint32_t AudioTrackId = 1;
constexpr std::uint32_t ChapterTrackId = 2;
constexpr std::uint16_t Undetermined = 0x55C4;  // "und", packed as ISO 639-2/T

// The movie counts time in milliseconds, as readers of the Nero chapter list expect;
// the tracks count it in samples.
constexpr std::uint32_t MovieTimescale = 1000;

bool Wide(std::uint64_t v) {
    return v > 0xFFFFFFFFu;
}

// Samples in the movie's milliseconds, rounded up so that no sample is cut off.
std::uint64_t MovieTime(std::uint64_t samples, std::uint32_t sampleRate) {
    return (samples * MovieTimescale + sampleRate - 1) / sampleRate;
}

// A time or duration, in the width of its box's version.
void Time(BoxWriter& w, bool wide, std::uint64_t v) {
    wide ? w.U64(v) : w.U32(static_cast<std::uint32_t>(v));
}

void Matrix(BoxWriter& w) {
    for (std::uint32_t v : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u})
        w.U32(v);
}

void MovieHeader(BoxWriter& w, std::uint32_t timescale, std::uint64_t duration) {
    const bool wide = Wide(duration);
    const std::size_t box = w.OpenFull("mvhd", wide ? 1 : 0);
    Time(w, wide, 0);  // created and modified: unknown
    Time(w, wide, 0);
    w.U32(timescale);
    Time(w, wide, duration);
    w.U32(0x00010000);  // rate 1.0
    w.U16(0x0100);      // volume 1.0
    w.Zeros(10);
    Matrix(w);
    w.Zeros(24);
    w.U32(ChapterTrackId + 1);
    w.Close(box);
}

void TrackHeader(BoxWriter& w, std::uint32_t id, std::uint64_t duration, bool audio) {
    const bool wide = Wide(duration);
    // Enabled and in the movie; the chapter track is read through the audio's
    // reference, never played.
    const std::size_t box = w.OpenFull("tkhd", wide ? 1 : 0, audio ? 3 : 2);
    Time(w, wide, 0);
    Time(w, wide, 0);
    w.U32(id);
    w.U32(0);
    Time(w, wide, duration);
    w.Zeros(8);
    w.U16(0);  // layer
    w.U16(0);  // alternate group
    w.U16(audio ? 0x0100 : 0);
    w.U16(0);
    Matrix(w);
    w.Zeros(8);  // width, height
    w.Close(box);
}

// Plays the book's samples alone: from after the encoder's delay, for their length.
void EditList(BoxWriter& w, std::uint64_t duration) {
    const std::size_t edts = w.Open("edts");
    const bool wide = Wide(duration);
    const std::size_t elst = w.OpenFull("elst", wide ? 1 : 0);
    w.U32(1);
    Time(w, wide, duration);
    Time(w, wide, AacEncoderDelay);
    w.U32(0x00010000);
    w.Close(elst);
    w.Close(edts);
}

void MediaHeader(BoxWriter& w, std::uint32_t timescale, std::uint64_t duration) {
    const bool wide = Wide(duration);
    const std::size_t box = w.OpenFull("mdhd", wide ? 1 : 0);
    Time(w, wide, 0);
    Time(w, wide, 0);
    w.U32(timescale);
    Time(w, wide, duration);
    w.U16(Undetermined);
    w.U16(0);
    w.Close(box);
}

void Handler(BoxWriter& w, std::string_view type, std::string_view name) {
    const std::size_t box = w.OpenFull("hdlr", 0);
    w.U32(0);
    w.Text(type);
    w.Zeros(12);
    w.Text(name);
    w.U8(0);
    w.Close(box);
}

void DataInformation(BoxWriter& w) {
    const std::size_t dinf = w.Open("dinf");
    const std::size_t dref = w.OpenFull("dref", 0);
    w.U32(1);
    w.Close(w.OpenFull("url ", 0, 1));  // the data is in this file
    w.Close(dref);
    w.Close(dinf);
}

// An MPEG-4 descriptor: its tag, its length in one byte, its body.
std::string Descriptor(std::uint8_t tag, const std::string& body) {
    return std::string{static_cast<char>(tag), static_cast<char>(body.size())} + body;
}

std::string DecoderConfig(const M4bAudio& audio) {
    const std::uint32_t largest = audio.packets.largest;
    BoxWriter d;
    d.U8(0x40);  // MPEG-4 audio
    d.U8(0x15);  // an audio stream
    d.U24(largest);
    d.U32(static_cast<std::uint32_t>(std::uint64_t{largest} * 8 * audio.sampleRate / AacFrame));
    d.U32(audio.bitrate);
    return Descriptor(4, d.Take() + Descriptor(5, audio.config));
}

void AudioSampleEntry(BoxWriter& w, const M4bAudio& audio) {
    const std::size_t entry = w.Open("mp4a");
    w.Zeros(6);
    w.U16(1);  // data reference
    w.Zeros(8);
    w.U16(audio.channels);
    w.U16(16);
    w.Zeros(4);
    w.U32(audio.sampleRate << 16);
    const std::size_t esds = w.OpenFull("esds", 0);
    // The elementary stream's id, no flags, its decoder's setup, the sync layer's.
    w.Text(Descriptor(3, std::string("\0\0\0", 3) + DecoderConfig(audio) + Descriptor(6, "\2")));
    w.Close(esds);
    w.Close(entry);
}

// A QuickTime text sample entry with default looks: chapter titles are never drawn.
void TextSampleEntry(BoxWriter& w) {
    const std::size_t entry = w.Open("text");
    w.Zeros(6);
    w.U16(1);
    w.Zeros(4 + 4 + 6 + 8 + 8 + 2 + 2 + 1 + 2 + 6 + 1);
    w.Close(entry);
}

void SampleDescription(BoxWriter& w, const M4bAudio* audio) {
    const std::size_t box = w.OpenFull("stsd", 0);
    w.U32(1);
    audio ? AudioSampleEntry(w, *audio) : TextSampleEntry(w);
    w.Close(box);
}

using Runs = std::vector<std::pair<std::uint32_t, std::uint64_t>>;

// Sample durations as (count, duration) runs.
void TimeToSample(BoxWriter& w, const Runs& runs) {
    const std::size_t box = w.OpenFull("stts", 0);
    w.U32(static_cast<std::uint32_t>(runs.size()));
    for (const auto& [count, duration] : runs) {
        w.U32(count);
        w.U32(static_cast<std::uint32_t>(duration));
    }
    w.Close(box);
}

Runs DurationRuns(std::span<const std::uint64_t> durations) {
    Runs runs;
    for (std::uint64_t d : durations) {
        if (runs.empty() || runs.back().second != d)
            runs.emplace_back(0, d);
        ++runs.back().first;
    }
    return runs;
}

// Chunks of `perChunk` samples, the last holding the rest.
void SampleToChunk(BoxWriter& w, std::uint64_t samples, std::uint64_t perChunk) {
    const std::uint64_t full = samples / perChunk, rest = samples % perChunk;
    const std::size_t box = w.OpenFull("stsc", 0);
    w.U32((full > 0 ? 1u : 0u) + (rest > 0 ? 1u : 0u));
    if (full > 0) {
        w.U32(1);
        w.U32(static_cast<std::uint32_t>(perChunk));
        w.U32(1);
    }
    if (rest > 0) {
        w.U32(static_cast<std::uint32_t>(full + 1));
        w.U32(static_cast<std::uint32_t>(rest));
        w.U32(1);
    }
    w.Close(box);
}

// The sizes of the samples, or with none given a gap for `count` of them.
void SampleSizes(BoxWriter& w, std::uint64_t count, std::span<const std::uint32_t> sizes = {}) {
    const std::size_t box = w.OpenFull("stsz", 0);
    w.U32(0);
    w.U32(static_cast<std::uint32_t>(count));
    for (std::uint32_t size : sizes)
        w.U32(size);
    if (sizes.empty())
        w.Gap(count * 4);
    w.Close(box);
}

// Where each chunk starts: `start` and the bytes before it from there.
void ChunkOffsets(BoxWriter& w, std::span<const std::uint64_t> chunkStarts, std::uint64_t start) {
    const bool wide = !chunkStarts.empty() && Wide(start + chunkStarts.back());
    const std::size_t box = w.OpenFull(wide ? "co64" : "stco", 0);
    w.U32(static_cast<std::uint32_t>(chunkStarts.size()));
    for (std::uint64_t offset : chunkStarts)
        Time(w, wide, start + offset);
    w.Close(box);
}

void AudioTrack(BoxWriter& w, const M4bAudio& audio, std::uint64_t dataStart) {
    const std::size_t trak = w.Open("trak");
    const std::uint64_t duration = MovieTime(audio.samples, audio.sampleRate);
    TrackHeader(w, AudioTrackId, duration, true);
    EditList(w, duration);
    const std::size_t tref = w.Open("tref");
    const std::size_t chap = w.Open("chap");
    w.U32(ChapterTrackId);
    w.Close(chap);
    w.Close(tref);
    const std::size_t mdia = w.Open("mdia");
    const std::uint64_t packets = audio.packets.packets;
    MediaHeader(w, audio.sampleRate, packets * AacFrame);
    Handler(w, "soun", "SoundHandler");
    const std::size_t minf = w.Open("minf");
    const std::size_t smhd = w.OpenFull("smhd", 0);
    w.U32(0);
    w.Close(smhd);
    DataInformation(w);
    const std::size_t stbl = w.Open("stbl");
    SampleDescription(w, &audio);
    TimeToSample(w, {{static_cast<std::uint32_t>(packets), AacFrame}});
    SampleToChunk(w, packets, ChunkPackets);
    SampleSizes(w, packets);
    ChunkOffsets(w, audio.packets.chunkStarts, dataStart);
    for (std::size_t box : {stbl, minf, mdia, trak})
        w.Close(box);
}

void ChapterTrack(BoxWriter& w, const M4bAudio& audio, std::span<const M4bChapter> chapters,
                  std::uint64_t textStart) {
    std::vector<std::uint64_t> durations;
    std::vector<std::uint32_t> sizes;
    for (std::size_t i = 0; i < chapters.size(); ++i) {
        const std::uint64_t end = i + 1 < chapters.size() ? chapters[i + 1].start : audio.samples;
        durations.push_back(end - chapters[i].start);
        sizes.push_back(static_cast<std::uint32_t>(RenderChapterSample(chapters[i].title).size()));
    }
    const std::size_t trak = w.Open("trak");
    TrackHeader(w, ChapterTrackId, MovieTime(audio.samples, audio.sampleRate), false);
    const std::size_t mdia = w.Open("mdia");
    MediaHeader(w, audio.sampleRate, audio.samples);
    Handler(w, "text", "ChapterHandler");
    const std::size_t minf = w.Open("minf");
    const std::size_t gmhd = w.Open("gmhd");
    const std::size_t gmin = w.OpenFull("gmin", 0);
    w.U16(0x40);  // copy
    for (int i = 0; i < 3; ++i)
        w.U16(0x8000);
    w.Zeros(4);
    w.Close(gmin);
    const std::size_t text = w.Open("text");
    Matrix(w);
    w.Close(text);
    w.Close(gmhd);
    DataInformation(w);
    const std::size_t stbl = w.Open("stbl");
    SampleDescription(w, nullptr);
    TimeToSample(w, DurationRuns(durations));
    // One chunk of every title.
    SampleToChunk(w, chapters.size(), std::max<std::uint64_t>(chapters.size(), 1));
    SampleSizes(w, sizes.size(), sizes);
    ChunkOffsets(w, std::vector<std::uint64_t>(chapters.empty() ? 0 : 1, 0), textStart);
    for (std::size_t box : {stbl, minf, mdia, trak})
        w.Close(box);
}

}  // namespace

void PacketTally::Add(std::uint32_t size) {
    if ((first + packets) % ChunkPackets == 0)
        chunkStarts.push_back(bytes);
    ++packets;
    bytes += size;
    largest = std::max(largest, size);
}

void PacketTally::Append(const PacketTally& next) {
    for (std::uint64_t start : next.chunkStarts)
        chunkStarts.push_back(bytes + start);
    packets += next.packets;
    bytes += next.bytes;
    largest = std::max(largest, next.largest);
}

std::string RenderFileType() {
    BoxWriter w;
    const std::size_t box = w.Open("ftyp");
    w.Text("M4B ");
    w.U32(0);
    w.Text("M4B M4A mp42isom");
    w.Close(box);
    return w.Take();
}

RenderedMovie RenderMovie(const M4bAudio& audio, std::span<const M4bChapter> chapters,
                          const M4bTags& tags, std::uint64_t dataStart) {
    BoxWriter w;
    const std::size_t moov = w.Open("moov");
    MovieHeader(w, MovieTimescale, MovieTime(audio.samples, audio.sampleRate));
    AudioTrack(w, audio, dataStart);
    ChapterTrack(w, audio, chapters, dataStart + audio.packets.bytes);
    const std::size_t udta = w.Open("udta");
    WriteChapterList(w, chapters, audio.sampleRate);
    WriteItemList(w, tags,
                  ITunSmpb(AacEncoderDelay,
                           audio.packets.packets * AacFrame - AacEncoderDelay - audio.samples,
                           audio.samples));
    w.Close(udta);
    w.Close(moov);
    const std::size_t sizesAt = w.GapAt();
    return {w.Take(), sizesAt, audio.packets.packets * 4};
}

std::string RenderMediaDataHead(std::uint64_t payload) {
    BoxWriter w;
    if (Wide(payload + 8)) {
        w.U32(1);
        w.Text("mdat");
        w.U64(payload + 16);
    } else {
        w.U32(static_cast<std::uint32_t>(payload + 8));
        w.Text("mdat");
    }
    return w.Take();
}

}  // namespace brambex
