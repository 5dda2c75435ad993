// Mappings on Windows: none in this build. Map answers false and the callers read the
// file through its stream instead, so no look can fault.
#include "platform/mapped_file.h"

namespace brambex::platform {

bool MappedFile::Map(native_file::Handle, std::int64_t, std::int64_t) {
    return false;
}

void MappedFile::Unmap() {
    base_ = nullptr;
    length_ = 0;
    data_ = nullptr;
}

bool ReadMapped(void (*read)(void* context), void* context) {
    read(context);
    return true;
}

}  // namespace brambex::platform
