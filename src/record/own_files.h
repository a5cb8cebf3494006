// The files a PNG recording writes into its directory: frame-NNNNNN.png,
// audio.wav and the hidden .partial-frame-NNNNNN.png of a frame being
// written. A directory holding any of them holds an earlier run's frames,
// which a new run would leave mixed with its own past its last frame; it is
// refused unless the user asks to replace them, and then only these files go.
#pragma once

#include <string>
#include <vector>

// Whether a file name (no directory) is one a PNG recording writes.
bool IsRecordingFile(const std::string& name);

// The recording files in dir, sorted; empty when there are none or dir cannot
// be read.
std::vector<std::string> RecordingFilesIn(const std::string& dir);

// Removes them; false with one line in error naming the first that could not go.
bool RemoveRecordingFiles(const std::string& dir, const std::vector<std::string>& names, std::string& error);

// Files in dir that a PNG recording does not write (hidden ones aside), for a
// warning that the frames go among them; -1 when dir cannot be read.
int OtherFilesIn(const std::string& dir);

// Whether a resolved directory is one of the system's own (/, /etc, /usr, ...),
// which frames must never be written into, whatever the permissions allow.
bool IsSystemDirectory(const std::string& resolved);
