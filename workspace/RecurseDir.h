// TRecurseDir: a small directory walker that reports each folder and file it
// finds through events, in the order the file system lists them.
//
// Walking a folder D reports D itself (as given) through OnDirFound, then
// every entry of D whose name matches Mask: with RecurseSubDirs a subfolder is
// walked at once (depth first) and so reported when it is entered, and "."
// and ".." are skipped; without it each subfolder, "." and ".." included, is
// reported through OnDirFound as D + separator + name. Everything else is
// reported through OnFileFound. OnEnd is raised once when the walk is over.
//
// A symbolic link to a folder counts as a folder, but the walk never enters
// one: it is reported without its contents, so a walk neither loops nor leaves
// the tree it was given.
#pragma once

#include <functional>
#include <string>

class TRecurseDir;

using TDirFoundEvent = std::function<void(TRecurseDir* Sender, const std::string& DirName)>;
using TFileFoundEvent = std::function<void(TRecurseDir* Sender, const std::string& FileName)>;
using TOnEndEvent = std::function<void(TRecurseDir* Sender)>;

class TRecurseDir {
public:
    TRecurseDir() = default;
    virtual ~TRecurseDir() = default;

    // The folder to walk; an empty Directory walks nothing (OnEnd is still raised).
    std::string Directory;
    // Pattern with "*" and "?" that the names of reported entries must match,
    // ignoring the case of letters; "*.*" and "*" match every name.
    std::string Mask = "*.*";
    bool RecurseSubDirs = true;

    TDirFoundEvent OnDirFound;
    TFileFoundEvent OnFileFound;
    TOnEndEvent OnEnd;

    // Runs the walk.
    void Execute();

    // Whether `name` matches `mask` as the walk matches entry names.
    static bool MatchesMask(const std::string& name, const std::string& mask);

protected:
    // Raise OnDirFound / OnFileFound when assigned.
    virtual void DoDirFound(TRecurseDir* Sender, const std::string& DirName);
    virtual void DoFileFound(TRecurseDir* Sender, const std::string& FileName);

private:
    void Walk(const std::string& dir);
};
