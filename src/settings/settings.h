// The dialogue's settings: what the user has chosen so far in a session, kept for the whole run.
// Only the dialogue reads or changes them; it hands them to the operations as format values.
#pragma once

#include "operations/operations.h"
#include "real/format.h"

namespace repbin {

// Total width, in bits, of every bit string the dialogue produces or reads.
extern int nb;
// Excess Z of the excess systems.
extern int zEZ;
// Working bit string: at most 64 characters and the NUL.
extern char buffer[65];
// Fixed-point text typed by the user: at most 63 characters and the NUL.
extern char decimal[64];

// The floating-point descriptor the floating-format dialogue fills: where sign, exponent and
// mantissa lie in a string of `nb` characters and how they are written. All 0 at start.
extern int nbexp;       // width of the exponent field
extern int posexp;      // position of the exponent's first character
extern int posmantisa;  // position of the mantissa's first character
extern int possigno;    // position of the sign character
extern int TypeExp;     // 0 sign-magnitude, 1 one's complement, 2 two's complement, 3 excess zEZ
extern int TypeMan;     // 0 sign-magnitude, 1 one's complement, 2 two's complement
extern int typenorma;   // 0 fraction 0'M, 1 implicit integer bit 1'M, 2 implicit fraction bit 0'1M
extern int bi;          // implicit mantissa bits: 1 when typenorma > 0, else 0

// Gives every setting its start value: `nb` 32, `zEZ` 127, both texts empty, the descriptor 0.
void ResetSettings();

// The floating-point format the settings describe now.
FloatFormat SettingsFloatFormat();
// The integer format of `system` at the current width and excess.
ops::IntegerFormat SettingsIntegerFormat(ops::System system);

}  // namespace repbin
