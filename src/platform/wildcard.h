// Wildcard matching of file names as the target platform's file search does it: without regard
// to ASCII case, '*' matching any run of characters and '?' exactly one. A mask ending in ".*"
// also matches the name without any dot part, so "*.*" matches every name.
#pragma once

bool MatchesMask(const char* mask, const char* name);
