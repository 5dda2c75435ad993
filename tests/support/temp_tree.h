// Folder trees for tests: a fresh temp folder with helpers to make folders and files
// in it and to read them back. The folder and everything in it is removed at the end,
// also where a test took away write permission, and the process's current folder is
// put back to where it was (the disc-set scan changes it).
#pragma once

#ifndef _WIN32
#include <grp.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

namespace brambex::testing {

// A path written with "/" as the system spells it: the program joins names with "\"
// on Windows, and the system there hands back paths spelled so.
inline std::string Native(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

// The program's UTF-8 paths for the C++ library, which reads a plain string in the
// ANSI code page on Windows.
inline std::filesystem::path FsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A new empty folder in the system's temp folder, whose name begins with prefix.
inline std::string NewTempFolder(const std::string& prefix) {
#ifdef _WIN32
    std::random_device random;
    for (int tries = 0; tries < 100; ++tries) {
        std::filesystem::path folder =
            std::filesystem::temp_directory_path() / (prefix + std::to_string(random()));
        if (std::filesystem::create_directory(folder))
            return Utf8(folder);
    }
    throw std::runtime_error("cannot make a temp folder");
#else
    const char* base = getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
    if (mkdtemp(templ.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    return templ;
#endif
}

class TempTree {
  public:
    TempTree()
        : savedCurrent_(std::filesystem::current_path()), root_(NewTempFolder("brambex-test-")) {}
    ~TempTree() {
        std::error_code ignored;
        std::filesystem::current_path(savedCurrent_, ignored);
        MakeWritable(FsPath(root_));
        std::filesystem::remove_all(FsPath(root_), ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Root() const { return root_; }
    // Absolute path of a name relative to the tree's root.
    std::string Path(const std::string& relative) const { return Native(root_ + "/" + relative); }

    // Makes the folder and any missing parents; returns its absolute path.
    std::string Folder(const std::string& relative) const {
        std::filesystem::create_directories(FsPath(Path(relative)));
        return Path(relative);
    }
    // Writes a file (making its folders); returns its absolute path.
    std::string File(const std::string& relative, const std::string& content = {}) const {
        std::filesystem::path path = FsPath(Path(relative));
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        if (!out)
            throw std::runtime_error("cannot write " + Path(relative));
        return Path(relative);
    }
    std::string Read(const std::string& relative) const {
        std::ifstream in(FsPath(Path(relative)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool Exists(const std::string& relative) const {
        std::error_code ec;
        return std::filesystem::exists(std::filesystem::symlink_status(FsPath(Path(relative)), ec));
    }
    // Names in a folder of the tree, sorted.
    std::vector<std::string> List(const std::string& relative = {}) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(FsPath(Path(relative))))
            names.push_back(Utf8(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }
    void SetMode(const std::string& relative, std::filesystem::perms mode) const {
        std::filesystem::permissions(FsPath(Path(relative)), mode);
    }

  private:
    static void MakeWritable(const std::filesystem::path& folder) {
        std::error_code ec;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        for (auto it = std::filesystem::directory_iterator(folder, ec);
             !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec))
                MakeWritable(it->path());
        }
    }

    std::filesystem::path savedCurrent_;
    std::string root_;
};

inline bool RunningAsRoot() {
#ifdef _WIN32
    return false;
#else
    return geteuid() == 0;
#endif
}

// Permission checks never refuse root, and CI runs as root. There the body runs in a
// child process that has become user "nobody", after the tree has been handed to that
// user; the child's failures are printed by the child and count as one failure here.
// Run as any other user, the body simply runs. Windows has no such modes to take away.
inline void RunUnprivileged(const TempTree& tree, const std::function<void()>& body) {
#ifdef _WIN32
    (void)tree;
    (void)body;
    GTEST_SKIP() << "file modes are POSIX's";
#else
    if (!RunningAsRoot()) {
        body();
        return;
    }
    constexpr uid_t Nobody = 65534;
    std::error_code ec;
    lchown(tree.Root().c_str(), Nobody, Nobody);
    for (auto it = std::filesystem::recursive_directory_iterator(tree.Root(), ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        lchown(it->path().c_str(), Nobody, Nobody);
    fflush(nullptr);
    pid_t child = fork();
    ASSERT_GE(child, 0) << "fork failed";
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(Nobody) != 0 || setuid(Nobody) != 0)
            _exit(2);
        if (access(tree.Root().c_str(), R_OK | W_OK | X_OK) != 0)
            _exit(3);
        body();
        fflush(nullptr);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the unprivileged child ended abnormally";
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "running as root and cannot become nobody";
    if (WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "user nobody cannot reach the temp folder";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "checks failed in the unprivileged child (see above)";
#endif
}

}  // namespace brambex::testing
