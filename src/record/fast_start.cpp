#include "record/fast_start.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "record/av_error.h"
#include "record/durable.h"
#include "record/file_writes.h"
#include "record/recording_target.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace {


// An upper bound on the classic index of `packets` samples: per sample at most
// a size (4 bytes), a composition offset (8), a time entry (8) and a chunk
// offset with its table entry (8 + 12, a sample per chunk at worst), plus the
// fixed boxes.
std::int64_t IndexRoom(std::int64_t packets) { return 64 * 1024 + 40 * packets; }

struct Input {
  AVFormatContext* format = nullptr;
  ~Input() { avformat_close_input(&format); }
};
struct Output {
  AVFormatContext* format = nullptr;
  ~Output() {
    if (format) CloseRecordingOutput(&format->pb);
    avformat_free_context(format);
  }
};

}  // namespace

std::string IndexFirstCopyName(const std::string& path) {
  const std::size_t name = FileNameStart(path);
  return path.substr(0, name) + ".partial-" + path.substr(name);
}

bool RewriteWithIndexFirst(const std::string& path, int audioPriming, std::string& error,
                           const std::function<void(AVFormatContext*)>& beforeTrailer,
                           const std::function<bool()>& giveUp) {
  const std::string copy = IndexFirstCopyName(path);
  auto fail = [&](const std::string& why) {
    ::unlink(copy.c_str());
    error = path + ": " + why;
    return false;
  };
  Input in;
  int rc = avformat_open_input(&in.format, path.c_str(), nullptr, nullptr);
  if (rc < 0) return fail("cannot read it back: " + AvError(rc));
  if ((rc = avformat_find_stream_info(in.format, nullptr)) < 0) return fail("cannot read it back: " + AvError(rc));
  std::int64_t packets = 0;
  for (unsigned i = 0; i < in.format->nb_streams; ++i) packets += in.format->streams[i]->nb_frames;
  // 200 samples a second is plenty; a file with no packets has no duration.
  if (packets <= 0) packets = (in.format->duration > 0 ? in.format->duration / AV_TIME_BASE * 200 : 0) + 1000;

  Output out;
  rc = avformat_alloc_output_context2(&out.format, nullptr, "mp4", copy.c_str());
  if (rc < 0) return fail("cannot set up the copy: " + AvError(rc));
  for (unsigned i = 0; i < in.format->nb_streams; ++i) {
    AVStream* s = avformat_new_stream(out.format, nullptr);
    if (!s || avcodec_parameters_copy(s->codecpar, in.format->streams[i]->codecpar) < 0)
      return fail("out of memory for the copy");
    s->codecpar->codec_tag = 0;
    s->time_base = in.format->streams[i]->time_base;
    s->avg_frame_rate = in.format->streams[i]->avg_frame_rate;
  }
  out.format->flags |= AVFMT_FLAG_CUSTOM_IO;
  if ((rc = OpenRecordingOutput(&out.format->pb, copy)) < 0)
    return fail("cannot create " + copy + ": " + AvError(rc));
  AVDictionary* options = nullptr;
  av_dict_set_int(&options, "moov_size", IndexRoom(packets), 0);
  rc = avformat_write_header(out.format, &options);
  av_dict_free(&options);
  if (rc < 0) return fail("cannot write " + copy + ": " + AvError(rc));
  AVPacket* packet = av_packet_alloc();
  if (!packet) return fail("out of memory for the copy");
  // A fragmented file cannot say where its streams start (no edit list), so
  // the muxer moved them: the video by its reordering delay, the sound by that
  // and its encoder's priming, all but the first sound packet. Put back, the
  // copy starts at the first frame and the first sample again, as a file
  // written whole does: the video shifted by its first time stamp, the sound
  // (whole encoder frames, one after another) counted from minus the priming.
  std::vector<std::int64_t> shift(in.format->nb_streams, AV_NOPTS_VALUE), count(in.format->nb_streams, 0);
  while ((rc = av_read_frame(in.format, packet)) >= 0) {
    if (giveUp && giveUp()) {
      av_packet_free(&packet);
      return fail("stopped by a signal before its copy with the index first was done");
    }
    const AVStream* from = in.format->streams[packet->stream_index];
    const AVCodecParameters* par = from->codecpar;
    if (par->codec_type == AVMEDIA_TYPE_AUDIO && par->frame_size > 0) {
      const std::int64_t sample = count[packet->stream_index]++ * par->frame_size - audioPriming;
      packet->pts = packet->dts = av_rescale_q(sample, AVRational{1, par->sample_rate}, from->time_base);
    } else {
      std::int64_t& by = shift[packet->stream_index];
      if (by == AV_NOPTS_VALUE) by = packet->pts == AV_NOPTS_VALUE ? 0 : packet->pts;
      if (packet->pts != AV_NOPTS_VALUE) packet->pts -= by;
      if (packet->dts != AV_NOPTS_VALUE) packet->dts -= by;
    }
    av_packet_rescale_ts(packet, from->time_base, out.format->streams[packet->stream_index]->time_base);
    packet->pos = -1;
    rc = av_interleaved_write_frame(out.format, packet);
    if (rc < 0) break;
  }
  av_packet_free(&packet);
  if (rc != AVERROR_EOF) return fail("cannot copy it with its index first: " + AvError(rc));
  if (beforeTrailer) beforeTrailer(out.format);
  if ((rc = av_write_trailer(out.format)) < 0) return fail("cannot write " + copy + ": " + AvError(rc));
  if (out.format->pb->error < 0) return fail("cannot write " + copy + ": " + AvError(out.format->pb->error));
  if ((rc = CloseRecordingOutput(&out.format->pb)) < 0) return fail("cannot write " + copy + ": " + AvError(rc));
  // On the disk before its name replaces the fragmented file's, and the new
  // name on the disk too: a power cut then leaves one whole file or the other.
  const int fd = OpenToSync(copy);
  const bool synced = fd >= 0 && SyncFileData(fd) == 0;
  if (fd >= 0) ::close(fd);
  if (!synced) return fail("cannot write " + copy + ": " + WriteErrorText(errno));
  // Windows replaces no file that is still open.
  avformat_close_input(&in.format);
  if (RenameOver(copy, path) != 0) return fail("cannot rename " + copy + " over it: " + WriteErrorText(errno));
  SyncDirectoryOf(path);
  return true;
}

bool PlayableFrames(const std::string& path, long& frames, double& seconds) {
  frames = 0, seconds = 0;
  Input in;
  if (avformat_open_input(&in.format, path.c_str(), nullptr, nullptr) < 0) return false;
  if (avformat_find_stream_info(in.format, nullptr) < 0) return false;
  const int video = av_find_best_stream(in.format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (video < 0) return false;
  const AVStream* stream = in.format->streams[video];
  AVPacket* packet = av_packet_alloc();
  if (!packet) return false;
  while (av_read_frame(in.format, packet) >= 0) {
    if (packet->stream_index == video && !(packet->flags & AV_PKT_FLAG_CORRUPT)) ++frames;
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  // Our frames follow one another at the stream's rate from the first on.
  const AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
  if (rate.num > 0) seconds = frames / av_q2d(rate);
  return frames > 0;
}
