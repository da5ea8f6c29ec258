// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the hive parser and writer with arbitrary hive files.
#include "fuzz/hive_round.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_rounds::hiveRound(data, size);
    return 0;
}
