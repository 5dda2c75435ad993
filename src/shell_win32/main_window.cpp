#include "shell_win32/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <exception>

#include "app/about_text.h"
#include "app/chosen_folder.h"
#include "brambex_version.h"
#include "platform/win32.h"
#include "shell_win32/controls.h"
#include "shell_win32/details_dialog.h"
#include "shell_win32/folder_picker.h"
#include "shell_win32/help.h"
#include "shell_win32/library_dialog.h"
#include "shell_win32/options_dialog.h"
#include "shell_win32/resource_ids.h"
#include "shell_win32/settings_store.h"

namespace brambex::win32 {

namespace {

// Open Recent's place in the File menu.
constexpr int RecentMenuPosition = 1;

// The folder picker could not start where it was asked to: the folder is gone or out
// of reach since it was last seen.
void ShowCannotBrowse(HWND owner, const std::string& root) {
    ShowMessageBox(owner, "The folder browser cannot open the folder\n\"" + root + "\".", NoCaption,
                   MessageKind::Notice);
}

// An error that escapes a handler is shown, and the program goes on.
template <typename Work>
void Guarded(HWND owner, Work work) {
    try {
        work();
    } catch (const std::exception& e) {
        ShowMessageBox(owner, e.what(), "Unhandled Exception", MessageKind::Error);
    }
}

}  // namespace

MainWindow::MainWindow() : model_(std::make_unique<MainWindowModel>(frontEnd_)) {}

MainWindow::~MainWindow() = default;

HWND MainWindow::Create(int show) {
    CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, Proc,
                       reinterpret_cast<LPARAM>(this));
    PlaceAsLeft();
    ShowWindow(window_, show);
    return window_;
}

// Where the user left the window last time, at the size its layout gives it now (the
// monitor's scale may have changed since); centred when that place is on no monitor
// (one unplugged).
void MainWindow::PlaceAsLeft() {
    const std::optional<RECT> kept = LoadWindowPlacement();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!kept || !MonitorFromRect(&*kept, MONITOR_DEFAULTTONULL) ||
        !GetWindowPlacement(window_, &placement))
        return;
    RECT& place = placement.rcNormalPosition;
    OffsetRect(&place, kept->left - place.left, kept->top - place.top);
    placement.showCmd = SW_HIDE;
    SetWindowPlacement(window_, &placement);
}

INT_PTR CALLBACK MainWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<MainWindow*>(lParam)->SetUp(window);
        return TRUE;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    return self ? self->OnMessage(message, wParam, lParam) : FALSE;
}

void MainWindow::SetUp(HWND window) {
    window_ = window;
    frontEnd_.SetOwner(window_, &worker_.Flag());
    frontEnd_.SetWindowModel(model_.get(), [this] { Show(); });
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (auto [size, which] :
         {std::pair{SM_CXICON, ICON_BIG}, std::pair{SM_CXSMICON, ICON_SMALL}}) {
        const int pixels = GetSystemMetrics(size);
        auto* icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_BRAMBEX),
                                                   IMAGE_ICON, pixels, pixels, LR_DEFAULTCOLOR));
        SendMessageW(window_, WM_SETICON, static_cast<WPARAM>(which),
                     reinterpret_cast<LPARAM>(icon));
    }
    SetUpList(GetDlgItem(window_, IDC_FOLDER_LIST), {"Folder"});
    DragAcceptFiles(window_, TRUE);
    libraryPath_ = LoadLibraryPath();
    keptRecent_ = LoadRecentSets();
    model_->KeepRecent(keptRecent_);
    FillRecentMenu();
    Show();
}

