// Opening and reading the presentation's files. Any path it names may turn out
// to be a directory, a fifo, a device, unreadable, or may change while it is
// read; these say which in words a user can act on ("is a directory, not a
// file"), never block on a fifo, and never read more than the caller can use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A read-only descriptor of a regular file and its size, or -1 with `problem`
// set: "cannot open: <reason>", "is a directory, not a file", "is a fifo, not a
// file", "is not a regular file". The caller closes the descriptor.
int OpenDataFile(const char* path, std::int64_t& size, std::string& problem);

// Reads the first `limit` bytes of a regular file (all of it when shorter) into
// `bytes`; `more`, when given, says whether the file went on past `limit`. A
// file that shrinks while it is read, or a read error, is a failure with
// `problem` set like OpenDataFile's.
bool ReadDataFile(const char* path, std::vector<std::uint8_t>& bytes, std::size_t limit, bool* more,
                  std::string& problem);

// Reads `count` bytes at `offset` of an open descriptor; false with `problem` set.
bool ReadDataBytes(int fd, std::int64_t offset, std::uint8_t* out, std::size_t count, std::string& problem);
