// Ctrl-C while a merge runs is the progress window's Cancel: the first one only raises
// a flag that the terminal front end passes on to the merge at its next update; a
// second one ends the program at once.
#pragma once

namespace brambex::cli {

void CatchInterrupts();
bool InterruptRequested();
// Tests and the demo raise the flag by hand.
void RequestInterrupt();

}  // namespace brambex::cli
