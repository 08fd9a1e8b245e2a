// Where ktcat writes a command's data: standard output, or a file that appears only once it is complete.
#pragma once

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace kt::ktcat {

// A path given as UTF-8 (as ktcat takes every path), for the file system of any system.
std::filesystem::path PathFromUtf8(const std::string& utf8);

// Every write is checked. A regular file is written as a temporary file in the same folder and renamed into
// place by Finish, so that a run that fails leaves the file as it was (or absent) and no temporary file
// behind; it keeps its mode. A symbolic link is followed to its target. A FIFO, a device or a socket is
// opened and written to directly (as `msgcat -o` does), never replaced.
class Output {
  public:
    Output() = default;  // standard output
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    ~Output() { Discard(); }

    // Writes to the file at `path` (UTF-8) from now on; false, with Error() set, when the temporary file
    // cannot be created.
    bool OpenFile(const std::string& path);

    // Writes `text`; after the first failure nothing more is written and Finish reports it.
    void Write(std::string_view text);
    // Passes what is written so far on to standard output (before a message on standard error).
    void Flush();
    // Flushes, and renames a file into place; false, with Error() set, when anything failed.
    bool Finish();
    // Gives up: a file's temporary file is removed and the file stays as it was; standard output is
    // flushed. Finish then does nothing.
    void Discard();

    // "standard output" or the file's path, for messages.
    std::string Name() const;
    const std::string& Error() const { return error_; }

  private:
    void Fail(const std::string& what);

    std::string path_;    // empty for standard output
    std::string target_;  // the path with symbolic links followed
    std::string temporary_;
    std::optional<std::filesystem::perms> permissions_;  // of the file being replaced
    bool direct_ = false;                                // writing to a file that is not a regular one
    std::ofstream file_;
    bool failed_ = false;
    bool done_ = false;
    std::string error_;
};

}  // namespace kt::ktcat
