// Descriptors 0, 1 and 2 as the program expects them. Started with one of
// them closed (`2>&-`), the first file the program opens would take its
// number, and every line meant for stderr would land inside the recording.
// Also: a write past the file size limit (`ulimit -f`) fails with EFBIG
// instead of killing the program, so the recording is finalised and the
// limit named like a full disk.
#pragma once

// First thing in main: /dev/null (NUL on Windows) on each of them that is
// closed, and SIGXFSZ ignored where there is one.
void PrepareStandardFiles();
