// Descriptors 0, 1 and 2 as the program expects them. Started with one of
// them closed (`2>&-`), the first file the program opens would take its
// number, and every line meant for stderr would land inside the recording.
// Also: a write past the file size limit (`ulimit -f`) fails with EFBIG
// instead of killing the program, so the recording is finalised and the
// limit named like a full disk.
#pragma once

#include <string>

// First thing in main: /dev/null (NUL on Windows) on each of them that is
// closed, and SIGXFSZ ignored where there is one.
void PrepareStandardFiles();

// True when nothing shows what the program writes to stderr: a Windows
// program started without a console (double-clicked, or from a shortcut).
// Its lines are then kept in a temporary file, so a fatal error can still be
// shown to the viewer (a message box) before the program ends.
bool ErrorsUnseen();
// What was written to stderr so far, when ErrorsUnseen; else empty.
std::string KeptErrors();