INT_PTR MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            Guarded(window_, [&] { Command(LOWORD(wParam), HIWORD(wParam)); });
            return TRUE;
        case WM_NOTIFY: {
            // A double click on an output folder shows it.
            const auto* note = reinterpret_cast<const NMHDR*>(lParam);
            if (note->idFrom != IDC_FOLDER_LIST || note->code != NM_DBLCLK)
                return FALSE;
            if (model_->ShowsOutput())
                OpenOutputFolder();
            return TRUE;
        }
        case WM_DROPFILES:
            Guarded(window_, [&] { Dropped(reinterpret_cast<HDROP>(wParam)); });
            return TRUE;
        case WM_CLOSE:
            RequestEnd();
            return TRUE;
        case WM_DESTROY: {
            WINDOWPLACEMENT placement{};
            placement.length = sizeof(placement);
            if (GetWindowPlacement(window_, &placement))
                StoreWindowPlacement(placement.rcNormalPosition);
            PostQuitMessage(0);
            return TRUE;
        }
    }
    return FALSE;
}

void MainWindow::Command(int id, int code) {
    if (code != BN_CLICKED && code != 1)
        return;
    switch (id) {
        case IDC_SELECT:
        case IDM_OPEN:
            SelectFolder();
            break;
        case IDC_MERGE:
            Merge();
            break;
        case IDC_DISC_ONE:
            if (!Merging()) {
                model_->UseDiscOne();
                KeepRecent();
                Show();
            }
            break;
        case IDM_RECENT_CLEAR:
            model_->ClearRecent();
            KeepRecent();
            break;
        case IDC_OPEN_FOLDER:
            OpenOutputFolder();
            break;
        case IDC_DETAILS:
            RunDetailsDialog(window_, model_->Notes());
            break;
        case IDM_LIBRARY:
            MergeLibrary();
            break;
        case IDM_OPTIONS:
            ShowOptions();
            break;
        case IDM_MANUAL:
            ShowHelp(window_);
            break;
        case IDM_ABOUT:
            ShowAbout();
            break;
        case IDC_EXIT:
        case IDM_EXIT:
            RequestEnd();
            break;
        default:
            if (id >= IDM_RECENT_FIRST &&
                id < IDM_RECENT_FIRST + static_cast<int>(RecentSets::MaxSets))
                OpenRecent(static_cast<std::size_t>(id - IDM_RECENT_FIRST));
    }
}

void MainWindow::Show() {
    HWND list = GetDlgItem(window_, IDC_FOLDER_LIST);
    if (shownFolders_ != model_->Folders()) {
        shownFolders_ = model_->Folders();
        std::vector<std::vector<std::string>> rows;
        for (const std::string& name : shownFolders_)
            rows.push_back({name});
        SetListRows(list, rows);
        if (model_->ShowsOutput())
            ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
    }
    SetItemText(window_, IDC_FOLDER_GROUP, model_->FolderCaption());
    SetItemText(window_, IDC_SET_PATH, model_->SetPath());
    SetItemText(window_, IDC_FINDING, model_->Finding());
    ShowItem(window_, IDC_DISC_ONE, model_->UseDiscOneShown());
    EnableItem(window_, IDC_MERGE, model_->MergeEnabled());
    SetItemText(window_, IDC_STATUS, model_->Status());
    ShowItem(window_, IDC_OPEN_FOLDER, model_->OpenFolderShown());
    ShowItem(window_, IDC_DETAILS, model_->DetailsShown());
}

void MainWindow::SelectFolder() {
    // Scanning changes the set a running merge reads from, so it waits for the merge.
    if (Merging())
        return;
    const std::string root = BrowseRoot(libraryPath_);
    const FolderChoice choice = ChooseFolder(window_, root, "Choose the folder of disc 1");
    if (choice.kind == FolderChoice::Failed)
        ShowCannotBrowse(window_, root);
    if (choice.kind == FolderChoice::Chosen)
        ScanFolder(choice.path);
}

void MainWindow::ScanFolder(const std::string& folder) {
    model_->Scan(folder);
    KeepRecent();
    Show();
}

