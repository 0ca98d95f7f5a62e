// The temporary files that are being written at this moment, so that a
// terminal program interrupted by Ctrl-C (or told to terminate) removes them
// before it ends. A program killed outright leaves them behind; their names
// ("~tw" ... ".tmp") tell what they are.
#pragma once

#include <string>

namespace platform {

// Records path as a temporary file being written and returns its place (-1
// when every place is taken: the file is then not removed on a signal);
// forgetTemporary takes it back once the file was moved into place or
// removed. Safe from any thread.
int rememberTemporary(const std::string& path);
void forgetTemporary(int place);

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove every
// remembered temporary file and then end the program as the signal would.
void removeTemporariesOnSignals();

}  // namespace platform
