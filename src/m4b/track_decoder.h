// One track decoded into the book's samples: 32-bit float, one plane per channel, at
// the book's sample rate. The demuxer and decoder trim the encoder's delay and padding
// that the track's LAME header gives; a track of another rate or channel count passes
// through the resampler, one of the book's own passes through untouched.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace brambex {

// What a track is before it is brought to the book's format.
struct TrackFormat {
    int sampleRate = 0;
    int channels = 0;
};

class TrackDecoder {
  public:
    // Receives decoded samples: a pointer per channel, and how many samples each holds.
    using Sink = std::function<void(const float* const* planes, int samples)>;

    TrackDecoder();
    ~TrackDecoder();
    TrackDecoder(const TrackDecoder&) = delete;
    TrackDecoder& operator=(const TrackDecoder&) = delete;

    // Opens a track; false with Reason() when it is no audio the decoder knows.
    bool Open(const std::string& path);
    TrackFormat Format() const;
    // Converts what follows to this rate and channel count.
    bool Convert(int sampleRate, int channels);
    // Decodes the next packet's samples into sink; false at the end or on a failure
    // (Failed(), Reason()). A damaged frame is left out, as players leave it out.
    bool Next(const Sink& sink);
    bool Failed() const;
    std::string Reason() const;

  private:
    struct State;
    std::unique_ptr<State> s_;
};

// Keeps the decoding libraries' own log lines off the terminal.
void QuietDecoderLogs();

// The words of a decoding library's error code.
std::string DecoderErrorText(int error);

// The samples a track decodes to at `sampleRate`: counted at its own rate, then scaled.
std::uint64_t SamplesAtRate(std::uint64_t samples, int from, int to);

}  // namespace brambex
