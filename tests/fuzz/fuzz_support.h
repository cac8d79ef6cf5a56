// Fuzz support: the in-memory module file every target reads through the
// portable file service, and the checks each input ends with.
#pragma once

#include "tests/fuzz/fuzz_check.h"
#include "tests/support/module_writer.h"

#include <cstdint>

// The path under which FuzzUseModule's bytes are opened.
constexpr char kFuzzModulePath[] = "fuzz-input.Pkm";

// Makes kFuzzModulePath open `bytes` (kept alive by the caller until the
// next call or FuzzForgetModule).
void FuzzUseModule(const uint8_t* bytes, uint32_t size);
inline void FuzzUseModule(const Bytes& bytes) { FuzzUseModule(bytes.data(), static_cast<uint32_t>(bytes.size())); }
void FuzzForgetModule();

// Aborts unless every block, file and graphics object taken has been given back.
void FuzzCheckNothingLeft();
