#pragma once
// The front end's tablebase set-up: (re)initialising the tables from the
// settings' directory list and cache size, and handing them to the search.

namespace halberd::frontend {

// Level of the last initialisation (0, 3, 4 or 5), and whether the tables
// were ever initialised.
extern int tbFileCount;
extern bool tbActive;

// Releases the tables, initialises them again from tbPath and tbCacheBytes
// and sets the search's men limit; returns the level.
int startTablebases();

}  // namespace halberd::frontend
