// One video file through libavformat/libavcodec; the container follows the
// file name and each gets codecs chosen for what it is for:
//   .mp4   H.264 (yuv420p, preset superfast) + AAC: plays everywhere.
//   .mkv   FFV1 (bgr0, Golomb-Rice, every frame a key frame) + FLAC: lossless, a decoded
//          frame equals the recorded one byte for byte, and the sound equals
//          the WAV sample for sample. A frame equal to the one before reuses
//          its packet: the encoder would give the same bytes.
//   .webm  VP9 (yuv420p) + Opus (at 48 kHz, which Opus requires).
// The video's rate: a CRF, or an average bit rate for a size (video_quality.h).
// Frame k has pts k in units of 1/fps; the sound's pts count its samples from
// 0, so frame k and sample k * rate / fps start together in every player.
//
// For yuv420p the picture goes to full-resolution YUV first, at its own size,
// and is then enlarged by replication: at an even scale every 2x2 chroma
// sample lies inside one source pixel, so single-pixel detail keeps its
// colour. Colours are BT.709, limited range, and tagged so.
#include <fcntl.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "record/av_error.h"
#include "record/durable.h"
#include "record/fast_start.h"
#include "record/file_writes.h"
#include "record/recording_sink.h"
#include "record/replicate.h"
#include "record/video_quality.h"
#include "record/wav_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace {

// The .mp4 muxer gathers each fragment in a buffer that grows by doubling and
// is freed once the fragment is out. glibc raises its mmap threshold to the
// largest block freed, so after one large fragment those buffers come from
// the heap, whose holes among longer-lived blocks are not given back: a long
// recording at 4x grew by megabytes, in steps. Held at glibc's starting
// value, large buffers stay mapped and go back to the system whole.
void KeepLargeBuffersMapped() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

class VideoFileSink final : public RecordingSink {
 public:
  explicit VideoFileSink(const SinkSettings& s) : settings_(s) {}
  ~VideoFileSink() override { Release(); }

