// Wildcard matching of file names as the target platform's file search does it: without regard
// to ASCII case, '*' matching any run of characters and '?' exactly one. A mask ending in ".*"
// also matches the name without any dot part, so "*.*" matches every name; one ending in a dot
// also matches the names without a dot that the rest of it matches, so "*." matches the names
// without an extension.
#pragma once

bool MatchesMask(const char* mask, const char* name);
