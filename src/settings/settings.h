// Program settings: the mode state every subsystem shares for the whole run.
#pragma once

namespace repbin {

// Total width, in bits, of every bit string the dialogue produces or reads.
extern int nb;
// Excess Z of the excess systems.
extern int zEZ;
// Working bit string: at most 64 characters and the NUL.
extern char buffer[65];
// Fixed-point text typed by the user: at most 63 characters and the NUL.
extern char decimal[64];

// Largest width that fits in `buffer`.
inline constexpr int kMaxWidth = 64;

// Gives every program setting its start value: `nb` 32, `zEZ` 127, both texts empty.
void ResetSettings();

}  // namespace repbin
