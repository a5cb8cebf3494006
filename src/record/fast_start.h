// A fragmented MP4 (an index per second of media, written as it goes) plays
// up to its last whole fragment after any cut, but some players and video
// sites want the classic layout: one index, at the front. At a clean end the
// recording is copied into that layout beside itself and renamed over it; the
// copy reserves room for the index up front, so it costs one pass over the
// file (the muxer's own "faststart" would move the whole file a second time).
#pragma once

#include <functional>
#include <string>

struct AVFormatContext;

// Rewrites `path` (a fragmented MP4) in place as an MP4 with its index first;
// `audioPriming` is the sound encoder's lead-in, in samples, to be skipped;
// `beforeTrailer` may add what the muxer writes at the end (chapters).
// On a failure, or when `giveUp` turns true on the way, the fragmented file
// is left as it was (it plays), the partial copy is removed and `error`
// names the file and the problem.
bool RewriteWithIndexFirst(const std::string& path, int audioPriming, std::string& error,
                           const std::function<void(AVFormatContext*)>& beforeTrailer = {},
                           const std::function<bool()>& giveUp = {});

// The hidden name the copy is written under beside `path`: one left by a
// killed run is removed when the next recording to `path` starts.
std::string IndexFirstCopyName(const std::string& path);

// Reads back what a video file holds: its video frames and the seconds they
// span, from the container alone (nothing is decoded). False when it cannot
// be opened as a video file or holds no frame.
bool PlayableFrames(const std::string& path, long& frames, double& seconds);
