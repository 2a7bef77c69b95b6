#pragma once

#include <memory>
#include <string>

namespace horgrid {

class InterruptRemovesFile;

// A new, empty file with a short name of fixed length in the directory of
// `target` ("horgrid-" + 8 random letters and digits + ".tmp"), so that any
// target name the file system accepts works. It gets the mode 0666 less the
// umask, or the permission bits of `target` when that is an existing regular
// file. The file is removed when the object goes away, or when a signal stops
// the run (Interrupt.h), unless MoveTo() put it in place. Creation failures
// raise FileError naming `target`, and so does a `target` that exists and is
// not a regular file (RefuseNonRegularTarget), on construction and again in
// MoveTo().
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return path_; }
    // The descriptor open for writing; the caller may take it over, see Release.
    int descriptor() const { return descriptor_; }
    // Hands the descriptor over to the caller, who closes it.
    int Release();

    // Renames the file over `target`; raises FileError naming it on failure
    // (the temporary is then removed).
    void MoveTo(const std::string& target);

private:
    std::string path_;
    int descriptor_ = -1;
    bool placed_ = false;
    std::unique_ptr<InterruptRemovesFile> cleanup_;
};

// A new, empty folder named like a TemporaryFile ("horgrid-" + 8 random
// letters and digits + ".tmp") in `directory` ("" for the working directory,
// else ending in '/'), with mode 0700. It is removed with everything in it
// when the object goes away or a signal stops the run. Creation failures
// raise FileError naming `target` (the result the folder is for).
class TemporaryDirectory {
public:
    TemporaryDirectory(const std::string& directory, const std::string& target);
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    // The folder's path, ending in '/'.
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::unique_ptr<InterruptRemovesFile> cleanup_;
};

// Raises FileError("<verb> '<shown>': ...") when `target` exists and is not a
// regular file: a result replaces a regular file only, never a folder
// ("Is a directory"), a symbolic link, a device, a FIFO or a socket (none of
// them is replaced by a file, nor written through). A missing target passes.
void RefuseNonRegularTarget(const std::string& target, const std::string& verb, const std::string& shown);

// The directory part of `path` including its last '/', "" when it has none.
std::string DirectoryOf(const std::string& path);

}  // namespace horgrid
