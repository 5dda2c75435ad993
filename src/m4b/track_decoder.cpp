#include "m4b/track_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include <vector>

namespace brambex {

struct TrackDecoder::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    int stream = -1;
    int outRate = 0;
    int outChannels = 0;
    bool ended = false;
    bool flushed = false;
    int error = 0;
    std::vector<float> converted;
    std::vector<float*> planes;

    void Deliver(const AVFrame* decoded, const Sink& sink);

    ~State() {
        swr_free(&resampler);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
        av_packet_free(&packet);
        av_frame_free(&frame);
    }
};

void QuietDecoderLogs() {
    av_log_set_level(AV_LOG_QUIET);
}

std::string DecoderErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

TrackDecoder::TrackDecoder() : s_(std::make_unique<State>()) {}
TrackDecoder::~TrackDecoder() = default;

bool TrackDecoder::Open(const std::string& path) {
    State& s = *s_;
    const AVCodec* decoder = nullptr;
    // The demuxer keeps an index for seeking, up to a megabyte a track, that a track
    // read once from start to end never uses.
    s.format = avformat_alloc_context();
    if (!s.format) {
        s.error = AVERROR(ENOMEM);
        return false;
    }
    s.format->max_index_size = 1024;
    if ((s.error = avformat_open_input(&s.format, path.c_str(), nullptr, nullptr)) < 0 ||
        (s.error = avformat_find_stream_info(s.format, nullptr)) < 0 ||
        (s.error = av_find_best_stream(s.format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0)) < 0)
        return false;
    s.stream = s.error;
    s.error = 0;
    s.codec = avcodec_alloc_context3(decoder);
    if (!s.codec) {
        s.error = AVERROR(ENOMEM);
        return false;
    }
    s.codec->thread_count = 1;
    if ((s.error = avcodec_parameters_to_context(s.codec, s.format->streams[s.stream]->codecpar)) <
            0 ||
        (s.error = avcodec_open2(s.codec, decoder, nullptr)) < 0)
        return false;
    s.outRate = s.codec->sample_rate;
    s.outChannels = s.codec->ch_layout.nb_channels;
    return true;
}

TrackFormat TrackDecoder::Format() const {
    return {s_->codec->sample_rate, s_->codec->ch_layout.nb_channels};
}

bool TrackDecoder::Convert(int sampleRate, int channels) {
    State& s = *s_;
    s.outRate = sampleRate;
    s.outChannels = channels;
    if (sampleRate == s.codec->sample_rate && channels == s.codec->ch_layout.nb_channels &&
        s.codec->sample_fmt == AV_SAMPLE_FMT_FLTP)
        return true;
    AVChannelLayout layout;
    av_channel_layout_default(&layout, channels);
    s.error = swr_alloc_set_opts2(&s.resampler, &layout, AV_SAMPLE_FMT_FLTP, sampleRate,
                                  &s.codec->ch_layout, s.codec->sample_fmt, s.codec->sample_rate, 0,
                                  nullptr);
    if (s.error >= 0)
        s.error = swr_init(s.resampler);
    return s.error >= 0;
}

// Hands a decoded frame (or, with none, what the resampler still holds) to the sink.
void TrackDecoder::State::Deliver(const AVFrame* decoded, const Sink& sink) {
    if (!resampler) {
        sink(reinterpret_cast<const float* const*>(decoded->extended_data), decoded->nb_samples);
        return;
    }
    const int room = swr_get_out_samples(resampler, decoded ? decoded->nb_samples : 0);
    if (room <= 0)
        return;
    converted.resize(static_cast<std::size_t>(room) * static_cast<std::size_t>(outChannels));
    planes.resize(static_cast<std::size_t>(outChannels));
    for (std::size_t c = 0; c < planes.size(); ++c)
        planes[c] = converted.data() + c * static_cast<std::size_t>(room);
    const int got =
        swr_convert(resampler, reinterpret_cast<std::uint8_t**>(planes.data()), room,
                    decoded ? const_cast<const std::uint8_t**>(decoded->extended_data) : nullptr,
                    decoded ? decoded->nb_samples : 0);
    if (got > 0)
        sink(planes.data(), got);
}

bool TrackDecoder::Next(const Sink& sink) {
    State& s = *s_;
    while (!s.flushed && s.error >= 0) {
        const int received = avcodec_receive_frame(s.codec, s.frame);
        if (received >= 0) {
            s.Deliver(s.frame, sink);
            return true;
        }
        if (received == AVERROR_EOF) {
            s.flushed = true;
            break;
        }
        if (s.ended) {
            avcodec_send_packet(s.codec, nullptr);
            continue;
        }
        const int read = av_read_frame(s.format, s.packet);
        if (read == AVERROR_EOF) {
            s.ended = true;
            avcodec_send_packet(s.codec, nullptr);
            continue;
        }
        if (read < 0) {
            s.error = read;
            break;
        }
        // A damaged frame is skipped; only the end of the input or a read failure stops.
        if (s.packet->stream_index == s.stream)
            avcodec_send_packet(s.codec, s.packet);
        av_packet_unref(s.packet);
    }
    if (s.flushed && s.resampler && s.error >= 0) {
        s.Deliver(nullptr, sink);
        swr_free(&s.resampler);
    }
    return false;
}

bool TrackDecoder::Failed() const {
    return s_->error < 0;
}
std::string TrackDecoder::Reason() const {
    return DecoderErrorText(s_->error);
}

std::uint64_t SamplesAtRate(std::uint64_t samples, int from, int to) {
    if (from == to || from <= 0)
        return samples;
    const auto f = static_cast<std::uint64_t>(from), t = static_cast<std::uint64_t>(to);
    return (samples * t + f / 2) / f;
}

}  // namespace brambex
