#pragma once

#include <QByteArray>

// Keeps what a library prints on the standard error while this lives (the
// workbook library prints "[ERROR]: ..." lines of its own on a failed write)
// from reaching the user, who gets our message instead. Lines that are not
// the library's error or warning lines are printed as they were once it ends.
// The standard error is the process's: hold it only around calls during
// which no other thread of the program prints.
class LibraryMessages {
public:
    LibraryMessages();
    ~LibraryMessages();
    LibraryMessages(const LibraryMessages&) = delete;
    LibraryMessages& operator=(const LibraryMessages&) = delete;

    // Ends the capture; the library's own lines, for a caller that wants them.
    QByteArray end();

private:
    int m_saved = -1; // the standard error as it was
    int m_read = -1; // what was printed meanwhile
    QByteArray m_libraryLines;
};
