#pragma once

#include <QString>

// Why a store could not be opened, or could be opened for reading only. The
// window turns each kind into its own words and choices; the message names
// the file and the system's reason, for the command line and status lines.
enum class StoreProblem {
    None,
    Missing, // no file at the path
    CannotCreate, // no store could be made there: the folder is missing, not writable or full
    NotAStore, // another kind of file, or a database without the store's tables
    Unfinished, // empty or without any table: left by a creation that failed; can be made anew
    Locked, // another program kept it locked for longer than the store waits
    Unreadable, // it may not be read, or the system failed reading it
    DiskFull, // the store had to be written on open and the disk is full
    // The store is open, for reading only:
    ReadOnlyFile, // the file may not be written
    ReadOnlyFolder, // its folder may not be written, and a write needs room beside the file
    Damaged, // the check on open found damaged pages
};

struct StoreCondition {
    StoreProblem problem = StoreProblem::None;
    QString message;

    bool isNone() const { return problem == StoreProblem::None; }
};

// What opening a store may do when there is no usable file at the path.
enum class StoreOpening {
    Existing, // a missing file is the problem Missing
    CreateIfMissing, // a missing file is created with the full schema
    // As CreateIfMissing, and an unfinished file (empty or without tables) is
    // replaced by a new store: nothing in it could be lost.
    CreateOrReplaceUnfinished,
};
