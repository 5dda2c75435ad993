// Mappings on POSIX systems: mmap of whole pages around the range, each page mapped
// when it is first touched. A look at a track's first frames touches few of them; for a
// scan that touches every page, the system maps the pages around each one touched, which
// measured as cheap as mapping them all at once. A fault in a mapping (SIGBUS: the file
// shrank, or the disk failed) inside ReadMapped jumps back to it; any other SIGBUS goes
// on to the handler that was there before.
#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <mutex>

#include "platform/mapped_file.h"

namespace brambex::platform {

namespace {

// Where the thread's innermost ReadMapped returns to; null outside one.
thread_local sigjmp_buf* readingMapping = nullptr;
struct sigaction earlierFaultAction;

void OnFault(int signal, siginfo_t* info, void* context) {
    if (readingMapping != nullptr) {
        siglongjmp(*readingMapping, 1);
    }
    // Not ours: the earlier handler, or the system's way with the fault once this
    // handler returns and the instruction faults again.
    if ((earlierFaultAction.sa_flags & SA_SIGINFO) != 0) {
        earlierFaultAction.sa_sigaction(signal, info, context);
    } else if (earlierFaultAction.sa_handler != SIG_DFL &&
               earlierFaultAction.sa_handler != SIG_IGN) {
        earlierFaultAction.sa_handler(signal);
    } else {
        ::signal(signal, SIG_DFL);
    }
}

void TakeFaults() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action = {};
        action.sa_sigaction = OnFault;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &earlierFaultAction);
    });
}

std::int64_t PageSize() {
    static const long size = ::sysconf(_SC_PAGESIZE);
    return size > 0 ? size : 4096;
}

}  // namespace

bool MappedFile::Map(native_file::Handle file, std::int64_t offset, std::int64_t size) {
    Unmap();
    if (file == native_file::None || offset < 0 || size <= 0) {
        return false;
    }
    const std::int64_t lead = offset % PageSize();
    const auto length = static_cast<std::size_t>(size + lead);
    void* base = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, static_cast<int>(file),
                        static_cast<off_t>(offset - lead));
    if (base == MAP_FAILED) {
        return false;
    }
    base_ = base;
    length_ = length;
    data_ = static_cast<const unsigned char*>(base) + lead;
    return true;
}

void MappedFile::Unmap() {
    if (base_ != nullptr) {
        ::munmap(base_, length_);
    }
    base_ = nullptr;
    length_ = 0;
    data_ = nullptr;
}

bool ReadMapped(void (*read)(void* context), void* context) {
    TakeFaults();
    sigjmp_buf here;
    sigjmp_buf* const outer = readingMapping;
    if (sigsetjmp(here, 1) != 0) {
        readingMapping = outer;
        return false;
    }
    readingMapping = &here;
    read(context);
    readingMapping = outer;
    return true;
}

}  // namespace brambex::platform
