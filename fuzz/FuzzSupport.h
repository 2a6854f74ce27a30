#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// Every target defines this; libFuzzer or ReplayMain.cpp calls it once per input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace zent::fuzz {

// A file in this process's own scratch directory (in memory where the system offers it),
// removed with the directory when the process ends.
std::filesystem::path ScratchFile(std::string_view name);

// Replaces the file's content with the bytes.
void WriteBytes(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size);

std::string ReadBytes(const std::filesystem::path& file);

// A property that must hold: reports and aborts, so that the fuzzer keeps the input.
void Check(bool holds, const char* what);

} // namespace zent::fuzz
