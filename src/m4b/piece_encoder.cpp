#include "m4b/piece_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/audio_fifo.h>
}

#include <algorithm>

#include "m4b/track_decoder.h"

namespace brambex {

namespace {

// The encoder of one piece, the samples waiting for a whole frame, and what it kept.
class PieceRun {
  public:
    explicit PieceRun(const PieceJob& job) : job_(job), piece_(*job.piece) {
        outcome.packets.first = piece_.firstPacket;
    }
    ~PieceRun() {
        av_audio_fifo_free(fifo_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        avcodec_free_context(&codec_);
    }
    PieceRun(const PieceRun&) = delete;
    PieceRun& operator=(const PieceRun&) = delete;

    bool OpenEncoder();
    bool FeedTrack(std::size_t track);
    bool Finish();
    PieceOutcome outcome;

  private:
    bool Fail(PieceOutcome::Kind kind, std::size_t track, std::string detail) {
        outcome.kind = kind;
        outcome.track = track;
        outcome.detail = std::move(detail);
        return false;
    }
    bool Fed(const float* const* planes, std::uint64_t at, std::uint64_t n, std::uint64_t end);
    bool Silence(std::uint64_t from, std::uint64_t to);
    bool EncodeFrames(bool last);
    bool Drain();

    const PieceJob& job_;
    const Piece& piece_;
    AVCodecContext* codec_ = nullptr;
    AVAudioFifo* fifo_ = nullptr;
    AVFrame* frame_ = av_frame_alloc();
    AVPacket* packet_ = av_packet_alloc();
    std::int64_t pts_ = 0;
    std::uint64_t packets_ = 0;  // the encoder's, kept or not
};

bool PieceRun::OpenEncoder() {
    const AVCodec* aac = avcodec_find_encoder_by_name("aac");
    codec_ = aac ? avcodec_alloc_context3(aac) : nullptr;
    if (!codec_ || !frame_ || !packet_)
        return Fail(PieceOutcome::Kind::EncodeFailed, 0, "no AAC encoder");
    codec_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    codec_->sample_rate = job_.format.sampleRate;
    av_channel_layout_default(&codec_->ch_layout, job_.format.channels);
    codec_->bit_rate = std::int64_t{job_.format.bitrateKbps} * 1000;
    codec_->profile = FF_PROFILE_AAC_LOW;
    // The configuration goes into the file's sample description, not each packet.
    codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    codec_->thread_count = 1;
    if (const int error = avcodec_open2(codec_, aac, nullptr); error < 0)
        return Fail(PieceOutcome::Kind::EncodeFailed, 0, DecoderErrorText(error));
    outcome.config.assign(reinterpret_cast<const char*>(codec_->extradata),
                          static_cast<std::size_t>(codec_->extradata_size));
    fifo_ = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, job_.format.channels, codec_->frame_size);
    frame_->format = AV_SAMPLE_FMT_FLTP;
    frame_->sample_rate = job_.format.sampleRate;
    frame_->nb_samples = codec_->frame_size;
    av_channel_layout_copy(&frame_->ch_layout, &codec_->ch_layout);
    if (!fifo_ || av_frame_get_buffer(frame_, 0) < 0)
        return Fail(PieceOutcome::Kind::EncodeFailed, 0, "out of memory");
    return true;
}

// Takes the part of n decoded samples, the first at book sample `at`, that this piece
// is fed and its track holds (before `end`).
bool PieceRun::Fed(const float* const* planes, std::uint64_t at, std::uint64_t n,
                   std::uint64_t end) {
    const std::uint64_t from = std::max(at, piece_.feedStart);
    const std::uint64_t to = std::min({at + n, end, piece_.feedEnd});
    if (from >= to)
        return true;
    std::vector<void*> part(static_cast<std::size_t>(job_.format.channels));
    for (std::size_t c = 0; c < part.size(); ++c)
        part[c] = const_cast<float*>(planes[c] + (from - at));
    if (av_audio_fifo_write(fifo_, part.data(), static_cast<int>(to - from)) < 0)
        return Fail(PieceOutcome::Kind::EncodeFailed, 0, "out of memory");
    job_.fed->fetch_add(to - from, std::memory_order_relaxed);
    return EncodeFrames(false);
}

// Silence where a track decoded to fewer samples than it counted.
bool PieceRun::Silence(std::uint64_t from, std::uint64_t to) {
    const std::vector<float> zeros(AacFrame, 0.0f);
    const std::vector<const float*> planes(static_cast<std::size_t>(job_.format.channels),
                                           zeros.data());
    for (; from < to; from += AacFrame) {
        if (!Fed(planes.data(), from, std::min(AacFrame, to - from), to))
            return false;
    }
    return true;
}

bool PieceRun::FeedTrack(std::size_t track) {
    TrackDecoder decoder;
    if (!decoder.Open(job_.trackPaths[track]) ||
        !decoder.Convert(job_.format.sampleRate, job_.format.channels))
        return Fail(PieceOutcome::Kind::Undecodable, track, decoder.Reason());
    const std::uint64_t start = job_.trackStarts[track];
    const std::uint64_t end = start + job_.trackSamples[track];
    std::uint64_t at = start;
    bool fed = true;
    const auto sink = [&](const float* const* planes, int n) {
        fed = fed && Fed(planes, at, static_cast<std::uint64_t>(n), end);
        at += static_cast<std::uint64_t>(n);
    };
    while (fed && at < std::min(end, piece_.feedEnd) && decoder.Next(sink)) {
        if (job_.stop->load(std::memory_order_relaxed))
            return Fail(PieceOutcome::Kind::Stopped, track, {});
    }
    if (!fed)
        return false;
    if (decoder.Failed())
        return Fail(PieceOutcome::Kind::Undecodable, track, decoder.Reason());
    return Silence(std::max(at, piece_.feedStart), std::min(end, piece_.feedEnd));
}

// Encodes the whole frames waiting; with `last`, what is left and the encoder's end.
bool PieceRun::EncodeFrames(bool last) {
    while (av_audio_fifo_size(fifo_) >= codec_->frame_size ||
           (last && av_audio_fifo_size(fifo_) > 0)) {
        if (av_frame_make_writable(frame_) < 0)
            return Fail(PieceOutcome::Kind::EncodeFailed, 0, "out of memory");
        frame_->nb_samples =
            av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame_->data), codec_->frame_size);
        frame_->pts = pts_;
        pts_ += frame_->nb_samples;
        if (const int error = avcodec_send_frame(codec_, frame_); error < 0)
            return Fail(PieceOutcome::Kind::EncodeFailed, 0, DecoderErrorText(error));
        if (!Drain())
            return false;
    }
    if (last) {
        avcodec_send_frame(codec_, nullptr);
        return Drain();
    }
    return true;
}

