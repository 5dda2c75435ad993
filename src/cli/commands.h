// The commands of brambex-cli and their exit statuses.
#pragma once

namespace brambex::cli {

enum ExitStatus {
    ExitSuccess = 0,
    ExitStopped = 1,   // the scan or merge stopped after a message
    ExitBadUsage = 2,  // bad command line, or a title the dialog refuses
    // Stopped by a signal: 128 and its number (130 Ctrl-C, 143 SIGTERM, 129 SIGHUP).
    ExitSignalBase = 128,
};

// The whole program: parses the command line, runs the command, returns the status.
int RunCli(int argc, char** argv);

}  // namespace brambex::cli
