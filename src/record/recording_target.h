// What --record may name beyond the form its name picks: refusals that need a
// line before anything starts. The recording is a seekable regular file or a
// directory of them: standard output ("-"), a fifo or a device is refused
// (an .mkv or PNG stream into another program is not supported: record to a
// file and hand that on), as is a name that is only an extension (".mp4").
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "record/recording_sink.h"

// Where the last component of `path` starts: after its last '/' (or '\\'
// too on Windows, which takes either).
std::size_t FileNameStart(const std::string& path);

// False, with one line in `error`, for a target we do not record to.
bool RecordingTargetNamed(const std::string& path, std::string& error);

// The live-window options mean nothing to a headless recording, and --every
// only thins PNG frames: empty when none of them is given, else one line
// naming the first.
std::string OptionIgnoredWhenRecording(RecordingForm form, bool window, bool display, bool fit, std::uint32_t every);

// What --record PATH asks for: a video file by its extension (.mp4, .mkv,
// .webm, in any case), else a directory (existing, or a new name without an
// extension). Otherwise nothing, with one line in error and the exit code:
// 2 for an existing file that is not a directory, 1 for an unknown extension.
std::optional<RecordingForm> RecordingFormOf(const std::string& path, std::string& error, int& code);
