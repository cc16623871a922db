#pragma once
// The front end's tablebase set-up: (re)initialising the tables from the
// settings' directory list and cache size, and handing them to the search.

#include <string>

namespace halberd::frontend {

// Level of the last initialisation (0, 3, 4 or 5), and whether the tables
// were ever initialised.
extern int tbFileCount;
extern bool tbActive;

// Releases the tables, initialises them again from tbPath and tbCacheBytes
// and sets the search's men limit; returns the level.
int startTablebases();

// How many table files the last initialisation found, and where:
// "tablebases: 12 files (4 men): 10 in /a, 2 in /b", or "tablebases: no
// table files in <directories>".
std::string tableCountText();

// The same told to the interface: an info string in UCI, a comment line in xboard.
void tellTableCount();
// The same when the interface introduces itself ("uci", "protover 2"), where
// tables were found at start-up; nothing without tables.
void tellTablesFound();

}  // namespace halberd::frontend
