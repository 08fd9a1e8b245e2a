#include "tools/ktcat/output.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace kt::ktcat {

namespace {

std::string ErrnoText() {
    return std::generic_category().message(errno);
}

// The file a path leads to: a symbolic link is followed to its target, also one that does not exist yet,
// so that writing replaces the target and keeps the link. Empty, with `error` set, for a loop of links.
std::filesystem::path FollowLinks(std::filesystem::path path, std::string& error) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code failed;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, failed))) return path;
        const std::filesystem::path target = std::filesystem::read_symlink(path, failed);
        if (failed) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    error = "a loop of symbolic links";
    return {};
}

}  // namespace

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

void Output::Discard() {
    if (done_) return;
    done_ = true;
    if (path_.empty()) {
        std::fflush(stdout);
    } else if (direct_) {
        file_.close();
    } else if (!temporary_.empty()) {
        file_.close();
        std::error_code ignored;
        std::filesystem::remove(PathFromUtf8(temporary_), ignored);
        temporary_.clear();
    }
}

bool Output::OpenFile(const std::string& path) {
    path_ = path;
    std::error_code error;
    // The status of what the path leads to, links followed.
    const std::filesystem::file_status status = std::filesystem::status(PathFromUtf8(path), error);
    // A FIFO, a device or a socket is written to as it is, as other programs write to it (through the path
    // as given: /dev/stdout leads to a pipe by a link that only the system can follow); it cannot be put
    // back when the command fails.
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
        !std::filesystem::is_directory(status)) {
        errno = 0;
        file_.open(PathFromUtf8(path), std::ios::binary | std::ios::out);
        if (!file_) error_ = "cannot write '" + path + "': " + ErrnoText();
        direct_ = static_cast<bool>(file_);
        return direct_;
    }
    std::string loop;
    const std::filesystem::path target = FollowLinks(PathFromUtf8(path), loop);
    if (target.empty()) {
        error_ = "cannot write '" + path + "': " + loop;
        return false;
    }
    const std::u8string resolved = target.u8string();
    target_.assign(resolved.begin(), resolved.end());
    if (std::filesystem::is_regular_file(status)) permissions_ = status.permissions();
    // A name no other program picks: the target's name behind a dot, and 64 random bits.
    std::random_device random;
    for (int attempt = 0; attempt < 8 && temporary_.empty(); ++attempt) {
        char suffix[24];
        const int length = std::snprintf(suffix, sizeof suffix, ".%08x%08x.tmp", random(), random());
        const std::filesystem::path candidate =
            target.parent_path() /
            (u8"." + target.filename().u8string() + std::u8string(suffix, suffix + length));
        if (!std::filesystem::exists(candidate, error) && !error) {
            errno = 0;
            file_.open(candidate, std::ios::binary | std::ios::trunc);
            if (!file_) {
                error_ = "cannot create a file beside '" + path + "': " + ErrnoText();
                return false;
            }
            const std::u8string name = candidate.u8string();
            temporary_.assign(name.begin(), name.end());
        }
    }
    if (temporary_.empty()) error_ = "cannot create a file beside '" + path + "'";
    return !temporary_.empty();
}

void Output::Fail(const std::string& what) {
    if (!failed_) error_ = "cannot write " + Name() + ": " + what;
    failed_ = true;
}

void Output::Write(std::string_view text) {
    if (failed_) return;
    errno = 0;
    if (path_.empty()) {
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) Fail(ErrnoText());
    } else if (!file_.write(text.data(), static_cast<std::streamsize>(text.size()))) {
        Fail(ErrnoText());
    }
}

void Output::Flush() {
    if (failed_) return;
    errno = 0;
    if (path_.empty() ? std::fflush(stdout) != 0 || std::ferror(stdout) : !file_.flush()) Fail(ErrnoText());
}

bool Output::Finish() {
    if (done_) return !failed_;
    Flush();
    if (direct_) {
        errno = 0;
        file_.close();
        if (!failed_ && file_.fail()) Fail(ErrnoText());
    } else if (!temporary_.empty()) {
        errno = 0;
        file_.close();
        if (!failed_ && file_.fail()) Fail(ErrnoText());
        std::error_code error;
        // The file keeps its mode (a new one gets that of a new file).
        if (!failed_ && permissions_)
            std::filesystem::permissions(PathFromUtf8(temporary_), *permissions_, error);
        if (!failed_ && !error)
            std::filesystem::rename(PathFromUtf8(temporary_), PathFromUtf8(target_), error);
        if (error) {
            error_ = "cannot replace '" + path_ + "': " + error.message();
            failed_ = true;
        }
        if (!failed_) temporary_.clear();
    }
    Discard();  // the temporary file, when anything failed
    return !failed_;
}

std::string Output::Name() const {
    return path_.empty() ? "standard output" : "'" + path_ + "'";
}

}  // namespace kt::ktcat
