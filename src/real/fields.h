// Field writers shared by the two floating-point encoders.
#pragma once

namespace repbin {

// Starts a string of `nb` characters: every position '_' ("not produced"), NUL at `nb`. No
// character of an earlier operation can then show through a summary printed mid-way.
void StartString(char* bitmap);

// Writes `exp` into the exponent field with the encoder of TypeExp (printing its trace); the
// encoder also writes a NUL right after the field. Returns the encoder's range flag: 0 when the
// exponent does not fit its field (the field then holds what the encoder wrote).
int WriteExponent(int exp, char* bitmap);

// Writes the NbMan() magnitude digits `digits` into the mantissa field in the system of TypeMan:
// as they are for a positive value; inverted (one's complement), or copied up to and including
// the rightmost '1' and inverted to its left (two's complement) for a negative one.
void WriteMantissa(const char* digits, bool negative, char* bitmap);

}  // namespace repbin
