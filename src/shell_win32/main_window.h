// The program's one window, captioned "Brambex": the File and Help menus, "Select
// folder" and "Merge folders", the chosen set's folder and the list of its disc folders
// inside the "Folders" group, what the check of the set found (with "Use disc 1
// instead" where a later disc was chosen), the status line and "Exit". When a merge has
// ended, the status line says what it came to; a completed merge's output folders take
// the list's place, with "Open folder", and the tracks' notes wait under "Details". A
// folder dropped on the window is chosen as if picked. It shows the MainWindowModel,
// which drives one merge session for the program's whole run; a merge runs on a worker
// thread, so the window stays responsive, and closing the window cancels the merge and
// closes once it has stopped. The window opens where it was last closed.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_window_model.h"
#include "shell_win32/gui_thread.h"
#include "shell_win32/window_front_end.h"

namespace brambex::win32 {

class MainWindow {
  public:
    MainWindow();
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Makes the window from its resource and shows it; its handle.
    HWND Create(int show);
    HWND Handle() const { return window_; }

  private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Command(int id, int code);
    void SetUp(HWND window);
    void PlaceAsLeft();
    // Shows what the model holds now.
    void Show();

    void SelectFolder();
    void ScanFolder(const std::string& folder);
    // Open Recent: the menu from the model's list, a set of it chosen again, and the
    // list kept in the settings whenever it changed.
    void FillRecentMenu();
    void OpenRecent(std::size_t index);
    void KeepRecent();
    void Dropped(HDROP drop);
    void Merge();
    void MergeEnded(const std::string& error);
    void MergeLibrary();
    void OpenOutputFolder();
    void ShowOptions();
    void ShowAbout();
    void RequestEnd();
    bool Merging() const { return worker_.Running(); }

    HWND window_ = nullptr;
    std::string libraryPath_;
    std::vector<std::string> shownFolders_;  // what the list was last filled with
    std::vector<std::string> keptRecent_;    // the recent sets as the settings hold them
    bool closeAfterMerge_ = false;
    WindowFrontEnd frontEnd_;
    std::unique_ptr<MainWindowModel> model_;
    // Last, so that it is gone (its merge stopped) before the model it works on.
    MergeWorker worker_;
};

}  // namespace brambex::win32
