#include "tools/ktcat/output.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace kt::ktcat {

namespace {

std::string ErrnoText() {
    return std::generic_category().message(errno);
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
    } else if (!temporary_.empty()) {
        file_.close();
        std::error_code ignored;
        std::filesystem::remove(PathFromUtf8(temporary_), ignored);
        temporary_.clear();
    }
}

bool Output::OpenFile(const std::string& path) {
    path_ = path;
    const std::filesystem::path target = PathFromUtf8(path);
    // A name no other program picks: the target's name behind a dot, and 64 random bits.
    std::random_device random;
    for (int attempt = 0; attempt < 8 && temporary_.empty(); ++attempt) {
        char suffix[24];
        const int length = std::snprintf(suffix, sizeof suffix, ".%08x%08x.tmp", random(), random());
        const std::filesystem::path candidate =
            target.parent_path() /
            (u8"." + target.filename().u8string() + std::u8string(suffix, suffix + length));
        std::error_code error;
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
    if (!temporary_.empty()) {
        errno = 0;
        file_.close();
        if (!failed_ && file_.fail()) Fail(ErrnoText());
        std::error_code error;
        if (!failed_) std::filesystem::rename(PathFromUtf8(temporary_), PathFromUtf8(path_), error);
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
