#include "shell_win32/folder_picker.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32.h"

namespace brambex::win32 {

namespace {

// Releases a COM object when it goes.
template <typename T>
struct Held {
    T* p = nullptr;
    ~Held() {
        if (p)
            p->Release();
    }
};

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(platform::Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

FolderChoice ChooseFolder(HWND owner, const std::string& start, const std::string& title) {
    Held<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog.p))))
        return {FolderChoice::Failed, {}};
    FILEOPENDIALOGOPTIONS options = 0;
    dialog.p->GetOptions(&options);
    dialog.p->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    dialog.p->SetTitle(platform::Widen(title).c_str());
    Held<IShellItem> folder;
    if (!start.empty() &&
        SUCCEEDED(SHCreateItemFromParsingName(platform::Widen(start).c_str(), nullptr,
                                              IID_IShellItem, reinterpret_cast<void**>(&folder.p))))
        dialog.p->SetFolder(folder.p);
    const HRESULT shown = dialog.p->Show(owner);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED))
        return {FolderChoice::Cancelled, {}};
    Held<IShellItem> result;
    PWSTR path = nullptr;
    if (FAILED(shown) || FAILED(dialog.p->GetResult(&result.p)) ||
        FAILED(result.p->GetDisplayName(SIGDN_FILESYSPATH, &path)))
        return {FolderChoice::Failed, {}};
    FolderChoice choice{FolderChoice::Chosen, platform::Narrow(path)};
    CoTaskMemFree(path);
    return choice;
}

std::string HomeFolder() {
    PWSTR path = nullptr;
    std::string home;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &path)))
        home = platform::Narrow(path);
    CoTaskMemFree(path);
    return home;
}

std::string BrowseRoot(const std::string& libraryPath) {
    // A library folder that is gone (a drive unplugged, a folder renamed) is no reason
    // to stop: browsing starts at home.
    if (!libraryPath.empty() && IsFolder(libraryPath))
        return libraryPath;
    return HomeFolder();
}

}  // namespace brambex::win32
