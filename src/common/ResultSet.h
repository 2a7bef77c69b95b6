#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/ResultFile.h"
#include "common/TemporaryFile.h"

namespace horgrid {

// A set of result files (and folders of them) that is replaced whole or not
// at all: every command writing more than one result uses it.
//
//     ResultSet set("out/run", {sequencesPath, monomersPath});   // prefix, inputs
//     ResultFile& table = set.Add("out/run_table.tsv");          // checked at once
//     table.Write(text);
//     set.AddFolder("out/run.ens", [](std::string_view name) { return name.ends_with(".ens"); });
//     std::unique_ptr<ResultFile> one = set.AddToFolder("out/run.ens", "1.ens");
//     one->Write(lines);
//     one->Commit();                                             // staged, not yet visible
//     set.Commit();                                              // all appear, or none
//
// Every member is written into a staging folder ("horgrid-XXXXXXXX.tmp")
// beside the prefix; nothing under a final name changes before Commit(). A
// member that is one of the inputs (device and inode compared, so links
// count), a folder member that holds an input, a directory where a file
// member goes or a non-folder where a folder member goes raise FileError when
// added, before anything is written, and again in Commit() before anything is
// replaced.
//
// Commit() takes an exclusive lock (flock) on PREFIX.horgrid-lock, so that
// runs on one prefix commit one after the other: a second run waits for the
// first's commit (a few renames), and the later set then replaces the
// earlier one whole. Under the lock it checks every target again, then
// renames the members into place. A folder member replaces the old folder
// whole: files the folder's `owns` predicate does not claim (the user's own,
// such as pictures made from one member) are carried over into the new folder
// as hard links; files it claims that this run did not write (members of a
// larger earlier set) are gone with the old folder. A signal during the
// renames finishes them (Interrupt.h), so an interrupted commit leaves the new
// set; a signal before Commit() leaves the old set and no staging folder. What
// remains: a SIGKILL or a power loss in the middle of the renames can leave a
// mix (the staging folder then still holds what was not moved), and a reader
// may, for an instant, find a folder member absent.
//
// Without Commit() the destructor removes the staging folder. Members must lie
// in the prefix's directory (std::invalid_argument otherwise).
class ResultSet {
public:
    using Owns = std::function<bool(std::string_view name)>;

    ResultSet(std::string prefix, std::vector<std::string> inputs);
    ~ResultSet();
    ResultSet(const ResultSet&) = delete;
    ResultSet& operator=(const ResultSet&) = delete;

    // A member file at `path`; the set finishes and places it in Commit().
    ResultFile& Add(const std::string& path);
    // A member folder at `path`, replaced whole; `owns` tells the file names
    // that belong to such a folder (every name given to AddToFolder must be one).
    void AddFolder(const std::string& path, Owns owns);
    // A file `name` of the member folder `folder`: the caller writes it and
    // calls Commit() on it, which puts it into the staged folder.
    std::unique_ptr<ResultFile> AddToFolder(const std::string& folder, const std::string& name);

    // Replaces the previous set by this one; raises FileError, with nothing
    // replaced, when a member cannot be finished or a target is refused.
    void Commit();

    // The lock file of a prefix.
    static std::string LockPath(const std::string& prefix);

private:
    struct Member {
        std::string path;
        std::string name;  // in the staging folder
        std::unique_ptr<ResultFile> file;  // null for a folder
        Owns owns;
    };
    const Member& FolderMember(const std::string& folder) const;
    void Check(const Member& member) const;
    // Hard links of the old folder's foreign files into the staged one.
    void CarryOver(const Member& member) const;

    std::string prefix_;
    std::vector<std::string> inputs_;
    std::unique_ptr<TemporaryDirectory> staging_;
    std::vector<Member> members_;
};

}  // namespace horgrid
