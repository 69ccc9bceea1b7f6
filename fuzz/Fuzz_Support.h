// Shared pieces of the fuzz harnesses: a scratch folder for harnesses whose
// loaders read files by name, and quiet shell services so that a loader's
// error windows do not pile up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The entry point every harness defines (libFuzzer's name).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Writes the bytes as the named file in a scratch folder made once per
// process, and returns its path in the game's form (with "\").
std::string Fuzz_Write_Scratch_File(const std::string& name, const std::uint8_t* data, std::size_t size);

// Makes the process quiet and headless: no log file, no windows; sets a
// scratch user folder. Called by each harness before its first input.
void Fuzz_Setup_Once();