// Keeps the encoder's packets that are this piece's: after the pre-roll's, before the
// next piece's first.
bool PieceRun::Drain() {
    const std::uint64_t firstFed = piece_.firstPacket - piece_.droppedPackets;
    while (avcodec_receive_packet(codec_, packet_) >= 0) {
        const std::uint64_t book = firstFed + packets_++;
        if (book >= piece_.firstPacket && book < piece_.endPacket) {
            const auto size = static_cast<std::uint32_t>(packet_->size);
            const unsigned char big[4] = {
                static_cast<unsigned char>(size >> 24), static_cast<unsigned char>(size >> 16),
                static_cast<unsigned char>(size >> 8), static_cast<unsigned char>(size)};
            if (std::fwrite(packet_->data, 1, size, job_.spool) != size ||
                std::fwrite(big, 1, 4, job_.sizes) != 4) {
                av_packet_unref(packet_);
                return Fail(PieceOutcome::Kind::WriteFailed, 0, {});
            }
            outcome.packets.Add(size);
        }
        av_packet_unref(packet_);
    }
    return true;
}

bool PieceRun::Finish() {
    if (!EncodeFrames(true))
        return false;
    const std::uint64_t expected = piece_.endPacket - piece_.firstPacket;
    if (outcome.packets.packets != expected)
        return Fail(PieceOutcome::Kind::EncodeFailed, 0,
                    "the encoder gave " + std::to_string(outcome.packets.packets) +
                        " packets instead of " + std::to_string(expected));
    return (std::fflush(job_.spool) == 0 && std::fflush(job_.sizes) == 0) ||
           Fail(PieceOutcome::Kind::WriteFailed, 0, {});
}

}  // namespace

PieceOutcome EncodePiece(const PieceJob& job) {
    PieceRun run(job);
    if (run.OpenEncoder()) {
        bool ok = true;
        for (std::size_t t = job.piece->firstTrack; ok && t < job.piece->endTrack; ++t)
            ok = run.FeedTrack(t);
        if (ok)
            run.Finish();
    }
    return std::move(run.outcome);
}

}  // namespace brambex
