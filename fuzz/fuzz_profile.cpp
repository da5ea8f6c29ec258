// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the profile reader and writer with arbitrary Desktop.ini bytes.
#include "fuzz/profile_round.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_rounds::profileRound(data, size);
    return 0;
}
