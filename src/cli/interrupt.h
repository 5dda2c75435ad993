// Ctrl-C while a merge runs is the progress window's Cancel: the first one only raises
// a flag that the terminal front end passes on to the merge at its next update, so the
// running track is finished. SIGTERM and SIGHUP (a service manager stopping the merge,
// a terminal that goes away) and a second Ctrl-C stop it sooner: a track being written
// is abandoned and its temporary file removed before the program ends, with 128 and
// the signal's number as its exit status. SIGPIPE is ignored, so that a closed pipe is
// a write error the program sees rather than its end.
#pragma once

#include <string_view>

namespace brambex::cli {

// Ignores SIGPIPE; every command wants that.
void IgnoreBrokenPipes();
void CatchInterrupts();
bool InterruptRequested();
// The signal that asked the merge to stop (SIGINT, SIGTERM or SIGHUP), 0 when none did.
int InterruptSignal();
// Tests and the demo raise the flag by hand, as SIGINT would.
void RequestInterrupt();

// The temporary files that a signal must not leave behind, one in each slot (empty:
// none); tracks written at the same time have a slot each. A path too long for the
// handler's buffer, or of a slot past the last, is not remembered; the next merge of
// its folder removes what is left.
constexpr int TemporaryFileSlots = 9;
void SetTemporaryFile(std::string_view path, int slot = 0);

}  // namespace brambex::cli
