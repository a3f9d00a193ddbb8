#pragma once

class Store;

// Whether every change of the store has been written to an archive (the
// saved flag). It is kept in the store, in a small table of its own that the
// archive, the export and the upload never read, so it survives a restart.
namespace WorkState {

// Creates the state table when it is missing. A store made before the table
// existed counts as archived only when its assessment tables are empty.
void ensure(Store& store);

bool archived(Store& store);
void setArchived(Store& store, bool archived);

}