// Filled anew whenever the model's list changes: the sets, newest first, then "Clear
// list".
void MainWindow::FillRecentMenu() {
    HMENU recent = GetSubMenu(GetSubMenu(GetMenu(window_), 0), RecentMenuPosition);
    while (GetMenuItemCount(recent) > 0)
        DeleteMenu(recent, 0, MF_BYPOSITION);
    const std::vector<std::string>& paths = model_->Recent().Paths();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        // "&" marks a mnemonic in a menu, so a path's own is doubled.
        std::wstring text;
        for (wchar_t c : platform::Widen(paths[i]))
            text += c == L'&' ? std::wstring(L"&&") : std::wstring(1, c);
        AppendMenuW(recent, MF_STRING, IDM_RECENT_FIRST + i, text.c_str());
    }
    if (!paths.empty())
        AppendMenuW(recent, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(recent, MF_STRING | (paths.empty() ? MF_GRAYED : 0), IDM_RECENT_CLEAR,
                L"&Clear list");
}

void MainWindow::OpenRecent(std::size_t index) {
    const std::vector<std::string>& paths = model_->Recent().Paths();
    if (Merging() || index >= paths.size())
        return;
    const std::string gone = model_->OpenRecent(std::string(paths[index]));
    KeepRecent();
    Show();
    if (!gone.empty())
        ShowMessageBox(window_, gone, "Open Recent", MessageKind::Warning);
}

void MainWindow::KeepRecent() {
    if (model_->Recent().Paths() == keptRecent_)
        return;
    keptRecent_ = model_->Recent().Paths();
    FillRecentMenu();
    StoreRecentSets(keptRecent_);
}

// One folder dropped on the window is chosen as if picked; anything else is not taken.
void MainWindow::Dropped(HDROP drop) {
    std::wstring path;
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 1) {
        path.resize(DragQueryFileW(drop, 0, nullptr, 0) + 1);
        path.resize(DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
    }
    DragFinish(drop);
    const DWORD attributes =
        path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    if (Merging() || attributes == INVALID_FILE_ATTRIBUTES ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    ScanFolder(platform::Narrow(path));
}

void MainWindow::Merge() {
    if (Merging())
        return;
    worker_.Start([this](const Cancellation& cancel) { model_->Merge(cancel); },
                  [this](const std::string& error) { MergeEnded(error); });
}

void MainWindow::MergeEnded(const std::string& error) {
    if (error.empty())
        model_->MergeEnded();
    else
        ShowMessageBox(window_, error, "Unhandled Exception", MessageKind::Error);
    Show();
    if (closeAfterMerge_)
        DestroyWindow(window_);
}

void MainWindow::MergeLibrary() {
    if (Merging())
        return;
    const std::string root = BrowseRoot(libraryPath_);
    const FolderChoice choice =
        ChooseFolder(window_, root, "Choose the folder that holds the sets");
    if (choice.kind == FolderChoice::Failed)
        ShowCannotBrowse(window_, root);
    if (choice.kind == FolderChoice::Chosen)
        RunLibraryDialog(window_, ChosenFolderFullPath(choice.path));
}

void MainWindow::OpenOutputFolder() {
    if (!model_->ShowsOutput())
        return;
    HWND list = GetDlgItem(window_, IDC_FOLDER_LIST);
    const int row = ListSelection(list);
    const std::string path = model_->OutputFolderPath(ListText(list, row < 0 ? 0 : row));
    if (reinterpret_cast<INT_PTR>(ShellExecuteW(window_, L"explore", platform::Widen(path).c_str(),
                                                nullptr, nullptr, SW_SHOWNORMAL)) <= 32)
        ShowMessageBox(window_, "No file manager could be started to show\n" + path, "Error",
                       MessageKind::Warning);
}

void MainWindow::ShowOptions() {
    RunOptionsDialog(window_, libraryPath_);
}

void MainWindow::ShowAbout() {
    ShowMessageBox(window_, AboutText(Version), "About Brambex", MessageKind::Information);
}

void MainWindow::RequestEnd() {
    // The merge works on this window's session: it is cancelled first, and the window
    // closes when it has stopped.
    if (Merging()) {
        closeAfterMerge_ = true;
        worker_.Cancel();
        return;
    }
    DestroyWindow(window_);
}

}  // namespace brambex::win32
