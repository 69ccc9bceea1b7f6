// Whole-file compression: a file replaced in place by one zlib stream of
// itself, and back.
#pragma once

#include <cstdint>
#include <string>

// Output a decompression may produce at most (256 MiB): a stream that
// would inflate to more is refused as an error.
constexpr std::uint64_t File_Decompress_Limit = 256ull * 1024 * 1024;

// Compresses the file (a path in the game's form) at zlib's default level
// through a temporary file that is then copied over it. False when the file
// does not exist, when compression fails (the file is left as it was) or
// when the copy fails.
bool File_Compress(const std::string& file_name);
// The reverse; a corrupt, truncated or oversized stream is a failure and
// leaves the file as it was.
bool File_Decompress(const std::string& file_name);
