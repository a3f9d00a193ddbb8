#pragma once

#include <QString>

class Store;

// Whether every change of the store has been written to an archive (the
// saved flag). It is kept in the store, in a small table of its own that the
// archive, the export and the upload never read, so it survives a restart.
// The store clears it itself in the commit of every change to what an
// archive holds, whoever made it.
namespace WorkState {

// The statements that make the state table of a new store.
QString createSql(bool archived);

// Creates the state table when it is missing. A store made before the table
// existed counts as archived only when its assessment tables are empty.
void ensure(Store& store);

// For a store open for reading only: the state as a table of the
// connection's own, in memory, so that it can change without a write to the
// file. `present` tells whether the file has the table to start from.
void shadow(Store& store, bool present);

bool archived(Store& store);
void setArchived(Store& store, bool archived);

}
