// A file-size limit on this process, so that writes fail part way as they do on a full
// disk: while it lives, the largest file the process may write is `bytes` long, and
// SIGXFSZ is ignored so that a write past it returns an error instead of ending the
// test. What was there before is put back at the end.
#pragma once

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>

namespace brambex::testing {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    sighandler_t oldHandler_;
};

}  // namespace brambex::testing
#endif
