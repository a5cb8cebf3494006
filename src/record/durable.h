// What a power cut may take: data in the system's cache that no sync sent to
// the disk. Each sink makes what it wrote durable about once per second of
// recording (the README's promise: every form plays up to about a second
// before the cut), and the directory's entry when it creates or renames a
// file, without which a synced file may still be missing after the cut.
#pragma once

#include <string>

// The file's data (fdatasync; _commit on Windows). 0, or -1 with errno.
int SyncFileData(int fd);

// Everything written on the file system holding the open directory `fd`
// (syncfs): one call covers the PNG frames of a second, their names and the
// WAV. Elsewhere the directory alone.
int SyncFileSystemOf(int fd);

// The entries of the directory that holds `path` (of `path` itself when
// `isDirectory`); a no-op on Windows, whose file system commits names itself.
int SyncDirectoryOf(const std::string& path, bool isDirectory = false);

// A descriptor of the file at `path` to sync it by: read-only, except on
// Windows, whose flush needs a handle that may write. -1 with errno.
int OpenToSync(const std::string& path);

// Renames `from` over `to`, replacing `to` as POSIX rename does (Windows' own
// rename refuses an existing name). 0, or -1 with errno.
int RenameOver(const std::string& from, const std::string& to);