  bool Prepare() override {
#ifndef ZINTAVEL_WEBM
    // Built without libvpx and libopus (the Windows build): said before any file is made.
    if (settings_.form == RecordingForm::Webm)
      return Fail(settings_.path + ": this build records .mp4, .mkv, PNG directories and WAV, not .webm");
#endif
    // The file must be creatable; one that did not exist is not left behind
    // (a run that stops before its first frame writes nothing).
    const bool existed = ::access(settings_.path.c_str(), F_OK) == 0;
    const int fd = ::open(settings_.path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return Fail(settings_.path + ": cannot create: " + std::strerror(errno));
    ::close(fd);
    if (!existed) {
#ifdef _WIN32
      ::unlink(settings_.path.c_str());
#else
      // Through a dangling symbolic link the file made is where it points: that goes, the link stays.
      char* made = ::realpath(settings_.path.c_str(), nullptr);
      ::unlink(made ? made : settings_.path.c_str());
      std::free(made);
#endif
    }
    const char* video = VideoCodecName();
    const char* audio = AudioCodecName();
    if (!avcodec_find_encoder_by_name(video) || !avcodec_find_encoder_by_name(audio))
      return Fail(settings_.path + ": this libavcodec has no " + video + " or no " + audio + " encoder");
    // The hidden copy of an .mp4 a killed run left behind is of no use.
    if (settings_.form == RecordingForm::Mp4) ::unlink(IndexFirstCopyName(settings_.path).c_str());
    return true;
  }

  bool Begin(int width, int height) override {
    width_ = width, height_ = height;
    KeepLargeBuffersMapped();
    av_log_set_level(AV_LOG_QUIET);  // failures are told in our own one line
    const std::string& path = settings_.path;
    int rc = avformat_alloc_output_context2(&format_, nullptr, FormatName(), path.c_str());
    if (rc < 0) return Fail(path + ": cannot set up the container: " + AvError(rc));
    packet_ = av_packet_alloc();
    lastPacket_ = av_packet_alloc();
    if (!packet_ || !lastPacket_) return Fail(path + ": out of memory");
    if (!OpenVideo() || !OpenAudio()) return false;
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    if ((rc = OpenRecordingOutput(&format_->pb, path)) < 0)
      return Fail(path + ": cannot create: " + AvError(rc));
    AVDictionary* options = nullptr;
    // Whatever cuts the recording short (a full disk, a kill, a power cut),
    // the file plays up to about a second before: the .mp4 is written in
    // fragments of a second, each with its own index, and Matroska's clusters
    // are closed every second. Every packet leaves our buffers at once.
    if (settings_.form == RecordingForm::Mp4) {
      av_dict_set(&options, "movflags", "+frag_keyframe+empty_moov+default_base_moof", 0);
      av_dict_set(&options, "frag_duration", "1000000", 0);
    } else {
      av_dict_set(&options, "cluster_time_limit", "1000", 0);
    }
    format_->flush_packets = 1;
    rc = avformat_write_header(format_, &options);
    av_dict_free(&options);
    if (rc < 0) return Fail(path + ": cannot write: " + AvError(rc));
    headerWritten_ = true;
    // Our own descriptor of the file, for the syncs: a sync takes the file's
    // data whichever descriptor wrote it.
    syncFd_ = OpenToSync(path);
    SyncDirectoryOf(path);
    return true;
  }

  // What reached the file so far, made durable: about once per second of
  // recording, as each fragment or cluster is out.
  bool Sync() {
    if (syncFd_ < 0) return true;
    if ((settings_.syncFile ? settings_.syncFile(syncFd_) : SyncFileData(syncFd_)) != 0)
      return Fail(settings_.path + ": cannot write: " + WriteErrorText(errno));
    return true;
  }

  bool WriteFrame(std::uint32_t index, const std::uint32_t* pixels) override {
    if (!error_.empty()) return false;
    const std::size_t bytes = static_cast<std::size_t>(width_) * height_ * 4;
    if (settings_.form == RecordingForm::Mkv) {
      // Every FFV1 frame here is a key frame coded on its own, so a frame like
      // the last gives the last one's packet byte for byte: write it again.
      if (repeatable_ && std::memcmp(last_.data(), pixels, bytes) == 0) {
        if (!WriteAgain(index)) return false;
        ++frames_;
        return frames_ % settings_.fps != 0 || Sync();
      }
      last_.assign(pixels, pixels + bytes / 4);
      repeatable_ = false;
    }
    int rc = av_frame_make_writable(picture_);
    if (rc < 0) return Fail(settings_.path + ": out of memory for a frame: " + AvError(rc));
    if (settings_.form == RecordingForm::Mkv) FillBgr0(pixels);
    else FillYuv420(pixels);
    picture_->pts = index;
    if (!Encode(video_, videoStream_, picture_)) return false;
    ++frames_;
    return frames_ % settings_.fps != 0 || Sync();
  }

  // The last frame's packet once more, at frame `index`.
  bool WriteAgain(std::uint32_t index) {
    int rc = av_packet_ref(packet_, lastPacket_);
    if (rc < 0) return Fail(settings_.path + ": out of memory for a frame: " + AvError(rc));
    packet_->pts = packet_->dts = index;
    av_packet_rescale_ts(packet_, video_->time_base, videoStream_->time_base);
    packet_->stream_index = videoStream_->index;
    return Write(packet_);
  }

  bool WriteSound(const std::int16_t* stereo, std::size_t frames) override {
    if (!error_.empty()) return false;
    const auto* in = reinterpret_cast<const std::uint8_t*>(stereo);
    return Resample(&in, static_cast<int>(frames)) && EncodeSound(false);
  }

  bool Finish() override {
    if (!headerWritten_) {
      Release();
      return error_.empty();
    }
    if (error_.empty()) {
      // Drain the resampler and the sound that does not fill a whole frame, then the encoders.
      if (Resample(nullptr, 0) && EncodeSound(true) && Encode(audio_, audioStream_, nullptr))
        Encode(video_, videoStream_, nullptr);
    }
    if (settings_.form != RecordingForm::Mp4) AddChapters(format_);  // the .mp4 gets them in its copy
    const int rc = av_write_trailer(format_);
    if (rc < 0) Fail(settings_.path + ": cannot finalise: " + AvError(rc));
    if (format_->pb && format_->pb->error < 0) Fail(settings_.path + ": cannot write: " + AvError(format_->pb->error));
    const int closed = CloseRecordingOutput(&format_->pb);
    if (closed < 0) Fail(settings_.path + ": cannot write: " + AvError(closed));
    Sync();
    if (syncFd_ >= 0) ::close(syncFd_);
    syncFd_ = -1;
    priming_ = audio_ ? audio_->initial_padding : 0;
    Release();
    if (!error_.empty()) {
      // Say what is in the file, as read back, and leave no file that holds nothing.
      readBack_ = true;
      if (!PlayableFrames(settings_.path, playableFrames_, playableSeconds_)) ::unlink(settings_.path.c_str());
      return false;
    }
    // The classic layout with the index first, for players that want it; the
    // fragmented file stays (and plays) when that fails.
    // The fragmented file's index was written before the chapters were known:
    // the copy carries them.
    // Stopped at once by a second signal: no copy, the file stays as written.
    const bool stopNow = settings_.stopNow && settings_.stopNow();
    if (settings_.form == RecordingForm::Mp4 && !stopNow &&
        !RewriteWithIndexFirst(
            settings_.path, priming_, fastStartError_, [this](AVFormatContext* copy) { AddChapters(copy); },
            settings_.stopNow))
      fastStartError_ += "; the file is left fragmented (it plays)";
    return true;
  }

  void SetChapters(const std::vector<Chapter>& chapters, std::uint64_t endMs) override {
    chapters_ = chapters;
    chaptersEndMs_ = endMs;
  }

  std::string Written() const override {
    char text[300];
    // Failed before its first frame: a file of that name is some earlier one.
    if (!headerWritten_) return "nothing written to " + settings_.path;
    if (readBack_) {
      if (playableFrames_ == 0) return "nothing that plays (" + settings_.path + " removed)";
      std::snprintf(text, sizeof text, "%s holding %ld frames of %dx%d (%.2f s) that play", settings_.path.c_str(),
                    playableFrames_, width_ * settings_.scale, height_ * settings_.scale, playableSeconds_);
      return text;
    }
    if (!fastStartError_.empty()) {
      std::snprintf(text, sizeof text, "%s (%u frames of %dx%d, %.2f s of sound); ", settings_.path.c_str(), frames_,
                    width_ * settings_.scale, height_ * settings_.scale, soundSamples_ / double(WavWriter::Rate));
      return text + fastStartError_;
    }
    std::snprintf(text, sizeof text, "%s (%u frames of %dx%d, %.2f s of sound)", settings_.path.c_str(), frames_,
                  width_ * settings_.scale, height_ * settings_.scale, soundSamples_ / double(WavWriter::Rate));
    return text;
  }

 private:
  // The muxers of .mkv and (classic) .mp4 write chapters given as late as the trailer.
  void AddChapters(AVFormatContext* target) {
    if (settings_.form == RecordingForm::Webm || chapters_.empty() || target->nb_chapters) return;
    auto** list = static_cast<AVChapter**>(av_realloc_array(nullptr, chapters_.size(), sizeof(AVChapter*)));
    if (!list) return;
    unsigned made = 0;
    for (std::size_t i = 0; i < chapters_.size(); ++i) {
      AVChapter* c = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
      if (!c) break;
      c->id = static_cast<std::int64_t>(i + 1);
      c->time_base = AVRational{1, 1000};
      c->start = static_cast<std::int64_t>(chapters_[i].startMs);
      c->end = static_cast<std::int64_t>(i + 1 < chapters_.size() ? chapters_[i + 1].startMs : chaptersEndMs_);
      av_dict_set(&c->metadata, "title", chapters_[i].title.c_str(), 0);
      list[made++] = c;
    }
    target->chapters = list;
    target->nb_chapters = made;
  }

  const char* FormatName() const {
    switch (settings_.form) {
      case RecordingForm::Mp4: return "mp4";
      case RecordingForm::Webm: return "webm";
      default: return "matroska";
    }
  }
  const char* VideoCodecName() const {
    switch (settings_.form) {
      case RecordingForm::Mp4: return "libx264";
      case RecordingForm::Webm: return "libvpx-vp9";
      default: return "ffv1";
    }
  }
  const char* AudioCodecName() const {
    switch (settings_.form) {
      case RecordingForm::Mp4: return "aac";
      case RecordingForm::Webm: return "libopus";
      default: return "flac";
    }
  }

  bool OpenVideo() {
    const std::string& path = settings_.path;
    const AVCodec* codec = avcodec_find_encoder_by_name(VideoCodecName());
    video_ = avcodec_alloc_context3(codec);
    videoStream_ = avformat_new_stream(format_, nullptr);
    if (!video_ || !videoStream_) return Fail(path + ": out of memory for the video encoder");
    const int n = settings_.scale;
    video_->width = width_ * n;
    video_->height = height_ * n;
    // x264 refuses 4:2:0 pictures of odd size, and leaks what it had set up
    // when it does: say so before it is asked.
    if (settings_.form == RecordingForm::Mp4 && (video_->width % 2 != 0 || video_->height % 2 != 0))
      return Fail(path + ": an H.264 video needs an even width and height, not " + std::to_string(video_->width) + "x" +
                  std::to_string(video_->height));
    video_->time_base = AVRational{1, static_cast<int>(settings_.fps)};
    video_->framerate = AVRational{static_cast<int>(settings_.fps), 1};
    video_->thread_count = settings_.threads;
    AVDictionary* options = nullptr;
    if (settings_.form == RecordingForm::Mkv) {
      video_->pix_fmt = AV_PIX_FMT_BGR0;
      video_->gop_size = 1;
      video_->level = 3;
      av_dict_set(&options, "slices", "4", 0);  // a fixed slice count: the same file with any thread count
      av_dict_set(&options, "slicecrc", "1", 0);
      av_dict_set(&options, "coder", "rice", 0);  // half the range coder's time for a tenth more bytes
      video_->thread_type = FF_THREAD_SLICE;
    } else {
      video_->pix_fmt = AV_PIX_FMT_YUV420P;
      video_->color_range = AVCOL_RANGE_MPEG;
      video_->colorspace = AVCOL_SPC_BT709;
      video_->color_primaries = AVCOL_PRI_BT709;
      video_->color_trc = AVCOL_TRC_BT709;
      video_->gop_size = static_cast<int>(settings_.fps) * 2;
      std::int64_t bitRate = 0;
      if (settings_.targetBytes) {
        const double seconds = settings_.plannedSeconds ? settings_.plannedSeconds() : 0;
        const std::optional<SizeBudget> budget =
            BudgetFor(settings_.form, settings_.targetBytes, seconds, settings_.fps, settings_.scale);
        if (!budget) {
          char held[32];
          std::snprintf(held, sizeof held, "%.1f", seconds);
          return Fail(path + ": " + std::to_string(settings_.targetBytes / 1000000) + " MB cannot hold " + held +
                      " s of picture and sound");
        }
        bitRate = budget->videoBitRate;
        audioBitRate_ = budget->audioBitRate;
        video_->bit_rate = bitRate;
        // A one-second buffer at that rate keeps the whole file to its size.
        video_->rc_max_rate = bitRate;
        video_->rc_buffer_size = static_cast<int>(std::min<std::int64_t>(bitRate, 1 << 30));
      }
      const std::string crf = std::to_string(settings_.crf);
      if (settings_.form == RecordingForm::Mp4) {
        av_dict_set(&options, "preset", "superfast", 0);
        if (!bitRate) av_dict_set(&options, "crf", crf.c_str(), 0);
      } else {
        if (!bitRate) av_dict_set(&options, "crf", crf.c_str(), 0);
        if (!bitRate) av_dict_set(&options, "b", "0", 0);
        av_dict_set(&options, "deadline", "realtime", 0);
        av_dict_set(&options, "cpu-used", "8", 0);
        av_dict_set(&options, "row-mt", "1", 0);
        av_dict_set(&options, "tile-columns", "2", 0);
      }
    }
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) video_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int rc = avcodec_open2(video_, codec, &options);
    av_dict_free(&options);
    if (rc < 0) return Fail(path + ": cannot open the " + VideoCodecName() + " encoder: " + AvError(rc));
    if ((rc = avcodec_parameters_from_context(videoStream_->codecpar, video_)) < 0)
      return Fail(path + ": cannot set up the video stream: " + AvError(rc));
    videoStream_->time_base = video_->time_base;
    videoStream_->avg_frame_rate = video_->framerate;

    picture_ = av_frame_alloc();
    if (!picture_) return Fail(path + ": out of memory for a frame");
    picture_->format = video_->pix_fmt;
    picture_->width = video_->width;
    picture_->height = video_->height;
    picture_->color_range = video_->color_range;
    picture_->colorspace = video_->colorspace;
    picture_->color_primaries = video_->color_primaries;
    picture_->color_trc = video_->color_trc;
    if ((rc = av_frame_get_buffer(picture_, 0)) < 0) return Fail(path + ": out of memory for a frame: " + AvError(rc));
    if (video_->pix_fmt == AV_PIX_FMT_YUV420P) {
      // The conversion at the picture's own size; the enlargement is ours.
      convert_ = sws_getContext(width_, height_, AV_PIX_FMT_BGR0, width_, height_, AV_PIX_FMT_YUV444P,
                                SWS_POINT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP, nullptr, nullptr, nullptr);
      if (!convert_) return Fail(path + ": cannot set up the colour conversion");
      const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
      sws_setColorspaceDetails(convert_, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
      // swscale writes whole vectors: rows on a 64-byte stride and room past
      // the last one, or a narrow picture's conversion runs off the buffer.
      yuvStride_ = (width_ + 63) & ~63;
      for (auto& plane : yuv_) plane.resize(static_cast<std::size_t>(yuvStride_) * height_ + 64);
      for (int x = 0; x < video_->width; ++x) chromaColumns_.push_back(x / settings_.scale);
    }
    return true;
  }

  // --size's share for the sound where it is set, else the form's own rate.
  std::int64_t AudioBitRate() const { return audioBitRate_ ? audioBitRate_ : DefaultAudioBitRate(settings_.form); }

  bool OpenAudio() {
    const std::string& path = settings_.path;
    const AVCodec* codec = avcodec_find_encoder_by_name(AudioCodecName());
    audio_ = avcodec_alloc_context3(codec);
    audioStream_ = avformat_new_stream(format_, nullptr);
    if (!audio_ || !audioStream_) return Fail(path + ": out of memory for the sound encoder");
    const bool opus = settings_.form == RecordingForm::Webm;
    audio_->sample_rate = opus ? 48000 : WavWriter::Rate;
    audio_->sample_fmt = settings_.form == RecordingForm::Mp4 ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&audio_->ch_layout, 2);
    audio_->time_base = AVRational{1, audio_->sample_rate};
    audio_->bit_rate = AudioBitRate();
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) audio_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // The AAC encoder's default search aborts the whole program on some
    // sounds (an assertion on its scale factors, met by a plain repeating
    // waveform); its fast search does not, at about the same fidelity.
    AVDictionary* options = nullptr;
    if (settings_.form == RecordingForm::Mp4) av_dict_set(&options, "aac_coder", "fast", 0);
    int rc = avcodec_open2(audio_, codec, &options);
    av_dict_free(&options);
    if (rc < 0) return Fail(path + ": cannot open the " + AudioCodecName() + " encoder: " + AvError(rc));
    if ((rc = avcodec_parameters_from_context(audioStream_->codecpar, audio_)) < 0)
      return Fail(path + ": cannot set up the sound stream: " + AvError(rc));
    audioStream_->time_base = audio_->time_base;

    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    rc = swr_alloc_set_opts2(&resample_, &audio_->ch_layout, audio_->sample_fmt, audio_->sample_rate, &stereo,
                             AV_SAMPLE_FMT_S16, WavWriter::Rate, 0, nullptr);
    if (rc < 0 || (rc = swr_init(resample_)) < 0) return Fail(path + ": cannot set up the sound conversion: " + AvError(rc));
    frameSize_ = audio_->frame_size > 0 ? audio_->frame_size : 4096;
    fifo_ = av_audio_fifo_alloc(audio_->sample_fmt, 2, frameSize_ * 2);
    sound_ = av_frame_alloc();
    if (!fifo_ || !sound_) return Fail(path + ": out of memory for the sound");
    return true;
  }

  void FillBgr0(const std::uint32_t* pixels) {
    const int w = video_->width, n = settings_.scale;
    if (n > 1) {
      scaled_.resize(static_cast<std::size_t>(w) * video_->height);
      ReplicatePixels(pixels, width_, height_, n, scaled_.data());
      pixels = scaled_.data();
    }
    for (int y = 0; y < video_->height; ++y)
      std::memcpy(picture_->data[0] + static_cast<std::size_t>(y) * picture_->linesize[0],
                  pixels + static_cast<std::size_t>(y) * w, static_cast<std::size_t>(w) * 4);
  }

  void FillYuv420(const std::uint32_t* pixels) {
    const std::uint8_t* src[1] = {reinterpret_cast<const std::uint8_t*>(pixels)};
    const int srcStride[1] = {width_ * 4};
    std::uint8_t* dst[3] = {yuv_[0].data(), yuv_[1].data(), yuv_[2].data()};
    const int dstStride[3] = {yuvStride_, yuvStride_, yuvStride_};
    sws_scale(convert_, src, srcStride, 0, height_, dst, dstStride);
    const int n = settings_.scale, w = video_->width, h = video_->height;
    // Luma: each source value n x n times; a row like the one above is copied.
    for (int y = 0; y < h; ++y) {
      std::uint8_t* out = picture_->data[0] + static_cast<std::size_t>(y) * picture_->linesize[0];
      if (y % n != 0) {
        std::memcpy(out, out - picture_->linesize[0], static_cast<std::size_t>(w));
        continue;
      }
      const std::uint8_t* row = yuv_[0].data() + static_cast<std::size_t>(y / n) * yuvStride_;
      for (int x = 0; x < width_; ++x) std::memset(out + x * n, row[x], static_cast<std::size_t>(n));
    }
    // Chroma: the mean of the four full-size samples under each one (all of
    // one source pixel when n is even).
    for (int p = 1; p <= 2; ++p) {
      const std::uint8_t* full = yuv_[p].data();
      int lastY0 = -1, lastY1 = -1;
      for (int cy = 0; cy < h / 2; ++cy) {
        const int y0 = (2 * cy) / n, y1 = (2 * cy + 1) / n;
        std::uint8_t* out = picture_->data[p] + static_cast<std::size_t>(cy) * picture_->linesize[p];
        if (y0 == lastY0 && y1 == lastY1) {
          std::memcpy(out, out - picture_->linesize[p], static_cast<std::size_t>(w / 2));
          continue;
        }
        lastY0 = y0, lastY1 = y1;
        const std::uint8_t* r0 = full + static_cast<std::size_t>(y0) * yuvStride_;
        const std::uint8_t* r1 = full + static_cast<std::size_t>(y1) * yuvStride_;
        for (int cx = 0; cx < w / 2; ++cx) {
          const int x0 = chromaColumns_[2 * cx], x1 = chromaColumns_[2 * cx + 1];
          out[cx] = static_cast<std::uint8_t>((r0[x0] + r0[x1] + r1[x0] + r1[x1] + 2) >> 2);
        }
      }
    }
  }

  // Sound into the fifo in the encoder's rate and format; in = nullptr drains.
  bool Resample(const std::uint8_t** in, int frames) {
    const int room = swr_get_out_samples(resample_, frames);
    if (room <= 0) return true;
    if (converted_.size() < static_cast<std::size_t>(room) * 2 * 4) converted_.resize(static_cast<std::size_t>(room) * 2 * 4);
    std::uint8_t* planes[2];
    const bool planar = av_sample_fmt_is_planar(audio_->sample_fmt);
    const int bytes = av_get_bytes_per_sample(audio_->sample_fmt);
    planes[0] = converted_.data();
    planes[1] = converted_.data() + static_cast<std::size_t>(room) * bytes;
    const int got = swr_convert(resample_, planes, room, in, frames);
    if (got < 0) return Fail(settings_.path + ": cannot convert the sound: " + AvError(got));
    void* data[2] = {planes[0], planar ? planes[1] : nullptr};
    if (got > 0 && av_audio_fifo_write(fifo_, data, got) < got) return Fail(settings_.path + ": out of memory for the sound");
    return true;
  }

  // Whole encoder frames from the fifo; at the end, the rest too.
  bool EncodeSound(bool last) {
    while (av_audio_fifo_size(fifo_) >= frameSize_ || (last && av_audio_fifo_size(fifo_) > 0)) {
      int n = std::min(av_audio_fifo_size(fifo_), frameSize_);
      av_frame_unref(sound_);
      const bool padded = n < frameSize_ && !(audio_->codec->capabilities &
                                              (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE));
      sound_->nb_samples = padded ? frameSize_ : n;
      sound_->format = audio_->sample_fmt;
      sound_->sample_rate = audio_->sample_rate;
      av_channel_layout_copy(&sound_->ch_layout, &audio_->ch_layout);
      int rc = av_frame_get_buffer(sound_, 0);
      if (rc < 0) return Fail(settings_.path + ": out of memory for the sound: " + AvError(rc));
      if (padded)
        av_samples_set_silence(sound_->data, 0, sound_->nb_samples, 2, audio_->sample_fmt);
      if (av_audio_fifo_read(fifo_, reinterpret_cast<void**>(sound_->data), n) < n)
        return Fail(settings_.path + ": cannot read back the sound");
      sound_->pts = soundPts_;
      soundPts_ += sound_->nb_samples;
      if (!Encode(audio_, audioStream_, sound_)) return false;
    }
    soundSamples_ = soundPts_ * WavWriter::Rate / audio_->sample_rate;
    return true;
  }

  // One frame (nullptr: the end) through an encoder and its packets into the file.
  bool Encode(AVCodecContext* codec, AVStream* stream, const AVFrame* frame) {
    int rc = avcodec_send_frame(codec, frame);
    if (rc < 0) return Fail(settings_.path + ": the " + codec->codec->name + " encoder failed: " + AvError(rc));
    for (;;) {
      rc = avcodec_receive_packet(codec, packet_);
      if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
      if (rc < 0) return Fail(settings_.path + ": the " + codec->codec->name + " encoder failed: " + AvError(rc));
      if (codec == video_ && frame && settings_.form == RecordingForm::Mkv && packet_->pts == frame->pts) {
        // One packet per frame, straight out: keep it for a repeat of the frame.
        av_packet_unref(lastPacket_);
        if ((rc = av_packet_ref(lastPacket_, packet_)) < 0)
          return Fail(settings_.path + ": out of memory for a frame: " + AvError(rc));
        repeatable_ = true;
      }
      av_packet_rescale_ts(packet_, codec->time_base, stream->time_base);
      packet_->stream_index = stream->index;
      if (!Write(packet_)) return false;
    }
  }

  bool Write(AVPacket* packet) {
    const int rc = av_interleaved_write_frame(format_, packet);
    if (rc < 0) return Fail(settings_.path + ": cannot write: " + AvError(rc));
    if (format_->pb->error < 0) return Fail(settings_.path + ": cannot write: " + AvError(format_->pb->error));
    return true;
  }

  void Release() {
    if (syncFd_ >= 0) ::close(syncFd_);
    syncFd_ = -1;
    if (format_) CloseRecordingOutput(&format_->pb);
    avformat_free_context(format_);
    format_ = nullptr;
    avcodec_free_context(&video_);
    avcodec_free_context(&audio_);
    av_frame_free(&picture_);
    av_frame_free(&sound_);
    av_packet_free(&packet_);
    av_packet_free(&lastPacket_);
    sws_freeContext(convert_);
    convert_ = nullptr;
    swr_free(&resample_);
    if (fifo_) av_audio_fifo_free(fifo_);
    fifo_ = nullptr;
  }

  SinkSettings settings_;
  std::int64_t audioBitRate_ = 0;  // set by --size when the encoder opens
  int width_ = 0, height_ = 0;
  AVFormatContext* format_ = nullptr;
  AVCodecContext *video_ = nullptr, *audio_ = nullptr;
  AVStream *videoStream_ = nullptr, *audioStream_ = nullptr;
  AVFrame *picture_ = nullptr, *sound_ = nullptr;
  AVPacket *packet_ = nullptr, *lastPacket_ = nullptr;
  SwsContext* convert_ = nullptr;
  SwrContext* resample_ = nullptr;
  AVAudioFifo* fifo_ = nullptr;
  int frameSize_ = 0;
  std::int64_t soundPts_ = 0, soundSamples_ = 0;
  std::vector<std::uint8_t> yuv_[3];
  int yuvStride_ = 0;
  std::vector<int> chromaColumns_;  // the source column under each output column
  std::vector<std::uint32_t> scaled_;
  std::vector<std::uint32_t> last_;  // the last frame encoded, as given
  bool repeatable_ = false;          // lastPacket_ is that frame's packet
  std::vector<std::uint8_t> converted_;
  std::uint32_t frames_ = 0;
  std::vector<Chapter> chapters_;
  std::uint64_t chaptersEndMs_ = 0;
  bool headerWritten_ = false;
  int syncFd_ = -1;
  bool readBack_ = false;  // after a failure: what the file holds, as read back
  long playableFrames_ = 0;
  double playableSeconds_ = 0;
  std::string fastStartError_;
  int priming_ = 0;  // the sound encoder's lead-in, in samples
};

}  // namespace

std::unique_ptr<RecordingSink> MakeVideoFileSink(const SinkSettings& settings) {
  return std::make_unique<VideoFileSink>(settings);
}
